// INPUT elements outside forms: guarded control EMBEDs and load-time script.
#include "inputs.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "events.h"
#include "scan.h"
#include "scripts.h"
#include "tag_loop.h"

namespace engine {

namespace {

// The control that stands in for one INPUT type.
struct Control {
  const char* type;
  const char* classId;
  int width;   // 0: from the VALUE's length (buttons)
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

const Control* findControl(const std::string& type) {
  for (const Control& control : kControls) {
    if (type.size() == std::strlen(control.type) && strnicmpAscii(type.c_str(), control.type, type.size()) == 0) {
      return &control;
    }
  }
  return nullptr;
}

// The control markup, as it stands inside the guard's JavaScript string.
std::string controlMarkup(const Control& control, const InputAttributes& attributes) {
  const int width = control.width ? control.width : std::max(72, 9 * static_cast<int>(attributes.value.size()));
  std::string markup = "<EMBED TYPE=\\\"application/oleobject\\\" CLASSID=\\\"";
  markup += control.classId;
  markup += "\\\" NAME=\\\"";
  markup += attributes.name;
  markup += "\\\" WIDTH=";
  markup += std::to_string(width);
  markup += " HEIGHT=";
  markup += std::to_string(control.height);
  markup += '>';
  return markup;
}

// "NAME.property = \"value\"\n"
void addProperty(std::string& block, const std::string& name, const char* property, const std::string& value) {
  block += name;
  block += '.';
  block += property;
  block += " = \"";
  block += value;
  block += "\"\n";
}

// The statements that give the control its name, value and check state.
std::string propertyStatements(const InputAttributes& a) {
  std::string block;
  addProperty(block, a.name, "Name", a.name);
  if (!a.value.empty()) addProperty(block, a.name, "Value", a.value);
  if (!a.defaultValue.empty()) addProperty(block, a.name, "DefaultValue", a.defaultValue);
  if (!a.checked.empty()) addProperty(block, a.name, "Checked", a.checked);
  if (!a.defaultChecked.empty()) addProperty(block, a.name, "DefaultChecked", a.defaultChecked);
  return block;
}

}  // namespace

const char* readInputAttributes(const char* p, InputAttributes& a) {
  a = InputAttributes{};
  // Tried in this order at each attribute position.
  const std::pair<const char*, std::string*> names[] = {
      {"language", &a.language}, {"onClick", &a.onClick}, {"onFocus", &a.onFocus},
      {"onBlur", &a.onBlur},     {"onSelect", &a.onSelect}, {"onChange", &a.onChange},
      {"type", &a.type},         {"defaultChecked", &a.defaultChecked}, {"checked", &a.checked},
      {"name", &a.name},         {"value", &a.value},       {"defaultvalue", &a.defaultValue},
  };
  while (*p && *p != '>') {
    const char* next = p;
    for (const auto& [attribute, value] : names) {
      next = readAttribute(attribute, p, value);
      if (next != p) break;
    }
    if (next == p) skipAttribute(next);
    p = next != p ? next : p + 1;  // never stall, whatever the markup
  }
  if (*p == '>') ++p;
  return p;
}

int convertInput(std::string& out, ScriptCollection& scripts, const InputAttributes& attributes) {
  int written = 0;
  if (const Control* control = findControl(attributes.type)) {
    appendNetscapeGuard(controlMarkup(*control, attributes), out);
    written = 1;
  }
  if (!attributes.language.empty() && !isVBScript(attributes.language.c_str())) return written;
  if (!attributes.name.empty()) {
    const std::string block = propertyStatements(attributes);
    const std::string language = attributes.language.empty() ? "VBScript" : attributes.language;
    scripts.addToProcedure(language, "Window", "OnLoad", block.c_str());
  }
  const std::string events[kInputEventCount] = {attributes.onClick, attributes.onFocus, attributes.onBlur,
                                                attributes.onSelect, attributes.onChange};
  appendInputEventSubs(scripts, attributes.name, events);
  return written;
}

const char* handleInputElement(TagLoop& loop, const char* position) {
  if (loop.formDepth != 0 || !*position) return position;
  const char* q = position + 1;
  skipSpace(q, 1);
  if (!startsWithNoCase(q, "input")) return position;
  InputAttributes attributes;
  const char* behind = readInputAttributes(q + 5, attributes);
  flushText(loop.out, loop.mark, behind, behind);
  if (!attributes.type.empty()) convertInput(loop.out, loop.scripts, attributes);
  return behind;
}

}  // namespace engine
