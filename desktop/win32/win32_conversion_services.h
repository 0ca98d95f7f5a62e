// The conversion procedure's services on Windows, for the dialog.
#pragma once

#include <windows.h>

#include "desktop/core/conversion_procedure.h"

namespace desktop {

class Win32ConversionServices : public ConversionServices {
 public:
  Win32ConversionServices(HWND dialog, HWND odsCheckBox) : dialog_(dialog), odsCheckBox_(odsCheckBox) {}

  // SearchPathA with no search path: the default search order, and a full
  // path is simply tested for existence.
  bool findPath(const std::string& path) override;
  // MessageBoxA owned by the dialog.
  int showMessage(const std::string& text, const std::string& caption, unsigned style) override;
  // BM_GETSTATE of the check box.
  unsigned odsCheckBoxState() override;
  int convertFile(engine::ConversionContext& context, const std::string& source, const std::string& dest) override;

 private:
  HWND dialog_;
  HWND odsCheckBox_;
};

}  // namespace desktop
