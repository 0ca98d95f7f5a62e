#include "desktop/terminal/terminal_converter.h"

#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

#include "testing/files.h"
#include "testing/temp_dir.h"

namespace desktop {
namespace {

namespace fs = std::filesystem;
using testing_support::readFile;
using testing_support::writeFile;

// A page the engine passes through unchanged, in CR LF text as on disk.
const std::string kPage = "<HTML>\r\n<BODY>\r\n<P>Plain text, nothing to convert.</P>\r\n</BODY>\r\n</HTML>\r\n";

class TerminalConverter : public ::testing::Test {
 protected:
  void SetUp() override { writeFile(source_, kPage); }

  // Runs the converter with stdin holding input; interactive as a terminal would be.
  int run(const std::vector<std::string>& args, const std::string& input = "", bool interactive = false,
          const char* sourceDateEpoch = nullptr) {
    std::istringstream in(input);
    out_.str("");
    err_.str("");
    platform::Terminal terminal{in, out_, err_, interactive, sourceDateEpoch};
    return runTerminalConverter(args, terminal);
  }

  testing_support::TempDir temp_;
  const fs::path dir_ = temp_.path();
  const std::string source_ = temp_.file("page.htm");
  const std::string dest_ = temp_.file("out.htm");
  std::ostringstream out_;
  std::ostringstream err_;
};

TEST_F(TerminalConverter, ConvertsToANewDestination) {
  EXPECT_EQ(0, run({source_, dest_}));
  EXPECT_EQ("Conversion completed successfully.\n", out_.str());
  EXPECT_EQ("", err_.str());
  EXPECT_EQ(kPage, readFile(dest_));
}

TEST_F(TerminalConverter, MissingSourceIsReportedOnStderr) {
  const std::string missing = (dir_ / "none.htm").string();
  EXPECT_EQ(2, run({missing, dest_}));
  EXPECT_EQ("The source path \"" + missing + "\" does not exist.\n", err_.str());
  EXPECT_EQ("", out_.str());
  EXPECT_FALSE(fs::exists(dest_));
}

TEST_F(TerminalConverter, FailedConversionExitsWithOne) {
  const std::string unreachable = (dir_ / "no-such-folder" / "out.htm").string();
  EXPECT_EQ(1, run({source_, unreachable}));
  // The dialog's own text, then the file and the reason.
  EXPECT_EQ("Could not perform conversion.\nveradoc: cannot write '" + unreachable + "': No such file or directory\n",
            err_.str());
  EXPECT_EQ("", out_.str());
}

// With SOURCE_DATE_EPOCH the comments carry that instant in UTC, so that the
// same page converts to the same bytes; a value that is no number is refused.
TEST_F(TerminalConverter, SourceDateEpochMakesTheOutputReproducible) {
  writeFile(source_, "<OBJECT ID=L CLASSID=\"CLSID:98FBE040-5A24-11CF-8B11-00AA00C00903\"></OBJECT>\r\n");
  EXPECT_EQ(0, run({"--yes", source_, dest_}, "", false, "1700000000"));
  const std::string first = readFile(dest_);
  EXPECT_NE(std::string::npos, first.find("<!-- ** Tue Nov 14 22:13:20 2023 ** Tarnwick conversion added \"WIDTH=1\""));
  EXPECT_EQ(0, run({"--yes", source_, dest_}, "", false, "1700000000"));
  EXPECT_EQ(first, readFile(dest_));
  EXPECT_EQ(2, run({"--yes", source_, dest_}, "", false, "yesterday"));
  EXPECT_EQ("veradoc: SOURCE_DATE_EPOCH is not a number of seconds: 'yesterday'\n", err_.str());
}

// A source that is no page to read fails with its reason instead of being
// reported as converted.
TEST_F(TerminalConverter, SourcesThatCannotBeReadFailWithTheirReason) {
  fs::create_directory(dir_ / "pics.htm");
  const std::string folder = (dir_ / "pics.htm").string();
  EXPECT_EQ(1, run({folder, dest_}));
  EXPECT_EQ("Could not perform conversion.\nveradoc: cannot read '" + folder + "': is a directory\n", err_.str());
  EXPECT_FALSE(fs::exists(dest_));
}

// Each row: options, what stdin holds, whether it is a terminal, the exit
// status and what stderr holds after the question (none: not asked).
TEST_F(TerminalConverter, OverwriteNeedsAnAnswer) {
  struct Case {
    const char* name;
    std::vector<std::string> options;
    std::string input;
    bool interactive;
    int status;
    const char* afterQuestion;
  };
  const Case cases[] = {
      {"not interactive, no --yes", {}, "y\n", false, 2,
       "\nveradoc: not overwritten (no answer; use --yes to overwrite)\n"},
      {"not interactive, --yes", {"--yes"}, "", false, 0, nullptr},
      {"terminal answers y", {}, "y\n", true, 0, " [y/N] "},
      {"terminal answers YES", {}, " YES \n", true, 0, " [y/N] "},
      {"terminal answers n", {}, "n\n", true, 2, " [y/N] "},
      {"terminal answers nothing", {}, "\n", true, 2, " [y/N] "},
      {"terminal closed", {}, "", true, 2, " [y/N] \n"},
      {"terminal, --yes", {"--yes"}, "n\n", true, 0, nullptr},
  };
  const std::string question = "Destination file \"" + dest_ +
                               "\" already exists.\nAll contents will be erased.  Are you\n"
                               "sure you wish to overwrite?";
  for (const Case& t : cases) {
    SCOPED_TRACE(t.name);
    writeFile(dest_, "old contents");
    std::vector<std::string> args = t.options;
    args.push_back(source_);
    args.push_back(dest_);
    EXPECT_EQ(t.status, run(args, t.input, t.interactive));
    EXPECT_EQ(t.afterQuestion ? question + t.afterQuestion : "", err_.str());
    if (t.status == 0) {
      EXPECT_EQ(kPage, readFile(dest_));
      EXPECT_EQ("Conversion completed successfully.\n", out_.str());
    } else {
      EXPECT_EQ("old contents", readFile(dest_));
      EXPECT_EQ("", out_.str());
    }
  }
}

// Each row: the arguments and the one line that says what is wrong; then
// "Try 'veradoc --help'." and nothing converted.
TEST_F(TerminalConverter, UsageErrorsExitWithTwo) {
  struct Case {
    std::vector<std::string> args;
    std::string problem;
  };
  const Case cases[] = {
      {{}, "missing SOURCE and DEST"},
      {{source_}, "missing DEST after '" + source_ + "'"},
      {{source_, source_, dest_}, "target '" + dest_ + "' is not a folder"},
      {{"--bogus", source_, dest_}, "unknown option '--bogus'"},
      {{"--ods"}, "missing SOURCE and DEST"},
      {{source_, "-"}, "DEST cannot be '-' (standard output): a conversion may write files beside the page"},
      {{"-", dir_.string()}, "a page from standard input needs a DEST file name, not a folder"},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(t.problem);
    EXPECT_EQ(2, run(t.args));
    EXPECT_EQ("veradoc: " + t.problem + "\nTry 'veradoc --help'.\n", err_.str());
    EXPECT_EQ("", out_.str());
  }
  EXPECT_FALSE(fs::exists(dest_));
  EXPECT_FALSE(fs::exists(dir_ / "-"));
}

// "-" as SOURCE is the page on standard input: converted as a file of the
// same bytes would be, named "standard input" in failures, and never a
// reason to read an answer from the same input.
TEST_F(TerminalConverter, ReadsThePageFromStandardInput) {
  writeFile(source_, "<OBJECT ID=L CLASSID=\"CLSID:98FBE040-5A24-11CF-8B11-00AA00C00903\"></OBJECT>\r\n");
  const std::string fromFile = temp_.file("from-file.htm");
  EXPECT_EQ(0, run({source_, fromFile}, "", false, "1700000000"));
  EXPECT_EQ(0, run({"-", dest_}, readFile(source_), false, "1700000000"));
  EXPECT_EQ(readFile(fromFile), readFile(dest_));
  EXPECT_EQ(readFile(temp_.file("from-file.AXS")), readFile(temp_.file("out.AXS")));

  EXPECT_EQ(2, run({"-", dest_}, "y\n", true));
  EXPECT_NE(std::string::npos, err_.str().find("veradoc: not overwritten (no answer; use --yes to overwrite)"));
  EXPECT_EQ(1, run({"-y", "-", dest_}, std::string("<P>\0</P>", 8)));
  EXPECT_EQ("Could not perform conversion.\nveradoc: cannot convert 'standard input': holds a NUL byte\n", err_.str());

  // Input that cannot be read is no empty page.
  std::istringstream broken("<P>lost</P>");
  broken.setstate(std::ios::badbit);
  out_.str("");
  err_.str("");
  platform::Terminal terminal{broken, out_, err_, false, nullptr};
  EXPECT_EQ(1, runTerminalConverter({"-y", "-", dest_}, terminal));
  EXPECT_EQ(0u, err_.str().find("Could not perform conversion.\nveradoc: cannot read 'standard input': ")) << err_.str();
  EXPECT_EQ("", out_.str());
}

// Several sources and a folder: each page is converted into a file of its
// name there, the others go on after one fails, and the status is the worst.
TEST_F(TerminalConverter, ConvertsSeveralSourcesIntoAFolder) {
  const fs::path site = dir_ / "site";
  fs::create_directory(site);
  writeFile(dir_ / "second.htm", kPage);
  const std::string missing = temp_.file("missing.htm");
  EXPECT_EQ(2, run({"-q", source_, missing, temp_.file("second.htm"), site.string()}));
  EXPECT_EQ(kPage, readFile(site / "page.htm"));
  EXPECT_EQ(kPage, readFile(site / "second.htm"));
  EXPECT_EQ("", out_.str());
  EXPECT_EQ("The source path \"" + missing + "\" does not exist.\n", err_.str());
  // Two operands with a folder last convert into the folder too.
  fs::remove(site / "page.htm");
  EXPECT_EQ(0, run({source_, site.string() + "/"}));
  EXPECT_EQ(kPage, readFile(site / "page.htm"));
  EXPECT_EQ("Conversion completed successfully.\n", out_.str());
}

TEST_F(TerminalConverter, HelpAndVersionGoToStdout) {
  EXPECT_EQ(0, run({"--help"}));
  EXPECT_EQ(0u, out_.str().find("Usage: veradoc [OPTION]... SOURCE DEST\n"));
  EXPECT_EQ(0, run({source_, "-V"}));
  EXPECT_EQ("veradoc 1.0.0.1\n", out_.str());
  EXPECT_EQ("", err_.str());
  EXPECT_FALSE(fs::exists(dest_));
}

TEST_F(TerminalConverter, OptionsMayFollowThePathsAndDashDashEndsThem) {
  EXPECT_EQ(0, run({source_, dest_, "--ods"}));
  EXPECT_EQ(kPage, readFile(dest_));
  // After "--" a name that starts with '-' is a path.
  const fs::path previous = fs::current_path();
  fs::current_path(dir_);
  writeFile(dir_ / "-page.htm", kPage);
  EXPECT_EQ(0, run({"--", "-page.htm", "-out.htm"}));
  EXPECT_EQ(kPage, readFile(dir_ / "-out.htm"));
  EXPECT_EQ(2, run({"-page.htm", "-out2.htm"}));  // without it they are unknown options
  fs::current_path(previous);
}

}  // namespace
}  // namespace desktop
