// The shell extension's string table compiled into a program, for builds
// without Windows string resources (the terminal command) and for tests.
#pragma once

#include "platform/user_interface.h"
#include "shell_extension/core/morvane_strings.h"

namespace morvane {

// One entry of the string table.
struct TableString {
  unsigned id;
  const char* text;
};

// Every entry, as the resource script holds them.
inline constexpr TableString kTableStrings[] = {
    {IDS_SET_DESTINATION, TEXT_SET_DESTINATION},
    {IDS_CONVERT, TEXT_CONVERT},
    {IDS_HELP_SET_DESTINATION, TEXT_HELP_SET_DESTINATION},
    {IDS_HELP_CONVERT, TEXT_HELP_CONVERT},
    {IDS_SUBMENU, TEXT_SUBMENU},
    {IDS_HELP_SUBMENU, TEXT_HELP_SUBMENU},
    {IDS_CHANGE_TARGET, TEXT_CHANGE_TARGET},
    {IDS_VERIFY_TARGET, TEXT_VERIFY_TARGET},
    {IDS_CREATE_FOLDER_FAILED, TEXT_CREATE_FOLDER_FAILED},
    {IDS_FATAL_ERROR, TEXT_FATAL_ERROR},
    {IDS_FILE_FAILED, TEXT_FILE_FAILED},
    {IDS_CONVERSION_ERROR, TEXT_CONVERSION_ERROR},
    {IDS_PICKER_TITLE, TEXT_PICKER_TITLE},
    {IDS_COMPLETED, TEXT_COMPLETED},
    {IDS_FAILED, TEXT_FAILED},
    {IDS_FINAL_CAPTION, TEXT_FINAL_CAPTION},
    {IDS_BACKUP_CAPTION, TEXT_BACKUP_CAPTION},
    {IDS_BACKUP_NOTICE, TEXT_BACKUP_NOTICE},
    {IDS_NO_TARGET, TEXT_NO_TARGET},
    {IDS_BACKUP_FOLDER, TEXT_BACKUP_FOLDER},
};

class CompiledStringTable : public platform::StringTable {
 public:
  int load(unsigned id, char* buffer, int bufferSize) override;
};

}  // namespace morvane
