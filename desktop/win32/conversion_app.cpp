#include "desktop/win32/conversion_app.h"

#include <ole2.h>

#include "desktop/core/dialog_logic.h"
#include "desktop/win32/conversion_dialog.h"
#include "desktop/win32/resource_ids.h"

namespace desktop {

BOOL ConversionApp::InitInstance() {
  oleInitialized_ = SUCCEEDED(OleInitialize(nullptr));
  if (!oleInitialized_) {
    const std::string text = win32ui::programString(VERADOC_STR_OLE_FAILED);
    MessageBoxA(nullptr, text.c_str(), title().c_str(), MB_OK);
    return FALSE;
  }
  if (isServerStart(commandLine())) {
    // The tool serves no OLE classes, so a server start has nothing to wait
    // for: end at once instead of idling without a window.
    return FALSE;
  }
  ConversionDialog dialog;
  dialog.DoModal();
  return FALSE;
}

int ConversionApp::ExitInstance() {
  if (oleInitialized_) OleUninitialize();
  return 0;
}

}  // namespace desktop

// The one application object, constructed before WinMain runs.
static desktop::ConversionApp theApp;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) { return win32ui::Application::run(commandLine); }
