// INPUT elements outside forms: guarded control EMBEDs and load-time script.
#include "engine/inputs.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

#include "engine/events.h"
#include "engine/scan.h"
#include "engine/scripts.h"
#include "engine/tag_loop.h"

namespace engine {

namespace {

// readAttributeAt for a name of n bytes, with the value stored as field.
inline const char* readValueAt(const char* name, std::size_t n, const char* cursor, InputValues& values, InputField field) {
  std::string_view value;
  const char* behind = readAttributeAt(name, n, cursor, &value);
  if (behind != cursor) values.set(field, value);
  return behind;
}

template <std::size_t N>
const char* readValue(const char (&name)[N], const char* cursor, InputValues& values, InputField field) {
  return readValueAt(name, N - 1, cursor, values, field);
}

// One attribute position of an INPUT tag: the names are tried in their order,
// but only those whose first letter stands at p (no other can match).
const char* readInputAttribute(const char* p, InputValues& a) {
  const char* next = p;
  switch (static_cast<unsigned char>(*p) | 0x20) {
    case 'c':
      return readValue("checked", p, a, kChecked);
    case 'd':
      next = readValue("defaultChecked", p, a, kDefaultChecked);
      return next != p ? next : readValue("defaultvalue", p, a, kDefaultValue);
    case 'l':
      return readValue("language", p, a, kLanguage);
    case 'n':
      return readValue("name", p, a, kName);
    case 'o':
      next = readValue("onClick", p, a, kOnClick);
      if (next == p) next = readValue("onFocus", p, a, kOnFocus);
      if (next == p) next = readValue("onBlur", p, a, kOnBlur);
      if (next == p) next = readValue("onSelect", p, a, kOnSelect);
      if (next == p) next = readValue("onChange", p, a, kOnChange);
      return next;
    case 't':
      return readValue("type", p, a, kType);
    case 'v':
      return readValue("value", p, a, kValue);
    default:
      return p;
  }
}

}  // namespace

const char* readInputValues(const char* p, InputValues& a) {
  a.clear();
  while (*p && *p != '>') {
    if (isHtmlSpace(static_cast<unsigned char>(*p))) {
      skipSpace(p, 1);  // where no name begins, the attribute skip passes just this run
      continue;
    }
    const char* next = readInputAttribute(p, a);
    if (next == p) skipAttribute(next);
    p = next != p ? next : p + 1;  // never stall, whatever the markup
  }
  if (*p == '>') ++p;
  return p;
}

namespace {

// The control that stands in for one INPUT type.
struct Control {
  std::string_view type;
  const char* classId;
  int width;  // 0: from the VALUE's length (buttons)
  int height;
};

constexpr const char* kButtonClass = "CLSID:3472D900-5A27-11CF-8B11-00AA00C00903";

const Control kControls[] = {
    {"button", kButtonClass, 0, 23},
    {"submit", kButtonClass, 0, 23},
    {"reset", kButtonClass, 0, 23},
    {"checkbox", "CLSID:3D92FF40-5A24-11CF-8B11-00AA00C00903", 14, 14},
    {"radio", "CLSID:687738C0-5A24-11CF-8B11-00AA00C00903", 14, 14},
    {"hidden", "CLSID:2E8D0FE0-8B43-11CF-ABBD-00A0C9034926", 1, 1},
    {"password", "CLSID:EE230860-5A5F-11CF-8B11-00AA00C00903", 120, 23},
    {"text", "CLSID:81EF4D60-5A24-11CF-8B11-00AA00C00903", 120, 23},
    {"textarea", "CLSID:98FBE040-5A24-11CF-8B11-00AA00C00903", 120, 23},
};
constexpr std::size_t kControlCount = sizeof kControls / sizeof *kControls;

const Control* findControl(std::string_view type) {
  for (const Control& control : kControls) {
    if (type.size() == control.type.size() && strnicmpAscii(type.data(), control.type.data(), type.size()) == 0) {
      return &control;
    }
  }
  return nullptr;
}

// The fixed text of a control's guard around the NAME's value (the markup as
// it stands inside the guard's JavaScript string). Buttons, whose width comes
// from their VALUE, have it written between the two.
struct ControlGuard {
  std::string prefix;  // the guard's opening, "<EMBED ... CLASSID=\"...\" NAME=\""
  std::string suffix;  // ["\" WIDTH=w] " HEIGHT=h>", the guard's closing
};
constexpr std::string_view kWidthLead = "\\\" WIDTH=";

const ControlGuard& guardOf(const Control& control) {
  static const auto table = [] {
    const NetscapeGuardText& guard = netscapeGuardText();
    std::array<ControlGuard, kControlCount> guards;
    for (std::size_t i = 0; i < kControlCount; ++i) {
      const Control& c = kControls[i];
      guards[i].prefix = std::string(guard.opening) + "<EMBED TYPE=\\\"application/oleobject\\\" CLASSID=\\\"" +
                         c.classId + "\\\" NAME=\\\"";
      if (c.width) guards[i].suffix = std::string(kWidthLead) + std::to_string(c.width);
      guards[i].suffix += " HEIGHT=" + std::to_string(c.height) + ">" + std::string(guard.closing);
    }
    return guards;
  }();
  return table[static_cast<std::size_t>(&control - kControls)];
}

// The decimal digits of value (as std::to_string writes them), at the end of
// buffer.
std::string_view formatInt(int value, char (&buffer)[16]) {
  char* end = buffer + sizeof buffer;
  char* p = end;
  unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
  do {
    *--p = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) *--p = '-';
  return std::string_view(p, static_cast<std::size_t>(end - p));
}

// Pieces put end to end in one growth of their destination.
class Pieces {
 public:
  void add(std::string_view piece) {
    pieces_[count_++] = Piece{piece.data(), piece.size()};
    size_ += piece.size();
  }
  // "NAME.property = \"value\"\n", with assignment ".property = \"".
  void addProperty(std::string_view name, std::string_view assignment, std::string_view value) {
    add(name);
    add(assignment);
    add(value);
    add("\"\n");
  }
  void appendTo(std::string& to) const {
    const std::size_t start = to.size();
    to.resize(start + size_);
    char* p = &to[start];
    for (std::size_t i = 0; i < count_; ++i) {
      if (pieces_[i].size == 0) continue;  // an empty view may hold no pointer
      std::memcpy(p, pieces_[i].data, pieces_[i].size);
      p += pieces_[i].size;
    }
  }

 private:
  struct Piece {  // left uninitialised until added
    const char* data;
    std::size_t size;
  };
  Piece pieces_[20];  // five properties of four pieces
  std::size_t count_ = 0;
  std::size_t size_ = 0;
};

// The guard around the control's markup, written into out.
void appendControlGuard(std::string& out, const Control& control, const InputValues& a) {
  const ControlGuard& guard = guardOf(control);
  Pieces pieces;
  pieces.add(guard.prefix);
  pieces.add(a[kName]);
  char digits[16];
  if (!control.width) {
    pieces.add(kWidthLead);
    pieces.add(formatInt(std::max(72, 9 * static_cast<int>(a[kValue].size())), digits));
  }
  pieces.add(guard.suffix);
  pieces.appendTo(out);
}

// The statements that give the control its name, value and check state,
// appended to to.
void appendPropertyStatements(std::string& to, const InputValues& a) {
  // The properties, in the order their statements are written.
  static constexpr std::pair<InputField, std::string_view> kProperties[] = {{kValue, ".Value = \""},
                                                                       {kDefaultValue, ".DefaultValue = \""},
                                                                       {kChecked, ".Checked = \""},
                                                                       {kDefaultChecked, ".DefaultChecked = \""}};
  const std::string_view name = a[kName];
  Pieces block;
  block.addProperty(name, ".Name = \"", name);
  for (const auto& [field, property] : kProperties) {
    if (!a[field].empty()) block.addProperty(name, property, a[field]);
  }
  block.appendTo(to);
}

int isVBScriptValue(std::string_view value) {
  return value.size() == 8 && strnicmpAscii(value.data(), "vbscript", 8) == 0;
}

// Writes the control guard for the input's TYPE at the end of out, merges
// its property statements into Window_OnLoad and adds a Sub per event
// attribute, unless the input names a language other than VBScript.
void convertInput(std::string& out, ScriptCollection& scripts, const InputValues& a) {
  if (const Control* control = findControl(a[kType])) appendControlGuard(out, *control, a);
  const std::string_view language = a[kLanguage];
  if (!language.empty() && !isVBScriptValue(language)) return;
  const std::string_view name = a[kName];
  if (!name.empty()) {
    scripts.addToProcedure(language.empty() ? std::string_view("VBScript") : language, "Window_OnLoad",
                               [&a](std::string& to) { appendPropertyStatements(to, a); });
  }
  const std::string_view events[kInputEventCount] = {a[kOnClick], a[kOnFocus], a[kOnBlur], a[kOnSelect],
                                                     a[kOnChange]};
  appendInputEventSubs(scripts, name, events);
}

}  // namespace

// The element is converted from views into the page: its values are not
// copied.
const char* handleInputElement(TagLoop& loop, const char* position) {
  if (loop.formDepth != 0 || !*position) return position;
  const char* q = position + 1;
  skipSpace(q, 1);
  if (strnicmpAscii(q, "input", 5) != 0) return position;
  InputValues values;
  const char* behind = readInputValues(q + 5, values);
  flushText(loop.out, loop.mark, behind, behind);
  if (!values[kType].empty()) convertInput(loop.out, loop.scripts, values);
  return behind;
}

}  // namespace engine
