#include "common/format.h"

namespace common {

std::string formatText(std::string_view fmt, std::string_view arg) {
  std::string out;
  out.reserve(fmt.size() + arg.size());
  bool filled = false;
  for (std::size_t i = 0; i < fmt.size(); ++i) {
    if (fmt[i] == '%' && i + 1 < fmt.size()) {
      if (fmt[i + 1] == '%') {
        out += '%';
        ++i;
        continue;
      }
      if (fmt[i + 1] == 's' && !filled) {
        out.append(arg);
        filled = true;
        ++i;
        continue;
      }
    }
    out += fmt[i];
  }
  return out;
}

}  // namespace common
