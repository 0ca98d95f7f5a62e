#include "desktop/core/dialog_logic.h"

#include <gtest/gtest.h>

namespace desktop {
namespace {

TEST(DialogLogic, ConvertNeedsBothPaths) {
  EXPECT_FALSE(convertEnabled("", ""));
  EXPECT_FALSE(convertEnabled("a", ""));
  EXPECT_FALSE(convertEnabled("", "b"));
  EXPECT_TRUE(convertEnabled("a", "b"));
  EXPECT_TRUE(convertEnabled(" ", " "));  // text as typed, no trimming
}

TEST(DialogLogic, FilterBecomesNulSeparated) {
  const std::string filter = pickerFilter(kPickerFilter);
  const char expected[] = "Hypertext Document (*.html;*.htm)\0*.html; *.htm\0All Files (*.*)\0*.*\0";
  EXPECT_EQ(std::string(expected, sizeof expected), filter);  // ends in two NULs
  EXPECT_EQ('\0', filter.c_str()[filter.size()]);
}

TEST(DialogLogic, PickerStartsFromTheEditText) {
  struct Case {
    const char* text;
    const char* fileName;
    const char* extension;
  };
  const Case cases[] = {
      {"", "", ""},
      {"page.htm", "page.htm", "htm"},
      {"C:\\web\\page.html", "C:\\web\\page.html", "html"},
      {"archive.tar.gz", "archive.tar.gz", "gz"},
      {"page", "page", ""},
      {"page.", "page.", ""},
      {"C:\\my.dir\\page", "C:\\my.dir\\page", ""},  // the '.' of a folder is no extension
      {"out/my.dir/page", "out/my.dir/page", ""},
      {".htm", ".htm", "htm"},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(t.text);
    const PickerStart start = pickerStart(t.text);
    EXPECT_EQ(t.fileName, start.fileName);
    EXPECT_EQ(t.extension, start.defaultExtension);
  }
}

TEST(DialogLogic, PickerStartIsReadUpToItsCapacity) {
  const std::string text = std::string(300, 'a') + ".htm";
  const PickerStart start = pickerStart(text);
  EXPECT_EQ(std::string(260, 'a'), start.fileName);
  EXPECT_EQ("", start.defaultExtension);
}

TEST(DialogLogic, AboutCommandsShareTheMaskedId) {
  for (unsigned id = 0x0010; id <= 0x001F; ++id) EXPECT_TRUE(isAboutCommand(id)) << id;
  for (unsigned id : {0x0000u, 0x000Fu, 0x0020u, 0x0110u, 0xF060u /* SC_CLOSE */, 0xF020u /* SC_MINIMIZE */})
    EXPECT_FALSE(isAboutCommand(id)) << id;
}

TEST(DialogLogic, MinimisedIconIsCentred) {
  struct Case {
    int w, h, cx, cy, x, y;
  };
  const Case cases[] = {
      {160, 24, 32, 32, 64, -3},  // a minimised frame is lower than the icon: (24 - 32 + 1) / 2 rounds toward zero
      {33, 33, 32, 32, 1, 1},
      {32, 32, 32, 32, 0, 0},
      {100, 50, 16, 16, 42, 17},
  };
  for (const Case& t : cases) {
    const IconOrigin o = centredIconOrigin(t.w, t.h, t.cx, t.cy);
    EXPECT_EQ(t.x, o.x) << t.w;
    EXPECT_EQ(t.y, o.y) << t.h;
  }
}

TEST(DialogLogic, ServerStartIsASeparateSwitch) {
  EXPECT_TRUE(isServerStart("/Embedding"));
  EXPECT_TRUE(isServerStart("-embedding"));
  EXPECT_TRUE(isServerStart("  /AUTOMATION  "));
  EXPECT_TRUE(isServerStart("page.htm -Automation"));
  EXPECT_FALSE(isServerStart(""));
  EXPECT_FALSE(isServerStart("Embedding"));
  EXPECT_FALSE(isServerStart("/Embeddings"));
  EXPECT_FALSE(isServerStart("C:\\x/Embedding"));
}

}  // namespace
}  // namespace desktop
