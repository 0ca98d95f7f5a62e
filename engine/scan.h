// Scanning and text primitives of the page conversion engine.
//
// Conventions for every function here:
// - Text is 8-bit bytes, NUL-terminated, with no character-set conversion. A
//   "position" is a pointer into such a text; "the end of the text" is its NUL.
// - Functions that move a position take it by reference (a cursor) and leave it
//   on the first byte they did not consume. None of them moves past the NUL, and
//   none reads past it.
// - Whitespace is exactly TAB, LF, CR and SPACE; a line break is CR or LF.
// - Names, keywords and literals compare case-insensitively over ASCII, over the
//   length of the literal (like _strnicmp).
// - An HTML comment opens with "<!--" and closes with "-->"; an unterminated
//   comment runs to the end of the text.
// - Attribute values keep at most kMaxValueLength bytes; longer ones are cut.
#pragma once

#include <cstddef>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/position_bits.h"

namespace engine {

constexpr std::size_t kMaxValueLength = 255;  // a value buffer of 256 bytes
constexpr std::size_t kPathCapacity = 260;    // a path buffer, NUL included

// --- Character tests -------------------------------------------------------

inline int isHtmlSpace(int c) { return c == ' ' || (c <= '\r' && (c == '\t' || c == '\n' || c == '\r')); }
inline int isLineBreak(int c) { return c == '\r' || c == '\n'; }
// 1 when the byte at p is an apostrophe, or when the byte before p is a line
// break and the text at p begins with "rem " (case-insensitive). A position at
// textStart counts as not preceded by a line break.
inline int isScriptCommentStart(const char* p, const char* textStart);

// Every byte with ASCII capitals made small.
struct AsciiLowerTable {
  unsigned char map[256] = {};
  constexpr AsciiLowerTable() {
    for (int c = 0; c < 256; ++c) map[c] = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
  }
};
inline constexpr AsciiLowerTable kAsciiLower{};

// Case-insensitive ASCII comparison of the first n bytes (stops at a NUL that
// both share); 0 when equal.
inline int strnicmpAscii(const char* a, const char* b, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char ca = kAsciiLower.map[static_cast<unsigned char>(a[i])];
    const unsigned char cb = kAsciiLower.map[static_cast<unsigned char>(b[i])];
    if (ca != cb) return ca < cb ? -1 : 1;
    if (!ca) return 0;
  }
  return 0;
}
// 1 when the text at p begins with literal (case-insensitive).
inline int startsWithNoCase(const char* p, const char* literal) {
  return strnicmpAscii(p, literal, std::strlen(literal)) == 0;
}

inline int isScriptCommentStart(const char* p, const char* textStart) {
  if (*p == '\'') return 1;
  return p > textStart && isLineBreak(static_cast<unsigned char>(p[-1])) && startsWithNoCase(p, "rem ");
}

// --- Cursor movers ---------------------------------------------------------

// Skips whitespace; with skipComments also whole comments met in the run.
// Without it stops on the "<" that opens a comment.
void skipSpaceRun(const char*& cursor, bool skipComments);
inline void skipSpace(const char*& cursor, bool skipComments) {
  // Most calls start on a byte that neither is whitespace nor opens a comment.
  const unsigned char c = static_cast<unsigned char>(*cursor);
  if (c == '<') {
    if (cursor[1] == '!') skipSpaceRun(cursor, skipComments);  // else no comment opens here
  } else if (isHtmlSpace(c)) {
    // A lone whitespace byte before a byte that neither is whitespace nor
    // may open a comment (or the end) is passed alone, as the run would pass it.
    const unsigned char d = static_cast<unsigned char>(cursor[1]);
    if (d != '<' && !isHtmlSpace(d)) ++cursor;
    else skipSpaceRun(cursor, skipComments);
  }
}
// Moves to the first ">" or whitespace byte. quoted == 1: double quotes toggle
// an in-quotes state in which ">" and whitespace do not stop. Otherwise a
// double quote also stops the scan.
void skipToken(const char*& cursor, int quoted);
// One attribute (name, "=", value) and the whitespace and comments behind it.
void skipAttribute(const char*& cursor);
// One step (a run of whitespace and comments, or else one byte), then further
// steps while the byte reached is whitespace. A loop driven by advance passes
// comments as units.
void advance(const char*& cursor);
// Steps as advance does until ">" or the end, then passes the ">". Quotes are
// not honoured.
void skipPastTagEnd(const char*& cursor);
// Skips, in script text that starts at textStart, whitespace, line comments
// (apostrophe, or "rem " at the start of a line) and string literals (with
// doubled quotes inside). Stops on the first other byte.
void skipScriptBlanks(const char*& cursor, const char* textStart);

// --- Matchers --------------------------------------------------------------

// 1 when both are given, the text at p begins with word and whitespace follows.
int matchWord(const char* word, const char* p);
// An end tag for name at the cursor: [ws/comments] "<" [ws/comments] "/" name
// [ws/comments] ">". On success moves the cursor past ">" and returns 1.
int matchEndTag(const char*& cursor, const char* name);
// Reads `name=value` beginning exactly at cursor (whitespace and comments are
// allowed around "="). Returns the position just after the value on a match,
// else cursor itself; the cursor is never moved. A value longer than
// kMaxValueLength is cut, but the returned position is past the whole value.
// With a null value it returns cursor at once. The form with nameLength
// requires both name and value.
const char* readAttributeAt(const char* name, std::size_t nameLength, const char* cursor, std::string* value);
// The same with the value as a view into the text, for callers that only look
// at it while the text lives.
const char* readAttributeAt(const char* name, std::size_t nameLength, const char* cursor, std::string_view* value);
template <typename Value>
inline const char* readAttributeAt(const char* name, const char* cursor, Value* value) {
  // Inlined, so that the length of a literal name is known when compiling.
  if (!value || !name) return cursor;
  return readAttributeAt(name, std::strlen(name), cursor, value);
}
inline const char* readAttributeAt(const char*, const char* cursor, std::nullptr_t) { return cursor; }
inline const char* readAttribute(const char*, const char* cursor, std::nullptr_t) { return cursor; }
template <typename Value>
inline const char* readAttribute(const char* name, const char* cursor, Value* value) {
  // Most attribute positions do not begin with the name's first letter:
  // rejected here without a call (the full test gives the same answer).
  const unsigned char a = static_cast<unsigned char>(*cursor) | 0x20;
  const unsigned char b = name ? static_cast<unsigned char>(*name) | 0x20 : 0;
  if (name && *name && a != b) return cursor;
  return readAttributeAt(name, cursor, value);
}
// Recognises an element opened at p (the byte at p is its "<", not examined)
// named tag and closed by the first matching end tag not hidden in a comment.
// Copies the text between the tag name and the "<" of the end tag into
// content and returns the position past the end tag's ">"; returns p when
// there is no such element or content is null.
const char* extractElement(const char* tag, const char* p, std::string* content);

// Remembers, for one text, the positions from which the search for an end tag
// is known to fail, per tag name. The search from a position is deterministic,
// so a later search that reaches such a position fails too: with a memo,
// repeated searches over a page full of unclosed elements stay linear.
class ElementScanMemo {
 public:
  ElementScanMemo(const char* textStart, const char* textEnd) : start_(textStart), end_(textEnd) {}
  bool covers(const char* p) const { return p >= start_ && p <= end_; }
  // One bit per position: a search for tag from there fails.
  PositionBits& bitsFor(const char* tag);

 private:
  const char* start_;
  const char* end_;
  struct TagBits {
    std::string name;
    PositionBits bits;
  };
  std::vector<TagBits> tags_;
};

// extractElement with a memo of failed searches over the same text; gives the
// same results as without one.
const char* extractElement(const char* tag, const char* p, std::string* content, ElementScanMemo* memo);

// --- Writers and utilities -------------------------------------------------

// Appends the bytes from mark up to (not including) upto to out; nothing when
// upto is not after mark. Then, only when newMark is given, sets mark to it.
// Returns 1 when bytes were copied.
int flushText(std::string& out, const char*& mark, const char* upto, const char* newMark = nullptr);
// The indentation to repeat in front of generated markup for an element whose
// "<" follows the byte `before`, in a text starting at docStart: the line break
// and the spaces and tabs in front of the element, or a single LF when the
// element does not stand indented at the start of its line. A view into the
// text (or of a literal LF).
std::string_view captureIndent(const char* before, const char* docStart);
// Splits a file path into the base name without extension and the directory
// with its trailing separator. A file name without "." is taken whole as the
// base name. directory may be null.
void splitPath(const char* path, std::string* baseName, std::string* directory);
// 1 when the text from the first "." of name to its end is ".axs" / ".ods" /
// ".alx" (case-insensitive, exact length); 0 otherwise and for null.
int hasAxsExtension(const char* name);
int hasOdsExtension(const char* name);
int hasAlxExtension(const char* name);
// Whether the SRC value of an EMBED names a page's script file, so that the
// EMBED is a script reference of an earlier conversion: hasAxsExtension, or a
// bare file name (no "/" or "\\") whose text from its last "." is ".axs", as
// the script file of a page named my.page.htm is my.page.AXS.
bool isScriptReferenceSource(std::string_view src);

}  // namespace engine
