// State of the tag loop shared by the driver and the tag handlers.
//
// The driver calls the handlers at every "<" in a fixed order: object, script,
// embed, body, input. Each handler receives the position returned by the one
// before it and looks at the text after its first byte. A handler that does not
// recognise its element returns the position unchanged; one that consumed an
// element returns the position behind it. Handlers move `mark` (start of input
// not yet copied) and append to `out` only through flushText and their own
// generated text; unclaimed text stays pending and is copied in runs.
// Since a handler claims only the element it recognises by name, the fast walk
// skips a handler whose name cannot begin at the position it would be given.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/context.h"
#include "engine/script_collection.h"
#include "engine/scan.h"

namespace engine {

struct ObjectScratch;

// A SCRIPT element the pre-pass found, so that the tag loop need not search
// for its end tag again nor read its attributes once more.
struct FoundScript {
  const char* start;       // its "<"
  const char* behind;      // past the ">" of its end tag
  std::size_t textLength;  // length of its element text
  std::size_t bodyOffset;  // where its body begins in the element text
  bool javaScript;         // the tag loop rewrites it
};

struct TagLoop {
  ConversionContext& context;
  ScriptCollection& scripts;
  const char* inputStart;     // first byte of the input
  const char* inputEnd;       // the input's terminating NUL
  const char* mark;           // start of the input not yet copied to out
  std::string& out;           // the converted page so far
  // Indentation in front of the most recently converted object; none until an
  // object was converted.
  std::optional<std::string> objectIndent;
  int formDepth = 0;          // FORM start tags minus FORM end tags so far
  int insertPointFixed = 0;   // the place of the script reference is fixed
  // Failed end-tag searches over this input, shared by both passes.
  ElementScanMemo* memo = nullptr;
  // SCRIPT elements of the pre-pass in the order of the text, when it kept
  // them, and the first one not yet behind the loop.
  const std::vector<FoundScript>* foundScripts = nullptr;
  std::size_t nextFoundScript = 0;
  // Buffers the object handler reuses from object to object, when the
  // conversion gives it some.
  ObjectScratch* objectScratch = nullptr;

  // The SCRIPT element the pre-pass found at position, or null. The loop
  // asks at ever later positions.
  const FoundScript* foundScriptAt(const char* position) {
    if (!foundScripts) return nullptr;
    const std::vector<FoundScript>& found = *foundScripts;
    while (nextFoundScript < found.size() && found[nextFoundScript].start < position) ++nextFoundScript;
    return nextFoundScript < found.size() && found[nextFoundScript].start == position ? &found[nextFoundScript]
                                                                                       : nullptr;
  }

  // extractElement over the input, remembering failed searches so that pages
  // full of unclosed elements stay linear.
  const char* extract(const char* tag, const char* position, std::string* content) const {
    return extractElement(tag, position, content, memo);
  }

  // Bytes of input from position to the end, terminating NUL included.
  std::size_t remaining(const char* position) const {
    return static_cast<std::size_t>(inputEnd - position) + 1;
  }
};

// Tag handlers, in the order the loop calls them.
const char* handleObjectElement(TagLoop& loop, const char* position);
const char* handleScriptElement(TagLoop& loop, const char* position);
const char* handleEmbedElement(TagLoop& loop, const char* position);
const char* handleBodyElement(TagLoop& loop, const char* position);
const char* handleInputElement(TagLoop& loop, const char* position);

// Called once after the loop: places the reference to the script file.
void emitScriptReferences(TagLoop& loop);

// Pre-pass steps. collectScriptElement receives the element text of one SCRIPT
// element (everything after the name "script" up to the "<" of its end tag)
// and tells whether the tag loop rewrites the element (a JavaScript block);
// then *bodyOffset is where the body begins in the element text.
// collectBodyHandlers tests for a BODY start tag at position and returns the
// position behind it, or position when there is none.
bool collectScriptElement(const std::string& elementText, ScriptCollection& scripts,
                          std::size_t* bodyOffset = nullptr);
const char* collectBodyHandlers(const char* position, ScriptCollection& scripts);

// Name of the script file of the page destPath: base name + ".AXS", with the
// destination's directory in front when withDirectory is true.
std::string makeScriptFileName(const char* destPath, const char* language, bool withDirectory);

}  // namespace engine
