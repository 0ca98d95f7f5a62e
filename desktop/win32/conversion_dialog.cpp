#include "desktop/win32/conversion_dialog.h"

#include <commdlg.h>

#include <vector>

#include "desktop/core/conversion_procedure.h"
#include "desktop/core/dialog_logic.h"
#include "desktop/win32/about_dialog.h"
#include "desktop/win32/resource_ids.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_user_interface.h"

namespace desktop {

namespace {
// Room for what the user picks; the starting name is at most 260 bytes.
constexpr std::size_t kPickedPathCapacity = 4096;
}  // namespace

ConversionDialog::ConversionDialog(HWND parent)
    : Dialog(VERADOC_MAIN_DIALOG, parent),
      icon_(LoadIconA(win32ui::programModule(), MAKEINTRESOURCEA(VERADOC_ICON))) {}

// The context releases its appendix with it.
ConversionDialog::~ConversionDialog() = default;

void ConversionDialog::DoDataExchange() {
  win32ui::bindControl(hwnd(), VERADOC_USE_ODS, odsCheckBox_);
  win32ui::bindControl(hwnd(), VERADOC_CONVERT, convertButton_);
  win32ui::bindControl(hwnd(), VERADOC_DEST_EDIT, destinationEdit_);
  win32ui::bindControl(hwnd(), VERADOC_SOURCE_EDIT, sourceEdit_);
  win32ui::bindControl(hwnd(), VERADOC_BROWSE_SOURCE, browseSourceButton_);
  win32ui::bindControl(hwnd(), VERADOC_BROWSE_DEST, browseDestinationButton_);
}

BOOL ConversionDialog::OnInitDialog() {
  Dialog::OnInitDialog();
  const std::string aboutEntry = win32ui::programString(VERADOC_STR_ABOUT_ENTRY);
  if (!aboutEntry.empty()) {
    if (HMENU systemMenu = GetSystemMenu(hwnd(), FALSE)) {
      AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
      AppendMenuA(systemMenu, MF_STRING, kAboutCommand, aboutEntry.c_str());
    }
  }
  SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  SendMessageA(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
  return TRUE;
}

bool ConversionDialog::OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
  switch (message) {
    case WM_SYSCOMMAND:
      return OnSysCommand(static_cast<UINT>(wParam));
    case WM_PAINT:
      return OnPaint();
    case WM_QUERYDRAGICON:
      result = reinterpret_cast<LRESULT>(OnQueryDragIcon());
      return true;
    case WM_COMMAND:
      break;
    default:
      return false;
  }
  const int id = LOWORD(wParam);
  const int code = HIWORD(wParam);
  if (code == BN_CLICKED && id == VERADOC_BROWSE_DEST) OnBrowseDestination();
  else if (code == BN_CLICKED && id == VERADOC_BROWSE_SOURCE) OnBrowseSource();
  else if (code == EN_CHANGE && id == VERADOC_DEST_EDIT) OnDestinationChange();
  else if (code == EN_CHANGE && id == VERADOC_SOURCE_EDIT) OnSourceChange();
  else if (code == BN_CLICKED && id == VERADOC_CONVERT) OnClickConvert();
  else return false;
  return true;
}

bool ConversionDialog::OnSysCommand(UINT command) {
  if (!isAboutCommand(command)) return false;
  AboutDialog about(hwnd());
  about.DoModal();
  return true;
}

bool ConversionDialog::OnPaint() {
  if (!IsIconic(hwnd())) return false;
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd(), &paint);
  SendMessageA(hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client;
  GetClientRect(hwnd(), &client);
  const IconOrigin origin = centredIconOrigin(client.right - client.left, client.bottom - client.top,
                                              GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
  DrawIcon(dc, origin.x, origin.y, icon_);
  EndPaint(hwnd(), &paint);
  return true;
}

void ConversionDialog::OnBrowseDestination() { browse(destinationEdit_, destinationPath_, false); }

void ConversionDialog::OnBrowseSource() { browse(sourceEdit_, sourcePath_, true); }

void ConversionDialog::OnDestinationChange() { editChanged(destinationEdit_, destinationPath_); }

void ConversionDialog::OnSourceChange() { editChanged(sourceEdit_, sourcePath_); }

void ConversionDialog::OnClickConvert() {
  platform::Win32FileSystem files;            // SearchPathA: the default search order
  platform::Win32MessageBoxes boxes(hwnd());  // every box owned by the dialog
  ConversionPorts ports{files, boxes};
  const unsigned odsState = static_cast<unsigned>(SendMessageA(odsCheckBox_.hwnd, BM_GETSTATE, 0, 0));
  performConversion(context_, sourcePath_, destinationPath_, odsState, ports);
}

void ConversionDialog::browse(win32ui::DialogItem& edit, std::string& field, bool openPicker) {
  char text[kPickerStartCapacity + 1] = {};
  GetWindowTextA(edit.hwnd, text, static_cast<int>(sizeof text));
  const PickerStart start = pickerStart(text);
  std::vector<char> file(kPickedPathCapacity, '\0');
  start.fileName.copy(file.data(), file.size() - 1);
  const std::string filter = pickerFilter(kPickerFilter);

  OPENFILENAMEA picker = {};
  picker.lStructSize = sizeof picker;
  picker.hwndOwner = hwnd();
  picker.lpstrFilter = filter.c_str();
  picker.nFilterIndex = 1;
  picker.lpstrFile = file.data();
  picker.nMaxFile = static_cast<DWORD>(file.size());
  picker.lpstrDefExt = start.defaultExtension.empty() ? nullptr : start.defaultExtension.c_str();
  // The pickers of this generation: the Explorer-style dialog.
  picker.Flags = kPickerFlags | OFN_EXPLORER;
  const BOOL confirmed = openPicker ? GetOpenFileNameA(&picker) : GetSaveFileNameA(&picker);
  if (!confirmed) return;

  field = file.data();
  SendMessageA(edit.hwnd, EM_SETSEL, 0, -1);
  SendMessageA(edit.hwnd, EM_SCROLLCARET, 0, 0);
  SendMessageA(edit.hwnd, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(field.c_str()));
}

void ConversionDialog::editChanged(win32ui::DialogItem& edit, std::string& field) {
  field = win32ui::windowText(edit.hwnd);
  EnableWindow(convertButton_.hwnd, convertEnabled(sourcePath_, destinationPath_) ? TRUE : FALSE);
}

}  // namespace desktop
