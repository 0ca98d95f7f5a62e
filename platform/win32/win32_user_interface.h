// Message boxes, the busy cursor, string resources and the folder picker over
// the Win32 user interface and the shell.
#pragma once

#include <windows.h>

#include "platform/user_interface.h"

namespace platform {

// MessageBoxA, owned by owner (none by default).
class Win32MessageBoxes : public MessageBoxes {
 public:
  explicit Win32MessageBoxes(HWND owner = nullptr) : owner_(owner) {}
  int show(const std::string& text, const std::string& caption, unsigned style) override;

 private:
  HWND owner_;
};

class Win32Cursor : public Cursor {
 public:
  void* setWaitCursor() override;
  void restore(void* previous) override;
  void showCursor(bool show) override;
};

// Strings of one module's string table.
class Win32StringTable : public StringTable {
 public:
  explicit Win32StringTable(HINSTANCE module) : module_(module) {}
  int load(unsigned id, char* buffer, int bufferSize) override;

 private:
  HINSTANCE module_;
};

// The shell's folder picker: no owner, the desktop as root, file-system
// folders only; answers the chosen folder's full path.
class Win32FolderPicker : public FolderPicker {
 public:
  std::optional<std::string> browse(const std::string& title) override;
};

}  // namespace platform
