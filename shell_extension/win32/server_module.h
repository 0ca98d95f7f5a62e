// The server module: its instance handle, kept from process attach, and the
// lookup of its own path that self-registration uses.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace morvane {

HINSTANCE moduleInstance();
void setModuleInstance(HINSTANCE instance);

// Full path of the module loaded under the installed file name "MORVANE.DLL"
// (matched without regard to case); none when no such module is loaded or its
// path does not fit a buffer one byte longer than a path buffer.
std::optional<std::string> installedModulePath();

}  // namespace morvane
