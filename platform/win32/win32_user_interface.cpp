#include "platform/win32/win32_user_interface.h"

namespace platform {

int Win32MessageBoxes::show(const std::string& text, const std::string& caption, unsigned style) {
  return MessageBoxA(owner_, text.c_str(), caption.c_str(), style);
}

void* Win32Cursor::setWaitCursor() { return SetCursor(LoadCursorA(nullptr, IDC_WAIT)); }

void Win32Cursor::restore(void* previous) { SetCursor(static_cast<HCURSOR>(previous)); }

void Win32Cursor::showCursor(bool show) { ShowCursor(show ? TRUE : FALSE); }

int Win32StringTable::load(unsigned id, char* buffer, int bufferSize) {
  if (!buffer || bufferSize <= 0) return 0;
  return LoadStringA(module_, id, buffer, bufferSize);
}

}  // namespace platform
