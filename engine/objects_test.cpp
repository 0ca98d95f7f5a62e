#include "engine/objects.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "engine/driver.h"
#include "engine/property_files.h"
#include "engine/scan.h"
#include "engine/tag_loop.h"
#include "testing/temp_dir.h"

namespace engine {
namespace {

using testing_support::exists;
using testing_support::TempDir;

constexpr std::time_t kFixedTime = 1234567890;
const char kTimer[] = "CLSID:59CCB4A0-727D-11CF-AC36-00AA00A47DD2";
const char kLabel[] = "CLSID:98FBE040-5A24-11CF-8B11-00AA00C00903";
const char kLayoutDescription[] = "ActiveX Layout Control ** FINE TUNING MAY BE REQUIRED **";

using Comments = std::vector<std::pair<std::string, std::string>>;  // text, description

std::string commentText(const Comments& comments) {
  char stamp[26];
  formatTimestamp(stamp, kFixedTime);
  std::string text;
  for (const auto& c : comments) {
    text += std::string("\n<!-- ** ") + stamp + " ** Tarnwick conversion added \"" + c.first + "\" for " + c.second +
            " -->";
  }
  return text;
}

struct Converted {
  std::string page;
  std::optional<std::string> appendix;
  std::optional<std::size_t> lastObjectClose;
};

Converted convert(const std::string& page, unsigned useOdsFiles = 0, const std::string& dest = "page.htm") {
  ConversionContext context;
  context.clock = [] { return kFixedTime; };
  context.useOdsFiles = useOdsFiles;
  context.inputLength = static_cast<std::uint32_t>(page.size());
  ScriptCollection scripts(0);
  Converted result;
  EXPECT_EQ(1, convertText(context, page.c_str(), &result.page, &scripts, dest.c_str()));
  result.appendix = context.appendix;
  result.lastObjectClose = context.lastObjectClose;
  return result;
}

int countOf(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// The text of the generated EMBED: the first one that starts a line (any
// EMBED of the page stands behind other markup in these pages).
std::string embedText(const std::string& page) {
  const std::size_t start = page.find("\n<EMBED");
  const std::size_t end = page.find("></OBJECT>", start);
  if (start == std::string::npos || end == std::string::npos) return "(no EMBED)";
  return page.substr(start + 7, end - start - 7);
}

// One object per row, without property files: the EMBED text built for it and
// the comments it records.
TEST(ObjectConversion, EmbedTextAndComments) {
  struct Case {
    const char* what;
    const char* page;
    const char* embed;
    Comments comments;
  };
  const Case cases[] = {
      // Names: ID is written as NAME; the later of ID and NAME names the object.
      {"id then name", "<OBJECT ID=\"a\" NAME=\"b\" CLASSID=\"x\" WIDTH=5></OBJECT>",
       " NAME=\"a\" NAME=\"b\" CLASSID=\"x\" WIDTH=5 TYPE=\"application/oleobject\"  HEIGHT=1 ", {{"HEIGHT=1", "b"}}},
      {"name then id", "<OBJECT NAME=b id = a WIDTH=5 HEIGHT=6></OBJECT>",
       " NAME=b NAME= a WIDTH=5 HEIGHT=6 TYPE=\"application/oleobject\" ", {}},
      {"idx is not id", "<OBJECT IDX=a WIDTH=5 HEIGHT=6></OBJECT>",
       " IDX=a WIDTH=5 HEIGHT=6 TYPE=\"application/oleobject\" ", {}},
      // Sizes: zero readings are replaced and reported, others copied.
      {"zero width", "<OBJECT CLASSID=\"x\" WIDTH=0 HEIGHT=\"50%\"></OBJECT>",
       " CLASSID=\"x\" WIDTH=1 HEIGHT=\"50%\" TYPE=\"application/oleobject\" ", {{"WIDTH=1", "unnamed object"}}},
      {"zero height quoted", "<OBJECT ID=z WIDTH=3 HEIGHT=\"0px\"></OBJECT>",
       " NAME=z WIDTH=3 HEIGHT=1 TYPE=\"application/oleobject\" ", {{"HEIGHT=1", "z"}}},
      {"sizes without digits", "<OBJECT WIDTH=abc HEIGHT=-0></OBJECT>",
       " WIDTH=1 HEIGHT=1 TYPE=\"application/oleobject\" ",
       {{"WIDTH=1", "unnamed object"}, {"HEIGHT=1", "unnamed object"}}},
      {"empty width is present", "<OBJECT WIDTH=\"\" HEIGHT=2></OBJECT>",
       " WIDTH=1 HEIGHT=2 TYPE=\"application/oleobject\" ", {{"WIDTH=1", "unnamed object"}}},
      {"long and huge sizes", "<OBJECT WIDTH=123456789012 HEIGHT=99999999999999999999999></OBJECT>",
       " WIDTH=123456789012 HEIGHT=99999999999999999999999 TYPE=\"application/oleobject\" ", {}},
      {"no sizes", "<OBJECT ID=x></OBJECT>", " NAME=x TYPE=\"application/oleobject\"  WIDTH=1 HEIGHT=1 ",
       {{"WIDTH=1", "x"}, {"HEIGHT=1", "x"}}},
      // The layout control: by class, by ALXPATH, by an .alx value.
      {"layout class", "<OBJECT CLASSID=\"clsid:812ae312-8b8e-11cf-93c8-00aa00c08fdf\"></OBJECT>",
       " CLASSID=\"clsid:812ae312-8b8e-11cf-93c8-00aa00c08fdf\" TYPE=\"application/oleobject\"  WIDTH=150 HEIGHT=150 ",
       {{"WIDTH=150", kLayoutDescription}, {"HEIGHT=150", kLayoutDescription}}},
      {"alxpath param", "<OBJECT ID=L HEIGHT=7><PARAM NAME=alxpath VALUE=x></OBJECT>",
       " NAME=L HEIGHT=7 TYPE=\"application/oleobject\" PARAM_alxpath=\"x\" WIDTH=150 ",
       {{"WIDTH=150", kLayoutDescription}}},
      {"alx value", "<OBJECT ID=L><PARAM NAME=Src VALUE=\"a.ALX\"></OBJECT>",
       " NAME=L TYPE=\"application/oleobject\" PARAM_Src=\"a.ALX\" WIDTH=150 HEIGHT=150 ",
       {{"WIDTH=150", kLayoutDescription}, {"HEIGHT=150", kLayoutDescription}}},
      {"zero width of a layout control is reported as written",
       "<OBJECT WIDTH=0 HEIGHT=9><PARAM NAME=ALXPATH VALUE=p></OBJECT>",
       " WIDTH=1 HEIGHT=9 TYPE=\"application/oleobject\" PARAM_ALXPATH=\"p\" ", {{"WIDTH=1", kLayoutDescription}}},
      {"not layout", "<OBJECT WIDTH=2 HEIGHT=2><PARAM NAME=ALXPATHS VALUE=\"a.b.alx\"></OBJECT>",
       " WIDTH=2 HEIGHT=2 TYPE=\"application/oleobject\" PARAM_ALXPATHS=\"a.b.alx\" ", {}},
      // DATA becomes SRC; DATAFLD stays; a TYPE of the page keeps TYPE out.
      {"data", "<OBJECT DATA=\"movie.avi\" WIDTH=1 HEIGHT=1></OBJECT>",
       " SRC=\"movie.avi\" WIDTH=1 HEIGHT=1 TYPE=\"application/oleobject\" ", {}},
      {"datafld", "<OBJECT DATAFLD=x WIDTH=1 HEIGHT=1></OBJECT>",
       " DATAFLD=x WIDTH=1 HEIGHT=1 TYPE=\"application/oleobject\" ", {}},
      {"type given", "<OBJECT TYPE=\"application/x-foo\" WIDTH=1 HEIGHT=1></OBJECT>",
       " TYPE=\"application/x-foo\" WIDTH=1 HEIGHT=1 ", {}},
      // CODEBASE on its own line: added attributes follow its layout.
      {"codebase separator", "<OBJECT ID=a\n  CODEBASE=\"x.cab\">\n  <PARAM NAME=p VALUE=v>\n</OBJECT>",
       " NAME=a\n  CODEBASE=\"x.cab\"\n  TYPE=\"application/oleobject\" \n  PARAM_p=\"v\"\n  WIDTH=1\n  HEIGHT=1 \n",
       {{"WIDTH=1", "a"}, {"HEIGHT=1", "a"}}},
      {"codebase without blank", "<OBJECT <!--c-->CODEBASE=y></OBJECT>",
       " <!--c-->CODEBASE=y TYPE=\"application/oleobject\" WIDTH=1 HEIGHT=1 ",
       {{"WIDTH=1", "unnamed object"}, {"HEIGHT=1", "unnamed object"}}},
      // PARAMs: end tags passed, one without NAME dropped, comments passed.
      {"param end tag", "<OBJECT WIDTH=1 HEIGHT=1><PARAM NAME=a VALUE=b> </PARAM></OBJECT>",
       " WIDTH=1 HEIGHT=1 TYPE=\"application/oleobject\" PARAM_a=\"b\" ", {}},
      {"param without name", "<OBJECT WIDTH=1 HEIGHT=1>\n<PARAM VALUE=a>\n<PARAM NAME=b VALUE=c>\n</OBJECT>",
       " WIDTH=1 HEIGHT=1 TYPE=\"application/oleobject\" \n\nPARAM_b=\"c\" \n", {}},
      {"param without value", "<OBJECT WIDTH=1 HEIGHT=1><PARAM NAME=a></OBJECT>",
       " WIDTH=1 HEIGHT=1 TYPE=\"application/oleobject\" PARAM_a=\"\" ", {}},
      {"param in comment",
       "<OBJECT WIDTH=1 HEIGHT=1><!-- <PARAM NAME=x VALUE=y> --><PARAM NAME=a VALUE=b></OBJECT>",
       " WIDTH=1 HEIGHT=1 TYPE=\"application/oleobject\" <!-- <PARAM NAME=x VALUE=y> --> PARAM_a=\"b\" ", {}},
      {"param without blank is another tag", "<OBJECT WIDTH=1 HEIGHT=1><PARAM>x</OBJECT>",
       " WIDTH=1 HEIGHT=1 TYPE=\"application/oleobject\" <PARAM>x", {}},
      {"other content", "<OBJECT WIDTH=1 HEIGHT=1>Sorry <B>no</B></OBJECT>",
       " WIDTH=1 HEIGHT=1 TYPE=\"application/oleobject\" Sorry <B>no</B>", {}},
      // EMBED tags inside: one of an earlier conversion is cut, others stay.
      {"foreign embed", "<OBJECT WIDTH=1 HEIGHT=1><EMBED SRC=\"a.swf\"></OBJECT>",
       " WIDTH=1 HEIGHT=1 TYPE=\"application/oleobject\" <EMBED SRC=\"a.swf\">", {}},
      {"generated embed", "<OBJECT WIDTH=1 HEIGHT=1>\n<EMBED TYPE=\"Application/X-OleObject\" WIDTH=1>\n</OBJECT>",
       " WIDTH=1 HEIGHT=1 TYPE=\"application/oleobject\" \n", {}},
      {"script reference", "<OBJECT WIDTH=1 HEIGHT=1><EMBED SRC=\"page.AXS\" WIDTH=1></OBJECT>",
       " WIDTH=1 HEIGHT=1 TYPE=\"application/oleobject\" ", {}},
      {"property file embed", "<OBJECT WIDTH=1 HEIGHT=1><EMBED\tNAME=x SRC=x.ods></OBJECT>",
       " WIDTH=1 HEIGHT=1 TYPE=\"application/oleobject\" ", {}},
      {"type with more", "<OBJECT WIDTH=1 HEIGHT=1><EMBED TYPE=\"application/oleobject2\"></OBJECT>",
       " WIDTH=1 HEIGHT=1 TYPE=\"application/oleobject\" <EMBED TYPE=\"application/oleobject2\">", {}},
      {"earlier embed of a data object",
       "<OBJECT DATA=\"m.avi\" TYPE=\"video/avi\" WIDTH=1 HEIGHT=1>\n<EMBED SRC=\"m.avi\" TYPE=\"video/avi\" "
       "WIDTH=1 HEIGHT=1 >\n</OBJECT>",
       " SRC=\"m.avi\" TYPE=\"video/avi\" WIDTH=1 HEIGHT=1 \n", {}},
      {"own embed of a data object", "<OBJECT DATA=\"m.swf\" TYPE=\"x/y\"><EMBED SRC=\"m.swf\" HEIGHT=5></OBJECT>",
       " SRC=\"m.swf\" TYPE=\"x/y\"  WIDTH=1 HEIGHT=1 <EMBED SRC=\"m.swf\" HEIGHT=5>",
       {{"WIDTH=1", "unnamed object"}, {"HEIGHT=1", "unnamed object"}}},
      {"own embed not closing the element",
       "<OBJECT DATA=\"m.avi\" WIDTH=1 HEIGHT=1><EMBED SRC=\"m.avi\" WIDTH=1 HEIGHT=1>text</OBJECT>",
       " SRC=\"m.avi\" WIDTH=1 HEIGHT=1 TYPE=\"application/oleobject\" <EMBED SRC=\"m.avi\" WIDTH=1 HEIGHT=1>text", {}},
      // A start tag left open up to the end tag.
      {"open start tag", "<OBJECT ID=a WIDTH=1 HEIGHT=1</OBJECT>",
       " NAME=a WIDTH=1 HEIGHT=1 TYPE=\"application/oleobject\" ", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Converted result = convert(c.page);
    EXPECT_EQ(c.embed, embedText(result.page));
    EXPECT_EQ(!c.comments.empty(), result.appendix.has_value());
    EXPECT_EQ(commentText(c.comments), result.appendix.value_or(""));
    // The OBJECT keeps its markup, apart from EMBED tags of an earlier conversion.
    if (std::string(c.what).find("embed") == std::string::npos && c.what != std::string("script reference")) {
      const std::string page = c.page;
      EXPECT_EQ(page.substr(0, page.size() - 9), result.page.substr(0, page.size() - 9));
    }
  }
}

// Corners of the content walks where a step decided inline must agree with
// the general scanners: end tags behind comments, comments behind text,
// values with stray quotes, cut values.
TEST(ObjectConversion, WalksKeepTheirCorners) {
  struct Case {
    const char* what;
    std::string page;
    const char* embed;
    Comments comments;
  };
  const Case cases[] = {
      {"param end tag behind a comment",
       "<OBJECT WIDTH=1 HEIGHT=1><PARAM NAME=a VALUE=b> <!-- c --> </PARAM></OBJECT>",
       " WIDTH=1 HEIGHT=1 TYPE=\"application/oleobject\" PARAM_a=\"b\" ", {}},
      {"param end tag behind lines and a comment",
       "<OBJECT WIDTH=1 HEIGHT=1><PARAM NAME=a VALUE=b>\n  <!-- c -->\n  </PARAM  >\n</OBJECT>",
       " WIDTH=1 HEIGHT=1 TYPE=\"application/oleobject\" PARAM_a=\"b\" \n", {}},
      {"param end tags with blanks after the bracket",
       "<OBJECT WIDTH=1 HEIGHT=1><PARAM NAME=a VALUE=b>< /PARAM><PARAM NAME=c VALUE=d><<!-- x -->/PARAM></OBJECT>",
       " WIDTH=1 HEIGHT=1 TYPE=\"application/oleobject\" PARAM_a=\"b\" PARAM_c=\"d\" ", {}},
      {"comment behind text",
       "<OBJECT WIDTH=1 HEIGHT=1>text <!-- <PARAM NAME=x VALUE=y> --> more<PARAM NAME=a VALUE=b></OBJECT>",
       " WIDTH=1 HEIGHT=1 TYPE=\"application/oleobject\" text <!-- <PARAM NAME=x VALUE=y> --> more PARAM_a=\"b\" ", {}},
      {"tabs and comments between words",
       "<OBJECT\tWIDTH=1 HEIGHT=1>ab\tcd <!--x-->\t<!--y--> ef<PARAM\nNAME=a\nVALUE=b\n></OBJECT>",
       "\tWIDTH=1 HEIGHT=1 TYPE=\"application/oleobject\" ab\tcd <!--x-->\t<!--y--> ef PARAM_a=\"b\" ", {}},
      {"text behind a closing quote belongs to the value",
       "<OBJECT WIDTH=\"0\"1 HEIGHT=\"2\"x\"3\" ID=\"q></OBJECT>",
       " WIDTH=1 HEIGHT=\"2\"x\"3\" NAME=\"q> TYPE=\"application/oleobject\" ", {{"WIDTH=1", "q"}}},
      {"an unterminated quote runs to the end",
       "<OBJECT WIDTH = \"7\" HEIGHT=<!-- c -->5 NAME=\"unterminated></OBJECT>",
       " WIDTH = \"7\" HEIGHT=<!-- c -->5 NAME=\"unterminated> TYPE=\"application/oleobject\" ", {}},
      {"a quote ends an unquoted value",
       "<OBJECT WIDTH=1 HEIGHT=1><PARAM NAME=a VALUE=x\"y z><PARAM NAME=\"\" VALUE=q></OBJECT>",
       " WIDTH=1 HEIGHT=1 TYPE=\"application/oleobject\" PARAM_a=\"x\" ", {}},
      {"an extension with a stray quote", "<OBJECT ID=x><PARAM NAME=a VALUE=\"1.ALX\"x></OBJECT>",
       " NAME=x TYPE=\"application/oleobject\" PARAM_a=\"1.ALX\"\" WIDTH=1 HEIGHT=1 ",
       {{"WIDTH=1", "x"}, {"HEIGHT=1", "x"}}},
      // Only the kept 255 bytes are read: the 1 behind them does not count.
      {"a size read from its kept bytes", "<OBJECT WIDTH=\"" + std::string(255, '0') + "1\" HEIGHT=1></OBJECT>",
       " WIDTH=1 HEIGHT=1 TYPE=\"application/oleobject\" ", {{"WIDTH=1", "unnamed object"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Converted result = convert(c.page);
    EXPECT_EQ(c.embed, embedText(result.page));
    EXPECT_EQ(commentText(c.comments), result.appendix.value_or(""));
    EXPECT_EQ(c.page.substr(0, c.page.size() - 9), result.page.substr(0, c.page.size() - 9));
  }
}

// The values of the start tag are read as the attribute reader reads them.
TEST(ObjectConversion, StartTagValuesMatchTheAttributeReader) {
  const std::string longValue(300, 'v');
  const char* const attributes[] = {
      "WIDTH=\"12\"", "WIDTH=\"1\"2\"3\" ", "WIDTH = <!--c--> 7>", "WIDTH=\"", "WIDTH=\"\"", "WIDTH=a\"b",
      "CLASSID=\"clsid:x\"", "NAME=\"unterminated", "ID=i NAME=n", "NAME=n ID=i", "TYPE=\"t y\">",
  };
  std::vector<std::string> tags(std::begin(attributes), std::end(attributes));
  tags.push_back("NAME=\"" + longValue + "\"");
  tags.push_back("CLASSID=" + longValue);
  for (const std::string& tag : tags) {
    SCOPED_TRACE(tag);
    const std::string content = " " + tag;
    std::vector<char> buffer(content.begin(), content.end());
    buffer.push_back('\0');
    TextBuffer embed;
    const char* embedMark = buffer.data();
    ObjectFields fields;
    readObjectStartTag(buffer.data(), embed, embedMark, fields);
    auto owned = [](const std::optional<std::string_view>& v) {
      return v ? std::optional<std::string>(std::string(*v)) : std::nullopt;
    };
    // The reader's value of each name, the later occurrence winning.
    auto readerValue = [&content](const char* name) {
      std::optional<std::string> found;
      std::string value;
      for (const char* p = content.c_str() + 1; *p; ++p) {
        if (p[-1] == ' ' && readAttribute(name, p, &value) != p) found = value;
      }
      return found;
    };
    const std::optional<std::string> width = readerValue("width");
    EXPECT_EQ(width, owned(fields.width));
    EXPECT_EQ(readerValue("classid"), owned(fields.classId));
    EXPECT_EQ(readerValue("type"), owned(fields.typeValue));
    const std::size_t idAt = content.find(" ID=");
    const std::size_t nameAt = content.find(" NAME=");
    const char* lastName = idAt != std::string::npos && (nameAt == std::string::npos || idAt > nameAt) ? "id" : "name";
    EXPECT_EQ(readerValue(lastName), owned(fields.objectName));
  }
}

TEST(ObjectConversion, AttributesAreSeparatedOnce) {
  struct Case { const char* before; const char* prefix; const char* after; };
  const Case cases[] = {
      {"<EMBED", "", "<EMBED A=\"v\""},  // no prefix: one SPACE
      {"<EMBED ", "", "<EMBED A=\"v\""},  // none behind whitespace
      {"x\t", "", "x\tA=\"v\""},
      {"", "", " A=\"v\""},             // an empty text does not end in whitespace
      {"x", "\n  ", "x\n  A=\"v\""},     // a prefix stands as it is
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.before);
    TextBuffer out;
    out.append(c.before);
    appendAttribute(out, c.prefix, "A=\"v\"");
    EXPECT_EQ(c.after, out.view());
  }
}

// The EMBED text's buffer keeps every byte across its growth.
TEST(ObjectConversion, TextBufferKeepsItsTextAsItGrows) {
  for (std::size_t pieceSize : {std::size_t{1}, std::size_t{7}, std::size_t{255}, std::size_t{1000}}) {
    SCOPED_TRACE(pieceSize);
    TextBuffer buffer;
    std::string expected;
    for (int i = 0; i < 50; ++i) {
      const std::string piece(pieceSize, static_cast<char>('a' + i % 26));
      buffer.append(piece);
      buffer.push_back('|');
      expected += piece + "|";
    }
    EXPECT_EQ(expected, buffer.view());
    buffer.pop_back();
    expected.pop_back();
    EXPECT_EQ(expected, buffer.view());
    buffer.release();
    EXPECT_TRUE(buffer.empty());
    buffer.append("again");
    EXPECT_EQ("again", buffer.view());
  }
}

TEST(ObjectConversion, SizeReadingSeesOnlyItsBytes) {
  struct Case {
    std::string_view value;
    bool zero;
  };
  const char digits[] = "0012";
  const Case cases[] = {
      {std::string_view(digits, 2), 1}, {std::string_view(digits, 3), 0}, {std::string_view(digits, 0), 1},
      {" \t\v+0px", 1},                 {"-01", 0},                        {"+-0", 1},
      {"\x0b" "5", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.value));
    EXPECT_EQ(c.zero, sizeReadingIsZero(c.value));
  }
}

TEST(ObjectConversion, WholeMarkupAroundTheEmbed) {
  struct Case {
    const char* page;
    const char* converted;
  };
  const Case cases[] = {
      // The EMBED repeats the object's indentation on a fresh line...
      {"<P>\n  <OBJECT WIDTH=1 HEIGHT=1></OBJECT>\n",
       "<P>\n  <OBJECT WIDTH=1 HEIGHT=1>\n  <EMBED WIDTH=1 HEIGHT=1 TYPE=\"application/oleobject\" ></OBJECT>\n"},
      // ...without an empty line when the content already ends on one.
      {"<P>\n\t<OBJECT WIDTH=1 HEIGHT=1>\n\t</OBJECT>",
       "<P>\n\t<OBJECT WIDTH=1 HEIGHT=1>\n\t\t<EMBED WIDTH=1 HEIGHT=1 TYPE=\"application/oleobject\" \n\t></OBJECT>"},
      // After text on the line: a line break, and a SPACE in front of the OBJECT.
      {"x<OBJECT WIDTH=1 HEIGHT=1></OBJECT>y",
       "x <OBJECT WIDTH=1 HEIGHT=1>\n<EMBED WIDTH=1 HEIGHT=1 TYPE=\"application/oleobject\" ></OBJECT>y"},
      {"ab  <object width=1 height=1></object >",
       "ab  <OBJECT width=1 height=1>\n<EMBED width=1 height=1 TYPE=\"application/oleobject\" ></OBJECT>"},
      // Not elements: left as they are.
      {"<OBJECT WIDTH=1>no end tag", "<OBJECT WIDTH=1>no end tag"},
      {"<!-- <OBJECT></OBJECT> -->", "<!-- <OBJECT></OBJECT> -->"},
      {"<OBJECT WIDTH=1></ OBJECT>", "<OBJECT WIDTH=1></ OBJECT>"},
      // The start tag left open: nothing past the element is read.
      {"<OBJECT ID=a WIDTH=1 HEIGHT=1</OBJECT><P>after</P>",
       "<OBJECT ID=a WIDTH=1 HEIGHT=1\n<EMBED NAME=a WIDTH=1 HEIGHT=1 TYPE=\"application/oleobject\" ></OBJECT><P>after</P>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.page);
    EXPECT_EQ(c.converted, convert(c.page).page);
  }
}

// The markup of one object outgrows every budget of its size when its
// CODEBASE separator is long: it is repeated for TYPE, WIDTH and HEIGHT.
TEST(ObjectConversion, MarkupBeyondItsBudgetGrows) {
  const std::string separator = "\n" + std::string(1000, ' ');
  const std::string page = "<OBJECT" + separator + "CODEBASE=x></OBJECT>";
  const std::string expected = "<OBJECT" + separator + "CODEBASE=x>\n<EMBED" + separator + "CODEBASE=x" + separator +
                               "TYPE=\"application/oleobject\" " + separator + "WIDTH=1" + separator + "HEIGHT=1 ></OBJECT>";
  const Converted result = convert(page);
  EXPECT_EQ(expected, result.page);
  EXPECT_GT(result.page.size(), 3 * (page.size() - 16) + 50);
}

// Values keep their first 255 bytes in the EMBED text; the OBJECT keeps them
// whole.
TEST(ObjectConversion, LongValuesAreCutInTheEmbedOnly) {
  const std::string value(300, 'v');
  const std::string name(300, 'n');
  const std::string page = "<OBJECT ID=" + name + " WIDTH=1 HEIGHT=1><PARAM NAME=p VALUE=\"" + value + "\"></OBJECT>";
  const Converted result = convert(page);
  EXPECT_EQ(0u, result.page.find(page.substr(0, page.size() - 9)));
  EXPECT_NE(std::string::npos, result.page.find(" PARAM_p=\"" + value.substr(0, 255) + "\" "));
  EXPECT_EQ(std::string::npos, result.page.find(value.substr(0, 256) + "\" "));
  // The name (cut) still names the comment of a missing size.
  const Converted unsized = convert("<OBJECT NAME=" + name + "></OBJECT>");
  EXPECT_EQ(commentText({{"WIDTH=1", name.substr(0, 255)}, {"HEIGHT=1", name.substr(0, 255)}}),
            unsized.appendix.value_or(""));
}

TEST(ObjectConversion, TheLoopStateDescribesTheLastConvertedObject) {
  const std::string page =
      "<BODY>\n  <OBJECT ID=one WIDTH=1 HEIGHT=1></OBJECT>\n"
      "      <OBJECT ID=two WIDTH=1 HEIGHT=1>\n      </OBJECT>\n"
      "<OBJECT ID=open WIDTH=1 HEIGHT=1>\n</BODY>\n";
  ConversionContext context;
  ScriptCollection scripts(0);
  std::string out;
  const Destination destination = *Destination::of("page.htm");
  TagLoop loop{context, scripts, destination, page.c_str(), page.c_str() + page.size(), page.c_str(), out,
               std::nullopt};
  for (std::size_t at = page.find('<'); at != std::string::npos; at = page.find('<', at + 1)) {
    const char* position = page.c_str() + at;
    if (position < loop.mark) continue;
    const char* behind = handleObjectElement(loop, position);
    if (behind != position) at = static_cast<std::size_t>(behind - page.c_str()) - 1;
  }
  flushText(out, loop.mark, loop.inputEnd);
  ASSERT_TRUE(context.lastObjectClose.has_value());
  EXPECT_EQ(out.find("</OBJECT>", out.find("ID=two")), *context.lastObjectClose);
  EXPECT_EQ("\n      ", loop.objectIndent.value_or("(none)"));
  EXPECT_TRUE(loop.insertPointFixed);
  EXPECT_NE(std::string::npos, out.find("<OBJECT ID=open WIDTH=1 HEIGHT=1>\n</BODY>\n"));
  EXPECT_EQ(2, countOf(out, "<EMBED"));
}

// Conversions running at the same time on several threads each build their
// objects in buffers of their own.
TEST(ObjectConversion, ConcurrentConversionsKeepTheirObjectsApart) {
  std::vector<std::string> pages;
  for (int t = 0; t < 4; ++t) {
    std::string page = "<BODY>\n";
    for (int i = 0; i < 1000; ++i) {
      const std::string name = "T" + std::to_string(t) + "_" + std::to_string(i);
      page += "  <OBJECT ID=" + name + " WIDTH=" + std::to_string(i + 1) + "><PARAM NAME=p VALUE=\"" +
              std::string(static_cast<std::size_t>(i % 50), static_cast<char>('a' + t)) + "\"></OBJECT>\n";
    }
    pages.push_back(page + "</BODY>\n");
  }
  std::vector<Converted> expected;
  for (const std::string& page : pages) expected.push_back(convert(page));
  std::vector<Converted> results(pages.size());
  std::vector<std::thread> threads;
  for (std::size_t t = 0; t < pages.size(); ++t) {
    threads.emplace_back([&, t] {
      for (int run = 0; run < 10; ++run) results[t] = convert(pages[t]);
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (std::size_t t = 0; t < pages.size(); ++t) {
    EXPECT_EQ(expected[t].page, results[t].page);
    EXPECT_EQ(expected[t].appendix, results[t].appendix);
  }
}

TEST(ObjectConversion, AnObjectWithoutAUsableClassIsCopiedUnchangedAndReportsNothing) {
  TempDir dir;
  const std::string dest = dir.file("page.htm");
  const char* const pages[] = {
      "<P>\n<OBJECT ID=x></OBJECT>\n",                                  // no CLASSID
      "<P>\n<OBJECT ID=x CLASSID=\"CLSID:59CCB4A0-727D-11CF\"></OBJECT>\n",  // too short
  };
  for (const char* page : pages) {
    SCOPED_TRACE(page);
    const Converted result = convert(page, 1, dest);
    EXPECT_EQ(page, result.page);
    EXPECT_FALSE(result.appendix.has_value());
    EXPECT_FALSE(result.lastObjectClose.has_value());
    EXPECT_FALSE(exists(dir.file("x.ODS")));
  }
  // A failed object between converted ones keeps the earlier comments and
  // the later object's.
  const Converted mixed = convert(
      std::string("<OBJECT ID=a CLASSID=\"") + kTimer + "\" HEIGHT=1></OBJECT><OBJECT ID=b></OBJECT>" +
          "<OBJECT ID=c CLASSID=\"" + kLabel + "\" WIDTH=1></OBJECT>",
      1, dest);
  EXPECT_EQ(commentText({{"WIDTH=1", "a"}, {"HEIGHT=1", "c"}}), mixed.appendix.value_or(""));
  EXPECT_NE(std::string::npos, mixed.page.find("<OBJECT ID=b></OBJECT>"));
}

TEST(ObjectConversion, PropertyFilesAreNamedAndWrittenPerObject) {
  TempDir dir;
  const std::string dest = dir.file("page.html");
  // Label1.ODS already holds another class: the object gets Label1_1.ODS.
  ASSERT_EQ(1, writeOdsFile(dir.file("Label1.ODS").c_str(), kTimer));
  const std::string page = std::string("<OBJECT CLASSID=\"") + kTimer + "\" WIDTH=1 HEIGHT=1></OBJECT>\n" +
                           "<OBJECT CLASSID=\"{59ccb4a0-727d-11cf-ac36-00aa00a47dd2}\" WIDTH=1 HEIGHT=1></OBJECT>\n" +
                           "<OBJECT CLASSID=\"" + kLabel + "\" WIDTH=1 HEIGHT=1></OBJECT>\n" +
                           "<OBJECT ID=Label1 CLASSID=\"" + kLabel + "\" WIDTH=1 HEIGHT=1></OBJECT>\n" +
                           "<OBJECT DATA=\"x.ods\" CLASSID=\"" + kLabel + "\" WIDTH=1 HEIGHT=1></OBJECT>\n";
  const Converted result = convert(page, 1, dest);
  std::vector<std::string> sources;
  for (std::size_t at = result.page.find("SRC=\""); at != std::string::npos; at = result.page.find("SRC=\"", at + 1)) {
    sources.push_back(result.page.substr(at + 5, result.page.find('"', at + 5) - at - 5));
  }
  const std::vector<std::string> expected = {"page.ODS", "page.ODS", "page_1.ODS", "Label1_1.ODS", "x.ods"};
  EXPECT_EQ(expected, sources);
  EXPECT_EQ(std::string::npos, result.page.find("TYPE="));
  std::string text;
  ASSERT_EQ(1, readOdsClassId(&text, dir.file("page.ODS").c_str()));
  EXPECT_EQ(0, sameClassId(text.c_str(), kTimer));
  ASSERT_EQ(1, readOdsClassId(&text, dir.file("page_1.ODS").c_str()));
  EXPECT_EQ(0, sameClassId(text.c_str(), kLabel));
  ASSERT_EQ(1, readOdsClassId(&text, dir.file("Label1_1.ODS").c_str()));
  EXPECT_EQ(0, sameClassId(text.c_str(), kLabel));
  ASSERT_EQ(1, readOdsClassId(&text, dir.file("Label1.ODS").c_str()));
  EXPECT_EQ(0, sameClassId(text.c_str(), kTimer));  // left alone
  EXPECT_FALSE(exists(dir.file("x.ODS")));
  EXPECT_FALSE(exists(dir.file("page_2.ODS")));
}

// Each comment carries the time the clock gives when it is written: a clock
// that moves on between two comments gives them different stamps, also across
// conversions with the same context.
TEST(ObjectConversion, CommentsStampedWithTheClockOfTheirMoment) {
  ConversionContext context;
  std::time_t now = kFixedTime;
  context.clock = [&now] { return now++; };
  const std::string page = "<OBJECT ID=A CLASSID=\"x\"></OBJECT>\n";  // no WIDTH, no HEIGHT: two comments
  std::string expected;
  for (int run = 0; run < 2; ++run) {
    ScriptCollection scripts(0);
    std::string out;
    ASSERT_EQ(1, convertText(context, page.c_str(), &out, &scripts, "page.htm"));
    ASSERT_TRUE(context.appendix.has_value());
    std::string stamps;
    for (std::size_t at = context.appendix->find("** "); at != std::string::npos;
         at = context.appendix->find("** ", at + 3)) {
      stamps += context.appendix->substr(at + 3, 24) + "|";
      at = context.appendix->find(" **", at + 3);
    }
    char first[26], second[26];
    formatTimestamp(first, kFixedTime + 2 * run);
    formatTimestamp(second, kFixedTime + 2 * run + 1);
    EXPECT_EQ(std::string(first) + "|" + second + "|", stamps);
  }
}

}  // namespace
}  // namespace engine
