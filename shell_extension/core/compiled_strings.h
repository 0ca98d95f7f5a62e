// The shell extension's string table compiled into a program, for builds
// without Windows string resources.
#pragma once

#include "platform/user_interface.h"

namespace morvane {

class CompiledStringTable : public platform::StringTable {
 public:
  int load(unsigned id, char* buffer, int bufferSize) override;
};

}  // namespace morvane
