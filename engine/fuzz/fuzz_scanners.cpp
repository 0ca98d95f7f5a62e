// Fuzz target: the attribute and element scanners on arbitrary text, from
// every position. The first byte picks the attribute or tag name.
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/scan.h"
#include "testing/exact_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static const char* const kNames[] = {"object", "script", "param", "value", "name", "data", "embed", "body"};
  const char* name = kNames[data[0] % 8];
  // The text up to its first NUL, in a buffer of its exact size: a read past
  // its end is reported.
  const testing_support::ExactText text = testing_support::ExactText::upToNul(
      std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
  const char* start = text.c_str();
  engine::ElementScanMemo memo(start, text.end());
  std::string value;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char* p = start + i;
    engine::readAttribute(name, p, &value);
    engine::extractElement(name, p, &value, &memo);
    const char* c = p;
    engine::skipAttribute(c);
    c = p;
    engine::skipPastTagEnd(c);
    c = p;
    engine::skipScriptBlanks(c, start);
    c = p;
    engine::matchEndTag(c, name);
    engine::captureIndent(p, start);
  }
  std::string base, directory;
  engine::splitPath(start, &base, &directory);
  return 0;
}
