// The NPP_ functions of both table generations: each forwards the browser's
// call to the instance's engine object with the plug-in's own records.
#pragma once

#include "plugin/win32/module_state.h"

namespace npkirra {

// Writes the forwarders of generation `g` into the browser's plug-in table
// (nine under the older generation, ten under the newer), `event` null.
void fillPluginFuncs(Generation g, NPPluginFuncs* funcs);

// Stores a script result chunk as the generation's captured string.
void storeCapturedText(Generation g, const char* bytes, int32_t length);

}  // namespace npkirra
