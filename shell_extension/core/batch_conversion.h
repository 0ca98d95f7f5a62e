// Batch conversion of an Explorer selection into the destination folder:
// pages are converted, other files copied, folders mirrored, and files about to
// be overwritten saved into a backup folder first.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/context.h"
#include "engine/driver.h"
#include "platform/file_system.h"
#include "platform/registry_store.h"
#include "platform/user_interface.h"

namespace morvane {

// The platform operations a batch uses.
struct BatchPorts {
  platform::FileSystem& files;
  platform::RegistryStore& registry;  // file classes under HKEY_CLASSES_ROOT
  platform::MessageBoxes& boxes;
  platform::Cursor& cursor;
  platform::StringTable& strings;
  // The page converter; the engine unless a test replaces it.
  std::function<int(engine::ConversionContext&, const char*, const char*)> convert = engine::convertFile;
  // Hears, right after the failure message, why an item failed ("cannot read
  // 'x.htm': Permission denied"). A terminal prints it; Explorer has no
  // place for it.
  std::function<void(const std::string&)> explain = [](const std::string&) {};
};

// The state of the context-menu object that a batch reads and writes.
struct BatchState {
  std::vector<std::string> selection;            // the selected paths, in order
  std::optional<std::string> destinationFolder;  // root of the output tree
  engine::ConversionContext& context;            // reused for every page
  int noticeAnswer = 0;                          // answer of the backup notice, 0 until shown
  std::string backupFolderName;                  // "TWBACKUP", from the string table
  void* savedCursor = nullptr;                   // cursor to restore when the busy cursor ends
  bool cursorSaved = false;
};

// Converts every selected item. True when all were handled; false at the first
// failure (after telling the user) or when no destination folder is set. A
// selected item inside the destination folder fails before anything is
// written, since the batch would overwrite its own selection.
bool convertSelection(BatchState& state, BatchPorts& ports);

}  // namespace morvane
