// The tag loop's walk (jumping between tags, remembering failed end-tag
// searches) must convert every page exactly as the straightforward walk of
// engine/testing does.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "engine/driver.h"
#include "engine/tag_loop.h"
#include "engine/testing/reference_walk.h"
#include "testing/exact_text.h"
#include "testing/temp_dir.h"

namespace engine {
namespace {

std::string randomPage(std::mt19937& rng, int fragments) {
  static const char* const kFragments[] = {
      "<OBJECT ID=\"Label1\" CLASSID=\"CLSID:98FBE040-5A24-11CF-8B11-00AA00C00903\">", "<OBJECT", "</OBJECT>",
      "<PARAM NAME=\"Caption\" VALUE=\"Hi\">", "<EMBED SRC=\"page.axs\">", "<EMBED TYPE=\"application/oleobject\">",
      "<SCRIPT LANGUAGE=\"VBScript\">", "<SCRIPT LANGUAGE=VBScript FOR=B1 EVENT=onClick>", "</SCRIPT>",
      "<SCRIPT LANGUAGE=\"JavaScript\">", "<BODY LANGUAGE=VBScript onLoad=\"MsgBox 1\">", "</BODY>", "</HTML>",
      "<INPUT TYPE=button NAME=B1 VALUE=Go onClick=\"MsgBox 2\">", "<INPUT TYPE=text NAME=T1>", "<FORM>", "</FORM>",
      "<!--", "-->", "//-->", "x<!--y-->", " ", "\n", "    ", "text", "<", ">", "/", "\"", "'", "=", "MsgBox 1",
      "End Sub ", "Sub Go()\n", "<P>", "< /BODY >", "rem c\n",
      // Tags whose names share a first letter or a prefix with a claimed one.
      "<B>", "<BR>", "<I>", "<IMG SRC=x>", "<SPAN>", "<EM>", "<OBJ>", "<SCRIPTS>", "<INPUTX TYPE=text NAME=Z>",
      "<BODYX onLoad=\"x\">", "<EMBEDX SRC=a.axs>", "<FORMS>", "<FO>", "< !-- -->", "\t<!-- c -->", "<\nINPUT TYPE=radio NAME=R>",
      "</P>", "</B>", "</FORMX>", "</ BODY>", "</bodyx>", "</html >", "</SCRIPTX>", "</ob>",
      // Whole JavaScript blocks: one the loop rewrites, one it removes as an
      // old guard, one it leaves.
      "<SCRIPT LANGUAGE=JavaScript>\n<!--\nx = 1;\n-->\n</SCRIPT>\n",
      "<SCRIPT LANGUAGE=\"JavaScript\">\n<!--\n// Tarnwick Brightloom(TM) -- do not remove this comment\n//-->\n</SCRIPT>\n",
      "<SCRIPT LANGUAGE=JavaScript>x = 1; // -->\n</SCRIPT>"};
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kFragments / sizeof kFragments[0] - 1);
  std::string page;
  for (int i = 0; i < fragments; ++i) page += kFragments[pick(rng)];
  return page;
}

struct Result {
  int code;
  std::string output;
  std::string scripts;
  std::string appendix;
};

enum class Walk { kProduct, kStraightforward };

Result convert(const std::string& page, const std::string& dest, std::uint32_t ods, Walk walk) {
  ConversionContext context;
  context.useOdsFiles = ods;
  context.clock = [] { return std::time_t(86400); };
  context.sourceSize = static_cast<std::uint32_t>(page.size());
  context.inputLength = context.sourceSize;
  ScriptCollection scripts(context.sourceSize);
  Result r;
  const testing_support::ExactText text(page);
  r.code = walk == Walk::kProduct
               ? convertText(context, text.c_str(), &r.output, &scripts, dest.c_str())
               : testing::convertTextStraightforward(context, text.c_str(), &r.output, &scripts, dest.c_str());
  if (const ScriptEntry* entry = scripts.entry(0)) r.scripts = entry->language + "|" + entry->text;
  r.appendix = context.appendix.value_or("(none)");
  return r;
}

TEST(TagWalk, ConvertsLikeTheStraightforwardWalk) {
  testing_support::TempDir dir;
  const std::string dest = dir.file("page.htm");
  std::mt19937 rng(2024);
  for (int round = 0; round < 800; ++round) {
    const std::string page = randomPage(rng, 1 + round % 80);
    SCOPED_TRACE(page);
    const std::uint32_t ods = round % 2;
    const Result fast = convert(page, dest, ods, Walk::kProduct);
    const Result plain = convert(page, dest, ods, Walk::kStraightforward);
    ASSERT_EQ(plain.code, fast.code);
    ASSERT_EQ(plain.output, fast.output);
    ASSERT_EQ(plain.scripts, fast.scripts);
    ASSERT_EQ(plain.appendix, fast.appendix);
  }
}

// Collects what the tag loop hands on.
class CollectingSink : public OutputSink {
 public:
  explicit CollectingSink(std::size_t threshold) : OutputSink(threshold) {}
  void write(std::string_view text) override {
    ++writes;
    text_ += text;
  }
  std::string text_;
  int writes = 0;
};

// A page converted with its output handed on in pieces reads, pieces and rest
// together, exactly as the page converted whole, wherever the script
// reference ends up (in the last converted object, at the end of the body, at
// the end of the page).
TEST(TagWalk, OutputHandedOnInPiecesIsTheSamePage) {
  testing_support::TempDir dir;
  const std::string dest = dir.file("page.htm");
  std::mt19937 rng(99);
  int spilled = 0;
  for (int round = 0; round < 400; ++round) {
    const std::string page = randomPage(rng, 1 + round % 120);
    SCOPED_TRACE(page);
    const Result whole = convert(page, dest, 0, Walk::kProduct);
    const Destination destination = *Destination::of(dest.c_str());
    const testing_support::ExactText text(page);
    for (std::size_t threshold : {1, 16, 200}) {
      ConversionContext context;
      context.clock = [] { return std::time_t(86400); };
      ScriptCollection scripts(static_cast<std::uint32_t>(page.size()));
      CollectingSink sink(threshold);
      std::string rest;
      ASSERT_EQ(whole.code, runTagLoop(context, text.c_str(), text.end(), destination, rest, scripts, &sink));
      ASSERT_EQ(whole.output, sink.text_ + rest);
      ASSERT_EQ(whole.appendix, context.appendix.value_or("(none)"));
      spilled += sink.writes;
    }
  }
  EXPECT_GT(spilled, 1000);  // the pieces were really handed on
}

}  // namespace
}  // namespace engine
