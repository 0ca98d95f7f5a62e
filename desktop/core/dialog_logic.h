// Decisions of the conversion dialog that need no window: written here as free
// functions so that the Win32 dialog procedure only translates messages.
#pragma once

#include <string>

#include "common/path_limits.h"

namespace desktop {

// The file pickers' filter in the framework's form: pairs of description and
// pattern separated by '|', ended by "||".
constexpr const char* kPickerFilter = "Hypertext Document (*.html;*.htm)|*.html; *.htm|All Files (*.*)|*.*||";

// Hide-read-only and overwrite-prompt.
constexpr unsigned kPickerFlags = 0x4 | 0x2;

// Longest edit text a picker starts from.
constexpr std::size_t kPickerStartCapacity = common::kPathCapacity;

// System-menu command of the About entry; the ids 0x0010 to 0x001F all open it.
constexpr unsigned kAboutCommand = 0x0010;

// Convert is enabled exactly while both paths hold at least one character.
bool convertEnabled(const std::string& source, const std::string& dest);

// The filter as the common dialogs take it: every '|' becomes a NUL, so the
// result ends in two NULs (plus the string's own terminator).
std::string pickerFilter(const char* barFilter);

// Starting file name and default extension of a picker opened on editText.
// An empty text gives neither. The default extension is the text after the
// last '.' of the file-name part; a '.' inside a directory name ("C:\my.dir\page")
// gives none, since "dir\page" is no extension.
struct PickerStart {
  std::string fileName;
  std::string defaultExtension;
};
PickerStart pickerStart(const std::string& editText);

// The About entry or one of the ids that share its masked value.
bool isAboutCommand(unsigned commandId);

// Top-left corner of an icon drawn centred in a client area (rounded as the
// dialog paints its minimised icon).
struct IconOrigin {
  int x;
  int y;
};
IconOrigin centredIconOrigin(int clientWidth, int clientHeight, int iconWidth, int iconHeight);

// The command line asks for an embedded or automation start: a word
// "Embedding" or "Automation" (any case) led by '/' or '-'.
bool isServerStart(const std::string& commandLine);

}  // namespace desktop
