// Acts as Explorer against the registered MORVANE.DLL: creates the extension
// through COM, hands it a CF_HDROP selection, builds a real context menu,
// invokes Convert and answers the message boxes from a second thread, then
// checks the converted tree and the backups on disk. Needs a display.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/context.h"
#include "engine/driver.h"
#include "shell_extension/win32/testing/hdrop_data_object.h"
#include "testing/files.h"

namespace {

namespace fs = std::filesystem;

const CLSID kClass = {0x6A2A5EC0, 0xE3D3, 0x11CF, {0x93, 0xA3, 0x00, 0xA0, 0x24, 0x43, 0xD8, 0xFF}};

using testing_support::readFile;
using testing_support::writeFile;

std::string windowsPath(const fs::path& path) {
  char full[MAX_PATH];
  const DWORD n = GetFullPathNameA(path.string().c_str(), sizeof full, full, nullptr);
  return std::string(full, n);
}

// Runs a program of the prefix and returns its exit code.
DWORD runProgram(std::string commandLine) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return 0xFFFFFFFF;
  WaitForSingleObject(process.hProcess, 60000);
  DWORD code = 0xFFFFFFFF;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}

void storeDestinationFolder(const std::string& folder) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Tarnwick\\Morvane\\Persistent Data", 0,
                                           nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
  RegSetValueExA(key, "DestFolder", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                 static_cast<DWORD>(folder.size() + 1));
  RegCloseKey(key);
}

std::string storedDestinationFolder() {
  char value[MAX_PATH + 1] = "";
  DWORD size = MAX_PATH;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Tarnwick\\Morvane\\Persistent Data", 0, KEY_READ, &key) ==
      ERROR_SUCCESS) {
    RegQueryValueExA(key, "DestFolder", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
  }
  return value;
}

// Answers the message boxes and the folder picker of this process as a user
// would: the target-directory question with questionAnswer, the picker by
// selecting pickFolder (or cancelling when it is empty), everything else with
// OK. Records what it saw.
class BoxAnswerer {
 public:
  struct Box {
    std::string caption, text;  // for the picker, the texts of its labels
  };
  explicit BoxAnswerer(int questionAnswer = IDNO, std::string pickFolder = {})
      : questionAnswer_(questionAnswer), pickFolder_(std::move(pickFolder)), thread_([this] { loop(); }) {}
  ~BoxAnswerer() {
    stop_ = true;
    thread_.join();
  }
  std::vector<Box> seen() {
    std::lock_guard<std::mutex> lock(mutex_);
    return seen_;
  }

 private:
  // A visible dialog window of this process: other processes' dialogs on the
  // same display are none of our business.
  static BOOL CALLBACK takeOwnDialog(HWND window, LPARAM found) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char className[16] = "";
    GetClassNameA(window, className, sizeof className);
    if (process != GetCurrentProcessId() || std::string(className) != "#32770" || !IsWindowVisible(window))
      return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  static HWND ownDialog() {
    HWND found = nullptr;
    EnumWindows(&takeOwnDialog, reinterpret_cast<LPARAM>(&found));
    return found;
  }
  static BOOL CALLBACK addLabel(HWND child, LPARAM texts) {
    char className[16] = "", text[512] = "";
    GetClassNameA(child, className, sizeof className);
    GetWindowTextA(child, text, sizeof text);
    if (lstrcmpiA(className, "Static") == 0 && text[0]) *reinterpret_cast<std::string*>(texts) += text;
    return TRUE;
  }

  void loop() {
    while (!stop_) {
      if (HWND box = ownDialog()) answer(box);
      Sleep(20);
    }
  }

  void answer(HWND box) {
    Sleep(100);  // let the dialog finish its set-up
    char caption[128] = "";
    GetWindowTextA(box, caption, sizeof caption);
    Box seen{caption, {}};
    WPARAM button = IDOK;
    if (FindWindowExA(box, nullptr, "SysTreeView32", nullptr)) {  // the folder picker
      EnumChildWindows(box, &addLabel, reinterpret_cast<LPARAM>(&seen.text));
      if (pickFolder_.empty()) {
        button = IDCANCEL;
      } else {
        SendMessageA(box, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(pickFolder_.c_str()));
        Sleep(200);
      }
    } else {
      char text[1024] = "";
      GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
      seen.text = text;
      if (seen.caption == "Verify target directory") button = questionAnswer_;
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      seen_.push_back(seen);
    }
    PostMessageA(box, WM_COMMAND, button, 0);
    for (int i = 0; i < 300 && IsWindow(box); ++i) Sleep(10);
  }

  const WPARAM questionAnswer_;
  const std::string pickFolder_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<Box> seen_;
  std::thread thread_;
};

class Explorer : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::current_path() / "explorer_work";
    fs::remove_all(root_);
    site_ = root_ / "site";
    out_ = root_ / "out";
    writeFile(site_ / "index.htm",
              "<HTML><BODY>\r\n<SCRIPT LANGUAGE=\"VBScript\">\r\nSub Hello\r\n  x = 1\r\nEnd Sub\r\n</SCRIPT>\r\n"
              "<P>Hello</P>\r\n</BODY></HTML>\r\n");
    writeFile(site_ / "img" / "logo.gif", std::string("GIF89a\0\x01\x02", 9));
    writeFile(site_ / "sub" / "a.htm", "<HTML><BODY><P>a</P></BODY></HTML>\r\n");
    writeFile(site_ / "a.b.htm", "<HTML>not a page by its class</HTML>\r\n");
    writeFile(site_ / "TWBACKUP" / "old.htm", "<HTML>an earlier backup</HTML>\r\n");
    fs::create_directories(out_);

    // An installed copy was registered by its setup; otherwise the DLL
    // beside this program is registered for the test.
    if (const char* installed = std::getenv("MORVANE_INSTALLED_DLL")) {
      dll_ = installed;
      registeredHere_ = false;
      ASSERT_EQ(dll_, registeredServer());
    } else {
      char module[MAX_PATH];
      GetModuleFileNameA(nullptr, module, sizeof module);
      dll_ = windowsPath(fs::path(module).parent_path() / "MORVANE.DLL");
      ASSERT_EQ(0u, runProgram("regsvr32.exe /s \"" + dll_ + "\""));
    }
    storeDestinationFolder(windowsPath(out_));
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
  }
  void TearDown() override {
    CoUninitialize();
    if (registeredHere_) {
      EXPECT_EQ(0u, runProgram("regsvr32.exe /s /u \"" + dll_ + "\""));
    }
  }

  // The DLL that COM loads for the class.
  static std::string registeredServer() {
    char path[MAX_PATH + 1] = "";
    LONG size = sizeof path;
    RegQueryValueA(HKEY_CLASSES_ROOT, "CLSID\\{6A2A5EC0-E3D3-11cf-93A3-00A02443D8FF}\\InprocServer32", path, &size);
    return path;
  }

  // One context menu as Explorer builds it for the selection, then the verb.
  HRESULT invoke(const std::vector<std::string>& selection, LPCSTR verb) {
    IShellExtInit* init = nullptr;
    HRESULT hr = CoCreateInstance(kClass, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit,
                                  reinterpret_cast<void**>(&init));
    EXPECT_EQ(S_OK, hr);
    if (FAILED(hr)) return hr;
    morvane_testing::HdropDataObject data(selection);
    EXPECT_EQ(S_OK, init->Initialize(nullptr, &data, nullptr));
    IContextMenu* menu = nullptr;
    EXPECT_EQ(S_OK, init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&menu)));
    init->Release();
    if (!menu) return E_FAIL;

    HMENU context = CreatePopupMenu();
    EXPECT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 3), menu->QueryContextMenu(context, 0, 1, 0x7FFF, CMF_NORMAL));
    HMENU submenu = GetSubMenu(context, 0);
    char text[64] = "";
    GetMenuStringA(context, 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ("Morvane", text);
    EXPECT_EQ(2, GetMenuItemCount(submenu));
    EXPECT_EQ(3u, GetMenuItemID(submenu, 1));  // Convert: first id 1 + offset 2

    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof info;
    info.lpVerb = verb;
    info.nShow = SW_SHOWNORMAL;
    hr = menu->InvokeCommand(&info);
    DestroyMenu(context);
    EXPECT_EQ(0u, menu->Release());
    return hr;
  }

  std::string reference(const fs::path& page) {
    const fs::path dest = root_ / "reference" / page.filename();
    fs::create_directories(dest.parent_path());
    engine::ConversionContext context;
    EXPECT_EQ(1, engine::convertFile(context, page.string().c_str(), dest.string().c_str()));
    return readFile(dest);
  }

  fs::path root_, site_, out_;
  std::string dll_;
  bool registeredHere_ = true;
};

TEST_F(Explorer, ConvertsTheSelectedFolderAndBacksUpEarlierResults) {
  const std::string question = "Target directory is set to " + windowsPath(out_) + ".\nWould you like to change it?";
  const std::string done = "Operation has completed successfully.";
  const std::string notice = "Some files already exist in the target directory.  These will be backed up into the "
                             "directory " + windowsPath(out_ / "TWBACKUP") + ".";
  {
    BoxAnswerer answerer;
    EXPECT_EQ(S_OK, invoke({windowsPath(site_)}, MAKEINTRESOURCEA(2)));
    const auto boxes = answerer.seen();
    ASSERT_EQ(2u, boxes.size());
    EXPECT_EQ("Verify target directory", boxes[0].caption);
    EXPECT_EQ(question, boxes[0].text);
    EXPECT_EQ("Tarnwick Conversion", boxes[1].caption);
    EXPECT_EQ(done, boxes[1].text);
  }
  // The folder's files land in the destination itself, its subfolders below it.
  const std::string firstResult = readFile(out_ / "index.htm");
  EXPECT_EQ(reference(site_ / "index.htm"), firstResult);
  EXPECT_EQ(reference(site_ / "sub" / "a.htm"), readFile(out_ / "sub" / "a.htm"));
  EXPECT_EQ(readFile(site_ / "img" / "logo.gif"), readFile(out_ / "img" / "logo.gif"));
  EXPECT_EQ(readFile(site_ / "a.b.htm"), readFile(out_ / "a.b.htm"));  // copied, not converted
  EXPECT_FALSE(fs::exists(out_ / "site"));
  EXPECT_FALSE(fs::exists(out_ / "TWBACKUP"));  // the site's backup folder is never walked
  EXPECT_FALSE(fs::exists(out_ / "old.htm"));
  EXPECT_EQ(windowsPath(out_), storedDestinationFolder());

  // An earlier script file beside the result is saved too.
  if (!fs::exists(out_ / "index.axs")) writeFile(out_ / "index.axs", "' earlier script\r\n");
  const std::string firstScript = readFile(out_ / "index.axs");
  {
    BoxAnswerer answerer;
    EXPECT_EQ(S_OK, invoke({windowsPath(site_ / "index.htm")}, "convert"));
    const auto boxes = answerer.seen();
    ASSERT_EQ(3u, boxes.size());
    EXPECT_EQ("File(s) already exists.", boxes[1].caption);
    EXPECT_EQ(notice, boxes[1].text);
    EXPECT_EQ(done, boxes[2].text);
  }
  EXPECT_EQ(firstResult, readFile(out_ / "TWBACKUP" / "index.htm"));
  EXPECT_EQ(firstScript, readFile(out_ / "TWBACKUP" / "index.axs"));

  // The third time the backups take the next free names.
  if (!fs::exists(out_ / "index.axs")) writeFile(out_ / "index.axs", "' earlier script\r\n");
  {
    BoxAnswerer answerer;
    EXPECT_EQ(S_OK, invoke({windowsPath(site_ / "index.htm")}, "CONVERT"));
    EXPECT_EQ(3u, answerer.seen().size());
  }
  EXPECT_TRUE(fs::exists(out_ / "TWBACKUP" / "index_1.htm"));
  EXPECT_TRUE(fs::exists(out_ / "TWBACKUP" / "index_1.axs"));
  EXPECT_FALSE(fs::exists(out_ / "TWBACKUP" / "index_2.htm"));
}

TEST_F(Explorer, UnknownVerbReportsFailure) {
  BoxAnswerer answerer;
  EXPECT_EQ(E_FAIL, invoke({windowsPath(site_)}, "Converted"));
  const auto boxes = answerer.seen();
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ("Tarnwick Conversion", boxes[0].caption);
  EXPECT_EQ("Operation has failed.", boxes[0].text);
  EXPECT_FALSE(fs::exists(out_ / "index.htm"));
}

TEST_F(Explorer, SetDestinationFolderStoresThePickedFolder) {
  // On the prefix's own drive: the picker walks the Unix root drive badly.
  const fs::path chosen = "C:\\morvane picker test";
  fs::remove_all(chosen);
  fs::create_directories(chosen);
  {
    BoxAnswerer answerer(IDYES, windowsPath(chosen));
    EXPECT_EQ(S_OK, invoke({windowsPath(site_)}, MAKEINTRESOURCEA(1)));
    const auto boxes = answerer.seen();
    ASSERT_EQ(3u, boxes.size());
    EXPECT_NE(std::string::npos, boxes[1].text.find("Select the folder to receive the converted HTML files."))
        << boxes[1].text;
    EXPECT_EQ("Operation has completed successfully.", boxes[2].text);
  }
  EXPECT_EQ(0, lstrcmpiA(windowsPath(chosen).c_str(), storedDestinationFolder().c_str()))
      << storedDestinationFolder();
  {
    // The next object asks with the stored folder; cancelling the picker keeps it.
    BoxAnswerer answerer(IDYES);
    EXPECT_EQ(S_OK, invoke({windowsPath(site_)}, "set"));
    const auto boxes = answerer.seen();
    ASSERT_EQ(3u, boxes.size());
    EXPECT_EQ("Target directory is set to " + storedDestinationFolder() + ".\nWould you like to change it?",
              boxes[0].text);
  }
  EXPECT_EQ(0, lstrcmpiA(windowsPath(chosen).c_str(), storedDestinationFolder().c_str()));
  EXPECT_FALSE(fs::exists(out_ / "index.htm"));
  fs::remove_all(chosen);
}

}  // namespace
