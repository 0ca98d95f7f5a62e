// The tag loop: one walk over a page that copies its text through and hands
// each tag to the tag handlers, and the pre-pass before it.
//
// The handlers are called at a "<" in the fixed order of kTagHandlers:
// object, script, embed, body, input. Each handler receives the position
// returned by the one before it and looks at the text after its first byte. A
// handler that does not recognise its element returns the position unchanged;
// one that consumed an element returns the position behind it. Handlers move
// `mark` (start of input not yet copied) and append to `out` only through
// flushText and their own generated text; unclaimed text stays pending and is
// copied in runs. Since a handler claims only an element whose tag name
// begins with its name, the walk calls only a handler whose name's first
// letter begins the tag name at the position it would be given, and jumps
// over every tag that no handler, FORM nesting or the end of the body can
// want.
#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/context.h"
#include "engine/destination.h"
#include "engine/scan.h"
#include "engine/script_collection.h"

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
// Held in blocks, so that a page of many scripts never copies them to grow.
using FoundScripts = std::deque<FoundScript>;

struct TagLoop {
  ConversionContext& context;
  ScriptCollection& scripts;
  const Destination& destination;
  const char* inputStart;     // first byte of the input
  const char* inputEnd;       // the input's terminating NUL
  const char* mark;           // start of the input not yet copied to out
  std::string& out;           // the converted page so far
  // Indentation in front of the most recently converted object; none until an
  // object was converted.
  std::optional<std::string> objectIndent;
  int formDepth = 0;              // FORM start tags minus FORM end tags so far
  bool insertPointFixed = false;  // the place of the script reference is fixed
  // Failed end-tag searches over this input, shared with the pre-pass; null
  // to search afresh each time.
  ElementScanMemo* memo = nullptr;
  // SCRIPT elements of the pre-pass in the order of the text, when it kept
  // them, and the first one not yet behind the loop.
  const FoundScripts* foundScripts = nullptr;
  std::size_t nextFoundScript = 0;
  // Buffers the object handler reuses from object to object, when the
  // conversion gives it some.
  ObjectScratch* objectScratch = nullptr;

  // The SCRIPT element the pre-pass found at position, or null. The loop
  // asks at ever later positions.
  const FoundScript* foundScriptAt(const char* position) {
    if (!foundScripts) return nullptr;
    const FoundScripts& found = *foundScripts;
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

// What the pre-pass gathers while it walks the page.
struct Prescan {
  ScriptCollection& scripts;
  // Failed end-tag searches, shared with the tag loop; null to search afresh.
  ElementScanMemo* memo = nullptr;
  // Where the SCRIPT elements found are kept for the tag loop; null for none.
  FoundScripts* foundScripts = nullptr;
  std::string elementText;  // reused from element to element
};

// One tag handler and its role in the pre-pass.
struct TagHandler {
  // Lower case; the handler claims only a tag whose name begins with it. No
  // two names share their first letter.
  std::string_view name;
  const char* (*handle)(TagLoop& loop, const char* position);
  // The pre-pass consumes the element at a "<" (collecting its script text)
  // and returns the position behind it, or the position when there is none;
  // null when the pre-pass does not consume this element.
  const char* (*collect)(Prescan& prescan, const char* position);
  // Non-zero when the pre-pass counts the start tags of this name: the
  // output bytes reserved for each.
  std::size_t outputShare;
};

// The pre-pass roles of the SCRIPT and BODY handlers: they collect the
// block's script text (keeping the element for the tag loop) and the page's
// event handlers.
const char* collectScript(Prescan& prescan, const char* position);
const char* collectBody(Prescan& prescan, const char* position);

// The handlers in the order the loop calls them; the first is the object
// handler, whose count the context keeps (objectCount). Known when compiling,
// so that the walk calls each handler directly.
inline constexpr TagHandler kTagHandlers[] = {
    {"object", handleObjectElement, nullptr, 150},
    {"script", handleScriptElement, collectScript, 0},
    {"embed", handleEmbedElement, nullptr, 0},
    {"body", handleBodyElement, collectBody, 0},
    // A converted input's guard block alone takes about 350 bytes.
    {"input", handleInputElement, nullptr, 400},
};
constexpr std::size_t kTagHandlerCount = sizeof kTagHandlers / sizeof *kTagHandlers;

// The name at p followed by whitespace or ">" (case-insensitive).
inline bool tagNameFollows(const char* p, std::string_view name) {
  const std::size_t n = name.size();
  return strnicmpAscii(p, name.data(), n) == 0 && (isHtmlSpace(static_cast<unsigned char>(p[n])) || p[n] == '>');
}

// The output reserved for a page of length bytes with counts[i] start tags of
// kTagHandlers[i]. The string grows when a page needs more.
std::size_t outputBudget(std::size_t length, const std::size_t (&counts)[kTagHandlerCount]);

// End-of-body test at a position the last handler returned: one byte on,
// whitespace and comments, "/body" or "/html", whitespace and comments, ">".
// Returns the position behind the ">", or null.
const char* findBodyEnd(const char* position);

// FORM nesting at a "<": +1 for a FORM start tag, -1 for an end tag, else 0.
int formDelta(const char* cursor);

// Receives, while the tag loop runs, the front part of the converted page
// that nothing can change any more: everything before the place where the
// script reference may still go, but the last byte. A page whose output is
// many times its size so need not be held whole in memory.
class OutputSink {
 public:
  explicit OutputSink(std::size_t threshold) : threshold_(threshold) {}
  virtual ~OutputSink() = default;
  // The output is handed on once it holds more than this many bytes.
  std::size_t threshold() const { return threshold_; }
  virtual void write(std::string_view text) = 0;

 private:
  std::size_t threshold_;
};

// The output a converted page file holds in memory before handing it on: a
// fixed window, so that its memory is reused from part to part.
constexpr std::size_t kPageFileWindow = 256 * 1024;

// Converts the page text [input, inputEnd) (*inputEnd is its NUL) for
// destination: the pre-pass, then the tag loop, then the script reference.
// output receives the converted page (with a sink, only what was not handed
// to it); scripts the script text. Returns 1 when the loop ran, 0 for an
// empty destination path.
int runTagLoop(ConversionContext& context, const char* input, const char* inputEnd, const Destination& destination,
               std::string& output, ScriptCollection& scripts, OutputSink* sink = nullptr);

}  // namespace engine
