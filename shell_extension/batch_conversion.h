// Batch conversion of an Explorer selection into the destination folder:
// pages are converted, other files copied, folders mirrored, and files about to
// be overwritten saved into a backup folder first.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "context.h"
#include "file_system.h"
#include "registry_store.h"
#include "user_interface.h"

namespace morvane {

// The platform operations a batch uses.
struct BatchPorts {
  platform::FileSystem& files;
  platform::RegistryStore& registry;  // file classes under HKEY_CLASSES_ROOT
  platform::MessageBoxes& boxes;
  platform::Cursor& cursor;
  platform::StringTable& strings;
};

// The state of the context-menu object that a batch reads and writes.
struct BatchState {
  std::vector<std::string> selection;            // the selected paths, in order
  std::optional<std::string> destinationFolder;  // root of the output tree
  engine::ConversionContext& context;            // reused for every page
  int noticeAnswer = 0;                          // answer of the backup notice, 0 until shown
  std::string backupFolderName;                  // string 22
  void* savedCursor = nullptr;                   // cursor to restore when the busy cursor ends
  bool cursorSaved = false;
};

// Converts every selected item. True when all were handled; false at the first
// failure (after telling the user) or when no destination folder is set.
bool convertSelection(BatchState& state, BatchPorts& ports);

}  // namespace morvane
