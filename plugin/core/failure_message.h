// Composition of the messages that the Java bridge throws with OleException.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace npkirra {

// The message buffer holds 256 characters, terminator included.
constexpr size_t kFailureMessageCapacity = 256;

// One value for a placeholder: text for %s, a number for %d.
struct MessageArg {
  MessageArg(std::u16string_view t) : text(t), isNumber(false) {}
  MessageArg(const char16_t* t) : text(t), isNumber(false) {}
  MessageArg(const std::u16string& t) : text(t), isNumber(false) {}
  MessageArg(int n) : number(n), isNumber(true) {}
  std::u16string_view text;
  int number = 0;
  bool isNumber;
};

// Fills the printf-style `format` (8-bit; only %s, %d and %% are known) with
// `args` in order and returns at most kFailureMessageCapacity - 1 characters:
// a longer message is cut, never written past its buffer. A placeholder
// without a matching argument is left empty.
std::u16string formatFailureMessage(std::string_view format, const std::vector<MessageArg>& args);

}  // namespace npkirra
