#include "fileinfo/core/version_service.h"

#include <cstring>
#include <new>
#include <vector>

namespace fileinfo {

namespace {

// Length of the string at `value`, looking no further than the block's end
// when the string lies inside the block (it always does for a well-behaved
// service; a hostile file cannot make us run past it).
std::size_t boundedLength(const char* value, const std::vector<char>& block) {
  const char* begin = block.data();
  const char* end = begin + block.size();
  if (value >= begin && value < end) {
    const void* nul = std::memchr(value, '\0', static_cast<std::size_t>(end - value));
    return nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - value)
               : static_cast<std::size_t>(end - value);
  }
  return std::strlen(value);
}

}  // namespace

Lookup lookupFileString(VersionService& service, const char* file, const char* subBlock,
                        std::string* value) noexcept {
  if (!file) return Lookup::NoVersionInfo;
  try {
    const std::uint32_t size = service.infoSize(file);
    if (size == 0) return Lookup::NoVersionInfo;
    std::vector<char> block(size);  // zero-filled: nothing stale is ever read from it
    if (!service.readInfo(file, size, block.data())) return Lookup::NoVersionInfo;
    const char* found = nullptr;
    std::uint32_t length = 0;
    if (!service.queryValue(block.data(), size, subBlock, &found, &length) || !found)
      return Lookup::NoValue;
    value->assign(found, boundedLength(found, block));
    return Lookup::Found;
  } catch (const std::bad_alloc&) {
    return Lookup::NoVersionInfo;
  }
}

}  // namespace fileinfo
