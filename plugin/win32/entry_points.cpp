// The three exported plug-in entry points.
#include "plugin/win32/forwarders.h"
#include "plugin/win32/java_bridge.h"

using namespace npkirra;

NP_EXPORT_API(NPError) NP_GetEntryPoints(NPPluginFuncs* funcs) {
  if (funcs && funcs->size == kPluginFuncsSizeNewer) {
    g_module.generation = kVersionNewer;
    fillPluginFuncs(kNewer, funcs);
    g_module.pluginFuncs = funcs;
    return NPERR_NO_ERROR;
  }
  g_module.generation = kVersionOlder;  // stays so even when the table is refused
  if (!funcs || funcs->size < kPluginFuncsSizeOlder) return NPERR_INVALID_FUNCTABLE_ERROR;
  fillPluginFuncs(kOlder, funcs);
  return NPERR_NO_ERROR;
}

NP_EXPORT_API(NPError) NP_Initialize(NPNetscapeFuncs* funcs) {
  if (!funcs) return NPERR_INVALID_FUNCTABLE_ERROR;
  switch (g_module.generation) {
    case kVersionNewer: {
      g_module.tables[kNewer].browser = funcs;  // kept before any check
      if (funcs->version >> 8) return NPERR_INCOMPATIBLE_VERSION_ERROR;
      if (funcs->size < kNetscapeFuncsSizeNewer) return NPERR_INVALID_FUNCTABLE_ERROR;
      NPPluginFuncs* plugin = g_module.pluginFuncs;
      plugin->javaClass = nullptr;
      // A browser without Java answers null: nothing is registered.
      if (JRIEnv* env = funcs->getJavaEnv ? funcs->getJavaEnv() : nullptr) {
        if (jref activeControl = registerJavaClasses(env))
          plugin->javaClass = (*env)->NewGlobalRef(env, activeControl);
      }
      return NPERR_NO_ERROR;
    }
    case kVersionOlder:
      g_module.tables[kOlder].browser = funcs;
      if (funcs->version >> 8) return NPERR_INCOMPATIBLE_VERSION_ERROR;
      if (funcs->size < kNetscapeFuncsSizeOlder) return NPERR_INVALID_FUNCTABLE_ERROR;
      return NPERR_NO_ERROR;
    default:
      return NPERR_INCOMPATIBLE_VERSION_ERROR;  // NP_GetEntryPoints has not run
  }
}

NP_EXPORT_API(NPError) NP_Shutdown() { return NPERR_NO_ERROR; }
