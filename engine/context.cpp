#include "engine/context.h"

#include <cstring>

#include "engine/scan.h"

namespace engine {

namespace {
bool sameNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  // The usual case, the same spelling, without the case folding.
  return std::memcmp(a.data(), b.data(), a.size()) == 0 || strnicmpAscii(a.data(), b.data(), a.size()) == 0;
}
}  // namespace

bool ScriptCollection::acceptLanguage(std::string_view language) {
  if (!entry_) {
    entry_ = std::make_unique<ScriptEntry>();
    // The text area is budgeted at twice the source plus 1024 bytes; it grows
    // beyond that when a page needs more.
    entry_->text.reserve(static_cast<std::size_t>(sizeHint_) * 2 + 1024);
  }
  if (language.size() > kMaxValueLength) language = language.substr(0, kMaxValueLength);
  if (!entry_->language.empty() && !sameNoCase(entry_->language, language)) return false;
  if (entry_->language.empty()) {
    entry_->language.assign(language);
    count_ = 1;
  }
  return true;
}

void ScriptCollection::append(std::string_view language, std::string_view text) {
  if (acceptLanguage(language)) entry_->text.append(text);
}

int isVBScript(const char* value) {
  return value && std::strlen(value) == 8 && strnicmpAscii(value, "vbscript", 8) == 0;
}

int isJavaScript(const char* value) {
  return value && std::strlen(value) == 10 && strnicmpAscii(value, "javascript", 10) == 0;
}

}  // namespace engine
