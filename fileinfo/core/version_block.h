// Lookups in a version-information block: the tree of nodes that a version
// resource holds (32-bit layout: 16-bit length, value length and type, a
// UTF-16 key, the value, then the children, each part 32-bit aligned from
// the block's start).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace fileinfo {

struct BlockValue {
  std::uint32_t offset = 0;  // of the value's first byte in the block
  std::uint32_t size = 0;    // bytes of the value that lie inside its node
  bool text = false;         // UTF-16 text (type 1) rather than binary data
};

// Follows `subBlock` ("\StringFileInfo\040904E4\CompanyName"; "\" or "" is
// the root) through the block's first `size` bytes. Components are separated
// by backslashes and matched against keys without regard to ASCII case.
// Never reads at or past block + size; a node that claims more bytes than
// its parent holds is cut to its parent.
bool findBlockValue(const unsigned char* block, std::uint32_t size, const char* subBlock,
                    BlockValue* value);

// One block of strings under \StringFileInfo: its name (language and code
// page, such as "040904E4") and its strings, key and text, in stored order.
struct StringTable {
  std::string name;
  std::vector<std::pair<std::string, std::string>> strings;
};

// Every string block of the block's first `size` bytes, in stored order;
// none when it holds no \StringFileInfo. Reads nothing outside the block.
std::vector<StringTable> listStringTables(const unsigned char* block, std::uint32_t size);

// The Windows-1252 text of the UTF-16LE string of `bytes` bytes at `utf16`,
// up to its first zero character; characters the code page lacks become '?'.
std::string toAnsi(const unsigned char* utf16, std::uint32_t bytes);

}  // namespace fileinfo
