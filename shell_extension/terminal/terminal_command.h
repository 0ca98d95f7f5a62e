// The terminal command morvane: converts files and folders into the
// destination folder as the Explorer command does, and keeps the destination
// folder in the per-user registry store.
#pragma once

#include <string>
#include <vector>

#include "platform/native/terminal_ui.h"

namespace morvane {

// Exit statuses.
constexpr int kExitSuccess = 0;
constexpr int kExitFailed = 1;  // a conversion or the registry store failed
constexpr int kExitUsage = 2;   // bad options or operands; nothing was done

// Runs the command with args (without the program name) and returns the exit
// status. registryPath is the file of the per-user registry store.
int runMorvane(const std::vector<std::string>& args, platform::Terminal& terminal, const std::string& registryPath);

}  // namespace morvane
