#include "engine/property_files.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/scan.h"
#include "testing/temp_dir.h"

namespace engine {
namespace {

using testing_support::exists;
using testing_support::readBytes;
using testing_support::TempDir;
using testing_support::writeBytes;

// The layout control's identifier in the GUID layout.
const std::string kLayoutBytes("\x12\xE3\x2A\x81\x8E\x8B\xCF\x11\x93\xC8\x00\xAA\x00\xC0\x8F\xDF", 16);
const char kLayoutText[] = "{812ae312-8b8e-11cf-93c8-00aa00c08fdf}";
const char kTimer[] = "CLSID:59CCB4A0-727D-11CF-AC36-00AA00A47DD2";
const char kLabel[] = "CLSID:98FBE040-5A24-11CF-8B11-00AA00C00903";

TEST(WriteOdsFile, EveryAcceptedFormGivesTheGuidLayout) {
  const char* const forms[] = {
      "CLSID:812AE312-8B8E-11CF-93C8-00AA00C08FDF",    // prefixed
      "clsid:812ae312-8b8e-11cf-93c8-00aa00c08fdf",    // prefix and digits in lower case
      "{812AE312-8B8E-11CF-93C8-00AA00C08FDF}",        // braced
      "812ae312-8b8e-11CF-93c8-00AA00c08fdf",          // bare, mixed case
      "CLSID:{812AE312-8B8E-11CF-93C8-00AA00C08FDF}",  // prefixed and braced
      "812AE312-8B8E-11CF-93C8-00AA00C08FDF and more", // text behind the last group is ignored
  };
  TempDir dir;
  for (const char* form : forms) {
    SCOPED_TRACE(form);
    const std::string path = dir.file("a.ODS");
    ASSERT_EQ(1, writeOdsFile(path.c_str(), form));
    EXPECT_EQ(kLayoutBytes, readBytes(path));
  }
}

TEST(WriteOdsFile, RefusesUnusableIdentifiersAndWritesNothing) {
  const char* const identifiers[] = {
      "",
      "812AE312-8B8E-11CF-93C8-00AA00C08FD",         // 35 characters
      "CLSID:812AE312-8B8E-11CF-93C8-00AA00C08FD",   // 35 after the prefix
      "812AE31-28B8E-11CF-93C8-00AA00C08FDF",        // groups shifted
      "812AE312-8B8E-11CF-93C8-00AA00C08FDG",        // not hexadecimal
      "812AE312 8B8E-11CF-93C8-00AA00C08FDF",        // a blank for a dash
      "0x2AE312-8B8E-11CF-93C8-00AA00C08FDF",        // a 0x prefix in a field
      "+12AE312-8B8E-11CF-93C8-00AA00C08FDF",        // a sign in a field
      "812AE312-8B8E11CF-93C8-00AA00C08FDF00",       // a dash missing
      "{{812AE312-8B8E-11CF-93C8-00AA00C08FDF}",     // two braces
      "not a class identifier at all, really",
  };
  TempDir dir;
  const std::string path = dir.file("a.ODS");
  for (const char* id : identifiers) {
    SCOPED_TRACE(id);
    EXPECT_EQ(0, writeOdsFile(path.c_str(), id));
    EXPECT_FALSE(exists(path));
  }
  EXPECT_EQ(0, writeOdsFile(path.c_str(), nullptr));
  EXPECT_EQ(0, writeOdsFile("", kTimer));
  EXPECT_EQ(0, writeOdsFile(dir.file("missing/a.ODS").c_str(), kTimer));  // cannot be created
}

TEST(WriteOdsFile, TruncatesALongerFile) {
  TempDir dir;
  const std::string path = dir.file("a.ODS");
  writeBytes(path, std::string(40, 'x'));
  ASSERT_EQ(1, writeOdsFile(path.c_str(), kLayoutText));
  EXPECT_EQ(kLayoutBytes, readBytes(path));
}

TEST(ReadOdsClassId, ReadsTheFirstSixteenBytesBackAsBracedText) {
  TempDir dir;
  std::string text = "unchanged";
  writeBytes(dir.file("exact.ODS"), kLayoutBytes);
  ASSERT_EQ(1, readOdsClassId(&text, dir.file("exact.ODS").c_str()));
  EXPECT_EQ(kLayoutText, text);

  writeBytes(dir.file("long.ODS"), kLayoutBytes + "trailing bytes");
  text.clear();
  ASSERT_EQ(1, readOdsClassId(&text, dir.file("long.ODS").c_str()));
  EXPECT_EQ(kLayoutText, text);

  // CR LF and Ctrl-Z bytes are data in a binary file.
  writeBytes(dir.file("crlf.ODS"), std::string("\r\n\x1A\r\n\r\n\r\n\r\n\r\n\r\n\r\n\x1A", 16));
  ASSERT_EQ(1, readOdsClassId(&text, dir.file("crlf.ODS").c_str()));
  EXPECT_EQ("{0d1a0a0d-0d0a-0d0a-0a0d-0a0d0a0d0a0d}", text);

  writeBytes(dir.file("short.ODS"), kLayoutBytes.substr(0, 15));
  EXPECT_EQ(0, readOdsClassId(&text, dir.file("short.ODS").c_str()));
  EXPECT_EQ(0, readOdsClassId(&text, dir.file("none.ODS").c_str()));
  EXPECT_EQ(0, readOdsClassId(&text, ""));
  EXPECT_EQ(0, readOdsClassId(nullptr, dir.file("exact.ODS").c_str()));
}

TEST(SameClassId, ComparesThirtySixCharactersAfterPrefixAndBrace) {
  struct Case {
    const char* a;
    const char* b;
    bool same;
  };
  const Case cases[] = {
      {kLayoutText, "CLSID:812AE312-8B8E-11CF-93C8-00AA00C08FDF", true},
      {"clsid:{812ae312-8b8e-11cf-93c8-00aa00c08fdf}", "812AE312-8B8E-11CF-93C8-00AA00C08FDF", true},
      {"812AE312-8B8E-11CF-93C8-00AA00C08FDF}", "812AE312-8B8E-11CF-93C8-00AA00C08FDFxyz", true},
      {kLayoutText, kTimer, false},
      {kLayoutText, "CLSID:812AE312-8B8E-11CF-93C8-00AA00C08FDE", false},
      {kLayoutText, "", false},
      {kLayoutText, "CLSID:812AE312", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " / " + c.b);
    EXPECT_EQ(c.same, sameClassId(c.a, c.b) == 0);
    EXPECT_EQ(c.same, sameClassId(c.b, c.a) == 0);
  }
  EXPECT_NE(0, sameClassId(nullptr, kLayoutText));
  EXPECT_NE(0, sameClassId(kLayoutText, nullptr));
}

class NameOdsFile : public ::testing::Test {
 protected:
  NameOdsFile() : destination(*Destination::of(dir.file("page.html").c_str())) {}
  // The file name chosen for an object, or "(none)".
  std::string name(const char* objectName, const char* classId) {
    std::string fileName = "stale";
    std::string filePath = "stale";
    if (!nameOdsFile(platform::systemFileIo(), destination, objectName, &fileName, &filePath, classId)) {
      EXPECT_TRUE(fileName.empty() && filePath.empty());
      return "(none)";
    }
    // The folder as the destination names it, then the file name (compared
    // as bytes: a path object would recode names outside ASCII).
    const std::string page = dir.file("page.html");
    EXPECT_EQ(page.substr(0, page.size() - std::string("page.html").size()) + fileName, filePath);
    return fileName;
  }
  void write(const std::string& fileName, const char* classId) {
    ASSERT_EQ(1, writeOdsFile(dir.file(fileName).c_str(), classId));
  }
  TempDir dir;
  Destination destination;
};

TEST_F(NameOdsFile, UnnamedObjectsShareThePageNameWhileTheClassMatches) {
  EXPECT_EQ("page.ODS", name("", kTimer));
  write("page.ODS", kTimer);
  EXPECT_EQ("page.ODS", name("", kTimer));
  EXPECT_EQ("page.ODS", name(nullptr, "{59ccb4a0-727d-11cf-ac36-00aa00a47dd2}"));
  EXPECT_EQ("page_1.ODS", name("", kLabel));
  write("page_1.ODS", kLabel);
  EXPECT_EQ("page_1.ODS", name("", kLabel));
  EXPECT_EQ("page_2.ODS", name("", kLayoutText));
}

TEST_F(NameOdsFile, NamedObjectsAreNumberedPastFilesOfOtherClasses) {
  EXPECT_EQ("Label1.ODS", name("Label1", kLabel));
  write("Label1.ODS", kLabel);
  EXPECT_EQ("Label1.ODS", name("Label1", kLabel));  // converted again: the same file
  EXPECT_EQ("Label1_1.ODS", name("Label1", kTimer));
  write("Label1_1.ODS", kTimer);
  // A short file never matches; the numbering moves on past it.
  writeBytes(dir.file("Label1_2.ODS"), "short");
  EXPECT_EQ("Label1_3.ODS", name("Label1", kLayoutText));
  // Without a usable identifier no existing file matches either.
  EXPECT_EQ("Label1_3.ODS", name("Label1", ""));
}

TEST_F(NameOdsFile, NamesThatCannotNameAFileInTheFolderUseThePageName) {
  // Device names of Windows, also with an extension or trailing spaces and
  // dots, and COM/LPT with a superscript digit (one ANSI byte or UTF-8).
  const char* const refused[] = {"..\\..\\evil", "../evil", "C:evil", "a*b", "a?b", "a|b", "a\"b", "a<b>",
                                 "tab\there", "CON", "nul", "Aux", "prn", "com1", "LPT9", "con.txt", "NUL.ODS",
                                 "aux.x.y", "CON  ", "prn...", "com1 .htm", "CONIN$", "conout$", "conin$.x",
                                 "COM\xB9", "lpt\xB2", "COM\xB3.x", "COM\xC2\xB9", "LPT\xC2\xB3"};
  for (const char* objectName : refused) EXPECT_EQ("page.ODS", name(objectName, kTimer)) << objectName;
  const char* const accepted[] = {"console", "COM10", "com0", "LPT", "a.b", "..", "x y", "CONIN", "con$",
                                  "COM\xB4", "LPT\xC2\xB4", "xcon", "con_1"};
  for (const char* objectName : accepted) {
    EXPECT_EQ(std::string(objectName) + ".ODS", name(objectName, kTimer)) << objectName;
  }
}

TEST_F(NameOdsFile, PathsBeyondThePathBufferAreRefused) {
  // Directory, name and ".ODS" must fit 259 bytes.
  const std::size_t room = kPathCapacity - 1 - dir.file("").size() - 4;
  EXPECT_EQ(std::string(room, 'n') + ".ODS", name(std::string(room, 'n').c_str(), kTimer));
  EXPECT_EQ("(none)", name(std::string(room + 1, 'n').c_str(), kTimer));
  // The numbered names grow: a taken name whose successor does not fit.
  const std::string longest(room - 1, 'm');
  write(longest + ".ODS", kLabel);
  EXPECT_EQ("(none)", name(longest.c_str(), kTimer));
}

}  // namespace
}  // namespace engine
