// The one printf-style substitution the system's texts need: a "%s" of a
// string-table or message text, filled without handing the text to printf.
#pragma once

#include <string>
#include <string_view>

namespace common {

// fmt with its first "%s" replaced by arg and every "%%" by "%"; every other
// byte (another "%" too) is copied as it is.
std::string formatText(std::string_view fmt, std::string_view arg);

}  // namespace common
