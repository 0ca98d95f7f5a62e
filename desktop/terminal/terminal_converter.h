// The terminal converter: `veradoc [OPTION]... SOURCE DEST` (or several
// sources and a folder) runs the dialog's conversion procedure over the
// terminal's adapters, once per source.
#pragma once

#include <string>
#include <vector>

#include "platform/native/terminal_ui.h"

namespace desktop {

// Exit statuses of the terminal converter.
constexpr int kExitConverted = 0;
constexpr int kExitConversionFailed = 1;
constexpr int kExitNotConverted = 2;  // bad usage, missing source, refused overwrite

// Runs the converter on args (without the program name) and returns the exit
// status. Boxes of the procedure print their text: errors on err, results on
// out; the overwrite question is asked on the terminal. A source "-" is read
// from terminal.in.
int runTerminalConverter(const std::vector<std::string>& args, platform::Terminal& terminal);

}  // namespace desktop
