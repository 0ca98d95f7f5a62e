#include "desktop/win32/dialog_framework.h"

#include <vector>

#include "platform/win32/win32_user_interface.h"

namespace win32ui {

namespace {
Application* theApplication = nullptr;
}  // namespace

void bindControl(HWND dialog, int id, DialogItem& item) { item.hwnd = GetDlgItem(dialog, id); }

std::string windowText(HWND window) {
  const int length = GetWindowTextLengthA(window);
  if (length <= 0) return std::string();
  std::vector<char> text(static_cast<std::size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(window, text.data(), length + 1);
  return std::string(text.data(), copied > 0 ? static_cast<std::size_t>(copied) : 0u);
}

std::string programString(UINT id) {
  platform::Win32StringTable table(programModule());
  return platform::loadString(table, id, 256);
}

HINSTANCE programModule() { return GetModuleHandleA(nullptr); }

INT_PTR Dialog::DoModal() {
  return DialogBoxParamA(programModule(), MAKEINTRESOURCEA(templateId_), parent_, &Dialog::procedure,
                         reinterpret_cast<LPARAM>(this));
}

BOOL Dialog::OnInitDialog() {
  DoDataExchange();
  return TRUE;
}

bool Dialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

INT_PTR CALLBACK Dialog::procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
    reinterpret_cast<Dialog*>(lParam)->hwnd_ = hwnd;
  }
  auto* dialog = reinterpret_cast<Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  return dialog ? dialog->route(message, wParam, lParam) : FALSE;
}

INT_PTR Dialog::route(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) return OnInitDialog();
  LRESULT result = 0;
  if (OnMessage(message, wParam, lParam, result)) {
    // These messages answer through the procedure's return value; all
    // others through DWLP_MSGRESULT.
    switch (message) {
      case WM_QUERYDRAGICON:
      case WM_CTLCOLORBTN:
      case WM_CTLCOLORDLG:
      case WM_CTLCOLOREDIT:
      case WM_CTLCOLORLISTBOX:
      case WM_CTLCOLORSCROLLBAR:
      case WM_CTLCOLORSTATIC:
      case WM_COMPAREITEM:
      case WM_VKEYTOITEM:
      case WM_CHARTOITEM:
        return static_cast<INT_PTR>(result);
      default:
        SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, result);
        return TRUE;
    }
  }
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    if (LOWORD(wParam) == IDOK) {
      OnOK();
      return TRUE;
    }
    if (LOWORD(wParam) == IDCANCEL) {
      OnCancel();
      return TRUE;
    }
  }
  return FALSE;
}

Application::Application() {
  theApplication = this;
  char path[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string name = path;
  const std::size_t slash = name.find_last_of("\\/:");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  const std::size_t dot = name.find_last_of('.');
  if (dot != std::string::npos) name.erase(dot);
  title_ = name;
}

int Application::run(LPSTR commandLine) {
  Application* app = theApplication;
  if (!app) return 1;
  app->commandLine_ = commandLine ? commandLine : "";
  if (app->InitInstance()) {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  return app->ExitInstance();
}

}  // namespace win32ui
