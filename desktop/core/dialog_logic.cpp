#include "desktop/core/dialog_logic.h"

#include <cctype>

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

bool isServerStart(const std::string& commandLine) {
  std::size_t i = 0;
  while (i < commandLine.size()) {
    while (i < commandLine.size() && std::isspace(static_cast<unsigned char>(commandLine[i]))) ++i;
    std::size_t end = i;
    while (end < commandLine.size() && !std::isspace(static_cast<unsigned char>(commandLine[end]))) ++end;
    if (end - i > 1 && (commandLine[i] == '/' || commandLine[i] == '-')) {
      std::string word = commandLine.substr(i + 1, end - i - 1);
      for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      if (word == "embedding" || word == "automation") return true;
    }
    i = end;
  }
  return false;
}

}  // namespace desktop
