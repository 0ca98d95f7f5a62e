// Where morvane keeps the destination folder: one value under
// HKEY_CURRENT_USER, read and written by the context menu and by the
// terminal command alike.
#pragma once

namespace morvane {

constexpr const char kPersistentDataKey[] = "Software\\Tarnwick\\Morvane\\Persistent Data";
constexpr const char kDestFolderValue[] = "DestFolder";

}  // namespace morvane
