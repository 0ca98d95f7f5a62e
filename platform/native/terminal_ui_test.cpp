#include "platform/native/terminal_ui.h"

#include <gtest/gtest.h>

#include <sstream>

namespace platform {
namespace {

// A terminal over string streams.
struct Console {
  explicit Console(const std::string& input = "", bool interactive = true) : in(input), terminal{in, out, err, interactive} {}
  std::istringstream in;
  std::ostringstream out, err;
  Terminal terminal;
};

TEST(TerminalMessageBoxes, PrintsEachBoxOnTheStreamItsIconChooses) {
  struct Case { const char* caption; const char* text; unsigned style; bool showCaptions; const char* out; const char* err; };
  const Case cases[] = {
      {"Tarnwick Conversion", "Operation has completed successfully.", mb::kIconInformation, true,
       "Tarnwick Conversion: Operation has completed successfully.\n", ""},
      {"Conversion error!", "Conversion for file a.htm has failed.\n", mb::kIconHand, true, "",
       "Conversion error! Conversion for file a.htm has failed.\n"},
      {"Fatal error!", "Could not create folder x.", mb::kIconExclamation, true, "", "Fatal error! Could not create folder x.\n"},
      {"", "bare", mb::kOk, true, "bare\n", ""},
      // Without captions: the text as it is.
      {"Conversion Success", "Conversion completed successfully.", mb::kOk, false, "Conversion completed successfully.\n", ""},
      {"Conversion error!", "Could not perform conversion.", mb::kOk | mb::kIconHand, false, "",
       "Could not perform conversion.\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Console console("y\n");
    TerminalBoxOptions options;
    options.showCaptions = c.showCaptions;
    TerminalMessageBoxes boxes(console.terminal, options);
    EXPECT_EQ(mb::kIdOk, boxes.show(c.text, c.caption, c.style));
    EXPECT_EQ(c.out, console.out.str());
    EXPECT_EQ(c.err, console.err.str());
    EXPECT_EQ(0, console.in.tellg());  // only a question reads
  }
}

// The one yes/no question of the terminal programs: asked on stderr, answered
// by "y" or "yes" in any case with blanks around it, No otherwise and
// without a terminal.
TEST(AskYesNo, AcceptsYOrYesInAnyCaseAndNothingElse) {
  struct Case { bool interactive; const char* input; bool yes; const char* err; };
  const Case cases[] = {
      {true, "y\n", true, "Overwrite? [y/N] "},
      {true, "yes\n", true, "Overwrite? [y/N] "},
      {true, " YES \r\n", true, "Overwrite? [y/N] "},
      {true, "\tYe\n", false, "Overwrite? [y/N] "},
      {true, "yes please\n", false, "Overwrite? [y/N] "},
      {true, "n\n", false, "Overwrite? [y/N] "},
      {true, "\n", false, "Overwrite? [y/N] "},
      {true, "", false, "Overwrite? [y/N] \n"},  // end of input: the line is ended
      {false, "y\n", false, "Overwrite?\n"},     // no terminal: nothing is read
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    Console console(c.input, c.interactive);
    EXPECT_EQ(c.yes, askYesNo(console.terminal, "Overwrite?"));
    EXPECT_EQ(c.err, console.err.str());
    EXPECT_EQ("", console.out.str());
  }
}

TEST(TerminalMessageBoxes, AYesNoBoxIsTheQuestionOrAnsweredYesByOption) {
  Console asked("yes\n");
  TerminalMessageBoxes boxes(asked.terminal);
  EXPECT_EQ(mb::kIdYes, boxes.show("Change it?", "Verify target directory", mb::kYesNo | mb::kIconQuestion));
  EXPECT_EQ("Verify target directory: Change it? [y/N] ", asked.err.str());
  EXPECT_EQ(mb::kIdNo, boxes.show("Change it?", "Verify target directory", mb::kYesNo));  // input used up

  Console assumed("n\n", false);
  TerminalBoxOptions options;
  options.assumeYes = true;
  TerminalMessageBoxes yes(assumed.terminal, options);
  EXPECT_EQ(mb::kIdYes, yes.show("Overwrite?", "File exists!", mb::kYesNo | mb::kIconExclamation));
  EXPECT_EQ("", assumed.err.str());
}

}  // namespace
}  // namespace platform
