// The application object of VERADOC.EXE.
#pragma once

#include "desktop/win32/dialog_framework.h"

namespace desktop {

class ConversionApp : public win32ui::Application {
 public:
  // Initialises OLE, then runs the conversion dialog; returns FALSE so that
  // the program ends when the dialog does.
  BOOL InitInstance() override;
  int ExitInstance() override;

 private:
  bool oleInitialized_ = false;
};

}  // namespace desktop
