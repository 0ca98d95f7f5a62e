#include "shell_extension/terminal/terminal_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "platform/fakes/fake_registry_store.h"
#include "shell_extension/terminal/page_classes.h"
#include "testing/temp_dir.h"

namespace morvane {
namespace {

using testing_support::exists;
using testing_support::readBytes;
using testing_support::writeBytes;

class MorvaneCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(dir.file("site/sub"));
    writeBytes(dir.file("site/index.htm"), "<P>home</P>\n");
    writeBytes(dir.file("site/sub/logo.gif"), "GIF");
  }
  int run(std::vector<std::string> args) {
    out.str("");
    err.str("");
    platform::Terminal terminal{in, out, err, false};
    return runMorvane(args, terminal, dir.file("config/registry"));
  }
  // What the run printed on out, with the time its summary gives as "(T)".
  std::string printed() const {
    std::string text = out.str();
    const std::size_t open = text.rfind(" (");
    const std::size_t close = text.rfind(" s)\n");
    if (open != std::string::npos && close != std::string::npos && close > open) text.replace(open + 2, close - open, "T");
    return text;
  }

  testing_support::TempDir dir;
  std::ostringstream out, err;
  std::istringstream in;
};

TEST_F(MorvaneCommandTest, UsageErrorsExitWithTwoAndConvertNothing) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"--frobnicate", dir.file("site")},
      {"--dest"},
      {"--dest="},
      {"--dest", dir.file("out")},                      // nothing to convert
      {"--set-dest", dir.file("site"), dir.file("site")},
      {"--show-dest", "--set-dest", dir.file("site")},
      {dir.file("site")},                               // no destination folder set yet
      {"--dest", dir.file("out"), dir.file("missing.htm"), dir.file("site")},
      {"--set-dest", dir.file("nothing")},              // not a folder
      {"--set-dest", dir.file("site/index.htm")},
      // A destination that does not fit a path buffer is never stored.
      {"--dest", dir.file(std::string(300, 'o')), dir.file("site")},
      {"--set-dest", "/" + std::string(300, 'o')},
  };
  for (const auto& args : cases) {
    SCOPED_TRACE(args.empty() ? "(none)" : args[0] + " ...");
    EXPECT_EQ(kExitUsage, run(args));
    EXPECT_EQ(0u, err.str().find("morvane: "));
    EXPECT_EQ("", out.str());
  }
  EXPECT_FALSE(exists(dir.file("out")));
  EXPECT_FALSE(exists(dir.file("config/registry")));
}

TEST_F(MorvaneCommandTest, HelpAndVersion) {
  EXPECT_EQ(kExitSuccess, run({"--help"}));
  EXPECT_EQ(0u, out.str().find("Usage: morvane [OPTION]... PATH...\n"));
  EXPECT_EQ(kExitSuccess, run({"-V"}));
  EXPECT_EQ("morvane 1.0.0.1\n", out.str());
}

TEST_F(MorvaneCommandTest, ConvertsIntoTheDestinationAndRemembersIt) {
  EXPECT_EQ(kExitFailed, run({"--show-dest"}));
  EXPECT_EQ("morvane: no destination folder is set\n", err.str());

  EXPECT_EQ(kExitSuccess, run({"--dest", dir.file("out"), dir.file("site")}));
  EXPECT_EQ("Tarnwick Conversion: Operation has completed successfully.\n"
            "1 page converted, 1 file copied, 0 left as they were, 0 backups made, 0 failed (T)\n",
            printed());
  EXPECT_EQ("", err.str());
  EXPECT_EQ("<P>home</P>\r\n", readBytes(dir.file("out/index.htm")));  // converted: the engine writes CR LF
  EXPECT_EQ("GIF", readBytes(dir.file("out/sub/logo.gif")));

  EXPECT_EQ(kExitSuccess, run({"--show-dest"}));
  EXPECT_EQ(dir.file("out") + "\n", out.str());
  EXPECT_NE(std::string::npos, readBytes(dir.file("config/registry"))
                                   .find("[HKEY_CURRENT_USER\\Software\\Tarnwick\\Morvane\\Persistent Data]\n"
                                         "\"DestFolder\"=\"" + dir.file("out") + "\"\n"));

  // The next run uses the remembered folder; the earlier page goes to TWBACKUP.
  EXPECT_EQ(kExitSuccess, run({dir.file("site/index.htm")}));
  EXPECT_EQ("File(s) already exists. Some files already exist in the target directory.  These will be backed up "
            "into the directory " + dir.file("out/TWBACKUP") + ".\n"
            "Tarnwick Conversion: Operation has completed successfully.\n"
            "1 page converted, 0 files copied, 0 left as they were, 1 backup made, 0 failed (T)\n",
            printed());
  EXPECT_TRUE(exists(dir.file("out/TWBACKUP/index.htm")));
}

TEST_F(MorvaneCommandTest, SetDestAcceptsRelativeFoldersAndStoresThemAbsolute) {
  std::filesystem::create_directories(dir.file("out"));
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  const int status = run({"--set-dest=out/"});
  std::filesystem::current_path(cwd);
  EXPECT_EQ(kExitSuccess, status);
  EXPECT_EQ(kExitSuccess, run({"--show-dest"}));
  EXPECT_EQ(dir.file("out") + "\n", out.str());
}

TEST_F(MorvaneCommandTest, AFailedConversionExitsWithOne) {
  writeBytes(dir.file("site/bad.htm"), std::string("nul\0", 4));
  EXPECT_EQ(kExitFailed, run({"-d", dir.file("out"), dir.file("site/bad.htm"), dir.file("site")}));
  EXPECT_EQ("Conversion error! Conversion for file " + dir.file("site/bad.htm") + " has failed.\n"
            "morvane: cannot convert '" + dir.file("site/bad.htm") + "': holds a NUL byte\n"
            "Tarnwick Conversion: Operation has failed.\n",
            err.str());
  EXPECT_FALSE(exists(dir.file("out/index.htm")));
}

// Pages are converted without any set-up: .htm and .html are "htmlfile"
// unless the registry file names a class for them.
TEST(WithPageClasses, SuppliesThePageClassesTheFileLacks) {
  platform::FakeRegistryStore file;
  file.createKey(platform::Hive::ClassesRoot, ".shtml");
  file.setString(platform::Hive::ClassesRoot, ".shtml", "", "NetscapeMarkup");
  WithPageClasses registry(file);
  struct Case { platform::Hive hive; const char* key; const char* name; std::size_t maxBytes; bool open; std::optional<std::string> value; };
  const Case cases[] = {
      {platform::Hive::ClassesRoot, ".htm", "", 256, true, "htmlfile"},
      {platform::Hive::ClassesRoot, ".html", "", 256, true, "htmlfile"},
      {platform::Hive::ClassesRoot, ".HTM", "", 5, true, "html"},             // cut as a 5-byte buffer cuts
      {platform::Hive::ClassesRoot, ".htm", "Content Type", 256, true, std::nullopt},
      {platform::Hive::ClassesRoot, ".shtml", "", 256, true, "NetscapeMarkup"},
      {platform::Hive::ClassesRoot, ".b.htm", "", 256, false, std::nullopt},
      {platform::Hive::CurrentUser, ".htm", "", 256, false, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    EXPECT_EQ(c.open, registry.openKey(c.hive, c.key));
    EXPECT_EQ(c.value, registry.queryString(c.hive, c.key, c.name, c.maxBytes));
  }
  // A class in the file wins, and a key there without one means no class.
  file.createKey(platform::Hive::ClassesRoot, ".html");
  file.createKey(platform::Hive::ClassesRoot, ".htm");
  file.setString(platform::Hive::ClassesRoot, ".htm", "", "txtfile");
  EXPECT_EQ("txtfile", registry.queryString(platform::Hive::ClassesRoot, ".htm", "", 256));
  EXPECT_EQ(std::nullopt, registry.queryString(platform::Hive::ClassesRoot, ".html", "", 256));
  EXPECT_TRUE(registry.createKey(platform::Hive::CurrentUser, "Software\\Tarnwick"));  // changes reach the file
  EXPECT_TRUE(file.hasKey(platform::Hive::CurrentUser, "Software\\Tarnwick"));
}

}  // namespace
}  // namespace morvane
