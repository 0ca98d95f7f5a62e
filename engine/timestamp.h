// Times in the form of the runtime function ctime, without its newline.
#pragma once

#include <ctime>
#include <functional>
#include <optional>
#include <string>

namespace engine {

// The engine's time source. Tests replace it to make conversion comments exact.
using Clock = std::function<std::time_t()>;
Clock systemClock();

// Writes t as local time (or as UTC when utc is true), "Www Mmm dd hh:mm:ss
// yyyy" (24 characters and a NUL) into buffer, which holds at least 26 bytes.
// A null buffer does nothing.
void formatTimestamp(char* buffer, std::time_t t, bool utc = false);
// The same for the current time of the system clock.
void formatTimestamp(char* buffer);

// The instant a SOURCE_DATE_EPOCH value names: a number of seconds since
// 1970-01-01 00:00 UTC, digits only. None for anything else.
std::optional<std::time_t> parseSourceDateEpoch(const char* value);

struct ConversionContext;

// With value (SOURCE_DATE_EPOCH) set, the conversion comments of context carry
// that instant, in UTC, so that a page converts to the same bytes every time.
// When value is set but no number of seconds, context stays as it was and the
// answer says what is wrong ("SOURCE_DATE_EPOCH is not a number of seconds:
// 'soon'"); otherwise the answer is empty.
std::string useSourceDateEpoch(ConversionContext& context, const char* value);

}  // namespace engine
