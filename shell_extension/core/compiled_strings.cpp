#include "shell_extension/core/compiled_strings.h"

namespace morvane {

// As LoadStringA: at most bufferSize - 1 characters, always terminated.
int CompiledStringTable::load(unsigned id, char* buffer, int bufferSize) {
  for (const TableString& e : kTableStrings)
    if (e.id == id) return platform::copyToStringBuffer(e.text, buffer, bufferSize);
  platform::copyToStringBuffer("", buffer, bufferSize);  // an empty string, as LoadStringA leaves it
  return 0;
}

}  // namespace morvane
