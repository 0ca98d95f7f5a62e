// SCRIPT elements, EMBED tags of earlier conversions, the script reference and
// the page's script file.
#include <string>

#include "scan.h"
#include "tag_loop.h"

namespace engine {

void collectScriptElement(const std::string&, ScriptCollection&) {}

const char* handleScriptElement(TagLoop&, const char* position) { return position; }

const char* handleEmbedElement(TagLoop&, const char* position) { return position; }

void emitScriptReferences(TagLoop&) {}

std::string makeScriptFileName(const char* destPath, const char* language, bool withDirectory) {
  (void)language;  // the collection only ever holds VBScript, whose files are .AXS
  std::string base;
  std::string directory;
  splitPath(destPath, &base, &directory);
  return (withDirectory ? directory : std::string()) + base + ".AXS";
}

}  // namespace engine
