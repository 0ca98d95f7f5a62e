// The batch on real folders with the real engine and the platform's own file
// system adapter.
#include <gtest/gtest.h>

#include <filesystem>

#include "shell_extension/core/batch_paths.h"
#include "shell_extension/core/testing/batch_harness.h"
#include "testing/files.h"
#include "testing/temp_dir.h"

namespace morvane {
namespace {

using testing_support::readFile;
using testing_support::writeFile;

const char kPage[] =
    "<HTML><BODY>\n"
    "<SCRIPT LANGUAGE=\"VBScript\">\nSub Go\nEnd Sub\n</SCRIPT>\n"
    "</BODY></HTML>\n";

class BatchFoldersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    writeFile(dir.path() / "site" / "index.htm", kPage);
    writeFile(dir.path() / "site" / "img" / "logo.gif", "GIF89a\r\n\x1a");
    writeFile(dir.path() / "site" / "sub" / "a.htm", "<P>a</P>\n");
  }

  // A path below the temporary folder; '/' in rel becomes the separator.
  std::string path(const std::string& rel) const { return pathBelow(dir, rel); }
  bool run(std::vector<std::string> selection, const std::string& destination) {
    return batch.run(std::move(selection), destination);
  }
  bool exists(const std::string& rel) const { return std::filesystem::exists(path(rel)); }

  testing_support::TempDir dir;
  PlatformFileSystem files;
  BatchHarness batch{files};
  platform::FakeMessageBoxes& boxes = batch.boxes;
};

TEST_F(BatchFoldersTest, MirrorsTheSiteAndBacksUpEarlierResults) {
  ASSERT_TRUE(run({path("site")}, path("out")));
  EXPECT_TRUE(exists("out/index.htm"));
  EXPECT_EQ("GIF89a\r\n\x1a", readFile(path("out/img/logo.gif")));  // copied byte for byte
  EXPECT_TRUE(exists("out/sub/a.htm"));
  EXPECT_FALSE(exists("out/site"));
  EXPECT_EQ(0, batch.context.useOdsFiles);
  const std::string firstPage = readFile(path("out/index.htm"));
  // The engine names the script file NAME.AXS; the batch backs it up under
  // that name where names keep their case, and as NAME.axs on Windows.
  const std::string script = files.namesIgnoreCase() ? "axs" : "AXS";
  const std::string firstScript = readFile(path("out/index." + script));
  ASSERT_NE("", firstScript);

  ASSERT_TRUE(run({path("site")}, path("out")));
  EXPECT_EQ(firstPage, readFile(path("out/TWBACKUP/index.htm")));
  EXPECT_EQ(firstScript, readFile(path("out/TWBACKUP/index." + script)));
  EXPECT_TRUE(exists("out/sub/TWBACKUP/a.htm"));
  EXPECT_FALSE(exists("out/TWBACKUP/TWBACKUP"));  // the earlier backups are not walked again
  EXPECT_EQ(1u, boxes.shown().size());

  ASSERT_TRUE(run({path("site/index.htm")}, path("out")));
  EXPECT_TRUE(exists("out/TWBACKUP/index_1.htm"));
  EXPECT_TRUE(exists("out/TWBACKUP/index_1." + script));
  EXPECT_FALSE(exists("out/TWBACKUP/index_2.htm"));
  EXPECT_EQ(2u, boxes.shown().size());
}

TEST_F(BatchFoldersTest, CreatesAMissingDestinationPath) {
  ASSERT_TRUE(run({path("site/sub/a.htm")}, path("new/deeper/out")));
  EXPECT_TRUE(exists("new/deeper/out/a.htm"));
  EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(BatchFoldersTest, AFolderThatCannotBeCreatedStopsTheBatch) {
  writeFile(path("blocker"), "a file where a folder should go");
  EXPECT_FALSE(run({path("site")}, path("blocker/out")));
  ASSERT_EQ(1u, boxes.shown().size());
  // The first entry met names the folder (the enumeration order is the file system's).
  EXPECT_EQ(0u, boxes.shown()[0].text.find("Could not create folder " + path("blocker/out")));
  EXPECT_EQ("Fatal error!", boxes.shown()[0].caption);
}

TEST_F(BatchFoldersTest, APageTheEngineRejectsFailsTheBatch) {
  writeFile(path("bad/page.htm"), std::string("<P>nul \0 inside</P>", 19));
  EXPECT_FALSE(run({path("bad/page.htm"), path("site")}, path("out")));
  ASSERT_EQ(1u, boxes.shown().size());
  EXPECT_EQ("Conversion for file " + path("bad/page.htm") + " has failed.\n", boxes.shown()[0].text);
  EXPECT_FALSE(exists("out/index.htm"));  // the batch stopped at the first failure
}

TEST_F(BatchFoldersTest, ADestinationInsideTheSelectionIsPassedOver) {
  ASSERT_TRUE(run({path("site")}, path("site/sub/out")));
  EXPECT_TRUE(exists("site/sub/out/index.htm"));
  EXPECT_TRUE(exists("site/sub/out/sub/a.htm"));
  EXPECT_FALSE(exists("site/sub/out/sub/out"));
  EXPECT_TRUE(boxes.shown().empty());
}

#ifndef _WIN32
TEST_F(BatchFoldersTest, SymbolicLinksBackToAnOuterFolderAreNotFollowed) {
  std::filesystem::create_directory_symlink("..", path("site/sub/up"));
  ASSERT_TRUE(run({path("site")}, path("out")));
  EXPECT_TRUE(exists("out/sub/a.htm"));
  EXPECT_FALSE(exists("out/sub/up"));
  EXPECT_TRUE(boxes.shown().empty());
}
#endif

}  // namespace
}  // namespace morvane
