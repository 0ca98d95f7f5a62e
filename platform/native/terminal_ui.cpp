#include "platform/native/terminal_ui.h"

#include <istream>
#include <ostream>
#include <string>

namespace platform {

namespace {

// "Caption: text", or "Caption text" when the caption ends in punctuation.
std::string compose(const std::string& caption, std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  if (caption.empty()) return text;
  const char last = caption.back();
  const bool punctuated = last == '!' || last == '.' || last == '?' || last == ':';
  return caption + (punctuated ? " " : ": ") + text;
}

}  // namespace

int TerminalMessageBoxes::show(const std::string& text, const std::string& caption, unsigned style) {
  const std::string message = compose(caption, text);
  const unsigned icon = style & 0xF0;
  if ((style & 0xF) == mb::kYesNo) {
    out_ << message << " [y/N] " << std::flush;
    std::string answer;
    if (!interactive_ || !std::getline(in_, answer)) {
      out_ << "n\n";
      return mb::kIdNo;
    }
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes" ? mb::kIdYes : mb::kIdNo;
  }
  std::ostream& stream = icon == mb::kIconHand || icon == mb::kIconExclamation ? err_ : out_;
  stream << message << "\n" << std::flush;
  return mb::kIdOk;
}

}  // namespace platform
