// libFuzzer target for the reader: any bytes, as a file and as a version
// block, through every lookup the library makes. Built only with clang.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fileinfo/core/pe_resource.h"
#include "fileinfo/core/version_block.h"

namespace {

void queryAll(const unsigned char* block, std::uint32_t size) {
  for (const char* path : {"\\StringFileInfo\\040904E4\\FileVersion",
                           "\\StringFileInfo\\040904E4\\CompanyName", "\\VarFileInfo\\Translation",
                           "\\"}) {
    fileinfo::BlockValue v;
    if (fileinfo::findBlockValue(block, size, path, &v) && v.text)
      fileinfo::toAnsi(block + v.offset, v.size);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<unsigned char> resource =
      fileinfo::findVersionResource(fileinfo::MemorySource(data, size));
  if (resource.size() > fileinfo::kMaxVersionResource) __builtin_trap();
  queryAll(resource.data(), static_cast<std::uint32_t>(resource.size()));
  const std::vector<unsigned char> block(data, data + (size < 0xFFFF ? size : 0xFFFF));
  queryAll(block.data(), static_cast<std::uint32_t>(block.size()));
  return 0;
}
