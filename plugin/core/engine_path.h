// Where the plug-in looks for the hosting engine by default.
#pragma once

#include <string>
#include <string_view>

namespace npkirra {

// The engine file name put beside the plug-in.
constexpr const char kEngineFileName[] = "PLEXARO.DLL";

// The plug-in's own full path with everything after its last backslash
// replaced by "PLEXARO.DLL"; a path without a backslash gives the bare name.
std::string defaultEnginePath(std::string_view modulePath);

}  // namespace npkirra
