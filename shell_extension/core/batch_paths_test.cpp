#include "shell_extension/core/batch_paths.h"

#include <gtest/gtest.h>

namespace morvane {
namespace {

TEST(JoinPath, OneSeparatorBetweenTheParts) {
  struct Case { const char* a; const char* b; const char* joined; };
  const Case cases[] = {
      {"D:\\out", "index.htm", "D:\\out\\index.htm"},
      {"D:\\out\\", "index.htm", "D:\\out\\index.htm"},     // one trailing separator dropped
      {"D:\\out", "\\sub", "D:\\out\\sub"},                 // one leading separator dropped
      {"D:\\out\\\\", "\\\\x", "D:\\out\\\\\\x"},           // only one each
      {"D:\\out", "", "D:\\out\\"},                         // empty rel: the folder with a separator
      {"C:\\", "*.*", "C:\\*.*"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " + " + c.b);
    EXPECT_EQ(c.joined, joinPath(c.a, c.b, '\\'));
  }
  EXPECT_EQ("/out/a.htm", joinPath("/out/", "a.htm", '/'));
}

TEST(CommonPrefixLength, CountsUpToTheFirstDifferenceIgnoringCase) {
  struct Case { const char* a; const char* b; std::size_t n; };
  const Case cases[] = {
      {"C:\\site\\index.htm", "C:\\site\\", 8},
      {"c:\\SITE\\sub", "C:\\site", 7},
      {"C:\\site", "C:\\site\\", 0},  // a shorter than b
      {"C:\\other\\x", "C:\\site", 3},
      {"abc", "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " / " + c.b);
    EXPECT_EQ(c.n, commonPrefixLength(c.a, c.b));
  }
}

TEST(ReplaceExtension, FromTheLastDot) {
  std::string p = "D:\\out\\a.b.htm";
  EXPECT_TRUE(replaceExtension(p, "axs"));
  EXPECT_EQ("D:\\out\\a.b.axs", p);
  std::string none = "D:\\out\\README";
  EXPECT_FALSE(replaceExtension(none, "axs"));
  EXPECT_EQ("D:\\out\\README", none);
}

TEST(CutToParentFolder, MovesUpOneFolderPerCallAndEnds) {
  std::string p = "C:\\site\\gone\\a.htm";
  ASSERT_TRUE(cutToParentFolder(p, '\\'));
  EXPECT_EQ("C:\\site\\gone\\", p);
  ASSERT_TRUE(cutToParentFolder(p, '\\'));
  EXPECT_EQ("C:\\site\\", p);
  ASSERT_TRUE(cutToParentFolder(p, '\\'));
  EXPECT_EQ("C:\\", p);
  EXPECT_FALSE(cutToParentFolder(p, '\\'));  // "C:" has nothing left to cut at
  std::string slashes = "C:/site/a.htm";     // '/' is accepted as well
  ASSERT_TRUE(cutToParentFolder(slashes, '\\'));
  EXPECT_EQ("C:/site/", slashes);
  std::string bare = "a.htm";
  EXPECT_FALSE(cutToParentFolder(bare, '/'));
}

}  // namespace
}  // namespace morvane
