// Local time in the form of the runtime function ctime, without its newline.
#pragma once

#include <ctime>
#include <functional>

namespace engine {

// The engine's time source. Tests replace it to make conversion comments exact.
using Clock = std::function<std::time_t()>;
Clock systemClock();

// Writes t as local time, "Www Mmm dd hh:mm:ss yyyy" (24 characters and a NUL)
// into buffer, which holds at least 26 bytes. A null buffer does nothing.
void formatTimestamp(char* buffer, std::time_t t);
// The same for the current time of the system clock.
void formatTimestamp(char* buffer);

}  // namespace engine
