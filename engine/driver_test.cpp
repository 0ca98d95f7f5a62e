#include "engine/driver.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/text_file.h"
#include "testing/temp_dir.h"

namespace engine {
namespace {

using testing_support::exists;
using testing_support::readBytes;
using testing_support::TempDir;
using testing_support::writeBytes;

// A page the engine claims nothing of: comments with tags inside, malformed
// tags, end tags of every kind, CR LF and lone CR line ends.
const char kPlainPage[] =
    "<HTML>\r\n<HEAD><TITLE>Plain</TITLE></HEAD>\r\n"
    "<!-- <OBJECT CLASSID=\"x\"></OBJECT> </BODY> -->\r\n"
    "<BODY BGCOLOR=white>\r\n<P>Text with < and > and <<< \"quotes\r\n"
    "<A HREF=\"a.htm\">link</A>\r<BR>\r\n"
    "<FORM><INPUT TYPE=text NAME=x></FORM>\r\n"
    "< /BODY >\r\n</HTML>\r\n";

TEST(ConvertFile, PassesAPlainPageThroughByteForByte) {
  TempDir dir;
  writeBytes(dir.file("in.htm"), kPlainPage);
  ConversionContext context;
  EXPECT_EQ(1, convertFile(context, dir.file("in.htm").c_str(), dir.file("out.htm").c_str()));
  EXPECT_EQ(kPlainPage, readBytes(dir.file("out.htm")));
  EXPECT_FALSE(context.appendix.has_value());
  EXPECT_FALSE(exists(dir.file("out.AXS")));
  EXPECT_EQ(sizeof kPlainPage - 1, context.sourceSize);
  EXPECT_EQ(sizeof kPlainPage - 1 - 9, context.inputLength);  // nine CR LF pairs read as LF
}

TEST(ConvertFile, NullPathsFailWithoutTouchingAnything) {
  ConversionContext context;
  context.appendix = "old";
  EXPECT_EQ(0, convertFile(context, nullptr, "x.htm"));
  EXPECT_EQ(0, convertFile(context, "x.htm", nullptr));
  EXPECT_EQ(0u, context.sourceSize);
}

TEST(ConvertFile, EmptySourceGivesAnEmptyPage) {
  TempDir dir;
  writeBytes(dir.file("empty.htm"), "");
  writeBytes(dir.file("out.htm"), "an earlier page");
  ConversionContext context;
  context.appendix = "comments of an earlier run";
  EXPECT_EQ(1, convertFile(context, dir.file("empty.htm").c_str(), dir.file("out.htm").c_str()));
  EXPECT_TRUE(exists(dir.file("out.htm")));
  EXPECT_EQ("", readBytes(dir.file("out.htm")));
  EXPECT_FALSE(exists(dir.file("out.AXS")));
  EXPECT_FALSE(context.appendix.has_value());
  EXPECT_EQ("", context.failure);
}

TEST(ConvertFile, FailuresWriteNothing) {
  TempDir dir;
  writeBytes(dir.file("in.htm"), "<P>a</P>");
  ConversionContext context;
  // A destination that does not fit a path buffer.
  const std::string longDest = dir.file(std::string(300, 'd') + ".htm");
  EXPECT_EQ(0, convertFile(context, dir.file("in.htm").c_str(), longDest.c_str()));
  EXPECT_EQ("cannot write '" + longDest + "': path longer than 259 characters", context.failure);
  // A NUL byte would cut the page short: the page is refused whole.
  writeBytes(dir.file("zero-byte.htm"), std::string("ab\0cd", 5));
  EXPECT_EQ(0, convertFile(context, dir.file("zero-byte.htm").c_str(), dir.file("zero-byte-out.htm").c_str()));
  EXPECT_EQ("cannot convert '" + dir.file("zero-byte.htm") + "': holds a NUL byte", context.failure);
  EXPECT_FALSE(exists(dir.file("zero-byte-out.htm")));
}

TEST(ConvertFile, UnwritableDestinationFails) {
  TempDir dir;
  writeBytes(dir.file("in.htm"), "<P>a</P>");
  ConversionContext context;
  EXPECT_EQ(0, convertFile(context, dir.file("in.htm").c_str(), dir.file("no-such-dir/out.htm").c_str()));
}

TEST(ConvertFile, ContextIsReusedAcrossConversions) {
  TempDir dir;
  writeBytes(dir.file("a.htm"), "first");
  writeBytes(dir.file("b.htm"), "second page");
  ConversionContext context;
  EXPECT_EQ(1, convertFile(context, dir.file("a.htm").c_str(), dir.file("a-out.htm").c_str()));
  EXPECT_EQ(1, convertFile(context, dir.file("b.htm").c_str(), dir.file("b-out.htm").c_str()));
  EXPECT_EQ("second page", readBytes(dir.file("b-out.htm")));
  EXPECT_EQ("first", readBytes(dir.file("a-out.htm")));
}

// A page whose output is many times its size is written while it is
// converted; the file holds exactly what the conversion in memory gives, with
// the script reference in the last object, in a guard at the end of the body,
// or at the end of the page.
TEST(ConvertFile, WritesALargeOutputAsItGoes) {
  std::string inputs;
  for (int i = 0; i < 3000; ++i) inputs += "<INPUT TYPE=text NAME=T" + std::to_string(i) + " VALUE=v>\r\n";
  const std::string object = "<OBJECT ID=L CLASSID=\"CLSID:98FBE040-5A24-11CF-8B11-00AA00C00903\"></OBJECT>\r\n";
  const std::string pages[] = {
      "<BODY>\r\n" + inputs + "</BODY>\r\n",
      "<BODY>\r\n" + object + inputs + object + inputs + "</BODY>\r\n",
      "<BODY>\r\n" + object + inputs + inputs + "</BODY>\r\n",
      inputs + object + inputs,
  };
  TempDir dir;
  for (const std::string& page : pages) {
    writeBytes(dir.file("in.htm"), page);
    ConversionContext context;
    context.clock = [] { return std::time_t(86400); };
    ASSERT_EQ(1, convertFile(context, dir.file("in.htm").c_str(), dir.file("out.htm").c_str()));
    const std::string file = readBytes(dir.file("out.htm"));
    const std::string scriptFile = readBytes(dir.file("out.AXS"));

    ConversionContext inMemory;
    inMemory.clock = context.clock;
    const std::string text = fromTextMode(page);
    ScriptCollection scripts(static_cast<std::uint32_t>(page.size()));
    std::string output;
    ASSERT_EQ(1, convertText(inMemory, text.c_str(), &output, &scripts, dir.file("out.htm").c_str()));
    ASSERT_GT(output.size(), 10 * text.size() / 2);  // large enough to be written in parts
    EXPECT_EQ(toTextMode(output + inMemory.appendix.value_or("")), file);
    ASSERT_NE(nullptr, scripts.entry(0));
    EXPECT_EQ(toTextMode(scripts.entry(0)->text), scriptFile);
  }
}

TEST(ConvertText, ArgumentChecks) {
  ConversionContext context;
  ScriptCollection scripts(0);
  std::string out;
  EXPECT_EQ(0, convertText(context, nullptr, &out, &scripts, "d.htm"));
  EXPECT_EQ(0, convertText(context, "x", nullptr, &scripts, "d.htm"));
  EXPECT_EQ(0, convertText(context, "x", &out, nullptr, "d.htm"));
  EXPECT_EQ(0, convertText(context, "x", &out, &scripts, nullptr));
  EXPECT_EQ(0, convertText(context, "x", &out, &scripts, ""));
  // A destination that does not fit a path buffer names no side file.
  EXPECT_EQ(0, convertText(context, "x", &out, &scripts, std::string(260, 'd').c_str()));
  EXPECT_EQ(1, convertText(context, "x", &out, &scripts, std::string(259, 'd').c_str()));
  EXPECT_EQ(1, convertText(context, "y", &out, &scripts, "d.htm"));
  EXPECT_EQ("y", out);
}

TEST(ConvertText, CountsObjectsOutsideCommentsBeforeTheLoop) {
  ConversionContext context;
  ScriptCollection scripts(0);
  std::string out;
  const char* page =
      "<OBJECT a></OBJECT>< object>x</object><!-- <OBJECT> --><OBJECTS><object\n"
      "<INPUT x><input>";
  EXPECT_EQ(1, convertText(context, page, &out, &scripts, "d.htm"));
  EXPECT_EQ(3, context.objectCount);
  // The output is reserved from the counts: 150 bytes per object, 400 per input.
  EXPECT_GE(out.capacity(), std::string(page).size() + 150 * 3 + 400 * 2 + 1024);
}

}  // namespace
}  // namespace engine

namespace engine {
namespace {

// Where the script reference lands: the tag loop fixes the place at the first
// BODY or HTML end tag it meets (whitespace and comments allowed around the
// name), unless an object was converted before.
TEST(ConvertText, EndOfBodyFixesTheReferencePlace) {
  const std::string block = "<SCRIPT LANGUAGE=\"VBScript\">\nSub A\nEnd Sub\n</SCRIPT>\n";
  const std::string guardStart = "<SCRIPT LANGUAGE=\"JavaScript\">\n<!--\n// Tarnwick Brightloom(TM)";
  struct Case {
    std::string page;
    std::string before;  // the text the guard must directly precede
  };
  const Case cases[] = {
      {"<BODY>\n" + block + "<P>x</P>\n</BODY>\n</HTML>\n", "</BODY>\n</HTML>\n"},
      {"<BODY>\n" + block + "<P>x</P>\n< /BODY >\n</HTML>\n", "< /BODY >\n</HTML>\n"},
      {"<BODY>\n" + block + "<P>x</P>\n</BODY x>\n</HTML>\n", "</HTML>\n"},                // not an end of body
      {"<BODY>\n" + block + "<P>x</P>\n<!-- </BODY> -->\n</html>\n", "</html>\n"},         // hidden in a comment
      {"<BODY>\n" + block + "<P>x</P>\n</ <!--c--> BODY>\n</HTML>\n", "</HTML>\n"},       // "/" must touch the name
      {"<BODY>\n" + block + "<P>x</P>\n<<!--c-->/BODY<!--d-->>\n", "<<!--c-->/BODY<!--d-->>\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.page);
    ConversionContext context;
    ScriptCollection scripts(static_cast<std::uint32_t>(c.page.size()));
    std::string out;
    ASSERT_EQ(1, convertText(context, c.page.c_str(), &out, &scripts, "page.htm"));
    const std::size_t guard = out.find(guardStart);
    ASSERT_NE(std::string::npos, guard);
    const std::size_t guardEnd = out.find("</SCRIPT>\n", guard) + 10;
    EXPECT_EQ(c.before, out.substr(guardEnd));
    EXPECT_EQ(std::string::npos, out.find(guardStart, guard + 1));  // one guard only
  }
}

}  // namespace
}  // namespace engine
