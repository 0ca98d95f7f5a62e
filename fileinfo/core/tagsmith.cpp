#include "fileinfo/core/tagsmith.h"

#include <cstring>

#include "fileinfo/core/version_service.h"

namespace {

int copyFileString(const char* file, const char* subBlock, char* destination) noexcept {
  std::string value;  // stays empty when there is nothing at the path
  fileinfo::lookupFileString(fileinfo::platformVersionService(), file, subBlock, &value);
  if (destination) std::memcpy(destination, value.c_str(), value.size() + 1);
  return 1;
}

}  // namespace

extern "C" int WINAPI GetTagsmithString(const char* file, char* destination) {
  return copyFileString(file, fileinfo::kFileVersionPath, destination);
}

extern "C" int WINAPI GetCompanyNameString(const char* file, char* destination) {
  return copyFileString(file, fileinfo::kCompanyNamePath, destination);
}
