// The system's text for a Win32 error code, as the reason of a failed
// operation (without its trailing period and line break).
#pragma once

#include <windows.h>

#include <string>

#include "platform/io_status.h"

namespace platform {

inline IoStatus win32Failure(DWORD error) {
  char buffer[512] = {};
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                 buffer, sizeof buffer, nullptr);
  std::string text(buffer, n);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '.' || text.back() == ' '))
    text.pop_back();
  return IoStatus::failure(text.empty() ? "system error " + std::to_string(error) : text);
}

}  // namespace platform
