// SCRIPT elements, EMBED tags of earlier conversions, the script reference and
// the page's script file.
#include "engine/scripts.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "engine/scan.h"
#include "engine/tag_loop.h"

namespace engine {

const char kGuardMarker[] = "\n// Tarnwick Brightloom(TM) -- do not remove this comment";

namespace {

constexpr std::size_t kMarkerLength = sizeof kGuardMarker - 1;

inline bool isSpaceByte(char c) { return isHtmlSpace(static_cast<unsigned char>(c)) != 0; }

// The guard around markup, split where the marker and the markup go.
constexpr std::string_view kGuardHead = "\n<SCRIPT LANGUAGE=\"JavaScript\">\n<!--";
constexpr std::string_view kGuardMiddle =
    "\nua = navigator.appName;\nua = ua.toLowerCase();\nif ((ua.indexOf('netscape',0)) != -1) {document.writeln('";
constexpr std::string_view kGuardTail = "');\n}\n//-->\n</SCRIPT>\n";

// 1 when the text from text up to end holds the guard marker, ignoring case.
bool containsGuardMarker(const char* text, const char* end) {
  for (const char* p = text; static_cast<std::size_t>(end - p) >= kMarkerLength; ++p) {
    p = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
    if (!p) return false;
    if (static_cast<std::size_t>(end - p) >= kMarkerLength && strnicmpAscii(p, kGuardMarker, kMarkerLength) == 0) {
      return true;
    }
  }
  return false;
}

// rewriteJavaScriptBlock over an element text that runs from elementText up
// to elementEnd, whose body begins at body: appends the replacement to out.
int appendJavaScriptRewrite(const char* elementText, const char* body, const char* elementEnd, std::string& out) {
  if (containsGuardMarker(body, elementEnd)) return 1;  // an old guard: removed whole
  const std::size_t length = static_cast<std::size_t>(elementEnd - body);
  std::size_t last = length;
  while (last > 0 && isSpaceByte(body[last - 1])) --last;
  if (last < 3 || std::strncmp(body + last - 3, "-->", 3) != 0) return 0;
  const std::size_t close = last - 3;  // the "-->"
  // Back from the last character to a line break, a "//" or the first byte.
  std::size_t i = last - 1;
  for (;;) {
    if (isLineBreak(static_cast<unsigned char>(body[i]))) break;
    if (body[i] == '/' && body[i + 1] == '/') return 0;
    if (i == 0) return 0;
    --i;
  }
  out.reserve(out.size() + static_cast<std::size_t>(elementEnd - elementText) + 18);
  out += "<SCRIPT";
  out.append(elementText, body + close);
  out += "//";
  out.append(body + close, elementEnd);
  out += "</SCRIPT>";
  return 1;
}

// The script file name as it stands in the SRC value of a reference: a
// double quote or a line break (possible in file names outside Windows) would
// end the value or break the tag, so they are written as URL escapes, which
// the browser turns back into the same bytes when it asks for the file.
std::string escapeForSource(const std::string& name) {
  std::string escaped;
  for (char c : name) {
    if (c == '"') escaped += "%22";
    else if (c == '\n') escaped += "%0A";
    else if (c == '\r') escaped += "%0D";
    else escaped += c;
  }
  return escaped;
}

// The same inside the guard's single-quoted JavaScript string, where an
// apostrophe or a backslash would end the string early or escape the next
// byte, so they are escaped too.
std::string escapeForGuard(const std::string& name) {
  std::string escaped;
  for (char c : escapeForSource(name)) {
    if (c == '\'' || c == '\\') escaped += '\\';
    escaped += c;
  }
  return escaped;
}

}  // namespace

// --- Reading and converting SCRIPT elements ---------------------------------

namespace {

// The attribute values of a SCRIPT start tag, as views into its element text.
struct ScriptTag {
  std::string_view language;
  std::string_view forName;
  std::string_view eventName;
};

// readScriptAttributes into views.
const char* readScriptTag(const char* elementText, ScriptTag& tag) {
  tag = ScriptTag();
  const char* p = elementText;
  while (*p && *p != '>') {
    skipSpace(p, 1);
    if (!*p || *p == '>') break;
    const char* next = readAttribute("for", p, &tag.forName);
    if (next == p) next = readAttribute("event", p, &tag.eventName);
    if (next == p) next = readAttribute("language", p, &tag.language);
    if (next == p) skipAttribute(next);
    p = next != p ? next : p + 1;  // never stall, whatever the markup
  }
  if (*p == '>') ++p;
  return tag.language.empty() ? nullptr : p;
}

bool isLanguage(std::string_view value, std::string_view name) {
  return value.size() == name.size() && strnicmpAscii(value.data(), name.data(), name.size()) == 0;
}

}  // namespace

const char* readScriptAttributes(const char* elementText, std::string* language, std::string* forName,
                                 std::string* eventName) {
  ScriptTag tag;
  const char* body = readScriptTag(elementText, tag);
  language->assign(tag.language);
  forName->assign(tag.forName);
  eventName->assign(tag.eventName);
  return body;
}

int isProcedureEnd(const char* position) {
  if (strnicmpAscii(position, "end ", 4) != 0) return 0;
  const char* q = position + 4;
  skipSpace(q, 0);
  std::size_t keyword = 0;
  if (startsWithNoCase(q, "sub")) {
    keyword = 3;
  } else if (startsWithNoCase(q, "function")) {
    keyword = 8;
  } else {
    return 0;
  }
  return isSpaceByte(q[keyword]) ? 1 : 0;
}

namespace {
// Behind the keyword of the procedure end at position (isProcedureEnd holds).
const char* behindProcedureEnd(const char* position) {
  const char* q = position + 4;
  skipSpace(q, 0);
  return q + (startsWithNoCase(q, "sub") ? 3 : 8);
}
}  // namespace

namespace {
// Bytes at which a procedure end, whitespace, a string literal or a comment
// may begin, and the end of the text; at any other byte the search for the
// procedure end just moves on.
struct ProcedureStops {
  bool stops[256] = {};
  constexpr ProcedureStops() {
    for (unsigned char c : {'\0', ' ', '\t', '\n', '\r', '"', '\'', 'e', 'E', 'r', 'R'}) stops[c] = true;
  }
};
constexpr ProcedureStops kProcedureStops;
}  // namespace

const char* findProcedureEnd(const char* position, const char* textStart) {
  const char* p = position;
  skipScriptBlanks(p, textStart);
  while (*p) {
    while (!kProcedureStops.stops[static_cast<unsigned char>(*p)]) ++p;
    if (!*p) break;
    if (isProcedureEnd(p)) return behindProcedureEnd(p);
    const char* before = p;
    skipScriptBlanks(p, textStart);
    if (p == before) ++p;
  }
  return p;
}

namespace {
// blankCommentMarkers on the part of text from offset from on.
void blankCommentMarkersFrom(std::string& text, std::size_t from) {
  std::size_t i = from;
  while (i < text.size() && isSpaceByte(text[i])) ++i;
  if (text.compare(i, 4, "<!--") == 0) {
    text.replace(i, 4, "    ");
    i += 4;
  }
  if (i >= text.size()) return;
  // The last "-->" that starts at i or later.
  char* const data = &text[0];
  for (std::size_t end = text.size(); end >= i + 3; --end) {
    if (data[end - 1] == '>' && data[end - 2] == '-' && data[end - 3] == '-') {
      std::memset(data + end - 3, ' ', 3);
      return;
    }
  }
}
}  // namespace

void blankCommentMarkers(std::string& text) { blankCommentMarkersFrom(text, 0); }

namespace {
// convertVBScriptBody with the names as views.
void appendVBScriptBody(const char* body, std::string_view forName, std::string_view eventName, std::string& out) {
  const std::size_t start = out.size();
  if (!forName.empty() && !eventName.empty()) {
    const char* p = body;
    while (*p) {
      skipScriptBlanks(p, body);
      const char* chunkEnd = findProcedureEnd(p, body);
      out += "Sub ";
      out += forName;
      out += '_';
      out += eventName;
      out += '\n';
      std::size_t chunkLength = static_cast<std::size_t>(chunkEnd - p);
      if (chunkLength > 0 && p[chunkLength - 1] == '\n') --chunkLength;
      out.append(p, chunkLength);
      out += "\nEnd Sub";
      p = chunkEnd;
    }
  } else {
    out += body;
  }
  std::size_t end = out.size();
  while (end > start && out[end - 1] == '\n') --end;
  out.resize(end);
  out += "\n\n";
  blankCommentMarkersFrom(out, start);
}
}  // namespace

void convertVBScriptBody(const char* body, const char* forName, const char* eventName, std::string& out) {
  appendVBScriptBody(body, forName ? forName : "", eventName ? eventName : "", out);
}

int rewriteJavaScriptBlock(const char* elementText, const char* body, std::string& out) {
  out.clear();
  return appendJavaScriptRewrite(elementText, body, body + std::strlen(body), out);
}

int convertScript(const char* elementText, const char* body, std::string& out, const char* language,
                  const char* forName, const char* eventName) {
  out.clear();
  if (isVBScript(language)) {
    convertVBScriptBody(body, forName, eventName, out);
    return 0;
  }
  if (isJavaScript(language)) return rewriteJavaScriptBlock(elementText, body, out);
  return 0;
}

void writeNetscapeGuard(std::string_view markup, std::string& out) {
  out.clear();
  if (markup.empty()) return;
  out.reserve(markup.size() + 1024);
  appendNetscapeGuard(markup, out);
}

void appendNetscapeGuard(std::string_view markup, std::string& out) {
  if (markup.empty()) return;
  out += kGuardHead;
  out += kGuardMarker;
  out += kGuardMiddle;
  out += markup;
  out += kGuardTail;
}

const NetscapeGuardText& netscapeGuardText() {
  static const std::string opening = std::string(kGuardHead) + kGuardMarker + std::string(kGuardMiddle);
  static const NetscapeGuardText text{opening, kGuardTail};
  return text;
}

// --- Pre-pass ---------------------------------------------------------------

bool collectScriptElement(const std::string& elementText, ScriptCollection& scripts, std::size_t* bodyOffset) {
  ScriptTag tag;
  const char* body = readScriptTag(elementText.c_str(), tag);
  if (!body) return false;
  if (bodyOffset) *bodyOffset = static_cast<std::size_t>(body - elementText.c_str());
  if (!isLanguage(tag.language, "vbscript")) return isLanguage(tag.language, "javascript");
  std::string converted;
  converted.reserve(elementText.size() * 2);
  appendVBScriptBody(body, tag.forName, tag.eventName, converted);
  scripts.append(tag.language, converted);
  return false;
}

// --- Tag loop ---------------------------------------------------------------

namespace {
// The element text of the SCRIPT element whose "<" is at position.
const char* elementTextStart(const char* position) {
  const char* q = position + 1;
  skipSpace(q, 1);
  return q + 6;  // "script"
}
}  // namespace

const char* handleScriptElement(TagLoop& loop, const char* position) {
  if (!*position) return position;
  std::string elementText;
  const char* behind;
  if (const FoundScript* found = loop.foundScriptAt(position)) {
    behind = found->behind;
    if (found->javaScript) {
      // Rewritten straight into the output, behind the text before the element.
      if (loop.mark < position) flushText(loop.out, loop.mark, position, position);
      const char* text = elementTextStart(position);
      const std::size_t before = loop.out.size();
      if (appendJavaScriptRewrite(text, text + found->bodyOffset, text + found->textLength, loop.out)) {
        if (loop.out.size() == before && *behind == '\n') ++behind;
        loop.mark = behind;
        return behind;
      }
    }
    flushText(loop.out, loop.mark, behind, behind);
    return behind;
  } else {
    behind = loop.extract("script", position, &elementText);
    if (behind == position) return position;
  }
  std::string language, forName, eventName;
  const char* body = readScriptAttributes(elementText.c_str(), &language, &forName, &eventName);
  if (body && isJavaScript(language.c_str())) {
    std::string replacement;
    if (convertScript(elementText.c_str(), body, replacement, language.c_str(), forName.c_str(),
                      eventName.c_str())) {
      flushText(loop.out, loop.mark, position);
      loop.out += replacement;
      if (replacement.empty() && *behind == '\n') ++behind;
      loop.mark = behind;
      return behind;
    }
  }
  flushText(loop.out, loop.mark, behind, behind);
  return behind;
}

const char* handleEmbedElement(TagLoop& loop, const char* position) {
  if (!*position) return position;
  const char* q = position + 1;
  skipSpace(q, 1);
  if (!matchWord("embed", q)) return position;
  flushText(loop.out, loop.mark, position, std::max(loop.mark, position));
  std::string src;
  const char* p = q + 5;
  while (*p && *p != '>') {
    const char* next = readAttribute("src", p, &src);
    if (next == p) skipAttribute(next);
    p = next != p ? next : p + 1;
  }
  if (*p == '>') ++p;
  if (!src.empty() && isScriptReferenceSource(src)) loop.mark = p;  // an old script reference
  return p;
}

void emitScriptReferences(TagLoop& loop) {
  if (loop.scripts.count() == 0) return;
  const std::string language(loop.scripts.language());
  const std::string name = loop.destination.scriptFileName();
  if (loop.context.lastObjectClose && *loop.context.lastObjectClose <= loop.out.size()) {
    const std::string indent = loop.objectIndent.value_or(std::string());
    std::string reference = "\n" + indent + "<EMBED SRC=\"" + escapeForSource(name) + "\" WIDTH=1 HEIGHT=1 LANGUAGE=\"" +
                            language + "\">\n" + indent;
    loop.out.insert(*loop.context.lastObjectClose, reference);
    return;
  }
  const std::string reference = "<EMBED SRC=\\\"" + escapeForGuard(name) + "\\\" WIDTH=1 HEIGHT=1 LANGUAGE=\\\"" +
                                language + "\\\">";
  std::string guard;
  writeNetscapeGuard(reference, guard);
  const bool endsWithLf = !loop.out.empty() && loop.out.back() == '\n';
  loop.out.append(guard, endsWithLf ? 1 : 0, std::string::npos);
}

}  // namespace engine
