// Golden pages: each folder under TW_SCRIPTS_TESTDATA holds source.htm (CR LF,
// as saved on Windows), and the exact files a conversion to page.htm writes:
// expected.htm ("@STAMP@" standing for the time of conversion comments) and,
// when the page has VBScript, expected.AXS.
// Setting TW_UPDATE_GOLDEN=1 rewrites the expected files from the current
// output; review the difference before committing it.
#include <gtest/gtest.h>

#include <cctype>
#include <ctime>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "engine/driver.h"
#include "engine/scripts.h"
#include "engine/text_file.h"
#include "engine/timestamp.h"
#include "testing/golden.h"
#include "testing/temp_dir.h"

namespace engine {
namespace {

using testing_support::exists;
using testing_support::readBytes;
using testing_support::TempDir;
using testing_support::GoldenFile;
using testing_support::replaceAll;

struct GoldenCase {
  const char* folder;
  int guards;  // Netscape guards in the converted page: inputs outside forms, plus the script reference
  bool scriptFile;
  int objects;  // OBJECT elements in the page
};

const GoldenCase kCases[] = {
    {"page", 6, true, 0},
    {"own_onload", 6, true, 0},
    {"javascript_only", 0, false, 0},
    {"with_objects", 1, true, 2},  // the script reference goes into the last object
};

constexpr std::time_t kFixedTime = 1700000000;
const std::string kStampPlaceholder = "@STAMP@";

std::string stamp() {
  char text[26];
  formatTimestamp(text, kFixedTime);
  return text;
}

ConversionContext fixedTimeContext() {
  ConversionContext context;
  context.clock = [] { return kFixedTime; };
  return context;
}

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

std::string lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// Checks every OBJECT element of a converted page: exactly one EMBED generated
// for it, and the script reference inside the last one only.
void checkObjects(const GoldenCase& c, const std::string& page) {
  const std::string lowered = lower(page);
  int objects = 0;
  for (std::size_t at = lowered.find("<object"); at != std::string::npos; at = lowered.find("<object", at + 1)) {
    ++objects;
    const std::size_t end = lowered.find("</object>", at);
    ASSERT_NE(std::string::npos, end);
    const std::string element = lowered.substr(at, end - at);
    const bool last = lowered.find("<object", end) == std::string::npos;
    EXPECT_EQ(1, countOf(element, "type=\"application/oleobject\"")) << "object " << objects;
    EXPECT_EQ(last && c.scriptFile ? 1 : 0, countOf(element, "<embed src=\"page.axs\"")) << "object " << objects;
  }
  EXPECT_EQ(c.objects, objects);
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

// The text without whitespace and without conversion comments (which each
// conversion appends anew).
std::string withoutSpaceAndComments(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text.compare(i, 8, "<!-- ** ") == 0) {
      const std::size_t end = text.find("-->", i);
      if (end != std::string::npos) {
        i = end + 2;
        continue;
      }
    }
    if (!std::isspace(static_cast<unsigned char>(text[i]))) out += text[i];
  }
  return out;
}

class GoldenPage : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(GoldenPage, ConvertsToTheExpectedFiles) {
  const GoldenCase& c = GetParam();
  ASSERT_TRUE(exists(goldenPath(c, "source.htm"))) << goldenPath(c, "source.htm");
  TempDir dir;
  ConversionContext context = fixedTimeContext();
  const std::string dest = dir.file("page.htm");
  ASSERT_EQ(1, convertFile(context, goldenPath(c, "source.htm").c_str(), dest.c_str()));
  EXPECT_EQ(c.objects > 0, context.appendix.has_value());  // scripts and inputs report nothing
  std::vector<GoldenFile> files = {{"page.htm", "expected.htm"}};
  if (c.scriptFile) files.push_back({"page.AXS", "expected.AXS"});
  testing_support::expectGoldenFiles(goldenPath(c, ""), dir.path(), files, {{kStampPlaceholder, stamp()}});
  const std::string page = readBytes(dest);
  EXPECT_EQ(c.guards, countOf(page, kGuardMarker + 1));
  checkObjects(c, page);
}

// Converting the converted page again removes the old guards and script
// references: one guard per input and at most one for the script file, one
// generated EMBED per object, the same script file, and the same page apart
// from empty lines (each removed guard leaves the LF in front of it) or, with
// objects, apart from whitespace and the conversion comments.
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
  EXPECT_EQ(c.scriptFile ? 1 : 0, countOf(page, "SRC=\\\"page.AXS\\\"") + countOf(page, "SRC=\"page.AXS\""));
  checkObjects(c, page);
  if (c.objects == 0) {
    EXPECT_EQ(withoutEmptyLines(fromTextMode(readBytes(first))), withoutEmptyLines(fromTextMode(page)));
  } else {
    EXPECT_EQ(withoutSpaceAndComments(readBytes(first)), withoutSpaceAndComments(page));
  }
  EXPECT_EQ(c.scriptFile, exists(dir.file("again/page.AXS")));
  if (c.scriptFile) {
    EXPECT_EQ(firstScript, readBytes(dir.file("again/page.AXS")));
  }
}

INSTANTIATE_TEST_SUITE_P(Scripts, GoldenPage, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<GoldenCase>& info) { return std::string(info.param.folder); });

}  // namespace
}  // namespace engine
