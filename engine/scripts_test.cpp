#include "engine/scripts.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/driver.h"
#include "engine/tag_loop.h"

namespace engine {
namespace {

// The guard exactly as a page receives it around markup.
std::string guardAround(const std::string& markup) {
  return "\n<SCRIPT LANGUAGE=\"JavaScript\">\n<!--\n// Tarnwick Brightloom(TM) -- do not remove this comment\n"
         "ua = navigator.appName;\nua = ua.toLowerCase();\n"
         "if ((ua.indexOf('netscape',0)) != -1) {document.writeln('" +
         markup + "');\n}\n//-->\n</SCRIPT>\n";
}

struct Converted {
  std::string page;
  std::string script;  // the script file's text; empty when there is none
  int entries = 0;
};

// Runs the tag loop over page as if converting to destPath.
Converted convertPage(const std::string& page, const char* destPath = "C:\\web\\page.htm") {
  ConversionContext context;
  ScriptCollection scripts(static_cast<std::uint32_t>(page.size()));
  Converted result;
  EXPECT_EQ(1, convertText(context, page.c_str(), &result.page, &scripts, destPath));
  result.entries = scripts.count();
  if (const ScriptEntry* entry = scripts.entry(1)) result.script = entry->text;
  return result;
}

const std::string kReferenceGuard =
    guardAround("<EMBED SRC=\\\"page.AXS\\\" WIDTH=1 HEIGHT=1 LANGUAGE=\\\"VBScript\\\">");

TEST(ScriptAttributes, ReadsForEventAndLanguage) {
  struct Row {
    const char* elementText;
    const char* language;
    const char* forName;
    const char* eventName;
    const char* body;  // null: no body
  } rows[] = {
      {" LANGUAGE=\"VBScript\" FOR=\"Btn\" EVENT=\"onClick\">\nMsgBox 1\n", "VBScript", "Btn", "onClick", "\nMsgBox 1\n"},
      {" event=onLoad for=window language=vbscript>x", "vbscript", "window", "onLoad", "x"},
      {" <!-- a comment --> LANGUAGE=VBScript>x", "VBScript", "", "", "x"},
      {" LANGUAGE = \"vb>s\" >b", "vb>s", "", "", "b"},
      {" LANGUAGEX=1 SRC=a.vbs>x", "", "", "", nullptr},  // a longer name is not LANGUAGE
      {" LANGUAGE=\"\">x", "", "", "", nullptr},
      {">x", "", "", "", nullptr},
      {" LANGUAGE=VBScript", "VBScript", "", "", ""},  // no ">": the body is empty
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.elementText);
    std::string language = "old", forName = "old", eventName = "old";
    const char* body = readScriptAttributes(row.elementText, &language, &forName, &eventName);
    EXPECT_EQ(row.language, language);
    EXPECT_EQ(row.forName, forName);
    EXPECT_EQ(row.eventName, eventName);
    if (row.body) {
      ASSERT_NE(nullptr, body);
      EXPECT_STREQ(row.body, body);
    } else {
      EXPECT_EQ(nullptr, body);
    }
  }
}

TEST(ProcedureEnd, RecognisesEndSubAndEndFunction) {
  struct Row {
    const char* text;
    int expected;
  } rows[] = {
      {"End Sub\n", 1},       {"end  sub ", 1},      {"END \n\tSUB\r", 1}, {"End Function\t", 1},
      {"End\tSub\n", 0},      {"End\nSub\n", 0},     {"End Sub", 0},       {"End Subs\n", 0},
      {"End Function(", 0},   {"End If\n", 0},       {"Ends Sub\n", 0},
  };
  for (const Row& row : rows) EXPECT_EQ(row.expected, isProcedureEnd(row.text)) << row.text;
}

TEST(ProcedureEnd, ChunksEndBehindTheKeywordOutsideStringsAndComments) {
  struct Row {
    const char* text;
    const char* rest;  // what follows the chunk
  } rows[] = {
      {"  x = 1\nEnd Sub\nmore", "\nmore"},
      {"x = \"End Sub \"\nEnd Function\ny", "\ny"},
      {"' End Sub \nEnd Sub\n", "\n"},
      {"x\nrem End Sub \nEnd Sub\n", "\n"},
      {"MsgBox 1\n", ""},
      {"x = 1 End Sub", ""},  // the last text of the body, no blank behind it
  };
  for (const Row& row : rows) EXPECT_STREQ(row.rest, findProcedureEnd(row.text, row.text)) << row.text;
}

TEST(CommentMarkers, LeadingOpenerAndLastCloserAreBlanked) {
  struct Row {
    const char* in;
    const char* out;
  } rows[] = {
      {"\n<!--\nSub A()\nEnd Sub\n-->\n\n", "\n    \nSub A()\nEnd Sub\n   \n\n"},
      {"x <!-- a --> b -->\n", "x <!-- a --> b    \n"},  // an opener after text stays
      {"Sub B\n<!--\nx\n-->\nEnd Sub\n\n", "Sub B\n<!--\nx\n   \nEnd Sub\n\n"},
      {"<!---->", "       "},
      {"  \n", "  \n"},
      {"no markers\n", "no markers\n"},
  };
  for (const Row& row : rows) {
    std::string text = row.in;
    blankCommentMarkers(text);
    EXPECT_EQ(row.out, text) << row.in;
  }
}

TEST(VBScriptBody, FreeAndEventBoundBlocks) {
  struct Row {
    const char* body;
    const char* forName;
    const char* eventName;
    const char* expected;
  } rows[] = {
      // A free block is copied; its trailing LFs become exactly two.
      {"\n<!--\nSub A()\nEnd Sub\n-->\n\n\n", "", "", "\n    \nSub A()\nEnd Sub\n   \n\n"},
      {"", "", "", "\n\n"},
      {"x", "Btn", "", "x\n\n"},  // FOR without EVENT is a free block
      // One statement becomes one Sub without parentheses.
      {"\nMsgBox 1\n", "Btn", "onClick", "Sub Btn_onClick\nMsgBox 1\nEnd Sub\n\n"},
      // Comments and blanks in front of a chunk are not copied.
      {"\n' greet\n  MsgBox 1\n", "Btn", "onClick", "Sub Btn_onClick\nMsgBox 1\nEnd Sub\n\n"},
      // Every procedure end closes a chunk; blanks after the last one still
      // make an (empty) chunk.
      {"\nx\nEnd Sub\ny\nEnd Function\n", "F", "E",
       "Sub F_E\nx\nEnd Sub\nEnd SubSub F_E\ny\nEnd Function\nEnd SubSub F_E\n\nEnd Sub\n\n"},
      // The hiding comment: its opener stays inside the Sub, the closer is blanked.
      {"\n<!--\nMsgBox 1\n-->\n", "Btn", "onClick", "Sub Btn_onClick\n<!--\nMsgBox 1\n   \nEnd Sub\n\n"},
  };
  for (const Row& row : rows) {
    std::string out;
    convertVBScriptBody(row.body, row.forName, row.eventName, out);
    EXPECT_EQ(row.expected, out) << row.body;
  }
}

TEST(JavaScriptBlock, CommentsAnUncommentedCloser) {
  struct Row {
    const char* elementText;
    int replace;
    const char* replacement;
  } rows[] = {
      {" LANGUAGE=\"JavaScript\">\n<!--\nx = 1;\n-->\n", 1,
       "<SCRIPT LANGUAGE=\"JavaScript\">\n<!--\nx = 1;\n//-->\n</SCRIPT>"},
      {" language=javascript>\nx = 1; -->  \n", 1, "<SCRIPT language=javascript>\nx = 1; //-->  \n</SCRIPT>"},
      {" LANGUAGE=JavaScript>\r-->", 1, "<SCRIPT LANGUAGE=JavaScript>\r//--></SCRIPT>"},
      {" LANGUAGE=JavaScript>\n<!--\nx = 1;\n//-->\n", 0, ""},
      {" LANGUAGE=JavaScript>\nx = 1; // done -->\n", 0, ""},
      {" LANGUAGE=JavaScript>\nx = 1;\n", 0, ""},
      {" LANGUAGE=JavaScript>x = 1; -->", 0, ""},  // no line break before it
      {" LANGUAGE=JavaScript>-->", 0, ""},
      // An old guard, found in any letter case, is removed whole.
      {" LANGUAGE=JavaScript>\n<!--\n// TARNWICK Brightloom(tm) -- do not remove this comment\nx\n//-->\n", 1, ""},
  };
  for (const Row& row : rows) {
    std::string language, forName, eventName;
    const char* body = readScriptAttributes(row.elementText, &language, &forName, &eventName);
    ASSERT_NE(nullptr, body);
    std::string out = "stale";
    EXPECT_EQ(row.replace, rewriteJavaScriptBlock(row.elementText, body, out)) << row.elementText;
    if (row.replace) {
      EXPECT_EQ(row.replacement, out) << row.elementText;
    }
  }
}

TEST(ConvertScript, DispatchesOnTheWholeLanguageName) {
  const char* element = " LANGUAGE=x>\nx\n-->\n";
  const char* body = element + 12;
  std::string out = "stale";
  EXPECT_EQ(0, convertScript(element, body, out, "VBSCRIPT", "", ""));
  EXPECT_EQ("\nx\n   \n\n", out);
  EXPECT_EQ(1, convertScript(element, body, out, "javascript", "", ""));
  EXPECT_EQ(0, convertScript(element, body, out, "JavaScript1.1", "", ""));
  EXPECT_EQ("", out);
  EXPECT_EQ(0, convertScript(element, body, out, "vbscript2", "", ""));
}

TEST(NetscapeGuard, FormatIsExact) {
  std::string out = "stale";
  writeNetscapeGuard("<B>", out);
  EXPECT_EQ(guardAround("<B>"), out);
  EXPECT_EQ(std::string("\n// Tarnwick Brightloom(TM) -- do not remove this comment"), kGuardMarker);
  writeNetscapeGuard("", out);
  EXPECT_EQ("", out);
}

TEST(ScriptFileName, BaseNameWithAxsBesideThePage) {
  struct Case { const char* destination; const char* name; const char* path; };
  const Case cases[] = {
      {"C:\\web\\page.htm", "page.AXS", "C:\\web\\page.AXS"},
      {"out/page", "page.AXS", "out/page.AXS"},
      {"C:\\my.dir\\a.b.htm", "a.b.AXS", "C:\\my.dir\\a.b.AXS"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.destination);
    const std::optional<Destination> destination = Destination::of(c.destination);
    ASSERT_TRUE(destination.has_value());
    EXPECT_EQ(c.destination, destination->path);
    EXPECT_EQ(c.name, destination->scriptFileName());
    EXPECT_EQ(c.path, destination->scriptFilePath());
  }
  // A path that does not fit a path buffer, its NUL included, is no destination.
  EXPECT_TRUE(Destination::of(std::string(259, 'p').c_str()).has_value());
  EXPECT_FALSE(Destination::of(std::string(260, 'p').c_str()).has_value());
  EXPECT_FALSE(Destination::of(nullptr).has_value());
}

// --- Whole pages through the tag loop ---------------------------------------

TEST(ScriptPages, VBScriptBlockIsCollectedAndReferencedBeforeTheBodyEnd) {
  const std::string block =
      "<SCRIPT LANGUAGE=\"VBScript\">\n<!--\nSub Hello()\n  MsgBox \"hi\"\nEnd Sub\n-->\n\n</SCRIPT>\n";
  const Converted c = convertPage("<HTML><BODY>\n" + block + "<P>x</P>\n</BODY></HTML>\n");
  EXPECT_EQ("<HTML><BODY>\n" + block + "<P>x</P>\n" + kReferenceGuard.substr(1) + "</BODY></HTML>\n", c.page);
  EXPECT_EQ("\n    \nSub Hello()\n  MsgBox \"hi\"\nEnd Sub\n   \n\n", c.script);
}

TEST(ScriptPages, EventBoundBlockBecomesASub) {
  const Converted c = convertPage("<SCRIPT LANGUAGE=VBScript FOR=Btn EVENT=onClick>\nMsgBox 1\n</SCRIPT>");
  EXPECT_EQ("Sub Btn_onClick\nMsgBox 1\nEnd Sub\n\n", c.script);
}

TEST(ScriptPages, BlocksBackToBackAreBothCollected) {
  const Converted c = convertPage(
      "<SCRIPT LANGUAGE=VBScript>a</SCRIPT><SCRIPT LANGUAGE=vbscript>b</SCRIPT>"
      "<SCRIPT LANGUAGE=VBSCRIPT FOR=x EVENT=y>c</SCRIPT>");
  EXPECT_EQ("a\n\nb\n\nSub x_y\nc\nEnd Sub\n\n", c.script);
}

TEST(ScriptPages, OtherLanguagesAndCommentedBlocksContributeNothing) {
  const char* pages[] = {
      "<SCRIPT>x</SCRIPT></BODY>",
      "<SCRIPT LANGUAGE=JavaScript>x</SCRIPT></BODY>",
      "<SCRIPT LANGUAGE=VBScript.Encode>x</SCRIPT></BODY>",
      "<!-- <SCRIPT LANGUAGE=VBScript>x</SCRIPT> --></BODY>",
      "<SCRIPT LANGUAGE=VBScript>no end tag</BODY>",
  };
  for (const char* page : pages) {
    const Converted c = convertPage(page);
    EXPECT_EQ(0, c.entries) << page;
    EXPECT_EQ(page, c.page);  // no script reference either
  }
}

TEST(ScriptPages, EmptyVBScriptBodyStillMakesTheScriptFile) {
  const Converted c = convertPage("<SCRIPT LANGUAGE=VBScript SRC=x.vbs></SCRIPT>\n</BODY>");
  EXPECT_EQ("\n\n", c.script);
  EXPECT_EQ("<SCRIPT LANGUAGE=VBScript SRC=x.vbs></SCRIPT>\n" + kReferenceGuard.substr(1) + "</BODY>", c.page);
}

TEST(ScriptPages, GuardPlacementWithoutBodyEnd) {
  // Behind the last element a handler copied; with its leading LF when the
  // output does not end in one.
  const Converted c = convertPage("<BODY LANGUAGE=VBScript onLoad=Go><P>text");
  EXPECT_EQ("<BODY LANGUAGE=VBScript onLoad=Go>" + kReferenceGuard + "<P>text", c.page);
  // A BODY tag without ">" is copied to the end of the text.
  const Converted open = convertPage("text <BODY LANGUAGE=VBScript onLoad=Go");
  EXPECT_EQ("text <BODY LANGUAGE=VBScript onLoad=Go" + kReferenceGuard, open.page);
}

TEST(ScriptPages, OldGuardsAndScriptReferencesAreRemoved) {
  const std::string oldGuard = guardAround("<EMBED SRC=\\\"page.AXS\\\">").substr(1);
  const std::string page = "<BODY>\n" + oldGuard + "<EMBED SRC=\"old.axs\" WIDTH=1>\n" +
                           "<EMBED SRC=\"../page.AXS\" WIDTH=1>\n<EMBED SRC=pic.gif>\n" +
                           "<SCRIPT LANGUAGE=VBScript>x</SCRIPT>\n</BODY>";
  const Converted c = convertPage(page);
  EXPECT_EQ("<BODY>\n\n<EMBED SRC=\"../page.AXS\" WIDTH=1>\n<EMBED SRC=pic.gif>\n"
            "<SCRIPT LANGUAGE=VBScript>x</SCRIPT>\n" +
                kReferenceGuard.substr(1) + "</BODY>",
            c.page);
}

TEST(ScriptPages, JavaScriptCloserIsCommentedInThePage) {
  const Converted c = convertPage("<P><script language=\"JavaScript\">\n<!--\nx = 1;\n-->\n</script >\n<P>");
  EXPECT_EQ("<P><SCRIPT language=\"JavaScript\">\n<!--\nx = 1;\n//-->\n</SCRIPT>\n<P>", c.page);
  EXPECT_EQ(0, c.entries);
}

// No page name can break the guard's JavaScript string or the EMBED tag:
// apostrophes and backslashes are escaped for JavaScript, double quotes and
// line breaks written as URL escapes (also in an object's reference).
TEST(ScriptPages, NoPageNameBreaksTheGuardOrTheTag) {
  const struct {
    const char* dest;
    const char* inGuard;   // the SRC value as it stands in the guard
    const char* inObject;  // and as it stands in an object
  } rows[] = {
      {"C:\\web\\bob's.htm", "bob\\'s.AXS", "bob's.AXS"},
      {"/srv/web/say \"hi\".htm", "say %22hi%22.AXS", "say %22hi%22.AXS"},
      {"/srv/web/two\nlines\r.htm", "two%0Alines%0D.AXS", "two%0Alines%0D.AXS"},
      {"/srv/web/it's \"x\".htm", "it\\'s %22x%22.AXS", "it's %22x%22.AXS"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.dest);
    const Converted guarded = convertPage("<SCRIPT LANGUAGE=VBScript>x</SCRIPT>\n</BODY>", row.dest);
    EXPECT_NE(std::string::npos,
              guarded.page.find(std::string("document.writeln('<EMBED SRC=\\\"") + row.inGuard + "\\\" WIDTH=1"))
        << guarded.page;
    const Converted inObject =
        convertPage("<OBJECT CLASSID=\"CLSID:98FBE040-5A24-11CF-8B11-00AA00C00903\"></OBJECT>"
                    "<SCRIPT LANGUAGE=VBScript>x</SCRIPT>",
                    row.dest);
    EXPECT_NE(std::string::npos, inObject.page.find(std::string("<EMBED SRC=\"") + row.inObject + "\" WIDTH=1"))
        << inObject.page;
    // Converted again, the escaped reference is known as the page's own.
    const std::string again = convertPage(inObject.page, row.dest).page;
    const std::size_t first = again.find("WIDTH=1 HEIGHT=1 LANGUAGE=");
    EXPECT_NE(std::string::npos, first);
    EXPECT_EQ(std::string::npos, again.find("WIDTH=1 HEIGHT=1 LANGUAGE=", first + 1)) << again;
  }
}

// The reference inside the last converted object, as the object handler leaves
// the loop state.
TEST(ScriptReferences, InsertedBeforeTheLastObjectsEndTag) {
  ConversionContext context;
  const Destination destination = *Destination::of("/srv/web/page.htm");
  ScriptCollection scripts(100);
  scripts.append("vbScript", "x\n");
  std::string out = "<OBJECT ID=a>\n    <EMBED NAME=a>\n    </OBJECT>\n<P>";
  const char* input = "";
  TagLoop loop{context, scripts, destination, input, input, input, out, std::string("\n    ")};
  context.lastObjectClose = out.find("</OBJECT>");
  emitScriptReferences(loop);
  EXPECT_EQ("<OBJECT ID=a>\n    <EMBED NAME=a>\n    "
            "\n\n    <EMBED SRC=\"page.AXS\" WIDTH=1 HEIGHT=1 LANGUAGE=\"vbScript\">\n\n    "
            "</OBJECT>\n<P>",
            out);
  // Without an indent the reference still stands on its own line.
  std::string bare = "<OBJECT></OBJECT>";
  TagLoop bareLoop{context, scripts, destination, input, input, input, bare, std::nullopt};
  context.lastObjectClose = 8;
  emitScriptReferences(bareLoop);
  EXPECT_EQ("<OBJECT>\n<EMBED SRC=\"page.AXS\" WIDTH=1 HEIGHT=1 LANGUAGE=\"vbScript\">\n</OBJECT>", bare);
}

TEST(ScriptReferences, NothingForAnEmptyCollection) {
  ConversionContext context;
  const Destination destination = *Destination::of("page.htm");
  ScriptCollection scripts(0);
  std::string out = "abc";
  const char* input = "";
  TagLoop loop{context, scripts, destination, input, input, input, out, std::nullopt};
  emitScriptReferences(loop);
  EXPECT_EQ("abc", out);
}

}  // namespace
}  // namespace engine

namespace engine {
namespace {

// Pages stitched from fragments of the constructs handled here, malformed
// ones included: every conversion ends, succeeds, and can be converted again.
TEST(ScriptPages, RandomFragmentPagesConvertAndReconvert) {
  const char* fragments[] = {
      "<SCRIPT LANGUAGE=VBScript>", "<SCRIPT LANGUAGE=\"JavaScript\">", "<SCRIPT FOR=a EVENT=b LANGUAGE=vbscript>",
      "</SCRIPT>", "<!--", "-->", "//-->", "<INPUT TYPE=text NAME=a onClick=x>", "<INPUT TYPE=button VALUE=",
      "<FORM>", "</FORM>", "<BODY LANGUAGE=VBScript onLoad=y onUnload=", "<EMBED SRC=a.axs>", "<EMBED ",
      "\"", "'", "End Sub\n", "Sub Window_OnLoad\n", ">", "<", " ", "\n", "\r", "rem x\n", "</BODY>", "x",
      "\n// Tarnwick Brightloom(TM) -- do not remove this comment\n", "<INPUT", "NAME=", "LANGUAGE=",
  };
  std::uint32_t seed = 2024;
  auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
  for (int round = 0; round < 3000; ++round) {
    std::string page;
    for (unsigned n = next() % 40; n > 0; --n) page += fragments[(next() >> 8) % (sizeof fragments / sizeof *fragments)];
    ConversionContext context;
    ScriptCollection scripts(static_cast<std::uint32_t>(page.size()));
    std::string out;
    ASSERT_EQ(1, convertText(context, page.c_str(), &out, &scripts, "page.htm")) << page;
    ScriptCollection again(static_cast<std::uint32_t>(out.size()));
    std::string twice;
    ASSERT_EQ(1, convertText(context, out.c_str(), &twice, &again, "page.htm")) << out;
  }
}

}  // namespace
}  // namespace engine

namespace engine {
namespace {

// Unclosed SCRIPT start tags are no elements: the page passes through
// unchanged. (bench/hostile_bench shows that such pages stay linear.)
TEST(ScriptPages, UnclosedScriptTagsPassThrough) {
  std::string page;
  for (int i = 0; i < 2000; ++i) page += "<SCRIPT LANGUAGE=JavaScript> x = 1; <P>text\n";
  ConversionContext context;
  ScriptCollection scripts(static_cast<std::uint32_t>(page.size()));
  std::string out;
  ASSERT_EQ(1, convertText(context, page.c_str(), &out, &scripts, "page.htm"));
  EXPECT_EQ(page, out);
  EXPECT_EQ(0, scripts.count());
}

}  // namespace
}  // namespace engine
