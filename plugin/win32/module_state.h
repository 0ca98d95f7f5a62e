// Module-wide state of the plug-in library: one copy per process, shared by
// all plug-in instances and used on the browser's calling thread only.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstdint>

#include "plugin/win32/engine_interfaces.h"
#include "plugin/win32/np_types.h"

namespace npkirra {

// The two generations of the NPAPI tables; an index into ModuleState::tables.
enum Generation : int { kOlder = 0, kNewer = 1 };

// Table versions written into the plug-in table.
constexpr uint16_t kVersionNewer = 9;
constexpr uint16_t kVersionOlder = 6;

// Script capture of EvaluateScript, per generation.
enum CaptureState : int {
  kCaptureIdle = 0,
  kCaptureArmed = 1,
  kCaptureFirstChunkSkipped = 2,  // older generation only
  kCaptureDone = 3,
};

struct GenerationState {
  NPNetscapeFuncs* browser = nullptr;  // kept from NP_Initialize for the life of the process
  int capture = kCaptureIdle;
  BSTR captured = nullptr;  // owned until EvaluateScript takes it
};

struct ModuleState {
  uint16_t generation = 0;  // 0 until NP_GetEntryPoints, then 9 or 6
  GenerationState tables[2];
  NPPluginFuncs* pluginFuncs = nullptr;  // the newer table, for javaClass
  HMODULE engine = nullptr;              // never unloaded
  CreateNetscapeInstanceProc createInstance = nullptr;
};

extern ModuleState g_module;

inline NPNetscapeFuncs* browserFuncs(Generation g) { return g_module.tables[g].browser; }

}  // namespace npkirra
