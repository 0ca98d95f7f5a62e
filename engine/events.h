// Event attributes of BODY and INPUT elements, turned into VBScript Subs of the
// page's script collection.
#pragma once

#include <string>
#include <string_view>

#include "engine/context.h"
#include "engine/script_collection.h"

namespace engine {

// The five INPUT events, in the order their Subs are written.
constexpr int kInputEventCount = 5;
extern const char* const kInputEventNames[kInputEventCount];  // "onClick", ... "onChange"

// Appends, under the language "VBScript", one Sub NAME_event per non-empty
// event value (values in the order of kInputEventNames). An input without a
// name contributes nothing.
void appendInputEventSubs(ScriptCollection& scripts, std::string_view name,
                          const std::string (&eventValues)[kInputEventCount]);
void appendInputEventSubs(ScriptCollection& scripts, std::string_view name,
                          const std::string_view (&eventValues)[kInputEventCount]);

}  // namespace engine
