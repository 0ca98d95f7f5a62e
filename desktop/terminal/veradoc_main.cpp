// veradoc on a terminal: converts one page, as the desktop tool's Convert does.
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "desktop/terminal/terminal_converter.h"
#include "platform/native/pending_temporaries.h"

int main(int argc, char** argv) {
  platform::removeTemporariesOnSignals();
  std::vector<std::string> args(argv + 1, argv + argc);
  desktop::Terminal terminal{std::cin, std::cout, std::cerr, ::isatty(STDIN_FILENO) != 0,
                             std::getenv("SOURCE_DATE_EPOCH")};
  return desktop::runTerminalConverter(args, terminal);
}
