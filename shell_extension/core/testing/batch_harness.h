// What the tests of morvane's logic share: the string table as the resource
// script holds it, and one batch over a file system of the test's choice with
// recording fakes for every other port.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fakes/fake_registry_store.h"
#include "platform/fakes/fake_user_interface.h"
#include "shell_extension/core/batch_conversion.h"
#include "shell_extension/core/batch_paths.h"
#include "shell_extension/core/compiled_strings.h"
#include "testing/temp_dir.h"

#ifdef _WIN32
#include "platform/win32/win32_file_system.h"
#else
#include "platform/native/posix_file_system.h"
#endif

namespace morvane {

inline void loadTableStrings(platform::FakeStringTable& strings) {
  for (const TableString& s : kTableStrings) strings.set(s.id, s.text);
}

// Message boxes that also record whether the busy cursor was on while each
// box showed.
class CursorCheckingBoxes : public platform::FakeMessageBoxes {
 public:
  explicit CursorCheckingBoxes(platform::FakeCursor& cursor) : cursor_(&cursor) {}
  int show(const std::string& text, const std::string& caption, unsigned style) override {
    busyWhileShown.push_back(cursor_->waiting());
    return FakeMessageBoxes::show(text, caption, style);
  }
  std::vector<bool> busyWhileShown;

 private:
  platform::FakeCursor* cursor_;
};

// The ports of a batch over files, the string table, ".htm" as the page
// class, and the reasons the batch explains its failures with. The engine is
// the real one unless a test sets ports.convert.
struct BatchHarness {
  explicit BatchHarness(platform::FileSystem& fileSystem) : files(fileSystem) {
    loadTableStrings(strings);
    setFileClass(".htm", "htmlfile");
    ports.explain = [this](const std::string& reason) { reasons.push_back(reason); };
  }

  void setFileClass(const std::string& extension, const std::string& fileClass) {
    registry.createKey(platform::Hive::ClassesRoot, extension);
    registry.setString(platform::Hive::ClassesRoot, extension, "", fileClass);
  }

  // One command, as a new context-menu object runs it (a fresh notice
  // answer). The busy cursor is off again afterwards.
  bool run(std::vector<std::string> selection, std::optional<std::string> destination) {
    BatchState state{std::move(selection), std::move(destination), context, 0, "TWBACKUP"};
    const bool ok = convertSelection(state, ports);
    EXPECT_FALSE(state.cursorSaved);
    EXPECT_FALSE(cursor.waiting());
    return ok;
  }

  // The texts of the boxes shown so far, in order.
  std::vector<std::string> texts() const {
    std::vector<std::string> shown;
    for (const auto& box : boxes.shown()) shown.push_back(box.text);
    return shown;
  }

  // A fresh start for the next row of a table.
  void forget() {
    boxes = CursorCheckingBoxes(cursor);
    reasons.clear();
  }

  platform::FileSystem& files;
  platform::FakeRegistryStore registry;
  platform::FakeCursor cursor;
  CursorCheckingBoxes boxes{cursor};
  platform::FakeStringTable strings;
  engine::ConversionContext context;
  BatchPorts ports{files, registry, boxes, cursor, strings};
  std::vector<std::string> reasons;
};

// The file system adapter of the platform the tests run on.
#ifdef _WIN32
using PlatformFileSystem = platform::Win32FileSystem;
#else
using PlatformFileSystem = platform::PosixFileSystem;
#endif

// A path below the temporary folder as the platform spells it: '/' in rel
// becomes its separator.
inline std::string pathBelow(const testing_support::TempDir& dir, std::string rel) {
  const char sep = PlatformFileSystem().separator();
  for (char& c : rel)
    if (c == '/') c = sep;
  return joinPath(dir.path().string(), rel, sep);
}

// "Conversion for file PATH has failed.\n", the text of a failed item.
inline std::string failedText(const std::string& path) { return "Conversion for file " + path + " has failed.\n"; }

}  // namespace morvane
