// Fixture of the browser harness: a fresh NPKIRRA.DLL per test, a recording
// browser and the recording engine stand-in beside it.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "plugin/standins/plexaro/plexaro_standin.h"
#include "plugin/win32/tests/fake_browser.h"

namespace harness {

using plexaro::EngineCall;

inline void* sentinel(uintptr_t n) { return reinterpret_cast<void*>(n); }
inline uint32_t word(const void* p) { return uint32_t(reinterpret_cast<uintptr_t>(p)); }

template <typename Record>
Record recordOf(const EngineCall* c) {
  Record r;
  std::memset(&r, 0xCD, sizeof r);
  if (c) std::memcpy(&r, c->record, sizeof r < c->recordSize ? sizeof r : c->recordSize);
  return r;
}

// Calls the engine stand-in recorded, optionally of one kind only.
inline std::vector<const EngineCall*> engineCalls(int kind = -1) {
  std::vector<const EngineCall*> out;
  for (int i = 0; i < PlexaroStandinCallCount(); ++i) {
    const EngineCall* c = PlexaroStandinCall(i);
    if (kind < 0 || c->kind == kind) out.push_back(c);
  }
  return out;
}

inline const EngineCall* lastEngineCall(int kind) {
  const auto calls = engineCalls(kind);
  return calls.empty() ? nullptr : calls.back();
}

class PluginTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_browser = &browser;
    PlexaroStandinReset();
    ASSERT_TRUE(plugin.load(programFolder() + "NPKIRRA.DLL")) << GetLastError();
  }
  void TearDown() override {
    plugin.unload();
    g_browser = nullptr;
  }

  // NP_GetEntryPoints and NP_Initialize with the full tables of a generation.
  void start(bool newer) {
    std::memset(&table, 0, sizeof table);
    table.size = newer ? kPluginFuncsSizeNewer : kPluginFuncsSizeOlder;
    ASSERT_EQ(NPERR_NO_ERROR, plugin.getEntryPoints(&table));
    browser.funcs.size = newer ? kNetscapeFuncsSizeNewer : kNetscapeFuncsSizeOlder;
    ASSERT_EQ(NPERR_NO_ERROR, plugin.initialize(&browser.funcs));
    browser.plugin = &table;
  }

  // NPP_New on `npp` with the engine's answer; returns the engine object's number.
  int newInstance(NPP npp, const char* type = "application/x-oleobject") {
    const int before = int(engineCalls(plexaro::kCallCreate).size());
    EXPECT_EQ(NPERR_NO_ERROR, table.newp(const_cast<char*>(type), npp, NP_EMBED, 0, nullptr, nullptr, nullptr));
    const auto creates = engineCalls(plexaro::kCallCreate);
    if (int(creates.size()) != before + 1) return 0;
    return creates.back()->instance;
  }

  FakeBrowser browser;
  PluginLibrary plugin;
  NPPluginFuncs table = {};
};

}  // namespace harness
