#include "plugin/core/engine_path.h"

namespace npkirra {

std::string defaultEnginePath(std::string_view modulePath) {
  const size_t slash = modulePath.rfind('\\');
  std::string path(slash == std::string_view::npos ? std::string_view() : modulePath.substr(0, slash + 1));
  path += kEngineFileName;
  return path;
}

}  // namespace npkirra
