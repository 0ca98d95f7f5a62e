// The two walks over an OBJECT element's content: the start tag's attributes,
// then the PARAM and EMBED tags inside the element.
#include <cstring>

#include "engine/objects.h"
#include "engine/scan.h"

namespace engine {

namespace {

// Whitespace (TAB, LF, CR, SPACE) looked up rather than compared: the walks
// test it in their loops.
struct SpaceBytes {
  bool space[256] = {};
  constexpr SpaceBytes() {
    for (unsigned char c : {'\t', '\n', '\r', ' '}) space[c] = true;
  }
};
constexpr SpaceBytes kSpaceBytes;

inline bool isSpaceByte(char c) { return kSpaceBytes.space[static_cast<unsigned char>(c)]; }

// strnicmpAscii(p, literal, N - 1) == 0 for a literal of lower-case letters
// only: a byte matches such a letter, ignoring case, exactly when it equals
// the letter once its 0x20 bit is set. The first byte that differs ends the
// test, so nothing past the text's end is read.
template <std::size_t N>
bool startsWithLiteral(const char* p, const char (&literal)[N]) {
  for (std::size_t i = 0; i + 1 < N; ++i) {
    if ((p[i] | 0x20) != literal[i]) return false;
  }
  return true;
}

// Bytes at which a token ends outside quotes: the end, whitespace and ">".
inline bool endsToken(char c) { return !c || c == '>' || isSpaceByte(c); }

// readAttribute for a literal name, the value as a view into the text.
template <std::size_t N>
inline const char* readValueAt(const char* cursor, const char (&name)[N], std::string_view& value) {
  return readAttributeAt(name, N - 1, cursor, &value);
}

// advance, as the walk over the content uses it: a run of plain bytes or of
// whitespace is passed in one loop (advance passes such a run a byte at a
// time, or as one step); comments are left to advance itself.
inline void passContent(const char*& p) {
  const char* q = p;
  if (isSpaceByte(*q)) {
    while (isSpaceByte(*q)) ++q;
    if (q[0] == '<' && q[1] == '!' && q[2] == '-' && q[3] == '-') {
      advance(p);  // the run goes on through the comment
      return;
    }
  } else if (*q != '<') {
    while (*q && *q != '<' && !isSpaceByte(*q)) ++q;
  } else {
    advance(p);
    return;
  }
  p = q;
}

// matchWord for a lower-case literal.
template <std::size_t N>
bool wordFollows(const char* p, const char (&word)[N]) {
  return startsWithLiteral(p, word) && isSpaceByte(p[N - 1]);
}

// Whether an end tag may start behind the whitespace that ends at p:
// matchEndTag needs there a "<" that opens a comment or is followed by
// whitespace, a comment or "/". Decides most positions without the full test.
inline bool mayOpenEndTag(const char* p) {
  return p[0] == '<' && (p[1] == '/' || p[1] == '!' || p[1] == '<' || isSpaceByte(p[1]));
}

// flushText into a TextBuffer.
inline void flushInto(TextBuffer& text, const char*& mark, const char* upto, const char* newMark) {
  if (upto > mark) text.append(std::string_view(mark, static_cast<std::size_t>(upto - mark)));
  mark = newMark;
}

// Copies the EMBED text's pending content up to the attribute at
// attributeStart, writes newName in place of the attribute's name (nameLength
// bytes) and moves the mark to the "=", so that the value follows unchanged.
void renameAttribute(TextBuffer& text, const char*& mark, const char* attributeStart, std::size_t nameLength,
                     std::string_view newName) {
  const char* equals = attributeStart + nameLength;
  skipSpace(equals, 1);
  flushInto(text, mark, attributeStart, equals);
  text.append(newName);
}

// Replaces a zero size attribute (from attributeStart to behind its value)
// by attribute (name=1).
void replaceZeroSize(TextBuffer& text, const char*& mark, const char* attributeStart, const char* behind,
                     std::string_view attribute) {
  flushInto(text, mark, attributeStart, behind);
  appendAttribute(text, std::string_view(), attribute);
}

// Passes one attribute that no rule consumed; always moves at least one byte.
void passAttribute(const char*& p) {
  const char* before = p;
  skipAttribute(p);
  if (p == before && *p) ++p;
}

// Reads the values of the attributes firstName and secondName of a tag whose
// attributes start at p, up to its ">" (not passed) or the end of the text.
// Blanks and comments are skipped before each attribute; a later occurrence
// replaces an earlier one.
template <std::size_t N1, std::size_t N2>
const char* readTagValues(const char* p, const char (&firstName)[N1], std::optional<std::string_view>& first,
                          const char (&secondName)[N2], std::optional<std::string_view>& second) {
  std::string_view value;
  for (;;) {
    skipSpace(p, 1);
    if (!*p || *p == '>') return p;
    const char* behind = readValueAt(p, firstName, value);
    if (behind != p) {
      first = value;
    } else if ((behind = readValueAt(p, secondName, value)) != p) {
      second = value;
    } else {
      passAttribute(p);
      continue;
    }
    p = behind;
  }
}

template <std::size_t N>
bool equalsNoCase(std::string_view value, const char (&literal)[N]) {
  return value.size() == N - 1 && strnicmpAscii(value.data(), literal, N - 1) == 0;
}

// 1 when the text from the first "." of value to its end is extension (a
// literal with its dot), ignoring case: hasAlxExtension and the like over a
// view.
template <std::size_t N>
bool hasExtension(std::string_view value, const char (&extension)[N]) {
  std::size_t dot = 0;
  while (dot < value.size() && value[dot] != '.') ++dot;
  return dot < value.size() && equalsNoCase(value.substr(dot), extension);
}

template <typename Text>
void dropFinalLineFeed(Text& text) {
  if (!text.empty() && text.back() == '\n') text.pop_back();
}

// An EMBED tag written by an earlier conversion of the page.
bool isGeneratedEmbed(const std::optional<std::string_view>& type, const std::optional<std::string_view>& src) {
  if (type && (equalsNoCase(*type, "application/oleobject") || equalsNoCase(*type, "application/x-oleobject"))) {
    return true;
  }
  return src && (hasExtension(*src, ".ods") || isScriptReferenceSource(*src));
}

// Passes a page's script reference at p (an EMBED tag whose SRC names a script
// file); p stays when there is none.
void passScriptReference(const char*& p) {
  const char* q = p;
  if (*q++ != '<') return;
  while (isSpaceByte(*q)) ++q;
  if (!wordFollows(q, "embed")) return;
  std::optional<std::string_view> src;
  std::optional<std::string_view> unused;
  q = readTagValues(q + 5, "src", src, "type", unused);
  if (*q != '>' || !src || !isScriptReferenceSource(*src)) return;
  p = q + 1;
}

}  // namespace

namespace {

// Reads the attribute at p when the start tag walk knows its name, writing
// what it changes into the EMBED text. Returns the position behind its value,
// or p for any other attribute. The names differ in their first letter, apart
// from CODEBASE and CLASSID: at most one of them matches.
const char* readKnownAttribute(const char* p, const char* content, TextBuffer& embedText, const char*& embedMark,
                               ObjectFields& fields) {
  std::string_view value;
  const char* behind = p;
  switch (*p | 0x20) {
    case 'd':
      if ((behind = readValueAt(p, "data", value)) != p) {
        renameAttribute(embedText, embedMark, p, 4, "SRC");
        fields.wantsPropertyFile = false;
      }
      break;
    case 'c':
      if ((behind = readValueAt(p, "codebase", value)) != p) {
        const char* run = p;
        while (run > content && isSpaceByte(run[-1])) --run;
        fields.separator = std::string_view(run, static_cast<std::size_t>(p - run));
      } else if ((behind = readValueAt(p, "classid", value)) != p) {
        fields.classId = value;
      }
      break;
    case 'i':
      if ((behind = readValueAt(p, "id", value)) != p) {
        fields.objectName = value;
        renameAttribute(embedText, embedMark, p, 2, "NAME");
      }
      break;
    case 'n':
      if ((behind = readValueAt(p, "name", value)) != p) fields.objectName = value;
      break;
    case 't':
      if ((behind = readValueAt(p, "type", value)) != p) fields.typeValue = value;
      break;
    case 'w':
      if ((behind = readValueAt(p, "width", value)) != p) {
        fields.width = value;
        if (sizeReadingIsZero(value)) replaceZeroSize(embedText, embedMark, p, behind, "WIDTH=1");
      }
      break;
    case 'h':
      if ((behind = readValueAt(p, "height", value)) != p) {
        fields.height = value;
        if (sizeReadingIsZero(value)) replaceZeroSize(embedText, embedMark, p, behind, "HEIGHT=1");
      }
      break;
    default:
      break;
  }
  return behind;
}

}  // namespace

const char* readObjectStartTag(const char* content, TextBuffer& embedText, const char*& embedMark,
                               ObjectFields& fields) {
  const char* p = content;
  for (;;) {
    skipSpace(p, 1);
    if (!*p || *p == '>') return p;
    const char* behind = readKnownAttribute(p, content, embedText, embedMark, fields);
    if (behind == p) {
      passAttribute(p);
      continue;
    }
    p = behind;
  }
}

namespace {

// A PARAM tag at tagStart, its name at q: the text in front of it goes into
// the EMBED text, the PARAM itself becomes an attribute there and stays in
// the OBJECT text. Returns where the walk goes on.
const char* convertParam(const char* tagStart, const char* q, TextBuffer& embedText, const char*& embedMark,
                         bool& isLayoutControl) {
  std::optional<std::string_view> name;
  std::optional<std::string_view> value;
  q = readTagValues(q + 5, "name", name, "value", value);
  if (*q == '>') ++q;
  // Behind the tag, the walk goes on after the whitespace there unless an end
  // tag or a comment follows it (then from the tag's end, as the loop passes
  // whitespace and comments together).
  const char* next = q;
  while (isSpaceByte(*next)) ++next;
  if (mayOpenEndTag(next)) {
    matchEndTag(q, "param");
    next = q;
  }
  flushInto(embedText, embedMark, tagStart, q);
  if (name && !name->empty()) {
    const std::string_view paramValue = value.value_or(std::string_view());
    if (equalsNoCase(*name, "ALXPATH") || hasExtension(paramValue, ".alx")) isLayoutControl = true;
    if (embedText.empty() || !isSpaceByte(embedText.back())) embedText.push_back(' ');
    embedText.append("PARAM_");
    embedText.append(*name);
    embedText.append("=\"");
    embedText.append(paramValue);
    embedText.push_back('"');
  }
  return next;
}

// An EMBED tag at tagStart, its name at q: the text in front of it goes into
// both texts; an EMBED of an earlier conversion is cut out of both, with one
// LF in front of it. Returns the position behind the tag.
const char* passEmbed(const char* tagStart, const char* q, TextBuffer& embedText, const char*& embedMark,
                      std::string& objectText, const char*& objectMark) {
  std::optional<std::string_view> type;
  std::optional<std::string_view> src;
  q = readTagValues(q + 5, "type", type, "src", src);
  if (*q == '>') ++q;
  flushInto(embedText, embedMark, tagStart, tagStart);
  flushText(objectText, objectMark, tagStart, tagStart);
  if (isGeneratedEmbed(type, src)) {
    dropFinalLineFeed(embedText);
    dropFinalLineFeed(objectText);
    embedMark = q;
    objectMark = q;
  }
  return q;
}

}  // namespace

const char* walkObjectContent(const char* position, TextBuffer& embedText, const char*& embedMark,
                              std::string& objectText, const char*& objectMark, bool& isLayoutControl) {
  const char* p = position;
  while (*p) {
    // Comments are passed as units, also one that directly follows a tag.
    if (*p != '<' || (p[1] == '!' && p[2] == '-' && p[3] == '-')) {
      passContent(p);
      continue;
    }
    const char* q = p + 1;
    while (isSpaceByte(*q)) ++q;
    if (wordFollows(q, "param")) {
      p = convertParam(p, q, embedText, embedMark, isLayoutControl);
    } else if (wordFollows(q, "embed")) {
      p = passEmbed(p, q, embedText, embedMark, objectText, objectMark);
    } else {
      skipPastTagEnd(p);
    }
  }
  return p;
}

namespace {

// The tail of an object's content that an EMBED of an earlier conversion may
// end: the content's last ">" (end points behind it), behind which only
// whitespace and the page's script reference (from reference to
// referenceEnd, when there is one) may stand.
struct ContentTail {
  const char* end;
  const char* reference = nullptr;
  const char* referenceEnd = nullptr;
};

ContentTail findContentTail(const char* first, const char* textEnd) {
  ContentTail tail{textEnd};
  while (tail.end > first && isSpaceByte(tail.end[-1])) --tail.end;
  for (const char* lt = tail.end; lt > first;) {
    if (*--lt != '<') continue;
    const char* behind = lt;
    passScriptReference(behind);
    if (behind == tail.end) {
      tail.reference = lt;
      tail.referenceEnd = tail.end;
      tail.end = lt;
      while (tail.end > first && isSpaceByte(tail.end[-1])) --tail.end;
    }
    break;
  }
  return tail;
}

}  // namespace

void dropOwnGeneratedEmbed(std::string& content, std::size_t from, std::string_view ownAttributes) {
  if (ownAttributes.find_first_not_of(" \t\r\n") == std::string_view::npos) return;
  const char* const text = content.c_str();
  const char* const first = text + from;
  const char* const textEnd = text + content.size();
  const ContentTail tail = findContentTail(first, textEnd);
  const char* const end = tail.end;
  const char* const reference = tail.reference;
  if (end == first || end[-1] != '>') return;

  // Its start: the first "<EMBED" with the object's own attributes (found
  // without joining the two, which for a large start tag would copy it).
  constexpr std::string_view kEmbed = "<EMBED";
  std::size_t start = content.find(kEmbed.data(), from, kEmbed.size());
  while (start != std::string::npos &&
         content.compare(start + kEmbed.size(), ownAttributes.size(), ownAttributes.data(), ownAttributes.size()) != 0) {
    start = content.find(kEmbed.data(), start + 1, kEmbed.size());
  }
  if (start == std::string::npos || text + start + kEmbed.size() + ownAttributes.size() > end) return;

  // The walk over the content cuts an EMBED of an earlier conversion and a
  // script reference out of the texts it builds: the text up to each loses
  // one final LF, and the text behind each stays. The same here, with the
  // old EMBED taken whole, whatever tags its text holds.
  std::size_t keep = start;
  if (keep > from && content[keep - 1] == '\n') --keep;
  std::string rest(end, reference ? reference : textEnd);
  if (reference) {
    if (!rest.empty() && rest.back() == '\n') {
      rest.pop_back();
    } else if (rest.empty() && keep > from && content[keep - 1] == '\n') {
      --keep;
    }
    rest.append(tail.referenceEnd, textEnd);
  }
  // Removing bytes never moves those in front, so views into the start tag
  // stay valid.
  content.erase(keep);
  content.append(rest);
}

}  // namespace engine
