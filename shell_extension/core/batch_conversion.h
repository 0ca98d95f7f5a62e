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
#include "shell_extension/core/page_prefetcher.h"

namespace morvane {

// What happened to one item of a batch.
enum class ItemAction {
  Converted,  // a page, source into target
  Copied,     // another file, source into target
  Kept,       // a copy's target exists already and was left as it was
  BackedUp,   // an earlier result, source, was saved as target
  Failed,     // source failed, for reason
};

struct ItemReport {
  ItemAction action;
  std::string source;
  std::string target;
  std::string reason;
};

// Hears how a batch goes. Reports come in the order of the walk, whether or
// not pages are converted side by side.
class BatchObserver {
 public:
  virtual ~BatchObserver() = default;
  // The walk met this many more files to handle.
  virtual void found(std::size_t files) { (void)files; }
  // The walk has come to source.
  virtual void handling(const std::string& source) { (void)source; }
  virtual void report(const ItemReport& item) { (void)item; }
};

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
  // Hears every item's outcome; none when nobody listens.
  BatchObserver* observer = nullptr;
  // Helpers that prepare pages ahead (read and convert them, writing
  // nothing anybody can see), when there are more than one and prepare is given: the batch
  // then plans its whole walk first and writes each page at its turn, so it
  // does exactly what it does without them.
  unsigned jobs = 1;
  PagePreparer prepare = nullptr;
  // With those helpers, files to copy are copied ahead too, into files that
  // are named only at their turn (and dropped when the item is not copied
  // after all); none: copied at their turn.
  CopyPreparer prepareCopy = nullptr;
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
  // Go on after an item fails (each failure is still told); the batch then
  // reports failure at its end.
  bool keepGoing = false;
};

// Converts every selected item. True when all were handled; false at the first
// failure (after telling the user; with keepGoing, after all items) or when
// no destination folder is set. A selected item inside the destination
// folder fails before anything is written, since the batch would overwrite
// its own selection.
bool convertSelection(BatchState& state, BatchPorts& ports);

}  // namespace morvane
