// The user interface of the terminal programs: their streams, the one way
// they ask a yes/no question, message boxes printed as lines, and no cursor.
#pragma once

#include <iosfwd>
#include <string>

#include "platform/user_interface.h"

namespace platform {

// What a terminal program starts with: its streams, whether its input is a
// terminal (only then are questions asked), and the environment it reads.
struct Terminal {
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
  bool interactive;
  // SOURCE_DATE_EPOCH, when set: conversion comments then carry that instant
  // in UTC, so that the same page converts to the same bytes.
  const char* sourceDateEpoch = nullptr;
  // Whether err is a terminal (progress is drawn only there), and its width.
  bool errIsTerminal = false;
  unsigned width = 80;
};

// The process's own streams and environment.
Terminal standardTerminal();

// Asks question on err. On a terminal " [y/N] " follows and one line of input
// is the answer: "y" or "yes" in any case, blanks around it allowed, is Yes;
// anything else, and the end of the input, is No. Without a terminal nothing
// is read, the question ends its line and the answer is No. Questions go to
// err so that out carries only results.
bool askYesNo(Terminal& terminal, const std::string& question);

struct TerminalBoxOptions {
  // "Caption: text", or "Caption text" when the caption ends in punctuation;
  // otherwise the text alone.
  bool showCaptions = true;
  // Every Yes/No box answers Yes without asking (a --yes option).
  bool assumeYes = false;
};

// Prints each box as one message: information on out, warnings and errors
// (the hand and exclamation icons) on err. A Yes/No box is a question asked
// with askYesNo; every other box answers OK.
class TerminalMessageBoxes : public MessageBoxes {
 public:
  explicit TerminalMessageBoxes(Terminal& terminal, TerminalBoxOptions options = TerminalBoxOptions())
      : terminal_(terminal), options_(options) {}
  int show(const std::string& text, const std::string& caption, unsigned style) override;

 private:
  Terminal& terminal_;
  TerminalBoxOptions options_;
};

// A terminal has no cursor to change.
class NullCursor : public Cursor {
 public:
  void* setWaitCursor() override { return nullptr; }
  void restore(void*) override {}
  void showCursor(bool) override {}
};

}  // namespace platform
