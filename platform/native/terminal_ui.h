// Message boxes and cursor of the native build, for terminal programs.
#pragma once

#include <iosfwd>

#include "platform/user_interface.h"

namespace platform {

// Prints each box as one message, its caption in front ("Fatal error! Could
// not create folder out."): information on out, warnings and errors on err.
// A Yes/No box asks on the terminal when there is one (interactive) and
// otherwise answers No; every other box answers OK.
class TerminalMessageBoxes : public MessageBoxes {
 public:
  TerminalMessageBoxes(std::ostream& out, std::ostream& err, std::istream& in, bool interactive)
      : out_(out), err_(err), in_(in), interactive_(interactive) {}
  int show(const std::string& text, const std::string& caption, unsigned style) override;

 private:
  std::ostream& out_;
  std::ostream& err_;
  std::istream& in_;
  bool interactive_;
};

// A terminal has no cursor to change.
class NullCursor : public Cursor {
 public:
  void* setWaitCursor() override { return nullptr; }
  void restore(void*) override {}
  void showCursor(bool) override {}
};

}  // namespace platform
