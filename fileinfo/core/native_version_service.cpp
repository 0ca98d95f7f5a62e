#include "fileinfo/core/native_version_service.h"

#include <algorithm>
#include <cstring>

#include "fileinfo/core/pe_resource.h"
#include "fileinfo/core/version_block.h"

namespace fileinfo {

namespace {

std::vector<unsigned char> versionResourceOf(const char* file) {
  const FileSource source(file);
  if (!source.isOpen()) return {};
  std::vector<unsigned char> resource = findVersionResource(source);
  if (resource.size() < 6) return {};  // not even one node header
  return resource;
}

}  // namespace

std::uint32_t NativeVersionService::infoSize(const char* file) {
  return 2 * static_cast<std::uint32_t>(versionResourceOf(file).size());
}

bool NativeVersionService::readInfo(const char* file, std::uint32_t size, void* block) {
  const std::vector<unsigned char> resource = versionResourceOf(file);
  if (resource.empty() || !block) return false;
  // The file may have changed since infoSize: copy what fits in the first half.
  std::memcpy(block, resource.data(), std::min<std::size_t>(resource.size(), size / 2));
  return true;
}

bool NativeVersionService::queryValue(void* block, std::uint32_t size, const char* subBlock,
                                      const char** value, std::uint32_t* length) {
  auto* bytes = static_cast<unsigned char*>(block);
  const std::uint32_t half = size / 2;
  BlockValue found;
  if (!bytes || !findBlockValue(bytes, half, subBlock, &found)) return false;
  if (!found.text) {
    *value = reinterpret_cast<const char*>(bytes + found.offset);
    *length = found.size;
    return true;
  }
  const std::string ansi = toAnsi(bytes + found.offset, found.size);
  const std::uint32_t at = half + found.offset / 2;
  if (at > size || ansi.size() + 1 > size - at) return false;  // cannot happen; kept as a guard
  std::memcpy(bytes + at, ansi.c_str(), ansi.size() + 1);
  *value = reinterpret_cast<const char*>(bytes + at);
  *length = static_cast<std::uint32_t>(ansi.size() + 1);
  return true;
}

#ifndef _WIN32
VersionService& platformVersionService() {
  static NativeVersionService service;
  return service;
}
#endif

}  // namespace fileinfo
