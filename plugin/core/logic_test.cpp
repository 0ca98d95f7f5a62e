#include <gtest/gtest.h>

#include <string>

#include "plugin/core/engine_path.h"
#include "plugin/core/failure_message.h"
#include "plugin/core/stream_type.h"

namespace npkirra {
namespace {

TEST(DefaultEnginePath, ReplacesTheFileNameAfterTheLastBackslash) {
  struct Case {
    const char* module;
    const char* engine;
  };
  const Case cases[] = {
      {"C:\\Program Files\\Navigator\\Plugins\\NPKIRRA.DLL", "C:\\Program Files\\Navigator\\Plugins\\PLEXARO.DLL"},
      {"C:\\NPKIRRA.DLL", "C:\\PLEXARO.DLL"},
      {"C:\\a.b\\c\\npkirra", "C:\\a.b\\c\\PLEXARO.DLL"},
      {"Z:\\dir\\", "Z:\\dir\\PLEXARO.DLL"},
      {"NPKIRRA.DLL", "PLEXARO.DLL"},  // no backslash at all
      {"", "PLEXARO.DLL"},
      {"C:/unix/style/NPKIRRA.DLL", "PLEXARO.DLL"},  // only backslashes separate
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.module);
    EXPECT_EQ(c.engine, defaultEnginePath(c.module));
  }
}

TEST(DefaultEnginePath, LongPathIsNotCut) {
  const std::string dir = "C:\\" + std::string(250, 'd') + "\\";
  EXPECT_EQ(dir + "PLEXARO.DLL", defaultEnginePath(dir + "NPKIRRA.DLL"));
}

TEST(GuessStreamType, ByExtensionFromTheLastDot) {
  struct Case {
    const char* url;
    const char* type;  // null: the browser's type stands
  };
  const Case cases[] = {
      {"http://h/p/photo.jpg", "image/jpeg"},
      {"http://h/p/PHOTO.JPG", "image/jpeg"},
      {"http://h/p/a.JpEg", "image/jpeg"},
      {"http://h/p/anim.gif", "image/gif"},
      {"file:///C|/doc.Pdf", "application/pdf"},
      {"http://h/p/anim.gif?x=1", nullptr},  // text goes on after the extension
      {"http://h/p/anim.gif.html", nullptr},
      {"http://h/p/x.jp", nullptr},
      {"http://h/p/x.jpgg", nullptr},
      {"http://h/p/noextension", nullptr},
      {"http://h.example/p/noextension", nullptr},  // last dot is in the host name
      {"", nullptr},
      {nullptr, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url ? c.url : "(null)");
    const char* got = guessStreamType(c.url);
    if (c.type) {
      ASSERT_NE(nullptr, got);
      EXPECT_STREQ(c.type, got);
    } else {
      EXPECT_EQ(nullptr, got);
    }
  }
}

TEST(FormatFailureMessage, FillsPlaceholdersInOrder) {
  EXPECT_EQ(u"Invoke failed with error 0x80020006: Unknown name.",
            formatFailureMessage("Invoke failed with error %s: %s", {u"0x80020006", u"Unknown name."}));
  EXPECT_EQ(u"Invoke failed on argument 3 with error A: B",
            formatFailureMessage("Invoke failed on argument %d with error %s: %s", {3, u"A", u"B"}));
  EXPECT_EQ(u"Colour is not a method or property (0x1: x)",
            formatFailureMessage("%s is not a method or property (%s: %s)", {u"Colour", u"0x1", u"x"}));
  EXPECT_EQ(u"-7 100% ", formatFailureMessage("%d 100%% %s", {-7}));  // missing argument: empty
}

TEST(FormatFailureMessage, NonAsciiTextIsKept) {
  const std::u16string name = u"Gr\u00f6\u00dfe\u4e2d";
  EXPECT_EQ(name + u" is not a method or property (a: b)",
            formatFailureMessage("%s is not a method or property (%s: %s)", {name, u"a", u"b"}));
}

TEST(FormatFailureMessage, LongMessagesAreCutToTheBuffer) {
  const std::u16string longText(400, u'x');
  const std::u16string got = formatFailureMessage("PropertyPut failed with error %s: %s", {u"0x80004005", longText});
  ASSERT_EQ(kFailureMessageCapacity - 1, got.size());
  EXPECT_EQ(u"PropertyPut failed with error 0x80004005: xxx", got.substr(0, 45));
  const std::u16string exact(255 - 2, u'y');
  EXPECT_EQ(u"a " + exact, formatFailureMessage("a %s", {exact}));  // exactly 255 fits whole
}

}  // namespace
}  // namespace npkirra
