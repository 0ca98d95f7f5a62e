// Text is 8-bit bytes; names and keywords compare without regard to ASCII
// case only (bytes above 127 compare as they are). Tables of byte classes are
// built at compile time from the bytes they hold.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace common {

constexpr char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }

// strnicmp over at most n bytes: <0, 0 or >0. Stops at the first difference
// or at a NUL in both texts, so it never reads past a NUL-terminated text.
inline int compareNoCase(const char* a, const char* b, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char x = static_cast<unsigned char>(lowerAscii(a[i]));
    const unsigned char y = static_cast<unsigned char>(lowerAscii(b[i]));
    if (x != y) return x < y ? -1 : 1;
    if (!x) return 0;
  }
  return 0;
}

inline bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
  return true;
}

// text with its ASCII letters in lower case, for keys that compare without
// regard to case.
inline std::string toLowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = lowerAscii(c);
  return lower;
}

// Whether text begins with prefix, ignoring ASCII case.
inline bool startsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && equalsNoCase(text.substr(0, prefix.size()), prefix);
}

// A set of bytes looked up in one step, built at compile time:
//   constexpr ByteSet kHtmlSpace(" \t\r\n");
class ByteSet {
 public:
  constexpr explicit ByteSet(std::string_view bytes) : has_{} {
    for (char c : bytes) has_[static_cast<unsigned char>(c)] = true;
  }
  constexpr bool operator()(char c) const { return has_[static_cast<unsigned char>(c)]; }

 private:
  bool has_[256];
};

// The whitespace of pages: TAB, LF, CR and SPACE.
inline constexpr ByteSet kHtmlSpace("\t\n\r ");

}  // namespace common
