#include "platform/native/terminal_ui.h"

#include <gtest/gtest.h>

#include <sstream>

namespace platform {
namespace {

TEST(TerminalMessageBoxes, PrintsCaptionAndTextOnTheRightStream) {
  struct Case { const char* caption; const char* text; unsigned style; const char* out; const char* err; };
  const Case cases[] = {
      {"Tarnwick Conversion", "Operation has completed successfully.", mb::kIconInformation,
       "Tarnwick Conversion: Operation has completed successfully.\n", ""},
      {"Conversion error!", "Conversion for file a.htm has failed.\n", mb::kIconHand, "",
       "Conversion error! Conversion for file a.htm has failed.\n"},
      {"Fatal error!", "Could not create folder x.", mb::kIconExclamation, "", "Fatal error! Could not create folder x.\n"},
      {"", "bare", mb::kOk, "bare\n", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::ostringstream out, err;
    std::istringstream in("y\n");
    TerminalMessageBoxes boxes(out, err, in, true);
    EXPECT_EQ(mb::kIdOk, boxes.show(c.text, c.caption, c.style));
    EXPECT_EQ(c.out, out.str());
    EXPECT_EQ(c.err, err.str());
  }
}

TEST(TerminalMessageBoxes, AsksYesNoOnlyOnATerminal) {
  struct Case { bool interactive; const char* input; int answer; };
  const Case cases[] = {{true, "y\n", mb::kIdYes}, {true, "yes\n", mb::kIdYes}, {true, "\n", mb::kIdNo},
                        {true, "", mb::kIdNo},     {false, "y\n", mb::kIdNo}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    std::ostringstream out, err;
    std::istringstream in(c.input);
    TerminalMessageBoxes boxes(out, err, in, c.interactive);
    EXPECT_EQ(c.answer, boxes.show("Change it?", "Verify target directory", mb::kYesNo | mb::kIconQuestion));
    EXPECT_EQ(0u, out.str().find("Verify target directory: Change it? [y/N] "));
  }
}

}  // namespace
}  // namespace platform
