#include <gtest/gtest.h>

#include "common/ascii.h"
#include "common/format.h"
#include "common/version.h"

namespace common {
namespace {

TEST(Ascii, FoldsAsciiLettersOnly) {
  EXPECT_EQ(0, compareNoCase("OBJECT x", "object y", 6));
  EXPECT_GT(0, compareNoCase("abc", "abd", 3));
  EXPECT_EQ(0, compareNoCase("ab", "AB", 10));  // both end at the NUL
  EXPECT_NE(0, compareNoCase("ab", "ABC", 3));
  EXPECT_NE(0, compareNoCase("\xC4", "\xE4", 1));  // no folding above 127
  EXPECT_TRUE(equalsNoCase("HtmlFile", "htmlfile"));
  EXPECT_FALSE(equalsNoCase("htmlfile", "htmlfile2"));
  EXPECT_TRUE(startsWithNoCase("VBScript1", "vbscript"));
  EXPECT_FALSE(startsWithNoCase("vb", "vbscript"));
  EXPECT_EQ("software\\tarnwick \xC4@[`{", toLowerAscii("SOFTWARE\\Tarnwick \xC4@[`{"));
  EXPECT_TRUE(kHtmlSpace(' ') && kHtmlSpace('\t') && kHtmlSpace('\r') && kHtmlSpace('\n'));
  EXPECT_FALSE(kHtmlSpace('\v') || kHtmlSpace('\0') || kHtmlSpace('\xA0'));
}

TEST(Format, FillsTheFirstPercentSOnly) {
  const struct {
    const char* fmt;
    const char* arg;
    const char* text;
  } rows[] = {
      {"Could not create folder %s.", "D:\\out", "Could not create folder D:\\out."},
      {"%s and %s", "a", "a and %s"},
      {"100%% of %s", "x", "100% of x"},
      {"%d stays", "x", "%d stays"},
      {"end %", "x", "end %"},
      {"%s", "%s %%", "%s %%"},  // the argument is never read as a format
  };
  for (const auto& row : rows) EXPECT_EQ(row.text, formatText(row.fmt, row.arg)) << row.fmt;
}

TEST(Version, OneNumberInEveryForm) {
  EXPECT_STREQ("1.0.0.1", TW_VERSION_TEXT);
  EXPECT_STREQ("1, 0, 0, 1", TW_VERSION_RESOURCE_TEXT);
  const int binary[] = {TW_VERSION_BINARY};
  EXPECT_EQ(1, binary[0]);
  EXPECT_EQ(1, binary[3]);
}

}  // namespace
}  // namespace common
