// Acts as the person in front of the setup program and the programs it
// installs, one step per call, so that a shell script can interleave the
// steps with screenshots and checks:
//   setup_driver wait CAPTION [SECONDS]          a visible window with CAPTION appears
//   setup_driver wait-box CAPTION [SECONDS]      ...a message box with CAPTION
//   setup_driver wait-text CAPTION TEXT [SECONDS] ...and shows a control with TEXT
//   setup_driver gone CAPTION [SECONDS]          no window with CAPTION is left
//   setup_driver texts CAPTION                   the texts of its visible controls, one a line
//   setup_driver set-edit CAPTION INDEX TEXT     types TEXT into its INDEX-th visible edit (from 0)
//   setup_driver click CAPTION BUTTON            presses the button with that text or id
//   setup_driver answer CAPTION ID [SECONDS]     prints the text of the message box with CAPTION
//                                                and closes it with the button ID
//   setup_driver owner CAPTION                   the program file of the window's process
//   setup_driver shortcut LNK                    the shortcut's target, arguments and folder
//   setup_driver open PATH                       opens PATH as Explorer would (a shortcut starts its program)
//   setup_driver hold PATH SECONDS [library]     keeps PATH open (or loaded) so that it cannot be written
//   setup_driver details CAPTION                 the lines of the window's progress list, one a line
// Exit status 0 when the step succeeded, 1 when it did not, 2 for bad usage.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Found {
  std::string caption;
  bool messageBox;
  HWND window;
};

// A message box is a dialog owned by another window; the setup's own window
// and the programs' main windows have no owner.
// A window's text, asked of the window itself (GetWindowText reads only the
// caption of another process's window, never an edit's contents) and as
// Unicode, which the setup's windows are.
std::string windowText(HWND window) {
  DWORD_PTR length = 0;
  SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length);
  std::vector<wchar_t> wide(length + 1);
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, wide.size(), reinterpret_cast<LPARAM>(wide.data()), SMTO_ABORTIFHUNG,
                      2000, &copied);
  wide[std::min<size_t>(copied, length)] = L'\0';
  std::vector<char> text(wide.size() * 2 + 1);
  WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, text.data(), static_cast<int>(text.size()), nullptr, nullptr);
  return text.data();
}

BOOL CALLBACK findTopLevel(HWND window, LPARAM param) {
  Found* found = reinterpret_cast<Found*>(param);
  if (!IsWindowVisible(window)) return TRUE;
  if (found->caption != windowText(window)) return TRUE;
  const bool owned = GetWindow(window, GW_OWNER) != nullptr;
  char className[16] = "";
  GetClassNameA(window, className, sizeof className);
  const bool box = owned && std::string(className) == "#32770";
  if (box != found->messageBox) return TRUE;
  found->window = window;
  return FALSE;
}

HWND topLevel(const std::string& caption, bool messageBox = false) {
  Found found{caption, messageBox, nullptr};
  EnumWindows(&findTopLevel, reinterpret_cast<LPARAM>(&found));
  return found.window;
}

HWND waitFor(const std::string& caption, double seconds, bool messageBox = false) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < seconds * 1000;) {
    if (HWND window = topLevel(caption, messageBox)) {
      Sleep(150);  // let the dialog finish setting up its controls
      return window;
    }
    Sleep(50);
  }
  return nullptr;
}

struct Control {
  HWND window;
  std::string className, text;
  int id;
};

BOOL CALLBACK addControl(HWND child, LPARAM param) {
  if (!IsWindowVisible(child)) return TRUE;
  Control control{child, {}, {}, GetDlgCtrlID(child)};
  char className[64] = "";
  GetClassNameA(child, className, sizeof className);
  control.className = className;
  // An icon or a picture has a resource name where a label has its text.
  const LONG type = GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK;
  const bool picture = lstrcmpiA(className, "Static") == 0 && (type == SS_ICON || type == SS_BITMAP);
  if (!picture) control.text = windowText(child);
  reinterpret_cast<std::vector<Control>*>(param)->push_back(control);
  return TRUE;
}

// Every visible control below the window, pages inside the wizard included,
// in the order the controls were made.
std::vector<Control> controls(HWND window) {
  std::vector<Control> all;
  EnumChildWindows(window, &addControl, reinterpret_cast<LPARAM>(&all));
  return all;
}

// A button's text without its "&" access-key marker.
std::string plain(std::string text) {
  std::string out;
  for (char c : text)
    if (c != '&') out += c;
  return out;
}

bool showsText(HWND window, const std::string& text) {
  for (const Control& c : controls(window))
    if (c.text.find(text) != std::string::npos) return true;
  return false;
}

int usage() {
  std::fprintf(stderr, "usage: setup_driver wait|wait-box|wait-text|gone|texts|set-edit|click|answer|owner|shortcut|open|hold|details ...\n");
  return 2;
}

double seconds(int argc, char** argv, int index, double fallback) {
  return argc > index ? std::atof(argv[index]) : fallback;
}

int commandWait(int argc, char** argv) {
  if (argc < 3) return usage();
  if (waitFor(argv[2], seconds(argc, argv, 3, 30))) return 0;
  std::printf("no window \"%s\"\n", argv[2]);
  return 1;
}

int commandWaitBox(int argc, char** argv) {
  if (argc < 3) return usage();
  if (waitFor(argv[2], seconds(argc, argv, 3, 30), true)) return 0;
  std::printf("no message box \"%s\"\n", argv[2]);
  return 1;
}

int commandWaitText(int argc, char** argv) {
  if (argc < 4) return usage();
  const double limit = seconds(argc, argv, 4, 30);
  for (DWORD start = GetTickCount(); GetTickCount() - start < limit * 1000; Sleep(50)) {
    if (HWND window = topLevel(argv[2])) {
      if (showsText(window, argv[3])) {
        Sleep(150);
        return 0;
      }
    }
  }
  std::printf("window \"%s\" never showed \"%s\"\n", argv[2], argv[3]);
  return 1;
}

int commandGone(int argc, char** argv) {
  if (argc < 3) return usage();
  const double limit = seconds(argc, argv, 3, 30);
  for (DWORD start = GetTickCount(); GetTickCount() - start < limit * 1000; Sleep(50))
    if (!topLevel(argv[2]) && !topLevel(argv[2], true)) return 0;
  std::printf("window \"%s\" is still open\n", argv[2]);
  return 1;
}

int commandTexts(int argc, char** argv) {
  if (argc < 3) return usage();
  HWND window = waitFor(argv[2], 10);
  if (!window) return 1;
  for (const Control& c : controls(window))
    if (!c.text.empty()) std::printf("%s\n", c.text.c_str());
  return 0;
}

// The list lives in the other program's memory: each line is asked for into
// a buffer made there, then copied back. Both programs are 32-bit, so they
// agree on the layout of LVITEMW.
int commandDetails(int argc, char** argv) {
  if (argc < 3) return usage();
  HWND window = waitFor(argv[2], 10);
  if (!window) return 1;
  HWND list = nullptr;
  for (const Control& c : controls(window))
    if (lstrcmpiA(c.className.c_str(), WC_LISTVIEWA) == 0) list = c.window;
  if (!list) {
    std::printf("no progress list in \"%s\"\n", argv[2]);
    return 1;
  }
  DWORD process = 0;
  GetWindowThreadProcessId(list, &process);
  HANDLE other = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process);
  if (!other) return 1;
  const int chars = 1024;
  const SIZE_T size = sizeof(LVITEMW) + chars * sizeof(wchar_t);
  auto* remote = static_cast<char*>(VirtualAllocEx(other, nullptr, size, MEM_COMMIT, PAGE_READWRITE));
  int status = remote ? 0 : 1;
  const LRESULT count = remote ? SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) : 0;
  for (LRESULT i = 0; i < count && status == 0; ++i) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.pszText = reinterpret_cast<LPWSTR>(remote + sizeof(LVITEMW));
    item.cchTextMax = chars;
    std::vector<wchar_t> text(chars + 1, L'\0');
    if (!WriteProcessMemory(other, remote, &item, sizeof item, nullptr)) status = 1;
    const LRESULT length = status == 0 ? SendMessageW(list, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(remote)) : 0;
    if (status == 0 && !ReadProcessMemory(other, remote + sizeof(LVITEMW), text.data(), chars * sizeof(wchar_t), nullptr))
      status = 1;
    if (status == 0) {
      char line[chars * 3];
      const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(length), line, sizeof line, nullptr,
                                        nullptr);
      std::printf("%.*s\n", n, line);
    }
  }
  if (remote) VirtualFreeEx(other, remote, 0, MEM_RELEASE);
  CloseHandle(other);
  return status;
}

int commandSetEdit(int argc, char** argv) {
  if (argc < 5) return usage();
  HWND window = waitFor(argv[2], 10);
  if (!window) return 1;
  int index = std::atoi(argv[3]);
  for (const Control& c : controls(window)) {
    if (lstrcmpiA(c.className.c_str(), "Edit") != 0) continue;
    if (index-- > 0) continue;
    // WM_SETTEXT does not tell the dialog; EN_CHANGE does, as typing would.
    wchar_t wide[MAX_PATH * 2];
    MultiByteToWideChar(CP_ACP, 0, argv[4], -1, wide, MAX_PATH * 2);
    SendMessageW(c.window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide));
    SendMessageA(GetParent(c.window), WM_COMMAND, MAKEWPARAM(c.id, EN_CHANGE), reinterpret_cast<LPARAM>(c.window));
    return 0;
  }
  std::printf("no edit %s in \"%s\"\n", argv[3], argv[2]);
  return 1;
}

int commandClick(int argc, char** argv) {
  if (argc < 4) return usage();
  HWND window = waitFor(argv[2], 10);
  if (!window) return 1;
  const std::string button = argv[3];
  char* end = nullptr;
  const long id = std::strtol(argv[3], &end, 10);
  const bool byId = end && *end == '\0';
  for (const Control& c : controls(window)) {
    if (lstrcmpiA(c.className.c_str(), "Button") != 0) continue;
    if (byId ? c.id != id : plain(c.text) != button) continue;
    if (!IsWindowEnabled(c.window)) {
      std::printf("button \"%s\" is disabled\n", argv[3]);
      return 1;
    }
    // Posted: the click may open a modal window, which would block a send.
    PostMessageA(c.window, BM_CLICK, 0, 0);
    return 0;
  }
  std::printf("no button \"%s\" in \"%s\"\n", argv[3], argv[2]);
  return 1;
}

int commandAnswer(int argc, char** argv) {
  if (argc < 4) return usage();
  HWND box = waitFor(argv[2], seconds(argc, argv, 4, 30), true);
  if (!box) {
    std::printf("no message box \"%s\"\n", argv[2]);
    return 1;
  }
  HWND text = GetDlgItem(box, 0xFFFF);
  std::printf("%s\n", text ? windowText(text).c_str() : "");
  std::fflush(stdout);
  PostMessageA(box, WM_COMMAND, std::atoi(argv[3]), 0);
  for (int i = 0; i < 200 && IsWindow(box); ++i) Sleep(10);
  return 0;
}

int commandOwner(int argc, char** argv) {
  if (argc < 3) return usage();
  HWND window = waitFor(argv[2], 10);
  if (!window) return 1;
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (!process) return 1;
  char path[MAX_PATH] = "";
  DWORD size = sizeof path;
  const BOOL ok = QueryFullProcessImageNameA(process, 0, path, &size);
  CloseHandle(process);
  if (!ok) return 1;
  std::printf("%s\n", path);
  return 0;
}

int commandShortcut(int argc, char** argv) {
  if (argc < 3) return usage();
  if (FAILED(CoInitialize(nullptr))) return 1;
  int status = 1;
  IShellLinkA* link = nullptr;
  IPersistFile* file = nullptr;
  wchar_t wide[MAX_PATH];
  MultiByteToWideChar(CP_ACP, 0, argv[2], -1, wide, MAX_PATH);
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&link))) &&
      SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
      SUCCEEDED(file->Load(wide, STGM_READ))) {
    char target[MAX_PATH] = "", arguments[MAX_PATH] = "", folder[MAX_PATH] = "";
    link->GetPath(target, sizeof target, nullptr, SLGP_RAWPATH);
    link->GetArguments(arguments, sizeof arguments);
    link->GetWorkingDirectory(folder, sizeof folder);
    std::printf("target=%s\narguments=%s\nfolder=%s\n", target, arguments, folder);
    status = 0;
  }
  if (file) file->Release();
  if (link) link->Release();
  CoUninitialize();
  return status;
}

int commandOpen(int argc, char** argv) {
  if (argc < 3) return usage();
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const auto result = reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", argv[2], nullptr, nullptr, SW_SHOWNORMAL));
  CoUninitialize();
  if (result > 32) return 0;
  std::printf("cannot open %s (%d)\n", argv[2], static_cast<int>(result));
  return 1;
}

int commandHold(int argc, char** argv) {
  if (argc < 4) return usage();
  const DWORD milliseconds = static_cast<DWORD>(std::atof(argv[3]) * 1000);
  if (argc > 4 && std::string(argv[4]) == "library") {
    // As a browser or Explorer holds a DLL it has loaded.
    HMODULE module = LoadLibraryExA(argv[2], nullptr, DONT_RESOLVE_DLL_REFERENCES);
    if (!module) return 1;
    std::printf("holding\n");
    std::fflush(stdout);
    Sleep(milliseconds);
    FreeLibrary(module);
    return 0;
  }
  HANDLE file = CreateFileA(argv[2], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  std::printf("holding\n");
  std::fflush(stdout);
  Sleep(milliseconds);
  CloseHandle(file);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  const std::string command = argv[1];
  if (command == "wait") return commandWait(argc, argv);
  if (command == "wait-box") return commandWaitBox(argc, argv);
  if (command == "wait-text") return commandWaitText(argc, argv);
  if (command == "gone") return commandGone(argc, argv);
  if (command == "texts") return commandTexts(argc, argv);
  if (command == "set-edit") return commandSetEdit(argc, argv);
  if (command == "click") return commandClick(argc, argv);
  if (command == "answer") return commandAnswer(argc, argv);
  if (command == "owner") return commandOwner(argc, argv);
  if (command == "shortcut") return commandShortcut(argc, argv);
  if (command == "open") return commandOpen(argc, argv);
  if (command == "hold") return commandHold(argc, argv);
  if (command == "details") return commandDetails(argc, argv);
  return usage();
}
