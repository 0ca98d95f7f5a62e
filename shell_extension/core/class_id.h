// The one class this server serves, as registry strings spell it.
#pragma once

namespace morvane {

// Written exactly so (lower-case "cf") in every registry string.
constexpr const char kClassIdText[] = "{6A2A5EC0-E3D3-11cf-93A3-00A02443D8FF}";

}  // namespace morvane
