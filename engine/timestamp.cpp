#include "timestamp.h"

#include <cstdio>

namespace engine {

Clock systemClock() {
  return [] { return std::time(nullptr); };
}

void formatTimestamp(char* buffer, std::time_t t) {
  if (!buffer) return;
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const std::tm* tm = std::localtime(&t);
  if (!tm) {
    std::snprintf(buffer, 26, "%s", "??? ??? ?? ??:??:?? ????");
    return;
  }
  std::snprintf(buffer, 26, "%s %s %2d %02d:%02d:%02d %4d", kDays[tm->tm_wday % 7], kMonths[tm->tm_mon % 12],
                tm->tm_mday, tm->tm_hour, tm->tm_min, tm->tm_sec, (tm->tm_year + 1900) % 10000);
}

void formatTimestamp(char* buffer) { formatTimestamp(buffer, std::time(nullptr)); }

}  // namespace engine
