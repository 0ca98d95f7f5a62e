#include "engine/scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "testing/exact_text.h"

namespace engine {
namespace {

using testing_support::ExactText;

// A mover applied to text (in a buffer of its exact size, so that a read past
// its NUL is seen); returns how many bytes it consumed.
template <typename Mover>
std::size_t consumed(std::string_view text, Mover move) {
  const ExactText exact(text);
  const char* p = exact.c_str();
  move(p);
  return static_cast<std::size_t>(p - exact.c_str());
}

TEST(CharacterTests, WhitespaceAndLineBreaks) {
  for (int c = 0; c < 256; ++c) {
    const bool space = c == 9 || c == 10 || c == 13 || c == 32;
    EXPECT_EQ(space, isHtmlSpace(c) == 1) << c;
    EXPECT_EQ(c == 10 || c == 13, isLineBreak(c) == 1) << c;
  }
}

TEST(CharacterTests, ScriptCommentStart) {
  const ExactText text("'x\nrem y\nREM z\nremark\nrem");
  const char* t = text.c_str();
  EXPECT_EQ(1, isScriptCommentStart(t, t));            // apostrophe anywhere
  EXPECT_EQ(1, isScriptCommentStart(t + 3, t));        // rem after LF
  EXPECT_EQ(1, isScriptCommentStart(t + 9, t));        // any case
  EXPECT_EQ(0, isScriptCommentStart(t + 15, t));       // "remark": no space
  EXPECT_EQ(0, isScriptCommentStart(t + 22, t));       // "rem" at the end, no space
  const ExactText start("rem x");
  EXPECT_EQ(0, isScriptCommentStart(start.c_str(), start.c_str()));  // start of text is not after a break
}

TEST(SkipSpace, CommentsOnAndOff) {
  struct Case { const char* text; int comments; std::size_t stop; };
  const Case cases[] = {
      {"  <!-- a > b -->  x", 1, 18},
      {"  <!-- a > b -->  x", 0, 2},
      {"  <!-- unterminated", 1, 19},
      {"<!--a--><!--b-->x", 1, 8},    // a second comment directly behind stops the skip
      {"<!--a--> <!--b-->x", 1, 17},
      {"<!---->x", 1, 7},
      {"x  ", 1, 0},
      {"", 1, 0},
      {" \t\r\n", 0, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.stop, consumed(c.text, [&](const char*& p) { skipSpace(p, c.comments); }));
  }
}

TEST(SkipToken, QuotedAndUnquoted) {
  struct Case { const char* text; int quoted; std::size_t stop; };
  const Case cases[] = {
      {"abc def", 1, 3}, {"abc>", 1, 3}, {"\"a b>c\" x", 1, 7}, {"a\"b c\"d e", 1, 7},
      {"ab\"c", 0, 2},   {"ab\"c", 2, 2}, {"\"open", 1, 5},      {"", 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.stop, consumed(c.text, [&](const char*& p) { skipToken(p, c.quoted); }));
  }
}

TEST(Movers, AttributeSpaceAdvanceAndTagEnd) {
  EXPECT_EQ(16u, consumed("a=\"b c\" <!--x-->", [](const char*& p) { skipAttribute(p); }));
  // advance: from a byte, that byte and the whitespace and comments behind it.
  EXPECT_EQ(1u, consumed("ab", [](const char*& p) { advance(p); }));
  EXPECT_EQ(13u, consumed("a <!-- c --> b", [](const char*& p) { advance(p); }));
  EXPECT_EQ(10u, consumed("<!-- c -->b", [](const char*& p) { advance(p); }));
  EXPECT_EQ(0u, consumed("", [](const char*& p) { advance(p); }));
  // Whitespace of every kind after the step is passed; "<!" opens no comment.
  EXPECT_EQ(5u, consumed("a \t\r\n<!x", [](const char*& p) { advance(p); }));
  // skipPastTagEnd honours comments but not quotes.
  EXPECT_EQ(7u, consumed("<a b=\">\" c>", [](const char*& p) { skipPastTagEnd(p); }));
  EXPECT_EQ(16u, consumed("<a <!-- > --> b>x", [](const char*& p) { skipPastTagEnd(p); }));
  EXPECT_EQ(5u, consumed("<a b ", [](const char*& p) { skipPastTagEnd(p); }));
}

TEST(SkipScriptBlanks, PassesBlanksStringsAndComments) {
  struct Case { const char* text; std::size_t stop; };
  const Case cases[] = {
      {"  \"say \"\"hi\"\"\"  'c\nX", 19},
      {"'only a comment", 15},
      {"\nrem x\nY", 7},
      {"rem x\nY", 0},          // rem counts only at the start of a line
      {"\"\"X", 2},             // an empty literal
      {"  \"a\" \" b", 9},      // an unterminated literal runs to the end
      {"x", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.stop, consumed(c.text, [](const char*& p) {
                const char* start = p;
                skipScriptBlanks(p, start);
              }));
  }
}

TEST(MatchWord, NeedsWhitespaceBehind) {
  EXPECT_EQ(1, matchWord("param", "PARAM\tname"));
  EXPECT_EQ(0, matchWord("param", "PARAM>"));
  EXPECT_EQ(0, matchWord("param", "PARAMS x"));
  EXPECT_EQ(0, matchWord(nullptr, "param x"));
  EXPECT_EQ(0, matchWord("param", nullptr));
}

TEST(MatchEndTag, Forms) {
  struct Case { const char* text; int match; std::size_t stop; };
  const Case cases[] = {
      {"</param>x", 1, 8},      {" < /PARAM >x", 1, 11}, {"<!--c--></param>", 1, 16},
      {"< / param>", 0, 0},     {"<param>", 0, 0},      {"</paramx>", 0, 0},
      {"</param", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const ExactText text(c.text);
    const char* p = text.c_str();
    EXPECT_EQ(c.match, matchEndTag(p, "param"));
    EXPECT_EQ(c.stop, static_cast<std::size_t>(p - text.c_str()));
  }
  const char* p = "</a>";
  EXPECT_EQ(0, matchEndTag(p, nullptr));
}

TEST(ReadAttribute, MatchesAndValues) {
  struct Case { const char* text; const char* name; bool match; const char* value; std::size_t stop; };
  const Case cases[] = {
      {"value = \"a b>c\" x", "value", true, "a b>c", 15},
      {"VALUE=abc>", "value", true, "abc", 9},
      {"valueless=1", "value", false, "", 0},
      {"value >", "value", false, "", 0},
      {"value<!--c-->=<!--d-->x y", "value", true, "x", 23},
      {"value=ab\"c", "value", true, "ab", 8},   // unquoted stops on a quote
      {"value=\"", "value", true, "", 7},        // lone opening quote at the end
      {"value=", "value", true, "", 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const ExactText text(c.text);
    std::string value;
    const char* r = readAttribute(c.name, text.c_str(), &value);
    EXPECT_EQ(c.match, r != text.c_str());
    EXPECT_EQ(c.stop, static_cast<std::size_t>(r - text.c_str()));
    EXPECT_EQ(c.value, value);
  }
  EXPECT_EQ("value=x", std::string(readAttribute("value", "value=x", nullptr)));
}

TEST(ReadAttribute, LongValueIsCutButPassed) {
  const ExactText text("v=\"" + std::string(300, 'a') + "\" next");
  std::string value;
  const char* r = readAttribute("v", text.c_str(), &value);
  EXPECT_EQ(255u, value.size());
  EXPECT_EQ(" next", std::string(r));
}

TEST(ExtractElement, ContentAndEndTags) {
  struct Case { const char* text; bool found; const char* content; const char* rest; };
  const Case cases[] = {
      {"<object a=1><param x></object >z", true, " a=1><param x>", "z"},
      {"<object a=1>", false, "", ""},
      {"<object></ object>", false, "", ""},
      {"<object>x< / object>", false, "", ""},
      {"<object>x< /object >y", true, ">x", "y"},
      // A comment met from whitespace is passed whole; one met directly behind
      // other text is walked byte by byte, so an end tag inside it is seen.
      {"<object> <!-- </object> --></object>", true, "> <!-- </object> -->", ""},
      {"<object><!-- </object> --></object>", true, "><!-- ", " --></object>"},
      {"<objects a></object>", true, "s a>", ""},  // a longer name is taken as the tag
      {"<objects a></objects>", false, "", ""},
      {"<obj></obj>", false, "", ""},
      {"<", false, "", ""},
      {"<object</object>", true, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const ExactText text(c.text);
    std::string content;
    const char* r = extractElement("object", text.c_str(), &content);
    EXPECT_EQ(c.found, r != text.c_str());
    if (c.found) {
      EXPECT_EQ(c.content, content);
      EXPECT_EQ(c.rest, std::string(r));
    }
  }
  const char* text = "<object></object>";
  EXPECT_EQ(text, extractElement("object", text, nullptr));
}

TEST(FlushText, CopiesRunsAndMovesMark) {
  const char* text = "abcdef";
  std::string out = "x";
  const char* mark = text;
  EXPECT_EQ(1, flushText(out, mark, text + 3));
  EXPECT_EQ("xabc", out);
  EXPECT_EQ(text, mark);  // no new mark: the mark stays
  EXPECT_EQ(0, flushText(out, mark, text, text + 4));
  EXPECT_EQ("xabc", out);
  EXPECT_EQ(text + 4, mark);  // nothing copied, the mark still moves
  EXPECT_EQ(0, flushText(out, mark, text + 2));
}

TEST(CaptureIndent, Cases) {
  struct Case { const char* text; std::size_t elementAt; const char* indent; };
  const Case cases[] = {
      {"x\n    <OBJECT", 6, "\n    "},
      {"x\n<OBJECT", 2, "\n"},       // start of a line without indentation
      {"x<OBJECT", 1, "\n"},         // directly after text
      {"ab  <OBJECT", 4, "\n"},      // text, then spaces: never repeat page text
      {"  <OBJECT", 2, "\n"},        // reaches the start of the document
      {"<OBJECT", 0, "\n"},
      {"x\r\n\t <OBJECT", 5, "\n\t "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const ExactText text(c.text);
    EXPECT_EQ(c.indent, captureIndent(text.c_str() + c.elementAt - 1, text.c_str()));
  }
}

TEST(SplitPath, BaseNameAndDirectory) {
  struct Case { const char* path; const char* base; const char* directory; };
  const Case cases[] = {
      {"C:\\web\\page.html", "page", "C:\\web\\"},
      {"out/page.htm", "page", "out/"},
      {"page.htm", "page", ""},
      {"a.b.htm", "a.b", ""},
      {"C:\\my.dir\\page", "page", "C:\\my.dir\\"},  // no "." in the file name
      {"out/page", "page", "out/"},
      {"page", "page", ""},
      {"", "", ""},
      {"dir/.htm", "", "dir/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    std::string base, directory;
    splitPath(c.path, &base, &directory);
    EXPECT_EQ(c.base, base);
    EXPECT_EQ(c.directory, directory);
    std::string baseOnly;
    splitPath(c.path, &baseOnly, nullptr);
    EXPECT_EQ(c.base, baseOnly);
  }
}

TEST(Extensions, FromTheFirstDot) {
  EXPECT_EQ(1, hasAxsExtension("script.Axs"));
  EXPECT_EQ(1, hasAxsExtension("PAGE.AXS"));
  EXPECT_EQ(0, hasAxsExtension("a.b.axs"));
  EXPECT_EQ(0, hasAxsExtension("../page.AXS"));
  EXPECT_EQ(0, hasAxsExtension("page.axsx"));
  EXPECT_EQ(0, hasAxsExtension("axs"));
  EXPECT_EQ(0, hasAxsExtension(nullptr));
  EXPECT_EQ(1, hasOdsExtension("Label1.ODS"));
  EXPECT_EQ(0, hasOdsExtension("Label1.ods.bak"));
  EXPECT_EQ(1, hasAlxExtension("page.alx"));
  EXPECT_EQ(0, hasAlxExtension("page.alx2"));
}

}  // namespace
}  // namespace engine

namespace engine {
namespace {

// Pages built from fragments that stress the end-tag search: unclosed and
// closed elements, comments around and inside them, stray "<" and "/".
std::string randomFragments(std::mt19937& rng, int count) {
  static const char* const kFragments[] = {"<object", "</object>", "< /object >", "<OBJECT x>", "<!--", "-->",
                                           " ",       "\n",        "x",           "<",          "/",    ">",
                                           "<script", "</script>", "a<!--b-->",   "</ object>",
                                           // Comments right behind whitespace, behind text, empty or
                                           // unterminated, and whitespace of every kind in between.
                                           "\t<!-- x -->", "<!---->", "<!-->", "\r\n", " <!--", "--> ",
                                           "<\n/object\n>", "y<", "<!-- </object> -->", "\t", "-"};
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kFragments / sizeof kFragments[0] - 1);
  std::string text;
  for (int i = 0; i < count; ++i) text += kFragments[pick(rng)];
  return text;
}

// With a memo the search jumps from "<" to "<"; without one it steps with
// advance. Both must find the same element from every position.
TEST(ExtractElementMemo, SameResultsAsWithout) {
  std::mt19937 rng(12345);
  for (int round = 0; round < 600; ++round) {
    const ExactText text(randomFragments(rng, 1 + round % 70));
    SCOPED_TRACE(text.c_str());
    const char* start = text.c_str();
    ElementScanMemo memo(start, start + text.size());
    // Positions in page order, as the tag loop visits them, and then again in
    // reverse: the memo does not depend on the order of the searches.
    std::vector<std::size_t> order(text.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    for (int pass = 0; pass < 2; ++pass) {
      for (std::size_t i : order) {
        for (const char* tag : {"object", "script"}) {
          std::string plain, memoised;
          const char* a = extractElement(tag, start + i, &plain);
          const char* b = extractElement(tag, start + i, &memoised, &memo);
          ASSERT_EQ(a, b) << "at " << i << " for " << tag;
          ASSERT_EQ(plain, memoised);
        }
      }
      std::reverse(order.begin(), order.end());
    }
  }
}

// The token scan as a plain byte loop: the fast scan must stop where it does.
std::size_t referenceSkipToken(const std::string& tail, int quoted) {
  const ExactText text(tail);
  const char* p = text.c_str();
  bool inQuotes = false;
  while (*p) {
    if (*p == '"') {
      if (quoted != 1) break;
      inQuotes = !inQuotes;
    } else if (!inQuotes && (*p == '>' || isHtmlSpace(static_cast<unsigned char>(*p)))) {
      break;
    }
    ++p;
  }
  return static_cast<std::size_t>(p - text.c_str());
}

TEST(SkipToken, StopsWhereThePlainLoopStops) {
  static const char* const kPieces[] = {"a", "\"", " ", "\t", "\n", "\r", ">", "=", "xyz", "\"q r\"", "<", "\xe9"};
  std::mt19937 rng(99);
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kPieces / sizeof kPieces[0] - 1);
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    for (int i = round % 12; i >= 0; --i) text += kPieces[pick(rng)];
    for (std::size_t from = 0; from <= text.size(); ++from) {
      const std::string tail = text.substr(from);
      for (int quoted : {0, 1, 2}) {
        ASSERT_EQ(referenceSkipToken(tail, quoted), consumed(tail, [&](const char*& p) { skipToken(p, quoted); }))
            << "[" << tail << "] quoted " << quoted;
      }
    }
  }
}

}  // namespace
}  // namespace engine
