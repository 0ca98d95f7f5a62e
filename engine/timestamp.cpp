#include "engine/timestamp.h"

#include "engine/context.h"

#include <cstdio>
#include <limits>

namespace engine {

Clock systemClock() {
  return [] { return std::time(nullptr); };
}

namespace {

// The broken-down time of t, local or UTC; null when t cannot be shown.
const std::tm* brokenDown(std::time_t t, bool utc, std::tm& storage) {
#ifdef _WIN32
  const std::tm* tm = utc ? std::gmtime(&t) : std::localtime(&t);  // per-thread storage in this runtime
  if (!tm) return nullptr;
  storage = *tm;
  return &storage;
#else
  return utc ? gmtime_r(&t, &storage) : localtime_r(&t, &storage);
#endif
}

}  // namespace

void formatTimestamp(char* buffer, std::time_t t, bool utc) {
  if (!buffer) return;
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::tm storage{};
  const std::tm* tm = brokenDown(t, utc, storage);
  if (!tm) {
    std::snprintf(buffer, 26, "%s", "??? ??? ?? ??:??:?? ????");
    return;
  }
  std::snprintf(buffer, 26, "%s %s %2d %02d:%02d:%02d %4d", kDays[tm->tm_wday % 7], kMonths[tm->tm_mon % 12],
                tm->tm_mday, tm->tm_hour, tm->tm_min, tm->tm_sec, (tm->tm_year + 1900) % 10000);
}

void formatTimestamp(char* buffer) { formatTimestamp(buffer, std::time(nullptr)); }

std::optional<std::time_t> parseSourceDateEpoch(const char* value) {
  if (!value || !*value) return std::nullopt;
  std::time_t seconds = 0;
  for (const char* p = value; *p; ++p) {
    if (*p < '0' || *p > '9') return std::nullopt;
    const std::time_t digit = *p - '0';
    if (seconds > (std::numeric_limits<std::time_t>::max() - digit) / 10) return std::nullopt;  // too large
    seconds = seconds * 10 + digit;
  }
  return seconds;
}

std::string useSourceDateEpoch(ConversionContext& context, const char* value) {
  if (!value) return {};
  const std::optional<std::time_t> epoch = parseSourceDateEpoch(value);
  if (!epoch) return std::string("SOURCE_DATE_EPOCH is not a number of seconds: '") + value + "'";
  context.clock = [t = *epoch] { return t; };
  context.utcTimes = true;
  return {};
}

}  // namespace engine
