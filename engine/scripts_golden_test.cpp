// Golden pages: each folder under TW_SCRIPTS_TESTDATA holds source.htm (CR LF,
// as saved on Windows), and the exact files a conversion to page.htm writes:
// expected.htm and, when the page has VBScript, expected.AXS.
// Setting TW_UPDATE_GOLDEN=1 rewrites the expected files from the current
// output; review the difference before committing it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <string>

#include "driver.h"
#include "scripts.h"
#include "testing/temp_dir.h"
#include "text_file.h"

namespace engine {
namespace {

using testing_support::exists;
using testing_support::readBytes;
using testing_support::TempDir;
using testing_support::writeBytes;

struct GoldenCase {
  const char* folder;
  int guards;  // Netscape guards in the converted page: inputs outside forms, plus the script reference
  bool scriptFile;
};

const GoldenCase kCases[] = {
    {"page", 6, true},
    {"own_onload", 6, true},
    {"javascript_only", 0, false},
};

// Names the case by its folder in test names.
void PrintTo(const GoldenCase& c, std::ostream* os) { *os << c.folder; }

std::string goldenPath(const GoldenCase& c, const char* file) {
  return std::string(TW_SCRIPTS_TESTDATA) + "/" + c.folder + "/" + file;
}

int countOf(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
  return n;
}

// The text without its empty lines.
std::string withoutEmptyLines(std::string text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && !out.empty() && out.back() == '\n') continue;
    out += text[i];
  }
  return out;
}

class GoldenPage : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(GoldenPage, ConvertsToTheExpectedFiles) {
  const GoldenCase& c = GetParam();
  ASSERT_TRUE(exists(goldenPath(c, "source.htm"))) << goldenPath(c, "source.htm");
  TempDir dir;
  ConversionContext context;
  const std::string dest = dir.file("page.htm");
  ASSERT_EQ(1, convertFile(context, goldenPath(c, "source.htm").c_str(), dest.c_str()));
  EXPECT_FALSE(context.appendix.has_value());  // scripts and inputs report nothing
  const std::string page = readBytes(dest);
  const bool hasScript = exists(dir.file("page.AXS"));
  if (std::getenv("TW_UPDATE_GOLDEN")) {
    writeBytes(goldenPath(c, "expected.htm"), page);
    if (hasScript) writeBytes(goldenPath(c, "expected.AXS"), readBytes(dir.file("page.AXS")));
  }
  EXPECT_EQ(readBytes(goldenPath(c, "expected.htm")), page);
  ASSERT_EQ(c.scriptFile, hasScript);
  if (hasScript) {
    EXPECT_EQ(readBytes(goldenPath(c, "expected.AXS")), readBytes(dir.file("page.AXS")));
  }
  EXPECT_EQ(c.guards, countOf(page, kGuardMarker + 1));
}

// Converting the converted page again removes the old guards and script
// references: one guard per input and at most one for the script file, the
// same script file, and the same page apart from empty lines (each removed
// guard leaves the LF in front of it).
TEST_P(GoldenPage, ReconvertingReplacesOldGuardsAndReferences) {
  const GoldenCase& c = GetParam();
  TempDir dir;
  ConversionContext context;
  const std::string first = dir.file("page.htm");
  ASSERT_EQ(1, convertFile(context, goldenPath(c, "source.htm").c_str(), first.c_str()));
  const std::string firstScript = c.scriptFile ? readBytes(dir.file("page.AXS")) : "";
  ASSERT_TRUE(std::filesystem::create_directories(dir.path() / "again"));
  const std::string second = dir.file("again/page.htm");
  ASSERT_EQ(1, convertFile(context, first.c_str(), second.c_str()));
  const std::string page = readBytes(second);
  EXPECT_EQ(c.guards, countOf(page, kGuardMarker + 1));
  EXPECT_EQ(c.scriptFile ? 1 : 0, countOf(page, "SRC=\\\"page.AXS\\\""));
  EXPECT_EQ(withoutEmptyLines(fromTextMode(readBytes(first))), withoutEmptyLines(fromTextMode(page)));
  EXPECT_EQ(c.scriptFile, exists(dir.file("again/page.AXS")));
  if (c.scriptFile) {
    EXPECT_EQ(firstScript, readBytes(dir.file("again/page.AXS")));
  }
}

INSTANTIATE_TEST_SUITE_P(Scripts, GoldenPage, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<GoldenCase>& info) { return std::string(info.param.folder); });

}  // namespace
}  // namespace engine
