// The version-information service of Windows: a thin adapter over the
// version library.
#include <windows.h>

#include "fileinfo/core/version_service.h"

namespace fileinfo {

namespace {

class Win32VersionService final : public VersionService {
 public:
  std::uint32_t infoSize(const char* file) override {
    DWORD handle = 0;
    return GetFileVersionInfoSizeA(file, &handle);
  }
  bool readInfo(const char* file, std::uint32_t size, void* block) override {
    return GetFileVersionInfoA(file, 0, size, block) != 0;
  }
  bool queryValue(void* block, std::uint32_t, const char* subBlock, const char** value,
                  std::uint32_t* length) override {
    void* found = nullptr;
    UINT foundLength = 0;
    if (!VerQueryValueA(block, subBlock, &found, &foundLength) || !found) return false;
    *value = static_cast<const char*>(found);
    *length = foundLength;
    return true;
  }
};

}  // namespace

VersionService& platformVersionService() {
  static Win32VersionService service;
  return service;
}

}  // namespace fileinfo
