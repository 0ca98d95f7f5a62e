// veradoc on a terminal: converts one page, as the desktop tool's Convert does.
#include <string>
#include <vector>

#include "desktop/terminal/terminal_converter.h"
#include "platform/native/pending_temporaries.h"

int main(int argc, char** argv) {
  platform::removeTemporariesOnSignals();
  std::vector<std::string> args(argv + 1, argv + argc);
  platform::Terminal terminal = platform::standardTerminal();
  return desktop::runTerminalConverter(args, terminal);
}
