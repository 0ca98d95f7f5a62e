// Port: message boxes, the busy cursor, string resources and the folder picker.
#pragma once

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Message box styles and answers, with the values of the Windows API.
namespace mb {
// Buttons, icon and default button, or'ed into a style.
enum Style : unsigned {
  kOk = 0x0,
  kYesNo = 0x4,
  kIconHand = 0x10,
  kIconQuestion = 0x20,
  kIconExclamation = 0x30,
  kIconInformation = 0x40,
  kDefButton2 = 0x100,
  kButtonMask = 0xF,
  kIconMask = 0xF0,
};
// The button a box was closed with.
enum Answer : int {
  kIdOk = 1,
  kIdCancel = 2,
  kIdYes = 6,
  kIdNo = 7,
};
}  // namespace mb

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Shows a box and returns the button pressed (mb::kIdOk, kIdYes, kIdNo, or
  // another answer such as -1 when the box could not be shown).
  virtual int show(const std::string& text, const std::string& caption, unsigned style) = 0;
};

class Cursor {
 public:
  virtual ~Cursor() = default;
  // Sets the wait cursor and returns a handle of the previous one.
  virtual void* setWaitCursor() = 0;
  // Restores a cursor returned by setWaitCursor.
  virtual void restore(void* previous) = 0;
  // ShowCursor(show).
  virtual void showCursor(bool show) = 0;
};

class StringTable {
 public:
  virtual ~StringTable() = default;
  // As LoadStringA: copies at most bufferSize - 1 characters of string id and
  // returns how many; 0 when the string is missing or bufferSize is 0.
  virtual int load(unsigned id, char* buffer, int bufferSize) = 0;
};

// Fills a string-table buffer as LoadStringA does: at most bufferSize - 1
// characters of text and a terminating NUL; returns how many were copied.
// Tables that are not resources (compiled in, or scripted in tests) use it.
inline int copyToStringBuffer(std::string_view text, char* buffer, int bufferSize) {
  if (!buffer || bufferSize <= 0) return 0;
  const std::size_t n = std::min(text.size(), static_cast<std::size_t>(bufferSize - 1));
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return static_cast<int>(n);
}

// String id of table, read as through a buffer of bufferSize bytes: at most
// bufferSize - 1 characters (a longer string is cut, as the buffers of the
// string table's users cut it); empty when the string is missing.
inline std::string loadString(StringTable& table, unsigned id, int bufferSize) {
  if (bufferSize <= 0) return std::string();
  std::vector<char> buffer(static_cast<std::size_t>(bufferSize), '\0');
  const int n = table.load(id, buffer.data(), bufferSize);
  return std::string(buffer.data(), static_cast<std::size_t>(std::clamp(n, 0, bufferSize - 1)));
}

class FolderPicker {
 public:
  virtual ~FolderPicker() = default;
  // Lets the user choose a file-system folder; none when cancelled.
  virtual std::optional<std::string> browse(const std::string& title) = 0;
};

}  // namespace platform
