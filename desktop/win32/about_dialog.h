// The About box: template 100, no fields, no handlers.
#pragma once

#include "desktop/win32/dialog_framework.h"
#include "desktop/win32/resource_ids.h"

namespace desktop {

class AboutDialog : public win32ui::Dialog {
 public:
  explicit AboutDialog(HWND parent = nullptr) : Dialog(VERADOC_ABOUT_DIALOG, parent) {}
};

}  // namespace desktop
