#include "platform/native/terminal_ui.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>

#include "common/ascii.h"

namespace platform {

namespace {

// The blanks a typed answer may carry after it (and, as space and tab, in
// front of it).
constexpr common::ByteSet kTrailingBlanks(" \t\n\v\f\r");

bool isYes(const std::string& answer) {
  std::size_t begin = 0, end = answer.size();
  while (begin < end && (answer[begin] == ' ' || answer[begin] == '\t')) ++begin;
  while (end > begin && kTrailingBlanks(answer[end - 1])) --end;
  const std::string_view word = std::string_view(answer).substr(begin, end - begin);
  return common::equalsNoCase(word, "y") || common::equalsNoCase(word, "yes");
}

// "Caption: text", or "Caption text" when the caption ends in punctuation;
// line ends at the end of the text are dropped.
std::string compose(const std::string& caption, std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  if (caption.empty()) return text;
  const char last = caption.back();
  const bool punctuated = last == '!' || last == '.' || last == '?' || last == ':';
  return caption + (punctuated ? " " : ": ") + text;
}

}  // namespace

Terminal standardTerminal() {
  Terminal terminal{std::cin, std::cout, std::cerr, ::isatty(STDIN_FILENO) != 0, std::getenv("SOURCE_DATE_EPOCH")};
  terminal.errIsTerminal = ::isatty(STDERR_FILENO) != 0;
  winsize size{};
  if (terminal.errIsTerminal && ::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
    terminal.width = size.ws_col;
  return terminal;
}

bool askYesNo(Terminal& terminal, const std::string& question) {
  terminal.err << question;
  if (!terminal.interactive) {
    terminal.err << '\n' << std::flush;
    return false;
  }
  terminal.err << " [y/N] " << std::flush;
  std::string answer;
  if (!std::getline(terminal.in, answer)) {
    terminal.err << '\n' << std::flush;
    return false;
  }
  return isYes(answer);
}

int TerminalMessageBoxes::show(const std::string& text, const std::string& caption, unsigned style) {
  if ((style & mb::kButtonMask) == mb::kYesNo) {
    if (options_.assumeYes) return mb::kIdYes;
    const std::string question = options_.showCaptions ? compose(caption, text) : text;
    return askYesNo(terminal_, question) ? mb::kIdYes : mb::kIdNo;
  }
  const unsigned icon = style & mb::kIconMask;
  std::ostream& stream = icon == mb::kIconHand || icon == mb::kIconExclamation ? terminal_.err : terminal_.out;
  stream << (options_.showCaptions ? compose(caption, text) : text) << '\n' << std::flush;
  return mb::kIdOk;
}

}  // namespace platform
