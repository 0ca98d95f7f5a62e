// morvane: terminal counterpart of the Explorer "Morvane" command.
#include "platform/native/file_registry_store.h"
#include "platform/native/pending_temporaries.h"
#include "shell_extension/terminal/terminal_command.h"

int main(int argc, char** argv) {
  platform::removeTemporariesOnSignals();
  std::vector<std::string> args(argv + 1, argv + argc);
  platform::Terminal terminal = platform::standardTerminal();
  return morvane::runMorvane(args, terminal, platform::FileRegistryStore::defaultPath());
}
