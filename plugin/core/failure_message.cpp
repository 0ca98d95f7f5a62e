#include "plugin/core/failure_message.h"

namespace npkirra {

std::u16string formatFailureMessage(std::string_view format, const std::vector<MessageArg>& args) {
  std::u16string out;
  size_t next = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    const char c = format[i];
    if (c != '%' || i + 1 == format.size()) {
      out += char16_t(static_cast<unsigned char>(c));
      continue;
    }
    const char kind = format[++i];
    if (kind == '%') {
      out += u'%';
    } else if (kind == 's' || kind == 'd') {
      if (next < args.size()) {
        const MessageArg& a = args[next];
        if (a.isNumber) {
          for (char d : std::to_string(a.number)) out += char16_t(d);
        } else {
          out.append(a.text.data(), a.text.size());
        }
      }
      ++next;
    } else {
      out += u'%';
      out += char16_t(static_cast<unsigned char>(kind));
    }
  }
  if (out.size() > kFailureMessageCapacity - 1) out.resize(kFailureMessageCapacity - 1);
  return out;
}

}  // namespace npkirra
