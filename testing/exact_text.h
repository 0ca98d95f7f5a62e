// Test helper: a page text in a heap buffer of exactly its bytes and the NUL
// that ends it. A std::string keeps spare room behind its text, so a scanner
// that reads past the NUL goes unseen there; from this buffer AddressSanitizer
// reports it.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>

namespace testing_support {

class ExactText {
 public:
  explicit ExactText(std::string_view text) : size_(text.size()), bytes_(new char[text.size() + 1]) {
    if (size_) std::memcpy(bytes_.get(), text.data(), size_);
    bytes_[size_] = '\0';
  }
  // The text up to its first NUL byte, as the engine reads a C string.
  static ExactText upToNul(std::string_view text) {
    const void* nul = std::memchr(text.data(), '\0', text.size());
    return ExactText(nul ? text.substr(0, static_cast<std::size_t>(static_cast<const char*>(nul) - text.data())) : text);
  }

  const char* c_str() const { return bytes_.get(); }
  const char* end() const { return bytes_.get() + size_; }  // the NUL
  std::size_t size() const { return size_; }

 private:
  std::size_t size_;
  std::unique_ptr<char[]> bytes_;
};

}  // namespace testing_support
