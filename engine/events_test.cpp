#include "engine/events.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "engine/scan.h"
#include "engine/tag_loop.h"

namespace engine {
namespace {

std::string collected(ScriptCollection& scripts) {
  const ScriptEntry* entry = scripts.entry(1);
  return entry ? entry->text : std::string();
}

// Merges statements into Window_OnLoad as the INPUT handler does.
void mergeIntoOnLoad(ScriptCollection& scripts, std::string_view language, std::string_view statements) {
  scripts.addToProcedure(language, "Window_OnLoad", [statements](std::string& to) { to.append(statements); });
}

TEST(BodyHandlers, LoadAndUnloadSubsInThatOrder) {
  struct Row {
    const char* tag;
    const char* script;
    const char* language;
  } rows[] = {
      {"<BODY LANGUAGE=VBScript onLoad=\"MsgBox 1\" onUnload=\"MsgBox 2\">",
       "\n\nSub window_onLoad()\nMsgBox 1\nEnd Sub\n\n\nSub window_onUnload()\nMsgBox 2\nEnd Sub\n", "VBScript"},
      {"< body Onunload=b ONLOAD=a language=\"VBSCRIPT\">",
       "\n\nSub window_onLoad()\na\nEnd Sub\n\n\nSub window_onUnload()\nb\nEnd Sub\n", "VBSCRIPT"},
      {"<BODY onLoad=a>", "", ""},
      {"<BODY LANGUAGE=JavaScript onLoad=a>", "", ""},
      {"<BODY LANGUAGE=VBScript>", "", ""},
      {"<BODYX LANGUAGE=VBScript onLoad=a>", "\n\nSub window_onLoad()\na\nEnd Sub\n", "VBScript"},
      // Without ">" the tag runs to the end of the text; a quoted value that is
      // not closed loses its last byte, as if it were the quote.
      {"<BODY LANGUAGE=VBScript onLoad=\"a", "\n\nSub window_onLoad()\nares\nEnd Sub\n", "VBScript"},
      {"<BODY LANGUAGE=VBScript onLoadX=a>", "", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.tag);
    ScriptCollection scripts(100);
    const std::string page = std::string(row.tag) + "rest";
    const char* behind = collectBodyHandlers(page.c_str(), scripts);
    EXPECT_EQ(row.script, collected(scripts));
    EXPECT_EQ(*row.language ? 1 : 0, scripts.count());
    if (scripts.entry(1)) {
      EXPECT_EQ(row.language, scripts.entry(1)->language);
    }
    const std::size_t tagEnd = page.find('>');
    EXPECT_STREQ(tagEnd == std::string::npos ? "" : page.c_str() + tagEnd + 1, behind);
  }
}

TEST(BodyHandlers, OtherTagsAreNotBodies) {
  ScriptCollection scripts(10);
  for (const char* page : {"</BODY>", "<BOD>", "<P onLoad=x>", ""}) {
    EXPECT_EQ(page, collectBodyHandlers(page, scripts));
  }
  EXPECT_EQ(0, scripts.count());
}

TEST(BodyHandlers, MainLoopCopiesTheTagUnchanged) {
  ConversionContext context;
  ScriptCollection scripts(10);
  std::string out;
  const char* page = "x<BODY onLoad=\"a>b\">rest";  // quotes are not honoured
  const Destination destination = *Destination::of("page.htm");
  TagLoop loop{context, scripts, destination, page, page + std::strlen(page), page, out, std::nullopt};
  const char* behind = handleBodyElement(loop, page + 1);
  EXPECT_STREQ("b\">rest", behind);
  EXPECT_EQ("x<BODY onLoad=\"a>", out);
  EXPECT_EQ(behind, loop.mark);
  const char* other = "<P>";
  EXPECT_EQ(other, handleBodyElement(loop, other));
}

TEST(InputEventSubs, OneSubPerNonEmptyEventInFixedOrder) {
  ScriptCollection scripts(100);
  const std::string_view events[kInputEventCount] = {"Go", "", "", "", "Stop"};
  appendInputEventSubs(scripts, "B1", events);
  appendInputEventSubs(scripts, "", events);  // no name: dropped
  EXPECT_EQ("\n\nSub B1_onClick()\nGo\nEnd Sub\n\n\nSub B1_onChange()\nStop\nEnd Sub\n", collected(scripts));
  EXPECT_EQ("VBScript", scripts.entry(1)->language);
  const std::string_view all[kInputEventCount] = {"1", "2", "3", "4", "5"};
  ScriptCollection each(100);
  appendInputEventSubs(each, "R", all);
  EXPECT_EQ(
      "\n\nSub R_onClick()\n1\nEnd Sub\n\n\nSub R_onFocus()\n2\nEnd Sub\n\n\nSub R_onBlur()\n3\nEnd Sub\n"
      "\n\nSub R_onSelect()\n4\nEnd Sub\n\n\nSub R_onChange()\n5\nEnd Sub\n",
      collected(each));
}

// --- addToProcedure ---------------------------------------------------------

TEST(AddToProcedure, MergesAtTheTopOrCreates) {
  struct Row {
    const char* before;
    const char* after;
  } rows[] = {
      {"", "\nSub Window_OnLoad()\nX = 1\nEnd Sub\n"},
      {"\n\nSub window_onLoad()\nMsgBox 1\nEnd Sub\n", "\n\nSub window_onLoad()\nX = 1\n\nMsgBox 1\nEnd Sub\n"},
      {"SUB\n  WINDOW_ONLOAD  ' c\r\nA\n", "SUB\n  WINDOW_ONLOAD  ' c\rX = 1\n\n\nA\n"},
      {"Sub Window_OnLoadX()\nA\nEnd Sub\n", "Sub Window_OnLoadX()\nA\nEnd Sub\n\nSub Window_OnLoad()\nX = 1\nEnd Sub\n"},
      {"xsub Window_OnLoad\nA\n", "xsub Window_OnLoad\nX = 1\n\nA\n"},  // "sub" wherever it stands
      {"End Sub\nWindow_OnLoad\nA\n", "End Sub\nWindow_OnLoad\nX = 1\n\nA\n"},
      {"Sub\tWindow_OnLoad ()", "Sub\tWindow_OnLoad ()"},  // header on the last line: statements lost
      // A name at the very end is not a header, but the procedure created
      // behind it completes it.
      {"Sub\tWindow_OnLoad", "Sub\tWindow_OnLoad\nSub Window_OnLoad()\nX = 1\nEnd Sub\n"},
  };
  for (const Row& row : rows) {
    ScriptCollection scripts(100);
    if (*row.before) scripts.append("VBScript", row.before);
    mergeIntoOnLoad(scripts, "vbscript", "X = 1\n");
    EXPECT_EQ(row.after, collected(scripts)) << row.before;
  }
}

TEST(AddToProcedure, LaterStatementsStandAboveEarlierOnes) {
  ScriptCollection scripts(100);
  mergeIntoOnLoad(scripts, "VBScript", "A\n");
  scripts.append("VBScript", "\n\nSub A_onClick()\nx\nEnd Sub\n");
  mergeIntoOnLoad(scripts, "VBScript", "B\n");
  EXPECT_EQ("\nSub Window_OnLoad()\nB\n\nA\nEnd Sub\n\n\nSub A_onClick()\nx\nEnd Sub\n", collected(scripts));
}

TEST(AddToProcedure, RefusedLanguage) {
  ScriptCollection scripts(100);
  scripts.append("VBScript", "x\n");
  mergeIntoOnLoad(scripts, "JScript", "A\n");
  EXPECT_EQ("x\n", collected(scripts));
  mergeIntoOnLoad(scripts, "VBSCRIPT", "A\n");
  EXPECT_EQ("x\n\nSub Window_OnLoad()\nA\nEnd Sub\n", collected(scripts));
  EXPECT_EQ("VBScript", scripts.entry(1)->language);
}

// The rule without remembered state: search the whole text every time.
void referenceAddToProcedure(std::string& text, const std::string& name, const std::string& statements) {
  for (std::size_t h = 0; h < text.size(); ++h) {
    if (!matchWord("sub", text.c_str() + h)) continue;
    const char* q = text.c_str() + h + 3;
    while (isHtmlSpace(static_cast<unsigned char>(*q))) ++q;
    if (strnicmpAscii(q, name.c_str(), name.size()) != 0) continue;
    const char after = q[name.size()];
    if (!isHtmlSpace(static_cast<unsigned char>(after)) && after != '(') continue;
    const std::size_t lineBreak = text.find_first_of("\r\n", static_cast<std::size_t>(q - text.c_str()) + name.size());
    if (lineBreak != std::string::npos) text.insert(lineBreak + 1, statements + "\n");
    return;
  }
  text += "\nSub " + name + "()\n" + statements + "End Sub\n";
}

// Random sequences of appends and merges over texts full of near-headers give
// the same text as the plain rule, including headers that only become complete
// through a later append.
TEST(AddToProcedure, RememberedSearchMatchesThePlainRule) {
  const char* pieces[] = {"sub", "Sub ", " ", "\n", "\r", "Window_OnLoad", "window_onload", "(", "x",
                          "End Sub\n", "Window_", "OnLoad", "\t", "Sub Window_OnLoadX\n", "S"};
  const char* statements[] = {"A\n", "B = \"Sub Window_OnLoad\"\n", "sub\n", "Window_OnLoad (\n"};
  std::mt19937 random(12345);
  for (int round = 0; round < 400; ++round) {
    ScriptCollection scripts(0);
    std::string expected;
    for (int step = 0; step < 30; ++step) {
      if (random() % 3 == 0) {
        const std::string s = statements[random() % 4];
        mergeIntoOnLoad(scripts, "VBScript", s.c_str());
        referenceAddToProcedure(expected, "Window_OnLoad", s);
      } else {
        std::string piece;
        for (unsigned n = random() % 4; n > 0; --n) piece += pieces[random() % (sizeof pieces / sizeof *pieces)];
        scripts.append("VBScript", piece);
        expected += piece;
      }
      // Reading the text places merged statements; reading it only now and
      // then lets merges pile up in between.
      if (random() % 4 == 0 || step == 29) {
        ASSERT_EQ(expected, collected(scripts)) << "round " << round << " step " << step;
      }
    }
  }
}

TEST(AddToProcedure, ThousandsOfMergesIntoOneProcedure) {
  ScriptCollection scripts(0);
  std::string pageScript;
  for (int i = 0; i < 2000; ++i) pageScript += "Sub P" + std::to_string(i) + "()\n  x = 1\nEnd Sub\n";
  scripts.append("VBScript", pageScript);
  const int inputs = 5000;
  for (int i = 0; i < inputs; ++i) {
    const std::string name = "I" + std::to_string(i);
    const std::string block = name + ".Name = \"" + name + "\"\n";
    mergeIntoOnLoad(scripts, "VBScript", block.c_str());
    scripts.append("VBScript", "\n\nSub " + name + "_onClick()\nGo\nEnd Sub\n");
  }
  const std::string& text = collected(scripts);
  const std::size_t header = text.find("\nSub Window_OnLoad()\n");
  ASSERT_EQ(pageScript.size(), header);
  const std::string top = "\nSub Window_OnLoad()\nI4999.Name = \"I4999\"\n\nI4998.Name";
  EXPECT_EQ(0, text.compare(header, top.size(), top));
  EXPECT_NE(std::string::npos, text.find("I0.Name = \"I0\"\nEnd Sub\n\n\nSub I0_onClick()"));
  EXPECT_NE(std::string::npos, text.find("End Sub\n\n\nSub I4999_onClick()\nGo\nEnd Sub\n"));
}

// Blocks of every size, from empty to larger than the pieces the pending
// statements are kept in, come out whole and in order.
TEST(AddToProcedure, BlocksOfAnySizePlacedWhole) {
  const std::size_t sizes[] = {0, 1, 40, 700, 3000, 200};
  ScriptCollection scripts(0);
  std::string expected;
  scripts.append("VBScript", "Sub Window_OnLoad()\nEnd Sub\n");
  expected = "Sub Window_OnLoad()\nEnd Sub\n";
  for (int i = 0; i < 300; ++i) {
    std::size_t size = sizes[i % (sizeof sizes / sizeof *sizes)];
    if (i == 100) size = 5000;
    if (i == 200) size = 70000;
    std::string block = "B" + std::to_string(i) + " ";
    block += std::string(size, static_cast<char>('a' + i % 26));
    block += "\n";
    mergeIntoOnLoad(scripts, "VBScript", block.c_str());
    referenceAddToProcedure(expected, "Window_OnLoad", block);
    if (i % 7 == 0) {
      const std::string sub = "\n\nSub S" + std::to_string(i) + "()\nEnd Sub\n";
      scripts.append("VBScript", sub);
      expected += sub;
    }
  }
  ASSERT_EQ(expected.size(), collected(scripts).size());
  EXPECT_TRUE(expected == collected(scripts));
}

TEST(AddToProcedure, WriterCalledOnlyForKeptStatements) {
  struct Row {
    const char* before;
    const char* language;
    bool written;
  } rows[] = {
      {"", "VBScript", true},
      {"Sub Window_OnLoad()\nA\n", "vbscript", true},
      {"Sub Window_OnLoad ()", "VBScript", false},  // header on the last line
      {"x\n", "JScript", false},                    // the collection is VBScript
  };
  for (const Row& row : rows) {
    ScriptCollection scripts(0);
    if (*row.before) scripts.append("VBScript", row.before);
    int calls = 0;
    scripts.addToProcedure(row.language, "Window_OnLoad", [&calls](std::string& to) {
      ++calls;
      to += "X\n";
    });
    EXPECT_EQ(row.written ? 1 : 0, calls) << row.before;
  }
}

}  // namespace
}  // namespace engine
