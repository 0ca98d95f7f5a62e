// Drives the real VERADOC.EXE as a person would: finds the dialog by its
// caption, types into the edits, presses the buttons, reads and answers the
// message boxes, opens the About box and the pickers, and closes the program.
// Writes screenshots of the dialog beside the test.
//   conversion_dialog_ui_test VERADOC.EXE WORK_FOLDER
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "desktop/win32/ui_test/png_file.h"
#include "testing/checks.h"
#include "testing/files.h"

namespace {

using testing_support::readFile;
using testing_support::writeFile;

const char* const kCaption = " Tarnwick Conversion Tool";
const char* const kPage = "<HTML>\r\n<BODY>\r\n<P>A page with nothing to convert.</P>\r\n</BODY>\r\n</HTML>\r\n";
constexpr int kSource = 1000, kDest = 1001, kBrowseSource = 1002, kBrowseDest = 1003, kConvert = 1005,
              kUseOds = 1006;

// A Unix path from CTest becomes a path on Wine's Z: drive.
std::string windowsPath(std::string path) {
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  for (char& c : path)
    if (c == '/') c = '\\';
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  return path;
}

// Polls for a top-level window until timeoutMs pass. A dialog becomes
// visible only after its controls exist and WM_INITDIALOG has run.
HWND waitForWindow(const char* className, const char* caption, int timeoutMs = 10000) {
  for (int waited = 0; waited <= timeoutMs; waited += 25) {
    HWND window = FindWindowA(className, caption);
    if (window && IsWindowVisible(window)) return window;
    Sleep(25);
  }
  return nullptr;
}

bool waitUntilGone(HWND window, int timeoutMs = 10000) {
  for (int waited = 0; waited <= timeoutMs; waited += 25) {
    if (!IsWindow(window)) return true;
    Sleep(25);
  }
  return false;
}

std::string text(HWND window) {
  char buffer[4096] = {};
  GetWindowTextA(window, buffer, sizeof buffer);
  return buffer;
}

std::string itemText(HWND dialog, int id) {
  char buffer[4096] = {};
  GetDlgItemTextA(dialog, id, buffer, sizeof buffer);
  return buffer;
}

bool convertEnabled(HWND dialog) { return IsWindowEnabled(GetDlgItem(dialog, kConvert)) != FALSE; }

// Presses a button the way a click does; posted, since it may open a modal box.
void click(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

// Types one character (or a backspace) into a control.
void typeChar(HWND dialog, int id, char c) { SendMessageA(GetDlgItem(dialog, id), WM_CHAR, static_cast<unsigned char>(c), 1); }

struct Box {
  HWND window = nullptr;
  std::string text;
};

// Waits for the message box with caption and reads its text.
Box findBox(const char* caption) {
  Box box;
  box.window = waitForWindow("#32770", caption);
  if (!box.window) return box;
  box.text = itemText(box.window, 0xFFFF);
  return box;
}

void dismiss(HWND box, int answer) {
  PostMessageA(box, WM_COMMAND, answer, 0);
  ok(waitUntilGone(box), "box still open after answer %d", answer);
}

// No top-level window with caption appears within ms.
bool staysAbsent(const char* caption, int ms = 700) { return waitForWindow("#32770", caption, ms) == nullptr; }

struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
  // Some pixel of the colour lies in the rectangle [x0, x1) x [y0, y1).
  bool has(std::uint8_t r, std::uint8_t g, std::uint8_t b, int x0, int y0, int x1, int y1) const {
    for (int y = std::max(0, y0); y < std::min(height, y1); ++y)
      for (int x = std::max(0, x0); x < std::min(width, x1); ++x) {
        const std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
        if (p[0] == r && p[1] == g && p[2] == b) return true;
      }
    return false;
  }
};

// Copies what the screen shows of window and writes it to path as PNG.
Image screenshot(HWND window, const std::string& path) {
  RECT r;
  GetWindowRect(window, &r);
  const int width = r.right - r.left, height = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  const int stride = (width * 3 + 3) & ~3;
  Image image;
  image.width = width;
  image.height = height;
  std::vector<std::uint8_t>& rgb = image.rgb;
  rgb.reserve(static_cast<std::size_t>(width) * height * 3);
  const auto* pixels = static_cast<const std::uint8_t*>(bits);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* p = pixels + y * stride + x * 3;  // BGR
      rgb.insert(rgb.end(), {p[2], p[1], p[0]});
    }
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  ok(uitest::writePng(path, width, height, rgb), "cannot write %s", path.c_str());
  return image;
}

// Starts VERADOC.EXE with arguments in folder; returns the process handle.
HANDLE start(const std::string& exe, const std::string& arguments, const std::string& folder) {
  std::string commandLine = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                      &process))
    return nullptr;
  CloseHandle(process.hThread);
  return process.hProcess;
}

void testServerStartEndsAtOnce(const std::string& exe, const std::string& folder) {
  HANDLE process = start(exe, "/Embedding", folder);
  ok(process != nullptr, "cannot start %s", exe.c_str());
  if (!process) return;
  ok(WaitForSingleObject(process, 15000) == WAIT_OBJECT_0, "an embedded start does not end");
  ok(FindWindowA(nullptr, kCaption) == nullptr, "an embedded start shows the dialog");
  TerminateProcess(process, 1);
  CloseHandle(process);
}

// Strings, icon images and version block, read from the file as Explorer would.
void testResources(const std::string& exe) {
  HMODULE module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ok(module != nullptr, "cannot load %s as data", exe.c_str());
  if (!module) return;
  char buffer[512] = {};
  LoadStringA(module, 100, buffer, sizeof buffer);
  ok(std::string(buffer) ==
         "OLE initialization failed.  Make sure that the OLE libraries are the correct version.",
     "the OLE failure text reads \"%s\"", buffer);
  LoadStringA(module, 101, buffer, sizeof buffer);
  ok(std::string(buffer) == "&About Veradoc...", "the About entry reads \"%s\"", buffer);
  HRSRC group = FindResourceA(module, MAKEINTRESOURCEA(128), MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */);
  ok(group != nullptr, "no group icon 128");
  if (group) {
    auto* directory = static_cast<BYTE*>(LockResource(LoadResource(module, group)));
    for (int size : {32, 16}) {
      const int id = LookupIconIdFromDirectoryEx(directory, TRUE, size, size, LR_DEFAULTCOLOR);
      HRSRC image = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(3) /* RT_ICON */);
      const auto* header = image ? static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(module, image))) : nullptr;
      ok(header && header->biWidth == size && header->biHeight == 2 * size, "no %dx%d icon image", size, size);
    }
  }
  FreeLibrary(module);

  DWORD ignored = 0;
  std::vector<char> block(GetFileVersionInfoSizeA(exe.c_str(), &ignored));
  ok(!block.empty() && GetFileVersionInfoA(exe.c_str(), 0, static_cast<DWORD>(block.size()), block.data()),
     "no version resource");
  if (block.empty()) return;
  const char* const values[][2] = {{"FileVersion", "1, 0, 0, 1"},
                                   {"ProductVersion", "1, 0, 0, 1"},
                                   {"InternalName", "VERADOC"},
                                   {"OriginalFilename", "VERADOC.EXE"}};
  for (const auto& value : values) {
    char* text = nullptr;
    UINT length = 0;
    const std::string key = std::string("\\StringFileInfo\\040904B0\\") + value[0];
    VerQueryValueA(block.data(), key.c_str(), reinterpret_cast<void**>(&text), &length);
    ok(text && std::string(text) == value[1], "%s reads \"%s\"", value[0], text ? text : "(none)");
  }
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length);
  ok(fixed && fixed->dwFileVersionMS == 0x00010000 && fixed->dwFileVersionLS == 0x00000001 &&
         fixed->dwProductVersionMS == 0x00010000 && fixed->dwProductVersionLS == 0x00000001,
     "fixed version numbers differ from 1.0.0.1");
}

void testTemplate(HWND dialog) {
  char className[64] = {};
  GetClassNameA(dialog, className, sizeof className);
  ok(std::string(className) == "#32770", "dialog class %s", className);
  struct Control {
    int id;
    const char* text;
    LONG kind;  // low style bits
    bool enabled;
  };
  const Control controls[] = {
      {kBrowseSource, "Browse Src...", BS_PUSHBUTTON, true}, {kBrowseDest, "Browse Dest...", BS_PUSHBUTTON, true},
      {kConvert, "Convert", BS_PUSHBUTTON, false},           {IDOK, "Done", BS_PUSHBUTTON, true},
      {kUseOds, "Use ODS files.", BS_AUTOCHECKBOX, true},
  };
  for (const Control& c : controls) {
    HWND control = GetDlgItem(dialog, c.id);
    ok(control != nullptr, "no control %d", c.id);
    ok(text(control) == c.text, "control %d reads \"%s\"", c.id, text(control).c_str());
    ok((GetWindowLongA(control, GWL_STYLE) & 0xF) == c.kind, "control %d style %#lx", c.id,
       GetWindowLongA(control, GWL_STYLE));
    ok((IsWindowEnabled(control) != FALSE) == c.enabled, "control %d enabled state", c.id);
  }
  ok(SendMessageA(GetDlgItem(dialog, kUseOds), BM_GETCHECK, 0, 0) == BST_UNCHECKED, "ODS box starts checked");
  ok(itemText(dialog, kSource).empty() && itemText(dialog, kDest).empty(), "edits do not start empty");
  // Tab order: source edit, Browse Src, destination edit, Browse Dest, Convert (skipped while disabled), Done.
  const int order[] = {kSource, kBrowseSource, kDest, kBrowseDest, IDOK, kUseOds};
  HWND at = GetDlgItem(dialog, kSource);
  for (std::size_t i = 1; i < sizeof order / sizeof order[0]; ++i) {
    at = GetNextDlgTabItem(dialog, at, FALSE);
    ok(GetDlgCtrlID(at) == order[i], "tab stop %u is %d, expected %d", unsigned(i), GetDlgCtrlID(at), order[i]);
  }
}

void testConvertFollowsTheEdits(HWND dialog) {
  ok(!convertEnabled(dialog), "Convert enabled with both edits empty");
  typeChar(dialog, kSource, 'a');
  ok(!convertEnabled(dialog), "Convert enabled with the destination empty");
  typeChar(dialog, kDest, 'b');
  ok(convertEnabled(dialog), "Convert disabled with both edits filled");
  typeChar(dialog, kDest, '\b');
  ok(itemText(dialog, kDest).empty(), "backspace left \"%s\"", itemText(dialog, kDest).c_str());
  ok(!convertEnabled(dialog), "Convert still enabled after the destination was deleted");
  SetDlgItemTextA(dialog, kDest, "out.htm");
  ok(convertEnabled(dialog), "Convert disabled after the destination was set");
  SetDlgItemTextA(dialog, kSource, "");
  ok(!convertEnabled(dialog), "Convert enabled with the source empty");
  SetDlgItemTextA(dialog, kSource, " ");
  ok(convertEnabled(dialog), "a blank is text too");
}

// Presses Convert and expects a box with caption and text; answers it with answer.
void convertExpecting(HWND dialog, const char* caption, const std::string& expected, int answer = IDOK) {
  click(dialog, kConvert);
  Box box = findBox(caption);
  ok(box.window != nullptr, "no \"%s\" box", caption);
  if (!box.window) return;
  ok(box.text == expected, "\"%s\" box reads \"%s\"", caption, box.text.c_str());
  ok(GetWindow(box.window, GW_OWNER) == dialog, "\"%s\" box is not owned by the dialog", caption);
  dismiss(box.window, answer);
  ok(IsWindow(dialog) != FALSE, "the dialog closed after \"%s\"", caption);
}

void testConversions(HWND dialog, const std::string& folder) {
  const std::string source = folder + "\\page.htm";
  const std::string dest = folder + "\\converted.htm";
  const std::string success = "Conversion completed successfully.";
  writeFile(source, kPage);
  DeleteFileA(dest.c_str());
  SetDlgItemTextA(dialog, kSource, source.c_str());
  SetDlgItemTextA(dialog, kDest, dest.c_str());

  convertExpecting(dialog, "Conversion Success", success);
  ok(readFile(dest) == kPage, "the converted page differs from its source");

  // The destination exists now: No keeps it, Yes overwrites it.
  writeFile(dest, "MARKER");
  const std::string question = "Destination file \"" + dest +
                               "\" already exists.\nAll contents will be erased.  Are you\nsure you wish to overwrite?";
  click(dialog, kConvert);
  Box box = findBox("File exists!");
  ok(box.window != nullptr, "no overwrite question");
  if (box.window) {
    ok(box.text == question, "question reads \"%s\"", box.text.c_str());
    ok(GetDlgItem(box.window, IDYES) && GetDlgItem(box.window, IDNO) && !GetDlgItem(box.window, IDOK),
       "question has no Yes and No buttons");
    ok((GetWindowLongA(GetDlgItem(box.window, IDNO), GWL_STYLE) & 0xF) == BS_DEFPUSHBUTTON,
       "No is not the question's default button");
    dismiss(box.window, IDNO);
  }
  ok(staysAbsent("Conversion Success") && staysAbsent("Conversion error!"), "a box followed the answer No");
  ok(readFile(dest) == "MARKER", "the destination changed after the answer No");
  convertExpecting(dialog, "File exists!", question, IDYES);
  Box result = findBox("Conversion Success");
  ok(result.window && result.text == success, "after Yes: \"%s\"", result.text.c_str());
  if (result.window) dismiss(result.window, IDOK);
  ok(readFile(dest) == kPage, "the destination was not overwritten after Yes");

  // A missing source and a destination in a missing folder.
  const std::string missing = folder + "\\missing.htm";
  SetDlgItemTextA(dialog, kSource, missing.c_str());
  convertExpecting(dialog, "File error!", "The source path \"" + missing + "\" does not exist.");
  SetDlgItemTextA(dialog, kSource, source.c_str());
  SetDlgItemTextA(dialog, kDest, (folder + "\\no-such-folder\\out.htm").c_str());
  convertExpecting(dialog, "Conversion error!", "Could not perform conversion.");
  ok(itemText(dialog, kSource) == source, "the source edit lost its path after an error");

  // A name relative to the program's current folder, with "Use ODS files." ticked.
  SendMessageA(GetDlgItem(dialog, kUseOds), BM_CLICK, 0, 0);
  ok(SendMessageA(GetDlgItem(dialog, kUseOds), BM_GETCHECK, 0, 0) == BST_CHECKED, "ODS box not ticked");
  DeleteFileA((folder + "\\relative.htm").c_str());
  SetDlgItemTextA(dialog, kSource, "page.htm");
  SetDlgItemTextA(dialog, kDest, "relative.htm");
  convertExpecting(dialog, "Conversion Success", success);
  ok(readFile(folder + "\\relative.htm") == kPage, "relative conversion wrote no page");
}

void testAboutBox(HWND dialog, const std::string& shot) {
  const WPARAM commands[] = {0x0010, 0x001F};
  for (WPARAM command : commands) {
    PostMessageA(dialog, WM_SYSCOMMAND, command, 0);
    HWND about = waitForWindow("#32770", "About Veradoc");
    ok(about != nullptr, "command %#x opened no About box", unsigned(command));
    if (!about) continue;
    std::string texts;
    for (HWND child = GetWindow(about, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
      texts += text(child) + "|";
    ok(texts.find("Veradoc Version 1.0|") != std::string::npos, "About box reads %s", texts.c_str());
    ok(GetWindow(about, GW_OWNER) == dialog, "About box is not owned by the dialog");
    if (command == 0x0010) {
      Sleep(300);
      screenshot(about, shot);
    }
    ok((GetWindowLongA(GetDlgItem(about, IDOK), GWL_STYLE) & 0xF) == BS_DEFPUSHBUTTON,
       "OK is not the About box's default button");
    dismiss(about, IDOK);
  }
  PostMessageA(dialog, WM_SYSCOMMAND, 0x0020, 0);
  ok(staysAbsent("About Veradoc"), "command 0x20 opened the About box");
}

// A picker on the destination starts from the edit's name; a name typed
// without extension gets the edit's; confirming replaces the edit's text.
void testPickers(HWND dialog, const std::string& folder) {
  SetDlgItemTextA(dialog, kDest, (folder + "\\start.htm").c_str());
  click(dialog, kBrowseDest);
  HWND picker = waitForWindow("#32770", "Save As");
  ok(picker != nullptr, "Browse Dest opened no Save As picker");
  if (picker) {
    const int nameField = GetDlgItem(picker, 0x47C) ? 0x47C : 0x480;  // combo box or plain edit
    ok(itemText(picker, nameField).find("start.htm") != std::string::npos, "picker starts with \"%s\"",
       itemText(picker, nameField).c_str());
    SetDlgItemTextA(picker, nameField, (folder + "\\picked").c_str());
    PostMessageA(picker, WM_COMMAND, IDOK, 0);
    ok(waitUntilGone(picker), "Save As picker did not close");
  }
  // A name typed without extension gets one: the picker takes it from the
  // chosen filter ("*.html; *.htm") or from the default extension (htm).
  const std::string picked = itemText(dialog, kDest);
  ok(picked == folder + "\\picked.htm" || picked == folder + "\\picked.html", "destination edit reads \"%s\"",
     picked.c_str());

  // An empty source edit gives the Open picker no starting name; cancelling
  // changes nothing; confirming a file puts its path in the edit.
  SetDlgItemTextA(dialog, kSource, "");
  click(dialog, kBrowseSource);
  picker = waitForWindow("#32770", "Open");
  ok(picker != nullptr, "Browse Src opened no Open picker");
  if (picker) {
    const int nameField = GetDlgItem(picker, 0x47C) ? 0x47C : 0x480;
    ok(itemText(picker, nameField).empty(), "Open picker starts with \"%s\"", itemText(picker, nameField).c_str());
    PostMessageA(picker, WM_COMMAND, IDCANCEL, 0);
    ok(waitUntilGone(picker), "Open picker did not close");
  }
  ok(itemText(dialog, kSource).empty(), "cancelling changed the source edit");
  ok(!convertEnabled(dialog), "Convert enabled with the source empty after cancelling");

  click(dialog, kBrowseSource);
  picker = waitForWindow("#32770", "Open");
  if (picker) {
    const int nameField = GetDlgItem(picker, 0x47C) ? 0x47C : 0x480;
    SetDlgItemTextA(picker, nameField, (folder + "\\page.htm").c_str());
    PostMessageA(picker, WM_COMMAND, IDOK, 0);
    ok(waitUntilGone(picker), "Open picker did not close");
  }
  ok(itemText(dialog, kSource) == folder + "\\page.htm", "source edit reads \"%s\"",
     itemText(dialog, kSource).c_str());
  ok(convertEnabled(dialog), "Convert disabled after both paths were picked");
}

void testMinimised(HWND dialog, const std::string& shot) {
  SendMessageA(dialog, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ok(IsIconic(dialog) != FALSE, "the dialog did not minimise");
  UpdateWindow(dialog);
  Sleep(300);
  if (IsIconic(dialog)) screenshot(dialog, shot);
  SendMessageA(dialog, WM_SYSCOMMAND, SC_RESTORE, 0);
  ok(!IsIconic(dialog), "the dialog did not restore");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::printf("usage: conversion_dialog_ui_test VERADOC.EXE WORK_FOLDER\n");
    return 2;
  }
  const std::string exe = windowsPath(argv[1]);
  const std::string work = windowsPath(argv[2]);
  const std::string folder = work + "\\ui_work";
  CreateDirectoryA(folder.c_str(), nullptr);

  testResources(exe);
  testServerStartEndsAtOnce(exe, folder);

  HANDLE process = start(exe, "", folder);
  ok(process != nullptr, "cannot start %s", exe.c_str());
  if (!process) return 1;
  HWND dialog = waitForWindow(nullptr, kCaption, 30000);
  ok(dialog != nullptr, "no window \"%s\"", kCaption);
  if (dialog) {
    testTemplate(dialog);
    testConvertFollowsTheEdits(dialog);
    testConversions(dialog, folder);
    SetDlgItemTextA(dialog, kSource, "C:\\web\\page.htm");
    SetDlgItemTextA(dialog, kDest, "C:\\out\\page.htm");
    SendMessageA(GetDlgItem(dialog, kUseOds), BM_SETCHECK, BST_CHECKED, 0);
    UpdateWindow(dialog);
    Sleep(300);
    const Image shot = screenshot(dialog, work + "\\veradoc_dialog.png");
    // The icon's green arrow shows in the caption (the small icon).
    ok(shot.has(0, 255, 0, 0, 0, 32, GetSystemMetrics(SM_CYCAPTION) + 8), "no icon in the caption");
    testAboutBox(dialog, work + "\\veradoc_about.png");
    testPickers(dialog, folder);
    testMinimised(dialog, work + "\\veradoc_minimised.png");
    click(dialog, IDOK);  // Done
    ok(waitUntilGone(dialog), "Done did not close the dialog");
  }
  ok(WaitForSingleObject(process, 15000) == WAIT_OBJECT_0, "VERADOC.EXE did not end");
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  if (code == STILL_ACTIVE) TerminateProcess(process, 1);
  CloseHandle(process);
  return testing_support::checkResult();
}
