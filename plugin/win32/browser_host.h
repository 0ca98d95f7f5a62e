// The browser host object handed to the engine with every new instance: a
// reference-counted COM-style object laid out as {interface table, count,
// NPP}, allocated with NPN_MemAlloc and freed with NPN_MemFree. Under the
// newer generation it answers IBrowserHost and IBrowserHost2, under the older
// IBrowserHost only.
#pragma once

#include "plugin/win32/module_state.h"

namespace npkirra {

struct BrowserHost {
  const void* vtable;  // the generation's interface table
  LONG refs;
  NPP npp;
};
static_assert(sizeof(void*) != 4 || sizeof(BrowserHost) == 12, "BrowserHost layout");

// Allocates a host for `npp` through the generation's browser table, count 1.
// Returns null when the browser's allocator does.
BrowserHost* newBrowserHost(Generation g, NPP npp);

inline IBrowserHost* asInterface(BrowserHost* host) { return reinterpret_cast<IBrowserHost*>(host); }

// Number of entries in each generation's interface table.
constexpr int kBrowserHostMethods = 15;
constexpr int kBrowserHost2Methods = 21;

}  // namespace npkirra
