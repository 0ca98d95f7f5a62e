#include "plugin/core/stream_type.h"

#include <cstring>

#include "common/ascii.h"

namespace npkirra {

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
    if (common::equalsNoCase(dot, g.extension)) return g.type;
  return nullptr;
}

}  // namespace npkirra
