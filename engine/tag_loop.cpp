// The walk over a page: the pre-pass, then the tag loop, each jumping from
// tag to tag.
#include "engine/tag_loop.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "engine/objects.h"
#include "engine/position_bits.h"

namespace engine {

const char* collectScript(Prescan& prescan, const char* position) {
  const char* behind = extractElement("script", position, &prescan.elementText, prescan.memo);
  if (behind == position) return position;
  std::size_t bodyOffset = 0;
  const bool javaScript = collectScriptElement(prescan.elementText, prescan.scripts, &bodyOffset);
  if (prescan.foundScripts) {
    prescan.foundScripts->push_back(FoundScript{position, behind, prescan.elementText.size(), bodyOffset, javaScript});
  }
  return behind;
}

const char* collectBody(Prescan& prescan, const char* position) {
  return collectBodyHandlers(position, prescan.scripts);
}

std::size_t outputBudget(std::size_t length, const std::size_t (&counts)[kTagHandlerCount]) {
  // A page that is mostly copied through needs little more than itself.
  std::size_t budget = length + 1024;
  for (std::size_t i = 0; i < kTagHandlerCount; ++i) budget += kTagHandlers[i].outputShare * counts[i];
  return budget;
}

const char* findBodyEnd(const char* position) {
  if (!*position) return nullptr;
  const char* q = position + 1;
  skipSpace(q, 1);
  if (!startsWithNoCase(q, "/body") && !startsWithNoCase(q, "/html")) return nullptr;
  q += 5;
  skipSpace(q, 1);
  return *q == '>' ? q + 1 : nullptr;
}

int formDelta(const char* cursor) {
  if (!*cursor) return 0;
  const char* q = cursor + 1;
  skipSpace(q, 1);
  if (tagNameFollows(q, "form")) return 1;
  if (*q == '/' && tagNameFollows(q + 1, "form")) return -1;
  return 0;
}

namespace {

// The first byte of a tag name, lower-cased.
inline char nameStart(const char* name) {
  const char c = *name;
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

// The handler whose name begins with each byte (either case), by index in
// kTagHandlers; -1 for none.
struct HandlersByLetter {
  signed char index[256];
  HandlersByLetter() {
    std::fill(std::begin(index), std::end(index), static_cast<signed char>(-1));
    for (std::size_t i = 0; i < kTagHandlerCount; ++i) {
      const unsigned char first = static_cast<unsigned char>(kTagHandlers[i].name[0]);
      index[first] = static_cast<signed char>(i);
      index[first - ('a' - 'A')] = static_cast<signed char>(i);
    }
  }
};
const HandlersByLetter kHandlersByLetter;

// The handler that may claim the tag whose name (after "<", whitespace and
// comments) is at name: the one whose name begins it; null for none, and
// then the tag passes the whole chain unchanged.
inline const TagHandler* claimant(const char* name) {
  const int i = kHandlersByLetter.index[static_cast<unsigned char>(*name)];
  if (i < 0) return nullptr;
  const TagHandler& handler = kTagHandlers[i];
  return strnicmpAscii(name, handler.name.data(), handler.name.size()) == 0 ? &handler : nullptr;
}

// The first letter (lower-cased) of the tag name that the tag handlers test
// at position: the name after the byte at position and any whitespace and
// comments; 0 at the end of the text.
inline char handlerLetter(const char* position) {
  if (!*position) return 0;
  const char* name = position + 1;
  skipSpace(name, 1);
  return nameStart(name);
}

// Whether the walk passes the tag whose name (after "<", whitespace and
// comments) is at name without looking further, in any state of the tag loop:
// no handler claims it and it is not a FORM tag; or it is an end tag other
// than FORM and, while the insertion point is still open, BODY and HTML.
inline bool passesUnchanged(const char* name, bool insertPointFixed) {
  switch (nameStart(name)) {
    case '/':
      switch (nameStart(name + 1)) {
        case 'f': return !startsWithNoCase(name + 1, "form");
        case 'b': return insertPointFixed || !startsWithNoCase(name + 1, "body");
        case 'h': return insertPointFixed || !startsWithNoCase(name + 1, "html");
        default: return true;
      }
    case 'f': return !startsWithNoCase(name, "form");
    default: return !claimant(name);
  }
}

// From a byte that is not "<", the next "<" (or the end) that a walk driven
// by advance stops on or passes as the opening of a comment. Every "<" before
// it lies in text that advance steps over, and a comment that advance would
// skip from the whitespace in front of it is met at its own "<" instead, where
// no handler claims anything and advance then skips it whole: the walk sees
// the same tags either way, without stepping byte by byte.
// end is the text's terminating NUL.
const char* nextTag(const char* p, const char* end) {
  const void* lt = std::memchr(p, '<', static_cast<std::size_t>(end - p));
  return lt ? static_cast<const char*>(lt) : end;
}

// From a "<" that nothing claimed, the next "<" that the walk examines: a
// comment is passed whole as advance passes it; from any other "<" the walk
// goes on to the next "<" (see nextTag).
const char* passTag(const char* p, const char* end) {
  if (p[1] == '!' && p[2] == '-' && p[3] == '-') {
    advance(p);
    return *p == '<' || !*p ? p : nextTag(p, end);
  }
  return nextTag(p + 1, end);
}

// What the pre-pass leaves for the tag loop: the SCRIPT elements it found, and
// the "<" positions it stood on. The pre-pass passes every one of them as
// passTag does, except SCRIPT elements and BODY tags, which it consumes and
// which the tag loop claims as well. So from such a position that the tag loop
// passes, its walk goes on through the same positions as the pre-pass did; it
// passes each one that passesUnchanged and stops at the next of the others,
// which are marked as wanted.
struct PrescanFindings {
  PrescanFindings(const char* start, const char* end) : visited(start, end), wanted(start, end) {}
  FoundScripts scripts;  // in the order of the text
  PositionBits visited;
  PositionBits wanted;
};

// Lets each handler with a pre-pass role, from the I-th on in the table's
// order, collect from the element at the position the one before returned.
// Returns the position behind what they consumed, or p.
template <std::size_t I = 0>
const char* collectFrom(const char* p, Prescan& prescan) {
  if constexpr (I == kTagHandlerCount) {
    return p;
  } else {
    if constexpr (kTagHandlers[I].collect != nullptr) {
      if (*p) p = kTagHandlers[I].collect(prescan, p);
    }
    return collectFrom<I + 1>(p, prescan);
  }
}

// The pre-pass at the "<" at p: marks the position, counts a start tag and
// consumes an element the pre-pass collects from. Returns where it goes on.
const char* prescanTag(const char* p, const char* inputEnd, Prescan& prescan, PrescanFindings& findings,
                       std::size_t (&counts)[kTagHandlerCount]) {
  const char* name = p + 1;
  skipSpace(name, 1);
  const TagHandler* handler = claimant(name);
  findings.visited.set(p);
  if (handler || !passesUnchanged(name, false)) findings.wanted.set(p);
  if (!handler || !handler->collect) {
    if (handler && handler->outputShare && tagNameFollows(name, handler->name)) ++counts[handler - kTagHandlers];
    return passTag(p, inputEnd);
  }
  // An element collected from may be followed directly by another one.
  const char* behind = collectFrom(p, prescan);
  return behind != p ? behind : passTag(p, inputEnd);
}

// The pre-pass: counts start tags, collects script text and BODY handlers,
// and reserves the output, to no more than reserveCap bytes.
void prescanPage(ConversionContext& context, const char* input, const char* inputEnd, Prescan& prescan,
                 PrescanFindings& findings, std::string& output, std::size_t reserveCap) {
  std::size_t counts[kTagHandlerCount] = {};
  const char* p = input;
  while (*p) p = *p == '<' ? prescanTag(p, inputEnd, prescan, findings, counts) : nextTag(p, inputEnd);
  context.objectCount = static_cast<std::int32_t>(counts[0]);
  output.clear();
  output.reserve(std::min(outputBudget(static_cast<std::size_t>(inputEnd - input), counts), reserveCap));
}

// Hands the front part of the output to the sink (see OutputSink) when the
// output has grown past the sink's threshold and at least half of that can go.
void spillOutput(TagLoop& loop, OutputSink& sink) {
  std::optional<std::size_t>& objectClose = loop.context.lastObjectClose;
  const std::size_t settled = objectClose ? std::min(*objectClose, loop.out.size() - 1) : loop.out.size() - 1;
  if (settled < sink.threshold() / 2) return;
  sink.write(std::string_view(loop.out.data(), settled));
  loop.out.erase(0, settled);
  if (objectClose) *objectClose -= settled;
}

// The tag loop's walk from "<" to "<".
class TagWalk {
 public:
  TagWalk(TagLoop& loop, const PrescanFindings& findings) : loop_(loop), findings_(findings) {}

  // Handles the tag at the "<" at cursor; returns where the walk goes on.
  const char* visit(const char* cursor) {
    const char* name = cursor + 1;
    skipSpace(name, 1);
    if (passesUnchanged(name, loop_.insertPointFixed)) return pass(cursor);
    const bool mayClaim = claimant(name) != nullptr;
    const char* pos = mayClaim ? callHandlers(cursor, handlerLetter(cursor)) : cursor;
    // A BODY or HTML end tag may stand here only behind an end tag's "/" or
    // behind an element a handler consumed.
    if (!loop_.insertPointFixed && (nameStart(name) == '/' || mayClaim)) {
      if (const char* behind = findBodyEnd(pos)) {
        // The end tag itself stays pending: the script reference goes before it.
        flushText(loop_.out, loop_.mark, pos, pos);
        loop_.insertPointFixed = true;
        return behind;
      }
    }
    // Each FORM tag is counted once, also one that directly follows an
    // element a handler consumed and is visited again as the next tag.
    if (pos != formTestedAt_) {
      loop_.formDepth += formDelta(pos);
      formTestedAt_ = pos;
    }
    if (pos != cursor) return pos;
    return pass(cursor);
  }

 private:
  // Calls each handler whose name's first letter begins the tag name at the
  // position it is given, in the table's order; the name is looked at again
  // only where a handler moved on.
  template <std::size_t I = 0>
  const char* callHandlers(const char* pos, char letter) {
    if constexpr (I == kTagHandlerCount) {
      return pos;
    } else {
      if (letter == kTagHandlers[I].name[0]) {
        const char* behind = kTagHandlers[I].handle(loop_, pos);
        if (behind != pos) letter = handlerLetter(pos = behind);
      }
      return callHandlers<I + 1>(pos, letter);
    }
  }

  // The step over a "<" that nothing claims: from a position the pre-pass
  // stood on, straight to the next one it marked as wanted.
  const char* pass(const char* at) const {
    return findings_.visited.test(at) ? findings_.wanted.nextAfter(at) : passTag(at, loop_.inputEnd);
  }

  TagLoop& loop_;
  const PrescanFindings& findings_;
  const char* formTestedAt_ = nullptr;
};

}  // namespace

int runTagLoop(ConversionContext& context, const char* input, const char* inputEnd, const Destination& destination,
               std::string& output, ScriptCollection& scripts, OutputSink* sink) {
  context.appendix.reset();
  context.lastObjectClose.reset();
  context.stampTime.reset();
  if (destination.path.empty()) return 0;
  ElementScanMemo memo(input, inputEnd);
  PrescanFindings findings(input, inputEnd);
  Prescan prescan{scripts, &memo, &findings.scripts, {}};
  // With a sink the output holds about twice its threshold at most.
  prescanPage(context, input, inputEnd, prescan, findings, output, sink ? 2 * sink->threshold() : SIZE_MAX);

  TagLoop loop{context, scripts, destination, input, inputEnd, input, output, std::nullopt};
  ObjectScratch objectScratch;
  loop.objectScratch = &objectScratch;
  loop.memo = &memo;
  loop.foundScripts = &findings.scripts;
  TagWalk walk(loop, findings);
  const char* cursor = input;
  while (*cursor) {
    if (sink && loop.out.size() > sink->threshold()) spillOutput(loop, *sink);
    cursor = *cursor == '<' ? walk.visit(cursor) : nextTag(cursor, inputEnd);
  }
  emitScriptReferences(loop);
  flushText(loop.out, loop.mark, loop.inputEnd);
  return 1;
}

}  // namespace engine
