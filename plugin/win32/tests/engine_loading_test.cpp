// Loading of the hosting engine when the process attaches NPKIRRA.DLL: the
// default beside the plug-in and the per-user registry setting. This program
// does not link the engine stand-in, so every engine it sees was loaded by
// the plug-in. The registry key is the test's own and is restored afterwards.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "plugin/standins/plexaro/plexaro_standin.h"
#include "plugin/win32/tests/fake_browser.h"

namespace harness {
namespace {

const char kKeyPath[] = "Software\\Tarnwick\\ActiveX Plug-in";

// Saves the setting on construction and puts it back on destruction,
// removing the keys it had to create.
class RegistrySetting {
 public:
  RegistrySetting() {
    tarnwickExisted_ = exists("Software\\Tarnwick");
    keyExisted_ = exists(kKeyPath);
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kKeyPath, 0, KEY_READ, &key) == ERROR_SUCCESS) {
      DWORD size = 0;
      if (RegQueryValueExA(key, "plexaro.dll", nullptr, &type_, nullptr, &size) == ERROR_SUCCESS) {
        value_.resize(size);
        valueExisted_ = RegQueryValueExA(key, "plexaro.dll", nullptr, &type_,
                                         reinterpret_cast<BYTE*>(&value_[0]), &size) == ERROR_SUCCESS;
      }
      RegCloseKey(key);
    }
  }
  ~RegistrySetting() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kKeyPath, 0, KEY_WRITE, &key) == ERROR_SUCCESS) {
      if (valueExisted_)
        RegSetValueExA(key, "plexaro.dll", 0, type_, reinterpret_cast<const BYTE*>(value_.data()),
                       DWORD(value_.size()));
      else
        RegDeleteValueA(key, "plexaro.dll");
      RegCloseKey(key);
    }
    if (!keyExisted_) RegDeleteKeyA(HKEY_CURRENT_USER, kKeyPath);
    if (!tarnwickExisted_) RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Tarnwick");
  }
  // Writes the value (creating the keys); `type` is not checked by the plug-in.
  void set(const std::string& bytes, DWORD type = REG_SZ) {
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kKeyPath, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                                             nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "plexaro.dll", 0, type,
                                            reinterpret_cast<const BYTE*>(bytes.data()), DWORD(bytes.size())));
    RegCloseKey(key);
  }
  void clear() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kKeyPath, 0, KEY_WRITE, &key) == ERROR_SUCCESS) {
      RegDeleteValueA(key, "plexaro.dll");
      RegCloseKey(key);
    }
  }

 private:
  static bool exists(const char* path) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
  }
  bool tarnwickExisted_ = false, keyExisted_ = false, valueExisted_ = false;
  DWORD type_ = REG_SZ;
  std::string value_;
};

// Number of instances the engine library at `path` has been asked to create.
// An engine not loaded yet has created nothing. (An engine is never unloaded,
// so counts carry over between tests run in one process.)
int createsIn(const std::string& path) {
  HMODULE engine = GetModuleHandleA(path.c_str());
  if (!engine) return 0;
  auto count = reinterpret_cast<int (*)()>(
      reinterpret_cast<void*>(GetProcAddress(engine, "PlexaroStandinCallCount")));
  auto call = reinterpret_cast<const plexaro::EngineCall* (*)(int)>(
      reinterpret_cast<void*>(GetProcAddress(engine, "PlexaroStandinCall")));
  int creates = 0;
  for (int i = 0; i < count(); ++i)
    if (call(i)->kind == plexaro::kCallCreate) ++creates;
  return creates;
}

class EngineLoadingTest : public testing::Test {
 protected:
  void SetUp() override { g_browser = &browser; }
  void TearDown() override {
    plugin.unload();
    g_browser = nullptr;
  }
  // Loads the plug-in copy in `folder` and creates one instance.
  NPError loadAndCreate(const std::string& pluginPath) {
    EXPECT_TRUE(plugin.load(pluginPath)) << GetLastError();
    if (!plugin.module) return -1;
    NPPluginFuncs table = {};
    table.size = sizeof table;
    EXPECT_EQ(NPERR_NO_ERROR, plugin.getEntryPoints(&table));
    EXPECT_EQ(NPERR_NO_ERROR, plugin.initialize(&browser.funcs));
    NPP_t npp = {};
    const NPError result =
        table.newp(const_cast<char*>("application/oleobject"), &npp, NP_EMBED, 0, nullptr, nullptr, nullptr);
    if (result == NPERR_NO_ERROR) table.destroy(&npp, nullptr);
    plugin.unload();
    return result;
  }

  RegistrySetting setting;
  FakeBrowser browser;
  PluginLibrary plugin;
  const std::string run = programFolder();
  const std::string besidePlugin = run + "plugins\\PLEXARO.DLL";
};

TEST_F(EngineLoadingTest, DefaultEngineSitsBesideThePlugin) {
  setting.clear();
  const int before = createsIn(besidePlugin);
  EXPECT_EQ(NPERR_NO_ERROR, loadAndCreate(run + "plugins\\NPKIRRA.DLL"));
  EXPECT_EQ(before + 1, createsIn(besidePlugin));
  EXPECT_EQ(nullptr, GetModuleHandleA((run + "PLEXARO.DLL").c_str())) << "not the program's folder";
}

TEST_F(EngineLoadingTest, IncompleteSettingKeepsTheDefault) {
  setting.set(run + "alt\\PLEXALT.DLL");
  setting.clear();  // the key exists, the value does not
  const int before = createsIn(besidePlugin);
  const int alternative = createsIn(run + "alt\\PLEXALT.DLL");
  EXPECT_EQ(NPERR_NO_ERROR, loadAndCreate(run + "plugins\\NPKIRRA.DLL"));
  EXPECT_EQ(before + 1, createsIn(besidePlugin));
  EXPECT_EQ(alternative, createsIn(run + "alt\\PLEXALT.DLL"));
}

TEST_F(EngineLoadingTest, RegistrySettingOverridesTheDefault) {
  struct Case {
    const char* what;
    DWORD type;
    bool terminated;
  };
  const Case cases[] = {{"REG_SZ", REG_SZ, true}, {"REG_BINARY without terminator", REG_BINARY, false}};
  const int besideBefore = createsIn(besidePlugin);
  int expected = createsIn(run + "alt\\PLEXALT.DLL");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string value = run + "alt\\PLEXALT.DLL";
    if (c.terminated) value.push_back('\0');
    setting.set(value, c.type);
    EXPECT_EQ(NPERR_NO_ERROR, loadAndCreate(run + "plugins\\NPKIRRA.DLL"));
    EXPECT_EQ(++expected, createsIn(run + "alt\\PLEXALT.DLL"));
  }
  EXPECT_EQ(besideBefore, createsIn(besidePlugin));
}

TEST_F(EngineLoadingTest, UnloadableEngineFailsTheAttach) {
  setting.set(run + "missing\\NOENGINE.DLL");
  EXPECT_EQ(nullptr, LoadLibraryA((run + "NPKIRRA.DLL").c_str()));
  EXPECT_EQ(nullptr, GetModuleHandleA((run + "NPKIRRA.DLL").c_str()));
}

TEST_F(EngineLoadingTest, EngineWithoutCreationEntryRefusesInstances) {
  setting.set(run + "GRISTEL.DLL");  // loads, but exports no CreateNetscapeInstance
  EXPECT_EQ(NPERR_GENERIC_ERROR, loadAndCreate(run + "NPKIRRA.DLL"));
  EXPECT_TRUE(browser.callsNamed("memalloc").empty()) << "no host object is made";
}

}  // namespace
}  // namespace harness
