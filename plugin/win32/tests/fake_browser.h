// The browser side of the plug-in tests: loads NPKIRRA.DLL from the folder of
// the test program, offers it a recording NPNetscapeFuncs table, and keeps
// the plug-in table it filled.
#pragma once

#include <windows.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "plugin/win32/np_types.h"

namespace harness {

// One call the plug-in made into the browser table.
struct BrowserCall {
  std::string name;  // "geturl", "posturl", ...
  NPP npp = nullptr;
  std::string url, target;
  uint32_t length = 0;
  const void* pointer = nullptr;  // buffer, stream, or notify data
  int32_t number = 0;             // file flag, reason, reload flag
  void* notifyData = nullptr;
  std::vector<std::pair<int32_t, uint32_t>> ranges;  // requestread: the list as received
};

// How the browser answers; reset for every test.
struct BrowserScript {
  NPError result = NPERR_NO_ERROR;  // of the NPError-returning functions
  int32_t writeResult = 0;
  int failAllocation = -1;  // fail the allocation with this 0-based number
  // Delivered as a stream to the instance when a "javascript:" URL is got.
  bool deliverScriptResult = false;
  std::vector<std::string> scriptChunks;  // each sent with its terminating zero
  JRIEnv* javaEnv = nullptr;
  jref javaPeer = nullptr;
};

struct FakeBrowser {
  NPNetscapeFuncs funcs = {};
  BrowserScript script;
  std::vector<BrowserCall> calls;
  int allocations = 0;
  std::set<void*> live;  // memory handed out and not yet freed
  std::vector<void*> freed;
  NPPluginFuncs* plugin = nullptr;  // where script results are delivered
  // What the script delivery saw from the plug-in.
  std::vector<int32_t> deliveryResults;

  FakeBrowser();
  std::vector<BrowserCall> callsNamed(const std::string& name) const;
};

extern FakeBrowser* g_browser;

// NPKIRRA.DLL loaded from the test program's folder, with its exports.
struct PluginLibrary {
  HMODULE module = nullptr;
  NPError(WINAPI* getEntryPoints)(NPPluginFuncs*) = nullptr;
  NPError(WINAPI* initialize)(NPNetscapeFuncs*) = nullptr;
  NPError(WINAPI* shutdown)() = nullptr;

  bool load(const std::string& path);
  void unload();
  template <typename F>
  F proc(const char* name) const {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  }
};

// The folder of the running test program, with a trailing backslash.
std::string programFolder();

}  // namespace harness
