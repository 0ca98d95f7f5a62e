// The main dialog of the desktop tool: two paths, two pickers, the "Use ODS
// files." check box, Convert and Done. Convert runs the shared conversion
// procedure; the dialog stays open until Done.
#pragma once

#include <string>

#include "desktop/win32/dialog_framework.h"
#include "engine/context.h"

namespace desktop {

class ConversionDialog : public win32ui::Dialog {
 public:
  explicit ConversionDialog(HWND parent = nullptr);
  ~ConversionDialog() override;

 protected:
  void DoDataExchange() override;
  BOOL OnInitDialog() override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  bool OnSysCommand(UINT command);
  bool OnPaint();
  HICON OnQueryDragIcon() const { return icon_; }
  void OnBrowseDestination();
  void OnBrowseSource();
  void OnDestinationChange();
  void OnSourceChange();
  void OnClickConvert();

  // Opens a picker on edit's text; on confirmation stores the path in field
  // and replaces the edit's text, which runs the edit's change handler.
  void browse(win32ui::DialogItem& edit, std::string& field, bool openPicker);
  // Copies edit's text to field and enables Convert while both paths hold text.
  void editChanged(win32ui::DialogItem& edit, std::string& field);

  std::string destinationPath_;
  std::string sourcePath_;
  win32ui::DialogItem odsCheckBox_;
  win32ui::DialogItem convertButton_;
  win32ui::DialogItem destinationEdit_;
  win32ui::DialogItem sourceEdit_;
  win32ui::DialogItem browseSourceButton_;
  win32ui::DialogItem browseDestinationButton_;
  HICON icon_;
  engine::ConversionContext context_;  // one per dialog, reused for every conversion
};

}  // namespace desktop
