#include "shell_extension/terminal/page_classes.h"

#include "common/ascii.h"

namespace morvane {

namespace {

// The file class of a built-in extension key of HKEY_CLASSES_ROOT; null for
// any other key.
const char* builtInClass(platform::Hive hive, const std::string& path) {
  if (hive != platform::Hive::ClassesRoot) return nullptr;
  for (const char* extension : {".htm", ".html"})
    if (common::equalsNoCase(path, extension)) return "htmlfile";
  return nullptr;
}

}  // namespace

bool WithPageClasses::openKey(platform::Hive hive, const std::string& path) {
  return stored_.openKey(hive, path) || builtInClass(hive, path);
}

std::optional<std::string> WithPageClasses::queryString(platform::Hive hive, const std::string& path,
                                                        const std::string& name, std::size_t maxBytes) {
  const char* fileClass = builtInClass(hive, path);
  if (!fileClass || !name.empty() || stored_.openKey(hive, path))
    return stored_.queryString(hive, path, name, maxBytes);
  std::string value = fileClass;
  if (maxBytes > 0 && value.size() >= maxBytes) value.resize(maxBytes - 1);
  return value;
}

}  // namespace morvane
