// Test helper: a clock for conversions whose comments carry the time, so
// that the output is the same at every run.
#pragma once

#include <ctime>
#include <functional>

namespace testing_support {

// Always the same instant.
inline std::function<std::time_t()> fixedClock(std::time_t instant) {
  return [instant] { return instant; };
}

}  // namespace testing_support
