// Port: message boxes, the busy cursor, string resources and the folder picker.
#pragma once

#include <optional>
#include <string>

namespace platform {

// Message box styles and answers, with the values of the Windows API.
namespace mb {
constexpr unsigned kOk = 0x0;
constexpr unsigned kYesNo = 0x4;
constexpr unsigned kIconHand = 0x10;
constexpr unsigned kIconQuestion = 0x20;
constexpr unsigned kIconExclamation = 0x30;
constexpr unsigned kIconInformation = 0x40;
constexpr unsigned kDefButton2 = 0x100;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;
}  // namespace mb

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Shows a box without owner window and returns the button pressed.
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

class FolderPicker {
 public:
  virtual ~FolderPicker() = default;
  // Lets the user choose a file-system folder; none when cancelled.
  virtual std::optional<std::string> browse(const std::string& title) = 0;
};

}  // namespace platform
