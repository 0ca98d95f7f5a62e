#include "engine/inputs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "engine/driver.h"
#include "engine/scan.h"
#include "engine/scripts.h"
#include "engine/tag_loop.h"

namespace engine {
namespace {

std::string controlGuard(const std::string& classId, const std::string& name, int width, int height) {
  std::string guard;
  writeNetscapeGuard("<EMBED TYPE=\\\"application/oleobject\\\" CLASSID=\\\"" + classId + "\\\" NAME=\\\"" + name +
                         "\\\" WIDTH=" + std::to_string(width) + " HEIGHT=" + std::to_string(height) + ">",
                     guard);
  return guard;
}

struct Converted {
  std::string page;
  std::string script;
};

// The page converted with "\n</BODY>" added, which receives the script
// reference (tested with the script blocks); both are taken off again.
void convertPageInto(const std::string& page, Converted& result) {
  ConversionContext context;
  const std::string input = page + "\n</BODY>";
  ScriptCollection scripts(static_cast<std::uint32_t>(input.size()));
  ASSERT_EQ(1, convertText(context, input.c_str(), &result.page, &scripts, "page.htm"));
  std::string suffix = "\n</BODY>";
  if (const ScriptEntry* entry = scripts.entry(1)) {
    result.script = entry->text;
    std::string reference;
    writeNetscapeGuard("<EMBED SRC=\\\"page.AXS\\\" WIDTH=1 HEIGHT=1 LANGUAGE=\\\"" + entry->language + "\\\">",
                       reference);
    suffix = reference + "</BODY>";  // the output ended with a LF: the guard's first LF is left out
  }
  const std::size_t kept = result.page.size() - std::min(result.page.size(), suffix.size());
  ASSERT_EQ(suffix, result.page.substr(kept)) << result.page;
  result.page.resize(kept);
}

Converted convertPage(const std::string& page) {
  Converted result;
  convertPageInto(page, result);
  return result;
}

TEST(InputControls, TableOfTypes) {
  struct Row {
    const char* tag;
    const char* classId;  // null: no control
    int width;
    int height;
  } rows[] = {
      {"<INPUT TYPE=button NAME=N VALUE=\"Go\">", "CLSID:3472D900-5A27-11CF-8B11-00AA00C00903", 72, 23},
      {"<INPUT TYPE=submit NAME=N VALUE=\"12345678\">", "CLSID:3472D900-5A27-11CF-8B11-00AA00C00903", 72, 23},
      {"<INPUT TYPE=reset NAME=N VALUE=\"123456789\">", "CLSID:3472D900-5A27-11CF-8B11-00AA00C00903", 81, 23},
      {"<INPUT TYPE=SUBMIT NAME=N VALUE=\"Send it now!\">", "CLSID:3472D900-5A27-11CF-8B11-00AA00C00903", 108, 23},
      {"<INPUT TYPE=button NAME=N>", "CLSID:3472D900-5A27-11CF-8B11-00AA00C00903", 72, 23},
      {"<INPUT TYPE=CheckBox NAME=N>", "CLSID:3D92FF40-5A24-11CF-8B11-00AA00C00903", 14, 14},
      {"<INPUT TYPE=radio NAME=N>", "CLSID:687738C0-5A24-11CF-8B11-00AA00C00903", 14, 14},
      {"<INPUT TYPE=hidden NAME=N>", "CLSID:2E8D0FE0-8B43-11CF-ABBD-00A0C9034926", 1, 1},
      {"<INPUT TYPE=password NAME=N>", "CLSID:EE230860-5A5F-11CF-8B11-00AA00C00903", 120, 23},
      {"<INPUT TYPE=\"Text\" NAME=N>", "CLSID:81EF4D60-5A24-11CF-8B11-00AA00C00903", 120, 23},
      {"<INPUT TYPE=textarea NAME=N>", "CLSID:98FBE040-5A24-11CF-8B11-00AA00C00903", 120, 23},
      {"<INPUT TYPE=image NAME=N>", nullptr, 0, 0},
      {"<INPUT TYPE=texts NAME=N>", nullptr, 0, 0},
  };
  for (const Row& row : rows) {
    const Converted c = convertPage(std::string(row.tag) + "\n<P>");
    const std::string guard = row.classId ? controlGuard(row.classId, "N", row.width, row.height) : "";
    EXPECT_EQ(row.tag + guard + "\n<P>", c.page);
  }
}

TEST(InputControls, ButtonOutsideAFormGetsGuardStatementsAndSub) {
  const Converted c = convertPage("<P><INPUT TYPE=button NAME=B1 VALUE=\"Go\" onClick=\"MsgBox 1\"><P>");
  EXPECT_EQ("<P><INPUT TYPE=button NAME=B1 VALUE=\"Go\" onClick=\"MsgBox 1\">" +
                controlGuard("CLSID:3472D900-5A27-11CF-8B11-00AA00C00903", "B1", 72, 23) + "<P>",
            c.page);
  EXPECT_EQ(
      "\nSub Window_OnLoad()\nB1.Name = \"B1\"\nB1.Value = \"Go\"\nEnd Sub\n"
      "\n\nSub B1_onClick()\nMsgBox 1\nEnd Sub\n",
      c.script);
}

TEST(InputControls, PropertyStatementsInTableOrder) {
  const Converted c = convertPage(
      "<INPUT defaultChecked=no checked=True defaultvalue=\"d v\" value=v name=C type=checkbox language=VBSCRIPT>");
  EXPECT_EQ(
      "\nSub Window_OnLoad()\nC.Name = \"C\"\nC.Value = \"v\"\nC.DefaultValue = \"d v\"\nC.Checked = \"True\"\n"
      "C.DefaultChecked = \"no\"\nEnd Sub\n",
      c.script);
  // A bare CHECKED adds nothing; values are not escaped.
  const Converted bare = convertPage("<INPUT TYPE=checkbox NAME=C CHECKED VALUE=\"it's\">");
  EXPECT_EQ("\nSub Window_OnLoad()\nC.Name = \"C\"\nC.Value = \"it's\"\nEnd Sub\n", bare.script);
}

TEST(InputControls, LanguageDecidesTheScript) {
  // Another language: the control, but no script at all.
  Converted c = convertPage("<INPUT TYPE=text NAME=T LANGUAGE=JavaScript onChange=go()>");
  EXPECT_EQ("<INPUT TYPE=text NAME=T LANGUAGE=JavaScript onChange=go()>" +
                controlGuard("CLSID:81EF4D60-5A24-11CF-8B11-00AA00C00903", "T", 120, 23),
            c.page);
  EXPECT_EQ("", c.script);
  // The block goes under the input's own LANGUAGE, which then names the
  // collection; the Subs always under "VBScript".
  ConversionContext context;
  ScriptCollection scripts(0);
  std::string out;
  ASSERT_EQ(1, convertText(context, "<INPUT TYPE=text NAME=T LANGUAGE=vbscript onBlur=x>", &out, &scripts, "p.htm"));
  EXPECT_EQ("vbscript", scripts.entry(1)->language);
  EXPECT_EQ("\nSub Window_OnLoad()\nT.Name = \"T\"\nEnd Sub\n\n\nSub T_onBlur()\nx\nEnd Sub\n", scripts.entry(1)->text);
}

TEST(InputControls, MissingNameOrType) {
  // No NAME: a control with an empty name and no script.
  Converted c = convertPage("<INPUT TYPE=radio onClick=x>");
  EXPECT_EQ("<INPUT TYPE=radio onClick=x>" + controlGuard("CLSID:687738C0-5A24-11CF-8B11-00AA00C00903", "", 14, 14),
            c.page);
  EXPECT_EQ("", c.script);
  // No TYPE: nothing at all.
  c = convertPage("<INPUT NAME=B onClick=x>");
  EXPECT_EQ("<INPUT NAME=B onClick=x>", c.page);
  EXPECT_EQ("", c.script);
  // A type without a control still gets its statements and Subs.
  c = convertPage("<INPUT TYPE=image NAME=I onClick=Go>");
  EXPECT_EQ("<INPUT TYPE=image NAME=I onClick=Go>", c.page);
  EXPECT_EQ("\nSub Window_OnLoad()\nI.Name = \"I\"\nEnd Sub\n\n\nSub I_onClick()\nGo\nEnd Sub\n", c.script);
}

TEST(InputControls, EventSubsPerInputAfterItsStatements) {
  const Converted c = convertPage(
      "<INPUT TYPE=radio NAME=R1 onClick=A><INPUT TYPE=radio NAME=R1 onChange=Stop onClick=B>");
  EXPECT_EQ(
      "\nSub Window_OnLoad()\nR1.Name = \"R1\"\n\nR1.Name = \"R1\"\nEnd Sub\n"
      "\n\nSub R1_onClick()\nA\nEnd Sub\n\n\nSub R1_onClick()\nB\nEnd Sub\n\n\nSub R1_onChange()\nStop\nEnd Sub\n",
      c.script);
}

TEST(InputControls, StatementsJoinThePagesOwnLoadProcedure) {
  const Converted c = convertPage("<BODY LANGUAGE=VBScript onLoad=\"MsgBox 1\">\n<INPUT TYPE=text NAME=T>");
  EXPECT_EQ("\n\nSub window_onLoad()\nT.Name = \"T\"\n\nMsgBox 1\nEnd Sub\n", c.script);
}

TEST(InputControls, OnlyOutsideForms) {
  const std::string input = "<INPUT TYPE=text NAME=T>";
  const std::string guard = controlGuard("CLSID:81EF4D60-5A24-11CF-8B11-00AA00C00903", "T", 120, 23);
  struct Row {
    std::string page;
    std::string expected;
  } rows[] = {
      {"<FORM>" + input + "</FORM>", "<FORM>" + input + "</FORM>"},
      {"<FORM action=x>\n<P>" + input + "\n</FORM >" + input, "<FORM action=x>\n<P>" + input + "\n</FORM >" + input + guard},
      {"<BODY><FORM>" + input + "</FORM>" + input, "<BODY><FORM>" + input + "</FORM>" + input + guard},
      {input + "</FORM>" + input, input + guard + "</FORM>" + input},  // a stray end tag: idle from there
      {"<!-- <FORM> -->" + input, "<!-- <FORM> -->" + input + guard},
      {"<INPUTS TYPE=hidden name=T>", "<INPUTS TYPE=hidden name=T>" +
                                          controlGuard("CLSID:2E8D0FE0-8B43-11CF-ABBD-00A0C9034926", "T", 1, 1)},
  };
  for (const Row& row : rows) EXPECT_EQ(row.expected, convertPage(row.page).page) << row.page;
}

// Long names recur in every statement and Sub, so the script text outgrows the
// fixed budget of twice the source plus 1024 bytes; it grows instead.
TEST(InputControls, ScriptTextGrowsBeyondItsBudget) {
  std::string page;
  const std::string value(200, 'v');
  for (int i = 0; i < 40; ++i) {
    const std::string name = std::string(250, 'N') + std::to_string(i % 10) + std::to_string(i / 10);
    page += "<INPUT TYPE=checkbox NAME=" + name + " VALUE=" + value + " DEFAULTVALUE=d CHECKED=c DEFAULTCHECKED=e" +
            " onClick=a onFocus=b onBlur=c onSelect=d onChange=e>\n";
  }
  const Converted c = convertPage(page);
  EXPECT_GT(c.script.size(), 2 * (page.size() + std::string("\n</BODY>").size()) + 1024);
  const std::string last = std::string(250, 'N') + "93";
  EXPECT_EQ(40, static_cast<int>(std::count(c.page.begin(), c.page.end(), '{')));  // one guard per input
  EXPECT_NE(std::string::npos, c.script.find("\nSub Window_OnLoad()\n" + last + ".Name = \"" + last + "\"\n"));
  const std::string tail = "\n\nSub " + last + "_onChange()\ne\nEnd Sub\n";
  ASSERT_GE(c.script.size(), tail.size());
  EXPECT_EQ(tail, c.script.substr(c.script.size() - tail.size()));
}

// The page text of one tag in a buffer of its exact size (and the NUL that
// ends every page), so that a read past it is seen.
std::vector<char> exactText(const std::string& text) {
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back('\0');
  return buffer;
}

TEST(InputAttributesReader, LongerNamesAreNotShorterOnes) {
  InputValues a;
  const std::vector<char> tag =
      exactText(" defaultvalue=d value=v defaultChecked=c checked=k typex=1 type=t namex=2 name=n>rest");
  EXPECT_STREQ("rest", readInputValues(tag.data(), a));
  EXPECT_EQ("d", a[kDefaultValue]);
  EXPECT_EQ("v", a[kValue]);
  EXPECT_EQ("c", a[kDefaultChecked]);
  EXPECT_EQ("k", a[kChecked]);
  EXPECT_EQ("t", a[kType]);
  EXPECT_EQ("n", a[kName]);
  const std::vector<char> open = exactText(" name=x");
  EXPECT_STREQ("", readInputValues(open.data(), a));  // no ">": read to the end
  EXPECT_EQ("x", a[kName]);
  EXPECT_EQ("", a[kType]);  // values of the tag before are forgotten
}

// The attribute walk as its rule states it: every name tried with
// readAttribute at each position, else the attribute skipped.
using Described = std::array<std::string, kFieldCount>;
const char* referenceReadInputAttributes(const char* p, Described& a) {
  a = Described{};
  const char* names[kFieldCount] = {"language", "onClick", "onFocus",        "onBlur",  "onSelect", "onChange",
                                    "type",     "defaultChecked", "checked", "name", "value", "defaultvalue"};
  while (*p && *p != '>') {
    const char* next = p;
    for (int field = 0; field < kFieldCount; ++field) {
      next = readAttribute(names[field], p, &a[field]);
      if (next != p) break;
    }
    if (next == p) skipAttribute(next);
    p = next != p ? next : p + 1;
  }
  if (*p == '>') ++p;
  return p;
}

Described describe(const InputValues& a) {
  Described text;
  for (int field = 0; field < kFieldCount; ++field) text[field] = std::string(a[InputField(field)]);
  return text;
}

// Random tags made of names, near-names, blanks, comments and quotes read as
// the name-by-name walk reads them.
TEST(InputAttributesReader, MatchesTheNameByNameWalk) {
  const char* pieces[] = {"language", "ONCLICK",  "onFocus", "onblur", "onSelect", "onChange", "Type",   "defaultChecked",
                          "checked",  "name",     "VALUE",   "defaultvalue", "onclic", "default", "names", "=",
                          " ",        "\t",       "\r\n",    "\"",      "\"a b\"",  "x",        "<!--",   "-->",
                          "=\"",      "'",        "v=1",     ">",       "L",        "\xc3\xb6"};
  std::mt19937 random(2024);
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    for (unsigned n = random() % 14; n > 0; --n) text += pieces[random() % (sizeof pieces / sizeof *pieces)];
    if (random() % 8 == 0) text += std::string(300, 'w');  // a value beyond the kept length
    text += random() % 2 ? ">rest" : "";
    const std::vector<char> tag = exactText(text);
    Described expected;
    InputValues actual;
    const char* expectedEnd = referenceReadInputAttributes(tag.data(), expected);
    ASSERT_EQ(expectedEnd, readInputValues(tag.data(), actual)) << text;
    ASSERT_EQ(expected, describe(actual)) << text;
  }
}

}  // namespace
}  // namespace engine
