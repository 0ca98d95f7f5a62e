// The real MORVANE.DLL, loaded in-process as Explorer loads it: exports, class
// object, reference counts and unloading, selection, menu, command strings,
// string table and version resource. Nothing here writes the registry or
// shows a message box.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "shell_extension/win32/testing/hdrop_data_object.h"

namespace {

using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using CanUnloadNowFn = HRESULT(STDAPICALLTYPE*)();

const CLSID kClass = {0x6A2A5EC0, 0xE3D3, 0x11CF, {0x93, 0xA3, 0x00, 0xA0, 0x24, 0x43, 0xD8, 0xFF}};
void* const kPoison = reinterpret_cast<void*>(0xdeadbeef);

ULONG refsOf(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

class Server : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    module_ = LoadLibraryA("MORVANE.DLL");
    ASSERT_NE(nullptr, module_) << "error " << GetLastError();
    getClassObject_ = reinterpret_cast<GetClassObjectFn>(reinterpret_cast<void*>(GetProcAddress(module_, "DllGetClassObject")));
    canUnloadNow_ = reinterpret_cast<CanUnloadNowFn>(reinterpret_cast<void*>(GetProcAddress(module_, "DllCanUnloadNow")));
  }
  void SetUp() override {
    ASSERT_NE(nullptr, getClassObject_);
    ASSERT_NE(nullptr, canUnloadNow_);
    ASSERT_EQ(S_OK, canUnloadNow_());
  }
  void TearDown() override { EXPECT_EQ(S_OK, canUnloadNow_()) << "an object outlived its last reference"; }

  IClassFactory* factory() {
    void* out = kPoison;
    EXPECT_EQ(S_OK, getClassObject_(kClass, IID_IClassFactory, &out));
    return static_cast<IClassFactory*>(out);
  }
  // A new extension object, asked for iid; the factory is gone again.
  template <class T>
  T* create(REFIID iid) {
    IClassFactory* f = factory();
    void* out = kPoison;
    EXPECT_EQ(S_OK, f->CreateInstance(nullptr, iid, &out));
    EXPECT_EQ(0u, f->Release());
    return static_cast<T*>(out);
  }

  static HMODULE module_;
  static GetClassObjectFn getClassObject_;
  static CanUnloadNowFn canUnloadNow_;
};
HMODULE Server::module_ = nullptr;
GetClassObjectFn Server::getClassObject_ = nullptr;
CanUnloadNowFn Server::canUnloadNow_ = nullptr;

TEST_F(Server, ExportsItsEntryPointsUnderPlainNames) {
  for (const char* name : {"DllGetClassObject", "DllCanUnloadNow", "DllRegisterServer", "DllUnregisterServer"})
    EXPECT_NE(nullptr, GetProcAddress(module_, name)) << name;
}

TEST_F(Server, ClassObjectRefusesOtherClassesAndInterfaces) {
  void* out = kPoison;
  EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, getClassObject_(IID_IUnknown, IID_IClassFactory, &out));
  EXPECT_EQ(nullptr, out);
  out = kPoison;
  // Only the extension object answers to IContextMenu; the factory is destroyed again.
  EXPECT_EQ(E_NOINTERFACE, getClassObject_(kClass, IID_IContextMenu, &out));
  EXPECT_EQ(nullptr, out);
  EXPECT_EQ(S_OK, canUnloadNow_());
  out = kPoison;
  EXPECT_EQ(S_OK, getClassObject_(kClass, IID_IUnknown, &out));
  ASSERT_NE(nullptr, out);
  EXPECT_EQ(0u, static_cast<IUnknown*>(out)->Release());
}

TEST_F(Server, FactoryCountsItsReferencesAndHoldsTheServer) {
  IClassFactory* f = factory();
  ASSERT_NE(nullptr, f);
  EXPECT_EQ(S_FALSE, canUnloadNow_());
  EXPECT_EQ(1u, refsOf(f));
  EXPECT_EQ(2u, f->AddRef());
  EXPECT_EQ(1u, f->Release());

  void* same = kPoison;
  EXPECT_EQ(S_OK, f->QueryInterface(IID_IUnknown, &same));
  EXPECT_EQ(static_cast<void*>(f), same);
  EXPECT_EQ(1u, f->Release());

  void* other = kPoison;
  EXPECT_EQ(E_NOINTERFACE, f->QueryInterface(IID_IContextMenu, &other));
  EXPECT_EQ(nullptr, other);
  EXPECT_EQ(E_NOTIMPL, f->LockServer(TRUE));
  EXPECT_EQ(1u, refsOf(f));

  void* object = kPoison;
  int outer = 0;  // never called: aggregation is refused first
  EXPECT_EQ(CLASS_E_NOAGGREGATION, f->CreateInstance(reinterpret_cast<IUnknown*>(&outer), IID_IUnknown, &object));
  EXPECT_EQ(nullptr, object);
  object = kPoison;
  EXPECT_EQ(E_NOINTERFACE, f->CreateInstance(nullptr, IID_IClassFactory, &object));
  EXPECT_EQ(nullptr, object);

  EXPECT_EQ(0u, f->Release());
  EXPECT_EQ(S_OK, canUnloadNow_());  // the refused object was destroyed at once
}

TEST_F(Server, ObjectHasOneIdentityAndOneCount) {
  auto* menu = create<IContextMenu>(IID_IContextMenu);
  ASSERT_NE(nullptr, menu);
  EXPECT_EQ(S_FALSE, canUnloadNow_());
  EXPECT_EQ(1u, refsOf(menu));

  IShellExtInit* init = nullptr;
  ASSERT_EQ(S_OK, menu->QueryInterface(IID_IShellExtInit, reinterpret_cast<void**>(&init)));
  EXPECT_NE(static_cast<void*>(menu), static_cast<void*>(init));
  EXPECT_EQ(2u, refsOf(init));
  EXPECT_EQ(3u, init->AddRef());
  EXPECT_EQ(2u, menu->Release());

  void* primary = kPoison;
  ASSERT_EQ(S_OK, init->QueryInterface(IID_IUnknown, &primary));
  EXPECT_EQ(static_cast<void*>(menu), primary);
  void* again = kPoison;
  ASSERT_EQ(S_OK, init->QueryInterface(IID_IContextMenu, &again));
  EXPECT_EQ(static_cast<void*>(menu), again);
  EXPECT_EQ(3u, menu->Release());
  EXPECT_EQ(2u, menu->Release());

  void* refused = kPoison;
  EXPECT_EQ(E_NOINTERFACE, init->QueryInterface(IID_IClassFactory, &refused));
  EXPECT_EQ(nullptr, refused);

  EXPECT_EQ(1u, init->Release());
  EXPECT_EQ(S_FALSE, canUnloadNow_());
  EXPECT_EQ(0u, menu->Release());
}

TEST_F(Server, InitializeTakesOnlyARealSelection) {
  auto* init = create<IShellExtInit>(IID_IShellExtInit);
  ASSERT_NE(nullptr, init);
  EXPECT_EQ(E_FAIL, init->Initialize(nullptr, nullptr, nullptr));

  morvane_testing::HdropDataObject refusing({"C:\\a.htm"});
  refusing.refuse = true;
  EXPECT_EQ(E_FAIL, init->Initialize(nullptr, &refusing, nullptr));
  EXPECT_EQ(1, refusing.getDataCalls);

  morvane_testing::HdropDataObject two({"C:\\site\\index.htm", std::string("C:\\") + std::string(300, 'x')});
  EXPECT_EQ(S_OK, init->Initialize(nullptr, &two, nullptr));
  EXPECT_EQ(S_OK, init->Initialize(nullptr, &two, nullptr));  // a second call starts over
  EXPECT_EQ(2, two.getDataCalls);
  EXPECT_EQ(1u, two.refs());  // the data object itself is not kept
  EXPECT_EQ(0u, init->Release());
}

std::string itemText(HMENU menu, UINT position) {
  char text[128] = "";
  GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
  return text;
}

TEST_F(Server, QueryContextMenuAddsTheSubmenuWithItsTwoCommands) {
  auto* menu = create<IContextMenu>(IID_IContextMenu);
  ASSERT_NE(nullptr, menu);
  HMENU context = CreatePopupMenu();
  AppendMenuA(context, MF_STRING, 1, "Open");
  AppendMenuA(context, MF_STRING, 2, "Properties");

  const HRESULT hr = menu->QueryContextMenu(context, 1, 100, 200, CMF_NORMAL);
  EXPECT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 3), hr);
  ASSERT_EQ(3, GetMenuItemCount(context));
  EXPECT_EQ("Open", itemText(context, 0));
  EXPECT_EQ("Morvane", itemText(context, 1));
  EXPECT_EQ("Properties", itemText(context, 2));

  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_DATA;
  ASSERT_TRUE(GetMenuItemInfoA(context, 1, TRUE, &info));
  EXPECT_EQ(100u, info.wID);
  EXPECT_EQ(0u, info.dwItemData);
  ASSERT_NE(nullptr, info.hSubMenu);
  ASSERT_EQ(2, GetMenuItemCount(info.hSubMenu));
  EXPECT_EQ("Set Destination Folder", itemText(info.hSubMenu, 0));
  EXPECT_EQ(101u, GetMenuItemID(info.hSubMenu, 0));
  EXPECT_EQ("Convert", itemText(info.hSubMenu, 1));
  EXPECT_EQ(102u, GetMenuItemID(info.hSubMenu, 1));

  DestroyMenu(context);
  EXPECT_EQ(0u, menu->Release());
}

TEST_F(Server, CommandStringsComeFromTheStringTable) {
  auto* menu = create<IContextMenu>(IID_IContextMenu);
  ASSERT_NE(nullptr, menu);
  struct Case {
    UINT_PTR offset;
    UINT type;
    HRESULT hr;
    const char* text;  // null: buffer untouched
  };
  // An offset is pointer-sized: one whose low half reads 1 is still out of range.
  const UINT_PTR highBitAndOne = (UINT_PTR{1} << (sizeof(UINT_PTR) * 8 - 1)) | 1;
  const Case cases[] = {
      {0, GCS_VERBA, S_OK, nullptr},
      {1, GCS_VERBA, S_OK, "Set Destination Folder"},
      {2, GCS_VERBA, S_OK, "Convert"},
      {0, GCS_HELPTEXTA, S_OK, "Tarnwick HTML Conversion Utility"},
      {1, GCS_HELPTEXTA, S_OK, "Set the target dir for converted files"},
      {2, GCS_HELPTEXTA, S_OK, "Convert HTML to Tarnwick format"},
      {1, GCS_VALIDATEA, S_OK, nullptr},
      {2, GCS_HELPTEXTW, S_OK, nullptr},
      {3, GCS_VERBA, E_INVALIDARG, nullptr},
      {highBitAndOne, GCS_VERBA, E_INVALIDARG, nullptr},
      {highBitAndOne, GCS_HELPTEXTA, E_INVALIDARG, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.offset << "/" << c.type);
    char buffer[80];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(c.hr, menu->GetCommandString(c.offset, c.type, nullptr, buffer, sizeof buffer));
    if (c.text) EXPECT_STREQ(c.text, buffer);
    else EXPECT_EQ(std::string(sizeof buffer, '#'), std::string(buffer, sizeof buffer));
  }
  CMINVOKECOMMANDINFO invoke{};
  invoke.cbSize = sizeof invoke;
  invoke.lpVerb = MAKEINTRESOURCEA(3);
  EXPECT_EQ(E_INVALIDARG, menu->InvokeCommand(&invoke));  // and no message box
  EXPECT_EQ(0u, menu->Release());
}

TEST_F(Server, StringTableHoldsTheExactTexts) {
  const std::pair<UINT, const char*> table[] = {
      {1, "Set Destination Folder"},
      {2, "Convert"},
      {3, "Set the target dir for converted files"},
      {4, "Convert HTML to Tarnwick format"},
      {5, "Morvane"},
      {6, "Tarnwick HTML Conversion Utility"},
      {7, "Target directory is set to %s.\nWould you like to change it?"},
      {8, "Verify target directory"},
      {9, "Could not create folder %s."},
      {10, "Fatal error!"},
      {11, "Conversion for file %s has failed.\n"},
      {12, "Conversion error!"},
      {13, "Select the folder to receive the converted HTML files."},
      {14, "Operation has completed successfully."},
      {15, "Operation has failed."},
      {16, "Tarnwick Conversion"},
      {17, "File(s) already exists."},
      {18, "Some files already exist in the target directory.  These will be backed up into the directory %s."},
      {21, "No target directory is selected.  Would you like to specify a target directory now?"},
      {22, "TWBACKUP"},
  };
  for (const auto& [id, text] : table) {
    char buffer[256] = "";
    EXPECT_EQ(static_cast<int>(std::strlen(text)), LoadStringA(module_, id, buffer, sizeof buffer)) << id;
    EXPECT_STREQ(text, buffer) << id;
  }
  char none[16] = "";
  EXPECT_EQ(0, LoadStringA(module_, 19, none, sizeof none));
  EXPECT_EQ(0, LoadStringA(module_, 20, none, sizeof none));
}

TEST_F(Server, VersionResourceMarksTheServerSelfRegistering) {
  char path[MAX_PATH];
  ASSERT_GT(GetModuleFileNameA(module_, path, sizeof path), 0u);
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(path, &handle);
  ASSERT_GT(size, 0u);
  std::string block(size, '\0');
  ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, block.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(0x00010000u, fixed->dwFileVersionMS);
  EXPECT_EQ(0x00000001u, fixed->dwFileVersionLS);
  EXPECT_EQ(0x00010000u, fixed->dwProductVersionMS);
  EXPECT_EQ(0x00000001u, fixed->dwProductVersionLS);

  const std::pair<const char*, const char*> values[] = {
      {"CompanyName", "TARNWICK"},          {"FileDescription", "morvane"},
      {"FileVersion", "1, 0, 0, 1"},        {"InternalName", "morvane"},
      {"OriginalFilename", "morvane.dll"},  {"ProductName", "TARNWICK morvane"},
      {"ProductVersion", "1, 0, 0, 1"},
  };
  for (const auto& [name, expected] : values) {
    char* text = nullptr;
    const std::string query = std::string("\\StringFileInfo\\040904B0\\") + name;
    ASSERT_TRUE(VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&text), &length)) << name;
    EXPECT_STREQ(expected, text) << name;
  }
  void* mark = nullptr;
  EXPECT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\040904B0\\OLESelfRegister", &mark, &length));
}

}  // namespace
