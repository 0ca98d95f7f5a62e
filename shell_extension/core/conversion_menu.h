// What the context-menu object does with Explorer, written over the platform
// ports: the selection and destination folder it holds, the submenu it adds,
// the verbs and help texts it answers with, and the commands it carries out.
// The COM object (ConversionMenuExtension) only translates calls to this.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/context.h"
#include "platform/file_system.h"
#include "platform/registry_store.h"
#include "platform/user_interface.h"
#include "shell_extension/core/batch_conversion.h"
#include "shell_extension/core/destination_key.h"

namespace morvane {

// HRESULT values handed back to Explorer unchanged.
namespace result {
constexpr std::int32_t kOk = 0;
constexpr std::int32_t kFail = static_cast<std::int32_t>(0x80004005);
constexpr std::int32_t kInvalidArg = static_cast<std::int32_t>(0x80070057);
}  // namespace result

// GetCommandString request types, with the values of the shell API.
namespace gcs {
constexpr unsigned kVerbA = 0;
constexpr unsigned kHelpTextA = 1;
constexpr unsigned kValidateA = 2;
}  // namespace gcs

enum class Command { None, SetDestinationFolder, Convert };

// The platform operations of the menu and of the batches it runs.
struct MenuPorts {
  platform::FileSystem& files;
  platform::RegistryStore& registry;  // the stored folder (HKCU) and file classes (HKCR)
  platform::MessageBoxes& boxes;
  platform::Cursor& cursor;
  platform::StringTable& strings;
  platform::FolderPicker& picker;
};

// Runs a batch over the selection: convertSelection, or a recording stand-in
// in tests.
using BatchRunner = std::function<bool(BatchState&, BatchPorts&)>;

// The submenu: its own item (at command offset 0) and its commands.
struct MenuItem {
  unsigned offset;  // added to the first command id
  std::string text;
};
struct MenuLayout {
  std::string submenuText;
  std::vector<MenuItem> items;
};

class ConversionMenu {
 public:
  ConversionMenu(MenuPorts ports, BatchRunner runBatch);
  ConversionMenu(const ConversionMenu&) = delete;
  ConversionMenu& operator=(const ConversionMenu&) = delete;

  // Takes the selected paths (all of them, replacing any earlier selection),
  // loads the backup folder name and reads the stored destination folder.
  // kFail when the selection is empty.
  std::int32_t initialize(std::vector<std::string> selection);

  // The "Morvane" item and the commands whose texts load; none when the
  // submenu's own text is missing (then nothing is added).
  std::optional<MenuLayout> menuLayout();

  // Verb or help text of a command offset into buffer (size bytes).
  std::int32_t getCommandString(unsigned offset, unsigned type, char* buffer, unsigned size);

  // The command a numeric verb selects; none (E_INVALIDARG, no message) above 2.
  static std::optional<Command> commandForOffset(unsigned offset);
  // The command a string verb selects: the first whose text starts with the
  // verb, ignoring case; Command::None for no match or an empty verb.
  Command commandForVerb(const std::string& verb);

  // Carries out a command and reports the outcome in the final message.
  std::int32_t run(Command command);

  const std::optional<std::string>& destinationFolder() const { return state_.destinationFolder; }
  const BatchState& batchState() const { return state_; }

 private:
  std::string load(unsigned id, int bufferSize);
  bool loadsAs(unsigned id, const std::string& verb);
  void askAboutTarget();
  void chooseFolder();
  void storeFolder(const std::string& path);
  void readFolder();

  MenuPorts ports_;
  BatchRunner runBatch_;
  engine::ConversionContext context_;  // useOdsFiles stays 0: no property files
  BatchState state_;
};

}  // namespace morvane
