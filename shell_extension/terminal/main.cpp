// morvane: terminal counterpart of the Explorer "Morvane" command.
#include <unistd.h>

#include <cstdlib>
#include <iostream>

#include "platform/native/file_registry_store.h"
#include "platform/native/pending_temporaries.h"
#include "shell_extension/terminal/terminal_command.h"

int main(int argc, char** argv) {
  platform::removeTemporariesOnSignals();
  std::vector<std::string> args(argv + 1, argv + argc);
  morvane::TerminalIo io{std::cout, std::cerr, std::cin, isatty(STDIN_FILENO) != 0,
                         platform::FileRegistryStore::defaultPath(), std::getenv("SOURCE_DATE_EPOCH")};
  return morvane::runMorvane(args, io);
}
