#include "engine/driver.h"
#include "engine/driver_internal.h"

#include <algorithm>
#include <new>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "engine/objects.h"
#include "engine/scan.h"
#include "engine/tag_loop.h"
#include "engine/text_file.h"

namespace engine {

namespace {

// The name at p (after "<" and optional whitespace and comments) followed by
// whitespace or ">".
template <std::size_t N>
bool tagNameFollows(const char* p, const char (&name)[N]) {
  constexpr std::size_t n = N - 1;
  return strnicmpAscii(p, name, n) == 0 && (isHtmlSpace(static_cast<unsigned char>(p[n])) || p[n] == '>');
}

// End-of-body test at a position the last handler returned: one byte on,
// whitespace and comments, "/body" or "/html", whitespace and comments, ">".
// Returns the position behind the ">", or null.
const char* findBodyEnd(const char* position) {
  if (!*position) return nullptr;
  const char* q = position + 1;
  skipSpace(q, 1);
  if (!startsWithNoCase(q, "/body") && !startsWithNoCase(q, "/html")) return nullptr;
  q += 5;
  skipSpace(q, 1);
  return *q == '>' ? q + 1 : nullptr;
}

// The first byte of a tag name, lower-cased.
inline char nameStart(const char* name) {
  const char c = *name;
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

// Whether a tag handler may claim the tag whose name (after "<", whitespace
// and comments) is at name. Every handler recognises its element by a name
// that begins with object, script, embed, body or input; a tag with any other
// name passes the whole chain unchanged, so the fast walk does not call it.
inline bool handlerMayClaim(const char* name) {
  switch (nameStart(name)) {
    case 'o': return startsWithNoCase(name, "object");
    case 's': return startsWithNoCase(name, "script");
    case 'e': return startsWithNoCase(name, "embed");
    case 'b': return startsWithNoCase(name, "body");
    case 'i': return startsWithNoCase(name, "input");
    default: return false;
  }
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


// Whether the fast walk passes the tag whose name (after "<", whitespace and
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
    default: return !handlerMayClaim(name);
  }
}

// What the fast pre-pass makes of the tag whose name (after "<", whitespace
// and comments) is at name, from one look at the name.
struct PrescanLook {
  enum Counted { kNone, kObject, kInput };
  bool wanted;      // the tag loop may want the tag: not passesUnchanged
  bool mayConsume;  // a SCRIPT element or a BODY tag may begin here
  Counted counted;  // an OBJECT or INPUT start tag to count
};
inline PrescanLook lookAtTag(const char* name) {
  switch (nameStart(name)) {
    case 'o': {
      const bool object = startsWithNoCase(name, "object");
      return {object, false, object && tagNameFollows(name, "object") ? PrescanLook::kObject : PrescanLook::kNone};
    }
    case 'i': {
      const bool input = startsWithNoCase(name, "input");
      return {input, false, input && tagNameFollows(name, "input") ? PrescanLook::kInput : PrescanLook::kNone};
    }
    case 's': {
      const bool script = startsWithNoCase(name, "script");
      return {script, script, PrescanLook::kNone};
    }
    case 'b': {
      const bool body = startsWithNoCase(name, "body");
      return {body, body, PrescanLook::kNone};
    }
    default: return {!passesUnchanged(name, false), false, PrescanLook::kNone};
  }
}

// FORM nesting at cursor: +1 for a FORM start tag, -1 for an end tag, else 0.
int formDelta(const char* cursor) {
  if (!*cursor) return 0;
  const char* q = cursor + 1;
  skipSpace(q, 1);
  if (tagNameFollows(q, "form")) return 1;
  if (*q == '/' && tagNameFollows(q + 1, "form")) return -1;
  return 0;
}

bool fitsPath(const char* path) { return std::strlen(path) < kPathCapacity; }

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

// One bit per byte of a text.
class PositionBits {
 public:
  PositionBits(const char* start, const char* end)
      : start_(start), end_(end), words_(static_cast<std::size_t>(end - start) / 64 + 1, 0) {}
  void set(const char* p) {
    const std::size_t i = offset(p);
    words_[i / 64] |= std::uint64_t(1) << (i % 64);
  }
  bool test(const char* p) const {
    const std::size_t i = offset(p);
    return (words_[i / 64] >> (i % 64)) & 1;
  }
  // The first position after p whose bit is set, or the end of the text.
  const char* nextAfter(const char* p) const {
    const std::size_t i = offset(p) + 1;
    std::size_t w = i / 64;
    if (w >= words_.size()) return end_;
    std::uint64_t word = i % 64 ? words_[w] & (~std::uint64_t(0) << (i % 64)) : words_[w];
    while (!word) {
      if (++w == words_.size()) return end_;
      word = words_[w];
    }
    return start_ + w * 64 + static_cast<std::size_t>(__builtin_ctzll(word));
  }

 private:
  std::size_t offset(const char* p) const { return static_cast<std::size_t>(p - start_); }
  const char* start_;
  const char* end_;
  std::vector<std::uint64_t> words_;
};

// The "<" positions the fast pre-pass stood on. The pre-pass passes every one
// of them as passTag does, except SCRIPT elements and BODY tags, which it
// consumes and which the tag loop claims as well. So from such a position that
// the tag loop passes, its walk goes on through the same positions as the
// pre-pass did; it passes each one that passesUnchanged and stops at the next
// of the others, which are marked as wanted.
struct VisitedTags {
  VisitedTags(const char* start, const char* end) : visited(start, end), wanted(start, end) {}
  PositionBits visited;
  PositionBits wanted;
};

// What the fast pre-pass leaves for the tag loop.
struct PrescanFindings {
  PrescanFindings(const char* start, const char* end) : tags(start, end) {}
  std::vector<FoundScript> scripts;  // SCRIPT elements, in the order of the text
  VisitedTags tags;
};

// The pre-pass, with the memo of failed end-tag searches that the tag loop
// then shares. Without a memo it steps byte by byte, as the reference does.
// With findings, it records what the tag loop can use.
// The output is reserved to its budget, but to no more than reserveCap bytes.
int prescan(ConversionContext& context, const char* input, const char* inputEnd, ScriptCollection* scripts,
            std::string* output, ElementScanMemo* memo, PrescanFindings* findings = nullptr,
            std::size_t reserveCap = SIZE_MAX) {
  if (!input || !scripts || !output) return 0;
  context.objectCount = 0;
  std::size_t inputCount = 0;
  std::string elementText;
  const char* p = input;
  while (*p) {
    if (*p != '<') {
      if (memo) p = nextTag(p, inputEnd);
      else advance(p);
      continue;
    }
    const char* q = p + 1;
    skipSpace(q, 1);
    if (memo) {
      const PrescanLook look = lookAtTag(q);
      if (findings) {
        findings->tags.visited.set(p);
        if (look.wanted) findings->tags.wanted.set(p);
      }
      if (look.counted == PrescanLook::kObject) ++context.objectCount;
      if (look.counted == PrescanLook::kInput) ++inputCount;
      if (!look.mayConsume) {
        p = passTag(p, inputEnd);
        continue;
      }
    } else if (tagNameFollows(q, "object")) {
      ++context.objectCount;
    } else if (tagNameFollows(q, "input")) {
      ++inputCount;
    }
    bool consumed = false;
    const char* next = extractElement("script", p, &elementText, memo);
    if (next != p) {
      std::size_t bodyOffset = 0;
      const bool javaScript = collectScriptElement(elementText, *scripts, &bodyOffset);
      if (findings) findings->scripts.push_back(FoundScript{p, next, elementText.size(), bodyOffset, javaScript});
      p = next;
      consumed = true;
    }
    if (*p) {
      next = collectBodyHandlers(p, *scripts);
      if (next != p) {
        p = next;
        consumed = true;
      }
    }
    if (!consumed) {
      if (memo) p = passTag(p, inputEnd);
      else advance(p);
    }
  }
  const std::size_t length = static_cast<std::size_t>(inputEnd - input);
  // The budget of the design is (length + 150 * objects + 200 * inputs) * 2
  // + 1024. Reserving all of it would hold twice the page for a page that is
  // mostly copied through; the string grows when a page needs more. Only the
  // inputs keep their doubled share: a converted input's guard block alone
  // takes about 350 bytes.
  const std::size_t budget =
      length + 150 * static_cast<std::size_t>(context.objectCount) + 2 * 200 * inputCount + 1024;
  output->clear();
  output->reserve(std::min(budget, reserveCap));
  return 1;
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

}  // namespace

int prescanDocument(ConversionContext& context, const char* input, ScriptCollection* scripts, std::string* output) {
  if (!input) return 0;
  const char* inputEnd = input + std::strlen(input);
  ElementScanMemo memo(input, inputEnd);
  return prescan(context, input, inputEnd, scripts, output, &memo);
}

int convertText(ConversionContext& context, const char* input, std::string* output, ScriptCollection* scripts,
                const char* destPath) {
  return convertTextWith(context, input, output, scripts, destPath, ScanMode::Fast);
}

int convertTextWith(ConversionContext& context, const char* input, std::string* output, ScriptCollection* scripts,
                    const char* destPath, ScanMode mode, OutputSink* sink) {
  const bool fast = mode == ScanMode::Fast;
  context.appendix.reset();
  context.lastObjectClose.reset();
  context.stampTime.reset();
  if (!input || !output || !scripts) return 0;
  if (destPath) {
    if (!fitsPath(destPath)) return 0;
    context.destPath = destPath;
  }
  if (context.destPath.empty()) return 0;
  const char* inputEnd = input + std::strlen(input);
  ElementScanMemo memo(input, inputEnd);
  std::optional<PrescanFindings> findings;
  if (fast) findings.emplace(input, inputEnd);
  // With a sink the output holds about twice its threshold at most.
  const std::size_t reserveCap = sink ? 2 * sink->threshold() : SIZE_MAX;
  if (!prescan(context, input, inputEnd, scripts, output, fast ? &memo : nullptr, fast ? &*findings : nullptr,
               reserveCap)) {
    return 0;
  }

  TagLoop loop{context, *scripts, input, inputEnd, input, *output, std::nullopt};
  ObjectScratch objectScratch;
  loop.objectScratch = &objectScratch;
  loop.memo = fast ? &memo : nullptr;
  loop.foundScripts = fast ? &findings->scripts : nullptr;
  // The fast walk's step over a "<" that nothing claims.
  const auto pass = [&](const char* at) {
    return findings->tags.visited.test(at) ? findings->tags.wanted.nextAfter(at) : passTag(at, inputEnd);
  };
  const char* cursor = input;
  const char* formTestedAt = nullptr;  // each FORM tag is counted once
  while (*cursor) {
    if (sink && loop.out.size() > sink->threshold()) spillOutput(loop, *sink);
    const char* iterationStart = cursor;
    if (*cursor == '<') {
      const char* pos = cursor;
      bool mayClaim = true;    // some handler may claim the tag
      bool mayEndBody = true;  // a BODY or HTML end tag may stand here
      if (fast) {
        const char* name = cursor + 1;
        skipSpace(name, 1);
        if (passesUnchanged(name, loop.insertPointFixed)) {
          cursor = pass(cursor);
          continue;
        }
        mayClaim = handlerMayClaim(name);
        mayEndBody = nameStart(name) == '/' || mayClaim;
      }
      if (mayClaim && fast) {
        // Each handler claims only a tag whose name begins with its letter;
        // the others are not called. The name is looked at again only where
        // a handler moved on.
        char letter = handlerLetter(pos);
        const auto call = [&](char wanted, const char* (*handler)(TagLoop&, const char*)) {
          if (letter != wanted) return;
          const char* behind = handler(loop, pos);
          if (behind != pos) letter = handlerLetter(pos = behind);
        };
        call('o', handleObjectElement);
        call('s', handleScriptElement);
        call('e', handleEmbedElement);
        call('b', handleBodyElement);
        call('i', handleInputElement);
      } else if (mayClaim) {
        pos = handleObjectElement(loop, pos);
        pos = handleScriptElement(loop, pos);
        pos = handleEmbedElement(loop, pos);
        pos = handleBodyElement(loop, pos);
        pos = handleInputElement(loop, pos);
      }
      if (!loop.insertPointFixed && mayEndBody) {
        if (const char* behind = findBodyEnd(pos)) {
          // The end tag itself stays pending: the script reference goes before it.
          flushText(loop.out, loop.mark, pos, pos);
          cursor = behind;
          loop.insertPointFixed = 1;
          continue;
        }
      }
      cursor = pos;
      if (cursor != formTestedAt) {
        loop.formDepth += formDelta(cursor);
        formTestedAt = cursor;
      }
    }
    if (cursor == iterationStart) {
      if (!fast) advance(cursor);
      else if (*cursor == '<') cursor = pass(cursor);
      else cursor = nextTag(cursor, inputEnd);
    }
  }
  emitScriptReferences(loop);
  flushText(loop.out, loop.mark, loop.inputEnd);
  return 1;
}

}  // namespace engine
