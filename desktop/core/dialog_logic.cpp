#include "desktop/core/dialog_logic.h"

#include "common/ascii.h"

namespace desktop {

namespace {

// The blanks that separate the words of a command line.
constexpr common::ByteSet kCommandLineSpace(" \t\n\v\f\r");

}  // namespace

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
    while (i < commandLine.size() && kCommandLineSpace(commandLine[i])) ++i;
    std::size_t end = i;
    while (end < commandLine.size() && !kCommandLineSpace(commandLine[end])) ++end;
    if (end - i > 1 && (commandLine[i] == '/' || commandLine[i] == '-')) {
      const std::string_view word = std::string_view(commandLine).substr(i + 1, end - i - 1);
      if (common::equalsNoCase(word, "embedding") || common::equalsNoCase(word, "automation")) return true;
    }
    i = end;
  }
  return false;
}

}  // namespace desktop
