// Table negotiation of both generations, against the real NPKIRRA.DLL.
#include "plugin/win32/tests/plugin_fixture.h"

namespace harness {
namespace {

class EntryPointsTest : public PluginTest {
 protected:
  void reload() {
    plugin.unload();
    ASSERT_TRUE(plugin.load(programFolder() + "NPKIRRA.DLL"));
  }
  // A plug-in table of `size` with every entry preset to a marker.
  static NPPluginFuncs markedTable(uint16_t size) {
    NPPluginFuncs t;
    std::memset(&t, 0xAB, sizeof t);
    t.size = size;
    return t;
  }
};

TEST_F(EntryPointsTest, PluginTableSizePicksTheGeneration) {
  struct Case {
    uint16_t size;
    NPError result;
    uint16_t version;  // 0: nothing written
  };
  const Case cases[] = {
      {52, NPERR_NO_ERROR, 9},  {44, NPERR_NO_ERROR, 6}, {48, NPERR_NO_ERROR, 6},
      {53, NPERR_NO_ERROR, 6},  {200, NPERR_NO_ERROR, 6},  // larger than the newer table: still older
      {43, NPERR_INVALID_FUNCTABLE_ERROR, 0},          {0, NPERR_INVALID_FUNCTABLE_ERROR, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    reload();
    NPPluginFuncs t = markedTable(c.size);
    EXPECT_EQ(c.result, plugin.getEntryPoints(&t));
    if (c.version == 0) {
      NPPluginFuncs untouched = markedTable(c.size);
      EXPECT_EQ(0, std::memcmp(&untouched, &t, sizeof t)) << "nothing may be written";
      continue;
    }
    EXPECT_EQ(c.size, t.size);
    EXPECT_EQ(c.version, t.version);
    for (void* entry : {(void*)t.newp, (void*)t.destroy, (void*)t.setwindow, (void*)t.newstream,
                        (void*)t.destroystream, (void*)t.asfile, (void*)t.writeready, (void*)t.write,
                        (void*)t.print}) {
      EXPECT_NE(nullptr, entry);
      EXPECT_NE(sentinel(0xABABABAB), entry);
    }
    EXPECT_EQ(nullptr, (void*)t.event);
    if (c.version == 9) {
      EXPECT_NE(nullptr, (void*)t.urlnotify);
      EXPECT_NE(sentinel(0xABABABAB), (void*)t.urlnotify);
    } else {
      EXPECT_EQ(sentinel(0xABABABAB), (void*)t.urlnotify) << "older table ends before urlnotify";
      EXPECT_EQ(sentinel(0xABABABAB), t.javaClass);
    }
  }
}

TEST_F(EntryPointsTest, NullPluginTableIsRefusedAndLeavesTheOlderGeneration) {
  EXPECT_EQ(NPERR_INVALID_FUNCTABLE_ERROR, plugin.getEntryPoints(nullptr));
  browser.funcs.size = kNetscapeFuncsSizeOlder;
  EXPECT_EQ(NPERR_NO_ERROR, plugin.initialize(&browser.funcs));  // generation 6 rules apply
}

TEST_F(EntryPointsTest, RefusedSmallTableStillFixesGenerationSix) {
  NPPluginFuncs t = markedTable(43);
  EXPECT_EQ(NPERR_INVALID_FUNCTABLE_ERROR, plugin.getEntryPoints(&t));
  browser.funcs.size = 52;  // enough for 6, too small for 9
  EXPECT_EQ(NPERR_NO_ERROR, plugin.initialize(&browser.funcs));
}

TEST_F(EntryPointsTest, InitializeBeforeEntryPointsIsIncompatible) {
  EXPECT_EQ(NPERR_INCOMPATIBLE_VERSION_ERROR, plugin.initialize(&browser.funcs));
  EXPECT_EQ(NPERR_INVALID_FUNCTABLE_ERROR, plugin.initialize(nullptr));
}

TEST_F(EntryPointsTest, BrowserTableChecksPerGeneration) {
  struct Case {
    bool newer;
    uint16_t size, version;
    NPError result;
  };
  const Case cases[] = {
      {true, 68, 0x0009, NPERR_NO_ERROR},
      {true, 67, 0x0009, NPERR_INVALID_FUNCTABLE_ERROR},
      {true, 52, 0x0009, NPERR_INVALID_FUNCTABLE_ERROR},
      {true, 80, 0x00FF, NPERR_NO_ERROR},
      {true, 68, 0x0100, NPERR_INCOMPATIBLE_VERSION_ERROR},
      {true, 10, 0x0200, NPERR_INCOMPATIBLE_VERSION_ERROR},  // version is checked before size
      {false, 52, 0x0006, NPERR_NO_ERROR},
      {false, 51, 0x0006, NPERR_INVALID_FUNCTABLE_ERROR},
      {false, 68, 0x00FF, NPERR_NO_ERROR},
      {false, 52, 0x0100, NPERR_INCOMPATIBLE_VERSION_ERROR},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.newer ? "newer" : "older") << " size " << c.size << " version "
                                    << c.version);
    reload();
    NPPluginFuncs t = markedTable(c.newer ? 52 : 44);
    ASSERT_EQ(NPERR_NO_ERROR, plugin.getEntryPoints(&t));
    browser.funcs.size = c.size;
    browser.funcs.version = c.version;
    EXPECT_EQ(c.result, plugin.initialize(&browser.funcs));
    EXPECT_EQ(NPERR_INVALID_FUNCTABLE_ERROR, plugin.initialize(nullptr));
    if (c.newer && c.result == NPERR_NO_ERROR) {
      EXPECT_EQ(nullptr, t.javaClass) << "no Java: javaClass null";
    }
  }
}

TEST_F(EntryPointsTest, NewerBrowserTableIsKeptEvenWhenRefused) {
  NPPluginFuncs t = markedTable(52);
  ASSERT_EQ(NPERR_NO_ERROR, plugin.getEntryPoints(&t));
  browser.funcs.size = 67;
  ASSERT_EQ(NPERR_INVALID_FUNCTABLE_ERROR, plugin.initialize(&browser.funcs));
  NPP_t npp = {};
  EXPECT_EQ(NPERR_NO_ERROR, t.newp(const_cast<char*>("application/oleobject"), &npp, NP_EMBED, 0, nullptr, nullptr,
                                   nullptr));
  EXPECT_EQ(1u, browser.callsNamed("memalloc").size()) << "the host came from the kept table";
}

TEST_F(EntryPointsTest, InstanceBeforeInitializeIsRefused) {
  NPPluginFuncs t = markedTable(52);
  ASSERT_EQ(NPERR_NO_ERROR, plugin.getEntryPoints(&t));
  NPP_t npp = {};
  EXPECT_EQ(NPERR_GENERIC_ERROR, t.newp(const_cast<char*>("t"), &npp, NP_EMBED, 0, nullptr, nullptr, nullptr));
  EXPECT_EQ(0, PlexaroStandinCallCount());
}

TEST_F(EntryPointsTest, ShutdownAnswersZeroAndKeepsTheEngine) {
  start(true);
  EXPECT_EQ(NPERR_NO_ERROR, plugin.shutdown());
  EXPECT_NE(nullptr, GetModuleHandleA("PLEXARO.DLL"));
  NPP_t npp = {};
  EXPECT_NE(0, newInstance(&npp)) << "instances still work after NP_Shutdown";
}

TEST_F(EntryPointsTest, VersionResourceCarriesTheRegistration) {
  const std::string path = programFolder() + "NPKIRRA.DLL";
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
  ASSERT_GT(size, 0u);
  std::vector<char> data(size);
  ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, data.data()));
  struct Case {
    const char* name;
    const char* value;
  };
  const Case cases[] = {
      {"MIMEType", "application/olescript|application/x-oleobject|application/oleobject"},
      {"FileExtents", "axs|ods|ole"},
      {"FileOpenName",
       "ActiveX Script (*.axs)|ActiveX Control Properties (*.stm)|ActiveX Control Properties (*.ole)"},
      {"OriginalFilename", "NPKIRRA.DLL"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    char* value = nullptr;
    UINT length = 0;
    const std::string key = std::string("\\StringFileInfo\\040904E4\\") + c.name;
    ASSERT_TRUE(VerQueryValueA(data.data(), key.c_str(), reinterpret_cast<void**>(&value), &length));
    EXPECT_STREQ(c.value, value);
  }
}

}  // namespace
}  // namespace harness
