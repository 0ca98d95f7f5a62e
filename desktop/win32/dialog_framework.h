// The least dialog framework the desktop tool needs: an application object
// with an InitInstance step, modal dialogs built on resource templates, and
// controls bound to dialog items. Handlers are virtual members; the dialog
// procedure only routes messages to them.
#pragma once

#include <windows.h>

#include <string>

namespace win32ui {

// A control of a dialog, bound by id once the dialog exists.
struct DialogItem {
  HWND hwnd = nullptr;
};

// Binds item to the dialog's control id (the controls exchange no values).
void bindControl(HWND dialog, int id, DialogItem& item);

// The whole window text of a control or window, any length.
std::string windowText(HWND window);

// String id of the program's string table, of at most 255 characters; empty
// when missing.
std::string programString(UINT id);

// The module of the running program.
HINSTANCE programModule();

// A modal dialog on a template of the program's resources.
class Dialog {
 public:
  explicit Dialog(UINT templateId, HWND parent = nullptr) : templateId_(templateId), parent_(parent) {}
  virtual ~Dialog() = default;
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Runs the dialog until it ends; returns the id it ended with, or -1 when it
  // could not be created.
  INT_PTR DoModal();
  HWND hwnd() const { return hwnd_; }

 protected:
  // Binds controls; runs at the start of OnInitDialog.
  virtual void DoDataExchange() {}
  // Returns TRUE to put the focus on the first control.
  virtual BOOL OnInitDialog();
  // A message before default processing. Returns true when handled and sets
  // result to what the message answers.
  virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // Done / Enter and Escape / the Close box end the dialog.
  virtual void OnOK() { EndDialog(hwnd_, IDOK); }
  virtual void OnCancel() { EndDialog(hwnd_, IDCANCEL); }

 private:
  static INT_PTR CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR route(UINT message, WPARAM wParam, LPARAM lParam);

  UINT templateId_;
  HWND parent_;
  HWND hwnd_ = nullptr;
};

// The program: one static object whose InitInstance decides what runs. The
// title is the module's file name without its extension.
class Application {
 public:
  Application();
  virtual ~Application() = default;
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Runs the single application object; WinMain returns its result.
  static int run(LPSTR commandLine);

  // Returns false to end the program at once, true to run the message loop.
  virtual BOOL InitInstance() = 0;
  // Runs when the program ends; the exit code.
  virtual int ExitInstance() { return 0; }

  const std::string& title() const { return title_; }
  const char* commandLine() const { return commandLine_; }

 private:
  std::string title_;
  const char* commandLine_ = "";
};

}  // namespace win32ui
