#include "engine/scan.h"

#include <cstring>

namespace engine {

namespace {

// One step of advance: a run of whitespace and comments, or else one byte.
inline void step(const char*& p) {
  const char* q = p;
  skipSpace(q, 1);
  if (q != p) {
    p = q;
  } else if (*p) {
    ++p;
  }
}

}  // namespace

void skipSpaceRun(const char*& cursor, bool skipComments) {
  const char* p = cursor;
  if (!*p) return;
  for (;;) {
    if (isHtmlSpace(static_cast<unsigned char>(*p))) ++p;
    if (p[0] == '<' && p[1] == '!' && p[2] == '-' && p[3] == '-') {
      if (!skipComments) break;
      // The comment closes at the first "-->" behind its opening, which may
      // share no byte with it; unterminated, it runs to the end.
      const char* close = std::strstr(p + 4, "-->");
      p = close ? close + 3 : p + 4 + std::strlen(p + 4);
    }
    if (!*p || !isHtmlSpace(static_cast<unsigned char>(*p))) break;
  }
  cursor = p;
}

namespace {

// Bytes at which a token outside quotes may stop or change state: the end,
// whitespace, ">" and the double quote.
struct TokenStops {
  bool stops[256] = {};
  constexpr TokenStops() {
    for (unsigned char c : {'\0', ' ', '\t', '\n', '\r', '>', '"'}) stops[c] = true;
  }
};
constexpr TokenStops kTokenStops;

}  // namespace

void skipToken(const char*& cursor, int quoted) {
  // Runs of plain bytes are passed in tight loops; the byte that ends a run
  // gets the full test.
  const char* p = cursor;
  bool inQuotes = false;
  for (;;) {
    if (inQuotes) {
      while (*p && *p != '"') ++p;
    } else {
      while (!kTokenStops.stops[static_cast<unsigned char>(*p)]) ++p;
    }
    if (!*p) break;
    if (*p == '"') {
      if (quoted != 1) break;
      inQuotes = !inQuotes;
    } else if (!inQuotes) {
      break;  // whitespace or ">"
    }
    ++p;
  }
  cursor = p;
}

void skipAttribute(const char*& cursor) {
  skipToken(cursor, 1);
  skipSpace(cursor, 1);
}

void advance(const char*& cursor) {
  if (!*cursor) return;
  step(cursor);
  while (*cursor && isHtmlSpace(static_cast<unsigned char>(*cursor))) step(cursor);
}

void skipPastTagEnd(const char*& cursor) {
  while (*cursor && *cursor != '>') step(cursor);
  if (*cursor == '>') ++cursor;
}

void skipScriptBlanks(const char*& cursor, const char* textStart) {
  const char* p = cursor;
  bool inComment = false;
  bool inString = false;
  while (*p) {
    // Inside a comment or a string only a quote, the end or (in a comment)
    // a line break changes anything.
    if (inComment || inString) {
      while (*p && *p != '"' && !(inComment && isLineBreak(static_cast<unsigned char>(*p)))) ++p;
      if (!*p) break;
    }
    const char* passStart = p;
    if (!inComment && !inString && isScriptCommentStart(p, textStart)) {
      inComment = true;
      ++p;
    }
    if (inComment && isLineBreak(static_cast<unsigned char>(*p))) {
      ++p;
      inComment = false;
    }
    if (*p == '"') {
      if (!inString) {
        inString = true;
        ++p;
      } else if (p[1] == '"') {
        p += 2;
      } else {
        inString = false;
        ++p;
      }
    }
    if (p == passStart && (isHtmlSpace(static_cast<unsigned char>(*p)) || inComment || inString)) ++p;
    if (!*p) break;
    if (!inComment && !inString && !isHtmlSpace(static_cast<unsigned char>(*p)) && *p != '"' &&
        !isScriptCommentStart(p, textStart)) {
      break;
    }
  }
  cursor = p;
}

int matchWord(const char* word, const char* p) {
  if (!word || !p) return 0;
  const std::size_t n = std::strlen(word);
  return strnicmpAscii(p, word, n) == 0 && isHtmlSpace(static_cast<unsigned char>(p[n]));
}

int matchEndTag(const char*& cursor, const char* name) {
  if (!name) return 0;
  const char* q = cursor;
  skipSpace(q, 1);
  if (*q != '<') return 0;
  ++q;
  skipSpace(q, 1);
  if (*q != '/') return 0;
  ++q;
  const std::size_t n = std::strlen(name);
  if (strnicmpAscii(q, name, n) != 0) return 0;
  q += n;
  skipSpace(q, 1);
  if (*q != '>') return 0;
  cursor = q + 1;
  return 1;
}

const char* readAttributeAt(const char* name, std::size_t n, const char* cursor, std::string_view* value) {
  if (strnicmpAscii(cursor, name, n) != 0) return cursor;
  const char* v = cursor + n;
  skipSpace(v, 1);
  if (*v != '=') return cursor;
  ++v;
  skipSpace(v, 1);
  const bool quoted = *v == '"';
  const char* start = quoted ? v + 1 : v;
  // skipToken, with the usual cases taken here: a quoted part is passed in
  // one search, and so is an unquoted value.
  if (quoted) {
    const char* close = std::strchr(start, '"');
    if (close) {
      v = close + 1;
      if (!kTokenStops.stops[static_cast<unsigned char>(*v)] || *v == '"') skipToken(v, 1);
    } else {
      v = start + std::strlen(start);
    }
  } else {
    while (!kTokenStops.stops[static_cast<unsigned char>(*v)]) ++v;
  }
  // The value ends one byte before the scan when quoted (the closing quote).
  // A lone opening quote at the very end of the text gives an empty value.
  std::size_t length = v > start ? static_cast<std::size_t>(v - start) : 0;
  if (quoted && length > 0) --length;
  if (length > kMaxValueLength) length = kMaxValueLength;
  *value = std::string_view(start, length);
  return v;
}

const char* readAttributeAt(const char* name, std::size_t n, const char* cursor, std::string* value) {
  std::string_view view;
  const char* behind = readAttributeAt(name, n, cursor, &view);
  if (behind != cursor) value->assign(view.data(), view.size());
  return behind;
}

PositionBits& ElementScanMemo::bitsFor(const char* tag) {
  for (TagBits& entry : tags_) {
    // Compared with its terminating NUL: the same name, ignoring case.
    if (strnicmpAscii(entry.name.c_str(), tag, entry.name.size() + 1) == 0) return entry.bits;
  }
  tags_.push_back(TagBits{tag, PositionBits(start_, end_)});
  return tags_.back().bits;
}

namespace {

// At a "<" of the end-tag search: passes it and whitespace and comments, then
// tests for "/" and tag, whitespace and comments, ">". True with q past the
// ">" on a match; otherwise q stays where the test stopped (the walk goes on
// from there), possibly at the end of the text.
inline bool testEndTag(const char* tag, std::size_t n, const char*& q) {
  ++q;
  skipSpace(q, 1);
  if (!*q || *q != '/' || strnicmpAscii(q + 1, tag, n) != 0) return false;
  q += 1 + n;
  skipSpace(q, 1);
  if (*q != '>') return false;
  ++q;
  return true;
}

// The end-tag search of extractElement from the first loop position q. Calls
// visit(position) at the top of every pass; a false answer abandons the search.
// Returns the position past the end tag's ">" and sets *contentEnd to the byte
// before its "<", or returns null when there is no end tag.
template <typename Visit>
const char* findEndTag(const char* tag, std::size_t n, const char* q, const char** contentEnd, Visit visit) {
  for (;;) {
    if (!visit(q)) return nullptr;
    if (*q == '<') {
      *contentEnd = q - 1;
      if (testEndTag(tag, n, q)) return q;
      if (!*q) return nullptr;
    }
    advance(q);
    if (!*q) return nullptr;
  }
}

// The same search, but from every loop position that is not a "<" it jumps to
// the next loop position that is one, instead of stepping there with advance.
// The loop positions it visits are exactly the "<" positions of findEndTag's
// walk plus, at most, one other position in front of each: the search finds
// the same end tag. Between a position that is not a "<" and the next "<" in
// the text, advance passes every byte in steps that cannot pass a "<"; so that
// "<" is a loop position, except when it opens a comment right behind
// whitespace: the step over that whitespace also passes the comment (and any
// whitespace and comments behind it), exactly as skipSpace from the "<" does.
// Where the jump starts is a function of the position alone, so a memo of
// failed searches stays valid.
template <typename Visit>
const char* findEndTagJumping(const char* tag, std::size_t n, const char* q, const char** contentEnd, Visit visit) {
  for (;;) {
    if (!visit(q)) return nullptr;
    if (*q == '<') {
      // As findEndTag: the walk goes on from where the end-tag test stopped.
      *contentEnd = q - 1;
      if (testEndTag(tag, n, q)) return q;
      if (!*q) return nullptr;
      advance(q);
      if (!*q) return nullptr;
      if (*q == '<') continue;
    }
    // From q (not a "<") to the next loop position that is a "<", or the end.
    for (;;) {
      const char* lt = std::strchr(q + 1, '<');
      if (!lt) return nullptr;
      if (lt[1] == '!' && lt[2] == '-' && lt[3] == '-' && isHtmlSpace(static_cast<unsigned char>(lt[-1]))) {
        skipSpace(lt, 1);
        if (!*lt) return nullptr;
        if (*lt != '<') {
          q = lt;  // a loop position behind the comment; look on from there
          if (!visit(q)) return nullptr;
          continue;
        }
      }
      q = lt;
      break;
    }
  }
}

}  // namespace

const char* extractElement(const char* tag, const char* p, std::string* content) {
  return extractElement(tag, p, content, nullptr);
}

const char* extractElement(const char* tag, const char* p, std::string* content, ElementScanMemo* memo) {
  if (!content || !tag || !*p || !p[1]) return p;
  const std::size_t n = std::strlen(tag);
  const char* q = p + 1;
  skipSpace(q, 1);
  if (strnicmpAscii(q, tag, n) != 0) return p;
  q += n;
  const char* contentStart = q;
  const char* contentEnd = q - 1;  // last byte of the content (inclusive)
  skipSpace(q, 1);
  if (!*q) return p;
  const char* behind = nullptr;
  if (memo && memo->covers(q)) {
    // A search that meets a position of a failed search fails too. A search
    // that fails walks its path again to mark every position on it.
    PositionBits& bits = memo->bitsFor(tag);
    behind = findEndTagJumping(tag, n, q, &contentEnd, [&](const char* at) { return !bits.test(at); });
    if (!behind) {
      const char* ignored = nullptr;
      findEndTagJumping(tag, n, q, &ignored, [&](const char* at) {
        if (bits.test(at)) return false;
        bits.set(at);
        return true;
      });
    }
  } else {
    behind = findEndTag(tag, n, q, &contentEnd, [](const char*) { return true; });
  }
  if (!behind) return p;
  if (contentEnd >= contentStart) {
    content->assign(contentStart, static_cast<std::size_t>(contentEnd - contentStart + 1));
  } else {
    content->clear();
  }
  return behind;
}

int flushText(std::string& out, const char*& mark, const char* upto, const char* newMark) {
  int copied = 0;
  if (upto > mark) {
    out.append(mark, static_cast<std::size_t>(upto - mark));
    copied = 1;
  }
  if (newMark) mark = newMark;
  return copied;
}

std::string_view captureIndent(const char* before, const char* docStart) {
  if (!before || before < docStart) return "\n";
  const char* p = before;
  while (p > docStart && isHtmlSpace(static_cast<unsigned char>(*p)) && !isLineBreak(static_cast<unsigned char>(*p))) --p;
  // Only an element indented at the start of its line repeats its indentation;
  // after other text on the line, page text is never repeated.
  if (p == before || p == docStart || !isLineBreak(static_cast<unsigned char>(*p))) return "\n";
  return std::string_view(p, static_cast<std::size_t>(before - p + 1));
}

void splitPath(const char* path, std::string* baseName, std::string* directory) {
  if (baseName) baseName->clear();
  if (directory) directory->clear();
  if (!path) return;
  const std::size_t length = std::strlen(path);
  std::size_t lastSep = std::string::npos;
  std::size_t lastDot = std::string::npos;
  for (std::size_t i = 0; i < length; ++i) {
    if (path[i] == '\\' || path[i] == '/') lastSep = i;
    if (path[i] == '.') lastDot = i;
  }
  const std::size_t baseStart = lastSep == std::string::npos ? 0 : lastSep + 1;
  // A "." in a directory name is not an extension: the file name is then taken
  // whole, so that side files stay in the destination's folder.
  const std::size_t baseEnd = (lastDot != std::string::npos && lastDot >= baseStart) ? lastDot : length;
  if (baseName) baseName->assign(path + baseStart, baseEnd - baseStart);
  if (directory) directory->assign(path, baseStart);
}

namespace {
int hasExtension(const char* name, const char* ext) {
  if (!name) return 0;
  const char* dot = std::strchr(name, '.');
  if (!dot) return 0;
  return std::strlen(dot) == std::strlen(ext) && strnicmpAscii(dot, ext, std::strlen(ext)) == 0;
}
}  // namespace

int hasAxsExtension(const char* name) { return hasExtension(name, ".axs"); }
int hasOdsExtension(const char* name) { return hasExtension(name, ".ods"); }
int hasAlxExtension(const char* name) { return hasExtension(name, ".alx"); }

bool isScriptReferenceSource(std::string_view src) {
  const std::size_t firstDot = src.find('.');
  const std::size_t lastDot = src.rfind('.');
  if (firstDot == std::string_view::npos) return false;
  const auto isAxs = [&](std::size_t dot) {
    return src.size() - dot == 4 && strnicmpAscii(src.data() + dot, ".axs", 4) == 0;
  };
  if (isAxs(firstDot)) return true;
  return src.find_first_of("/\\") == std::string_view::npos && isAxs(lastDot);
}

}  // namespace engine
