#include "desktop/win32/win32_conversion_services.h"

#include "engine/driver.h"

namespace desktop {

bool Win32ConversionServices::findPath(const std::string& path) {
  char found[MAX_PATH + 1] = {};
  // A result larger than the buffer still means the path was found.
  return SearchPathA(nullptr, path.c_str(), nullptr, MAX_PATH, found, nullptr) != 0;
}

int Win32ConversionServices::showMessage(const std::string& text, const std::string& caption, unsigned style) {
  return MessageBoxA(dialog_, text.c_str(), caption.c_str(), style);
}

unsigned Win32ConversionServices::odsCheckBoxState() {
  return static_cast<unsigned>(SendMessageA(odsCheckBox_, BM_GETSTATE, 0, 0));
}

int Win32ConversionServices::convertFile(engine::ConversionContext& context, const std::string& source,
                                         const std::string& dest) {
  return engine::convertFile(context, source.c_str(), dest.c_str());
}

}  // namespace desktop
