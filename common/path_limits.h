// The path buffers of the system: 260 bytes, so a path holds at most 259
// characters. Paths are checked against this once, where they are formed.
#pragma once

#include <cstddef>

namespace common {

constexpr std::size_t kPathCapacity = 260;                // bytes, the terminating NUL included
constexpr std::size_t kMaxPathLength = kPathCapacity - 1;  // characters

}  // namespace common
