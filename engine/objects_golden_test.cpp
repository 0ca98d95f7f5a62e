// Golden pages: each case folder under testdata/objects holds input.htm, the
// exact file expected.htm that converting it must write (page and conversion
// comments, CR LF on disk; "@STAMP@" stands for the comment time), and the
// property files the conversion must write beside it, under their own names.
#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "engine/driver.h"
#include "testing/golden.h"
#include "testing/temp_dir.h"

namespace engine {
namespace {

using testing_support::exists;
using testing_support::GoldenFile;
using testing_support::readBytes;
using testing_support::TempDir;

constexpr std::time_t kFixedTime = 1700000000;

std::string goldenPath(const std::string& caseName, const std::string& file) {
  return std::string(TESTDATA_DIR) + "/objects/" + caseName + "/" + file;
}

std::string stamp() {
  char text[26];
  formatTimestamp(text, kFixedTime);
  return text;
}

int countOf(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

struct GoldenCase {
  const char* name;
  unsigned useOdsFiles;
  int embeds;                              // EMBED tags in the converted page
  std::vector<std::string> propertyFiles;  // written beside the page, and nothing else
  bool hasComments;
};

const GoldenCase kCases[] = {
    {"label", 0, 1, {}, true},
    {"label_ods", 1, 1, {"Label1.ODS"}, true},
    {"layout", 1, 1, {"Layout1.ODS"}, true},
    {"several", 1, 5, {"page.ODS", "page_1.ODS", "Chart.ODS"}, true},
    {"no_objects", 1, 1, {}, false},
};

ConversionContext makeContext(unsigned useOdsFiles) {
  ConversionContext context;
  context.clock = [] { return kFixedTime; };
  context.useOdsFiles = useOdsFiles;
  return context;
}

TEST(ObjectGolden, PagesConvertByteForByte) {
  for (const GoldenCase& c : kCases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    ConversionContext context = makeContext(c.useOdsFiles);
    const std::string dest = dir.file("page.htm");
    ASSERT_TRUE(exists(goldenPath(c.name, "input.htm")));
    ASSERT_EQ(1, convertFile(context, goldenPath(c.name, "input.htm").c_str(), dest.c_str()));
    std::vector<GoldenFile> files = {{"page.htm", "expected.htm"}};
    for (const std::string& name : c.propertyFiles) files.push_back({name, name});
    testing_support::expectGoldenFiles(goldenPath(c.name, ""), dir.path(), files, {{"@STAMP@", stamp()}});
    EXPECT_EQ(c.embeds, countOf(readBytes(dest), "<EMBED"));
    EXPECT_EQ(c.hasComments, context.appendix.has_value());
  }
}

// Converting a converted page again replaces the generated EMBED tags instead
// of adding more: one EMBED per object, and the same property files.
TEST(ObjectGolden, ConvertingTwiceKeepsOneEmbedPerObject) {
  for (const GoldenCase& c : kCases) {
    SCOPED_TRACE(c.name);
    TempDir firstDir;
    TempDir secondDir;
    ConversionContext context = makeContext(c.useOdsFiles);
    const std::string first = firstDir.file("page.htm");
    const std::string second = secondDir.file("page.htm");
    ASSERT_EQ(1, convertFile(context, goldenPath(c.name, "input.htm").c_str(), first.c_str()));
    ASSERT_EQ(1, convertFile(context, first.c_str(), second.c_str()));
    const std::string once = readBytes(first);
    const std::string twice = readBytes(second);
    EXPECT_EQ(c.embeds, countOf(twice, "<EMBED"));
    EXPECT_EQ(countOf(once, "PARAM_"), countOf(twice, "PARAM_"));
    EXPECT_EQ(countOf(once, "SRC="), countOf(twice, "SRC="));
    EXPECT_EQ(countOf(once, "TYPE=\"application/oleobject\""), countOf(twice, "TYPE=\"application/oleobject\""));
    for (const std::string& name : c.propertyFiles) {
      EXPECT_EQ(readBytes(firstDir.file(name)), readBytes(secondDir.file(name))) << name;
    }
  }
}

}  // namespace
}  // namespace engine
