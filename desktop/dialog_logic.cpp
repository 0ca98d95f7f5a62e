#include "dialog_logic.h"

namespace desktop {

bool convertEnabled(const std::string& source, const std::string& dest) { return !source.empty() && !dest.empty(); }

std::string pickerFilter(const char* barFilter) {
  std::string filter = barFilter ? barFilter : "";
  for (char& c : filter) {
    if (c == '|') c = '\0';
  }
  return filter;
}

PickerStart pickerStart(const std::string& editText) {
  PickerStart start;
  if (editText.empty()) return start;
  start.fileName = editText.substr(0, kPickerStartCapacity);
  const std::size_t dot = start.fileName.find_last_of('.');
  const std::size_t separator = start.fileName.find_last_of("\\/");
  if (dot != std::string::npos && (separator == std::string::npos || dot > separator)) {
    start.defaultExtension = start.fileName.substr(dot + 1);
  }
  return start;
}

bool isAboutCommand(unsigned commandId) { return (commandId & 0xFFF0u) == kAboutCommand; }

IconOrigin centredIconOrigin(int clientWidth, int clientHeight, int iconWidth, int iconHeight) {
  return {(clientWidth - iconWidth + 1) / 2, (clientHeight - iconHeight + 1) / 2};
}

}  // namespace desktop
