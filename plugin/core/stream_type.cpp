#include "plugin/core/stream_type.h"

#include <cstring>

namespace npkirra {
namespace {

bool equalsIgnoringCase(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b) {
    char x = *a, y = *b;
    if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
    if (x != y) return false;
  }
  return *a == *b;
}

}  // namespace

const char* guessStreamType(const char* url) {
  if (!url) return nullptr;
  const char* dot = std::strrchr(url, '.');
  if (!dot) return nullptr;
  struct Guess {
    const char* extension;
    const char* type;
  };
  static const Guess kGuesses[] = {
      {".jpg", "image/jpeg"}, {".jpeg", "image/jpeg"}, {".gif", "image/gif"}, {".pdf", "application/pdf"}};
  for (const Guess& g : kGuesses)
    if (equalsIgnoringCase(dot, g.extension)) return g.type;
  return nullptr;
}

}  // namespace npkirra
