// The conversion dialog inside the test process, so that what only its own
// process can see (system menu, icons, focus) can be checked. Needs a display.
#include "desktop/win32/conversion_dialog.h"

#include <windows.h>

#include <string>
#include <thread>

#include <gtest/gtest.h>

namespace desktop {
namespace {

constexpr const char* kCaption = " Tarnwick Conversion Tool";

// Runs a ConversionDialog on its own thread while the test looks at it.
class RunningDialog {
 public:
  RunningDialog() {
    thread_ = std::thread([this] { result_ = dialog_.DoModal(); });
    for (int waited = 0; waited < 20000 && !hwnd_; waited += 20) {
      HWND found = FindWindowA("#32770", kCaption);
      DWORD process = 0;
      if (found) GetWindowThreadProcessId(found, &process);
      // Visible once its controls exist and WM_INITDIALOG has run.
      if (process == GetCurrentProcessId() && IsWindowVisible(found)) hwnd_ = found;
      else Sleep(20);
    }
  }
  ~RunningDialog() {
    if (hwnd_ && IsWindow(hwnd_)) PostMessageA(hwnd_, WM_COMMAND, IDCANCEL, 0);
    thread_.join();
  }
  // Ends the dialog with message and returns what DoModal returned.
  INT_PTR end(UINT message, WPARAM wParam) {
    PostMessageA(hwnd_, message, wParam, 0);
    thread_.join();
    thread_ = std::thread([] {});
    return result_;
  }
  HWND hwnd() const { return hwnd_; }
  DWORD threadId() const { return GetWindowThreadProcessId(hwnd_, nullptr); }

 private:
  ConversionDialog dialog_;
  HWND hwnd_ = nullptr;
  INT_PTR result_ = 0;
  std::thread thread_;
};

TEST(ConversionDialogWindow, SystemMenuGainsTheAboutEntry) {
  RunningDialog running;
  ASSERT_NE(nullptr, running.hwnd());
  HMENU menu = GetSystemMenu(running.hwnd(), FALSE);
  ASSERT_NE(nullptr, menu);
  // Wine may add an entry of its own at the end, so the entry is found by id.
  const int count = GetMenuItemCount(menu);
  int about = -1, close = -1;
  for (int i = 0; i < count; ++i) {
    if (GetMenuItemID(menu, i) == 0x0010u) about = i;
    if (GetMenuItemID(menu, i) == SC_CLOSE) close = i;
  }
  ASSERT_GT(about, close) << "the About entry must follow the standard entries";
  char text[64] = {};
  GetMenuStringA(menu, about, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ("&About Veradoc...", text);
  MENUITEMINFOA separator = {};
  separator.cbSize = sizeof separator;
  separator.fMask = MIIM_FTYPE;
  ASSERT_TRUE(GetMenuItemInfoA(menu, about - 1, TRUE, &separator));
  EXPECT_TRUE(separator.fType & MFT_SEPARATOR);
}

// Every control sits where the template puts it, in dialog units of the
// dialog's own font.
TEST(ConversionDialogWindow, LayoutInDialogUnits) {
  RunningDialog running;
  ASSERT_NE(nullptr, running.hwnd());
  HWND dialog = running.hwnd();
  // Position and size convert separately, as the dialog manager does.
  auto toPixels = [dialog](int x, int y, int w, int h) {
    RECT r = {x, y, w, h};
    MapDialogRect(dialog, &r);
    return RECT{r.left, r.top, r.left + r.right, r.top + r.bottom};
  };
  RECT client;
  GetClientRect(dialog, &client);
  const RECT size = toPixels(0, 0, 268, 121);
  EXPECT_EQ(size.right, client.right);
  EXPECT_EQ(size.bottom, client.bottom);
  struct Control {
    int id;
    int x, y, w, h;
  };
  const Control controls[] = {
      {1000, 17, 27, 183, 13}, {1002, 211, 27, 50, 14}, {1001, 17, 63, 183, 13},
      {1003, 211, 63, 50, 14}, {1005, 150, 99, 50, 14}, {IDOK, 211, 99, 50, 14},
      {1006, 17, 99, 92, 8},
  };
  for (const Control& c : controls) {
    SCOPED_TRACE(c.id);
    RECT actual;
    GetWindowRect(GetDlgItem(dialog, c.id), &actual);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
    const RECT expected = toPixels(c.x, c.y, c.w, c.h);
    EXPECT_EQ(expected.left, actual.left);
    EXPECT_EQ(expected.top, actual.top);
    EXPECT_EQ(expected.right, actual.right);
    EXPECT_EQ(expected.bottom, actual.bottom);
  }
}

TEST(ConversionDialogWindow, IconServesEveryPurposeAndFocusStartsInTheSource) {
  RunningDialog running;
  ASSERT_NE(nullptr, running.hwnd());
  const LRESULT big = SendMessageA(running.hwnd(), WM_GETICON, ICON_BIG, 0);
  EXPECT_NE(0, big);
  EXPECT_EQ(big, SendMessageA(running.hwnd(), WM_GETICON, ICON_SMALL, 0));
  EXPECT_EQ(big, SendMessageA(running.hwnd(), WM_QUERYDRAGICON, 0, 0));
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetGUIThreadInfo(running.threadId(), &info));
  EXPECT_EQ(GetDlgItem(running.hwnd(), 1000), info.hwndFocus);
}

TEST(ConversionDialogWindow, DoneEscapeAndCloseEndTheDialog) {
  struct Case {
    UINT message;
    WPARAM wParam;
    INT_PTR result;
  };
  const Case cases[] = {
      {WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), IDOK},
      {WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), IDCANCEL},
      {WM_CLOSE, 0, IDCANCEL},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(t.message);
    RunningDialog running;
    ASSERT_NE(nullptr, running.hwnd());
    EXPECT_EQ(t.result, running.end(t.message, t.wParam));
  }
}

}  // namespace
}  // namespace desktop
