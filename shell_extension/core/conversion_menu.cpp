#include "shell_extension/core/conversion_menu.h"

#include <utility>

#include "common/ascii.h"
#include "common/format.h"
#include "common/path_limits.h"
#include "shell_extension/core/morvane_strings.h"

namespace morvane {
namespace {

using platform::Hive;
namespace mb = platform::mb;

}  // namespace

ConversionMenu::ConversionMenu(MenuPorts ports, BatchRunner runBatch)
    : ports_(ports), runBatch_(std::move(runBatch)), state_{{}, std::nullopt, context_, 0, {}, nullptr, false} {}

std::string ConversionMenu::load(unsigned id, int bufferSize) { return platform::loadString(ports_.strings, id, bufferSize); }

std::int32_t ConversionMenu::initialize(std::vector<std::string> selection) {
  state_.selection = std::move(selection);
  if (state_.selection.empty()) return result::kFail;
  state_.backupFolderName = load(IDS_BACKUP_FOLDER, static_cast<int>(common::kPathCapacity));
  readFolder();
  return result::kOk;
}

std::optional<MenuLayout> ConversionMenu::menuLayout() {
  MenuLayout layout;
  layout.submenuText = load(IDS_SUBMENU, MORVANE_TEXT_BUFFER);
  if (layout.submenuText.empty()) return std::nullopt;
  const struct { unsigned offset; unsigned id; } commands[] = {{1, IDS_SET_DESTINATION}, {2, IDS_CONVERT}};
  for (const auto& c : commands) {
    std::string text = load(c.id, MORVANE_TEXT_BUFFER);
    if (!text.empty()) layout.items.push_back({c.offset, std::move(text)});
  }
  return layout;
}

std::int32_t ConversionMenu::getCommandString(unsigned offset, unsigned type, char* buffer, unsigned size) {
  if (offset > 2) return result::kInvalidArg;
  // Per type, the string of each offset; 0 means S_OK with the buffer untouched.
  static const unsigned verbs[] = {0, IDS_SET_DESTINATION, IDS_CONVERT};
  static const unsigned helpTexts[] = {IDS_HELP_SUBMENU, IDS_HELP_SET_DESTINATION, IDS_HELP_CONVERT};
  unsigned id = 0;
  if (type == gcs::kVerbA) id = verbs[offset];
  else if (type == gcs::kHelpTextA) id = helpTexts[offset];
  if (id == 0) return result::kOk;
  if (!buffer || size == 0) return result::kFail;
  const int capacity = size > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(size);
  return ports_.strings.load(id, buffer, capacity) > 0 ? result::kOk : result::kFail;
}

std::optional<Command> ConversionMenu::commandForOffset(unsigned offset) {
  switch (offset) {
    case 0: return Command::None;
    case 1: return Command::SetDestinationFolder;
    case 2: return Command::Convert;
    default: return std::nullopt;
  }
}

// The command's text, loaded into a buffer one byte longer than the verb (so
// cut to the verb's length), equals the verb ignoring case.
bool ConversionMenu::loadsAs(unsigned id, const std::string& verb) {
  const std::string text = load(id, static_cast<int>(verb.size() + 1));
  return !text.empty() && common::equalsNoCase(text, verb);
}

Command ConversionMenu::commandForVerb(const std::string& verb) {
  if (verb.size() >= 0x7FFFFFFF) return Command::None;
  if (loadsAs(IDS_SET_DESTINATION, verb)) return Command::SetDestinationFolder;
  if (loadsAs(IDS_CONVERT, verb)) return Command::Convert;
  return Command::None;
}

std::int32_t ConversionMenu::run(Command command) {
  std::int32_t outcome = result::kFail;
  if (command == Command::SetDestinationFolder) {
    askAboutTarget();
    outcome = result::kOk;
  } else if (command == Command::Convert) {
    askAboutTarget();
    outcome = result::kOk;
    if (state_.destinationFolder) {
      BatchPorts batch{ports_.files, ports_.registry, ports_.boxes, ports_.cursor, ports_.strings};
      outcome = runBatch_ && runBatch_(state_, batch) ? result::kOk : result::kFail;
    }
  }
  const bool success = outcome >= 0;
  ports_.boxes.show(load(success ? IDS_COMPLETED : IDS_FAILED, MORVANE_TEXT_BUFFER),
                    load(IDS_FINAL_CAPTION, MORVANE_CAPTION_BUFFER),
                    mb::kOk | (success ? mb::kIconInformation : mb::kIconExclamation));
  return outcome;
}

void ConversionMenu::askAboutTarget() {
  const std::string caption = load(IDS_VERIFY_TARGET, MORVANE_CAPTION_BUFFER);
  const std::string text = state_.destinationFolder
                               ? common::formatText(load(IDS_CHANGE_TARGET, MORVANE_TEXT_BUFFER), *state_.destinationFolder)
                               : load(IDS_NO_TARGET, MORVANE_TEXT_BUFFER);
  if (ports_.boxes.show(text, caption, mb::kYesNo | mb::kIconQuestion | mb::kDefButton2) == mb::kIdYes)
    chooseFolder();
}

void ConversionMenu::chooseFolder() {
  std::optional<std::string> chosen = ports_.picker.browse(load(IDS_PICKER_TITLE, MORVANE_TEXT_BUFFER));
  if (!chosen) return;  // cancelled: the folder stays as it was
  // An empty path counts as no folder, here as when it is read back.
  state_.destinationFolder = chosen->empty() ? std::nullopt : chosen;
  if (ports_.files.isDirectory(*chosen)) storeFolder(*chosen);
}

void ConversionMenu::storeFolder(const std::string& path) {
  // Each key is created below the previous one; the first failure ends the
  // store silently and the folder is then kept for this command only.
  if (!ports_.registry.openKey(Hive::CurrentUser, "Software")) return;
  for (const char* key : {"Software\\Tarnwick", "Software\\Tarnwick\\Morvane", kPersistentDataKey})
    if (!ports_.registry.createKey(Hive::CurrentUser, key)) return;
  ports_.registry.setString(Hive::CurrentUser, kPersistentDataKey, kDestFolderValue, path);
}

void ConversionMenu::readFolder() {
  state_.destinationFolder.reset();
  for (const char* key : {"Software", "Software\\Tarnwick", "Software\\Tarnwick\\Morvane", kPersistentDataKey})
    if (!ports_.registry.openKey(Hive::CurrentUser, key)) return;
  std::optional<std::string> folder =
      ports_.registry.queryString(Hive::CurrentUser, kPersistentDataKey, kDestFolderValue, common::kPathCapacity);
  // An empty value counts as no folder: an empty root would put the output at
  // the top of the current drive.
  if (folder && !folder->empty()) state_.destinationFolder = std::move(folder);
}

}  // namespace morvane
