// BODY event attributes and procedure merging in the script collection.
#include "engine/events.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "engine/scan.h"
#include "engine/scripts.h"
#include "engine/tag_loop.h"

namespace engine {

const char* const kInputEventNames[kInputEventCount] = {"onClick", "onFocus", "onBlur", "onSelect", "onChange"};

namespace {

inline bool isSpaceByte(char c) { return isHtmlSpace(static_cast<unsigned char>(c)) != 0; }

// "\n\nSub NAME()\nVALUE\nEnd Sub\n": the Sub of one event attribute.
std::string eventSub(std::string_view name, std::string_view value) {
  std::string sub = "\n\nSub ";
  sub += name;
  sub += "()\n";
  sub += value;
  sub += "\nEnd Sub\n";
  return sub;
}

// What stands between an input's name and an event's statements in its Sub,
// in the order of kInputEventNames.
constexpr std::string_view kEventHeaderEnds[kInputEventCount] = {"_onClick()\n", "_onFocus()\n", "_onBlur()\n",
                                                                 "_onSelect()\n", "_onChange()\n"};

// The Sub of an input's event, "\n\nSub NAME_EVENT()\nVALUE\nEnd Sub\n",
// appended to text in one growth.
void appendEventSub(std::string& text, std::string_view name, int event, std::string_view value) {
  constexpr std::string_view kOpen = "\n\nSub ";
  constexpr std::string_view kClose = "\nEnd Sub\n";
  const std::string_view headerEnd = kEventHeaderEnds[event];
  const std::size_t start = text.size();
  text.resize(start + kOpen.size() + name.size() + headerEnd.size() + value.size() + kClose.size());
  char* p = &text[start];
  const auto put = [&p](std::string_view piece) {
    std::memcpy(p, piece.data(), piece.size());
    p += piece.size();
  };
  put(kOpen);
  put(name);
  put(headerEnd);
  put(value);
  put(kClose);
}

}  // namespace

// --- BODY -------------------------------------------------------------------

const char* collectBodyHandlers(const char* position, ScriptCollection& scripts) {
  if (!*position) return position;
  const char* q = position + 1;
  skipSpace(q, 1);
  if (!startsWithNoCase(q, "body")) return position;
  std::string language, onLoad, onUnload;
  const char* p = q + 4;
  while (*p && *p != '>') {
    const char* next = readAttribute("language", p, &language);
    if (next == p) next = readAttribute("onLoad", p, &onLoad);
    if (next == p) next = readAttribute("onUnload", p, &onUnload);
    if (next == p) skipAttribute(next);
    p = next != p ? next : p + 1;  // never stall, whatever the markup
  }
  if (*p == '>') ++p;
  if (isVBScript(language.c_str())) {
    if (!onLoad.empty()) scripts.append(language, eventSub("window_onLoad", onLoad));
    if (!onUnload.empty()) scripts.append(language, eventSub("window_onUnload", onUnload));
  }
  return p;
}

const char* handleBodyElement(TagLoop& loop, const char* position) {
  if (!*position) return position;
  const char* q = position + 1;
  skipSpace(q, 1);
  if (!startsWithNoCase(q, "body")) return position;
  const char* p = q + 4;
  while (*p && *p != '>') ++p;
  if (*p == '>') ++p;
  flushText(loop.out, loop.mark, p, p);
  return p;
}

// --- INPUT events -----------------------------------------------------------

void appendInputEventSubs(ScriptCollection& scripts, std::string_view name,
                          const std::string_view (&eventValues)[kInputEventCount]) {
  if (name.empty()) return;
  std::string* text = nullptr;
  for (int i = 0; i < kInputEventCount; ++i) {
    if (eventValues[i].empty()) continue;
    // Every Sub goes under the same language: asked once, at the first.
    if (!text && !(text = scripts.appendTarget("VBScript"))) return;
    appendEventSub(*text, name, i, eventValues[i]);
  }
}

}  // namespace engine
