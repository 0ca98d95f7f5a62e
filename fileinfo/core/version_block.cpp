#include "fileinfo/core/version_block.h"

#include <algorithm>

namespace fileinfo {

namespace {

std::uint16_t u16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t align4(std::uint32_t at) { return (at + 3) & ~3u; }

// Code page 1252 differs from Latin-1 only in 0x80..0x9F; its five unused
// bytes there stand for the control characters of the same number.
constexpr std::uint16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Characters outside the code page become '?' (no best-fit mapping).
char toCodePage(std::uint16_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
  for (int i = 0; i < 32; ++i)
    if (kHighControls[i] == c) return static_cast<char>(0x80 + i);
  return '?';
}

std::uint16_t fromCodePage(unsigned char b) {
  return b >= 0x80 && b < 0xA0 ? kHighControls[b - 0x80] : b;
}

bool sameLetter(std::uint16_t key, unsigned char part) {
  auto lower = [](std::uint16_t c) -> std::uint16_t { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
  return lower(key) == lower(fromCodePage(part));
}

struct Node {
  std::uint32_t keyAt, keyChars;  // the UTF-16 key, without its terminator
  std::uint32_t valueAt, valueSize;
  std::uint32_t childrenAt, end;
  bool text;
};

// Reads the node at `at` that must end by `limit`. False when its header or
// key does not fit or it is shorter than its header.
bool readNode(const unsigned char* b, std::uint32_t at, std::uint32_t limit, Node* n) {
  if (at > limit || limit - at < 6) return false;
  const std::uint32_t length = u16(b + at);
  if (length < 6) return false;
  n->end = length > limit - at ? limit : at + length;
  const std::uint32_t valueLength = u16(b + at + 2);
  n->text = u16(b + at + 4) == 1;
  n->keyAt = at + 6;
  std::uint32_t p = n->keyAt;
  while (p + 2 <= n->end && u16(b + p) != 0) p += 2;
  if (p + 2 > n->end) return false;  // no terminator inside the node
  n->keyChars = (p - n->keyAt) / 2;
  n->valueAt = align4(p + 2);
  const std::uint32_t declared = n->text ? 2 * valueLength : valueLength;
  n->valueSize = n->valueAt >= n->end ? 0 : std::min(declared, n->end - n->valueAt);
  if (n->valueAt > n->end) n->valueAt = n->end;
  n->childrenAt = align4(n->valueAt + declared);
  return true;
}

bool keyIs(const unsigned char* b, const Node& n, const char* part, std::uint32_t partLength) {
  if (n.keyChars != partLength) return false;
  for (std::uint32_t i = 0; i < partLength; ++i)
    if (!sameLetter(u16(b + n.keyAt + 2 * i), static_cast<unsigned char>(part[i]))) return false;
  return true;
}

}  // namespace

bool findBlockValue(const unsigned char* block, std::uint32_t size, const char* subBlock,
                    BlockValue* value) {
  Node node;
  if (!block || !subBlock || !readNode(block, 0, size, &node)) return false;
  const char* p = subBlock;
  for (;;) {
    while (*p == '\\') ++p;
    if (!*p) break;
    const char* partEnd = p;
    while (*partEnd && *partEnd != '\\') ++partEnd;
    const std::uint32_t partLength = static_cast<std::uint32_t>(partEnd - p);
    bool found = false;
    Node child;
    // Each child is at least 6 bytes long, so the walk always moves on.
    for (std::uint32_t at = node.childrenAt; at < node.end; at = align4(child.end)) {
      if (!readNode(block, at, node.end, &child)) break;
      if ((found = keyIs(block, child, p, partLength))) break;
    }
    if (!found) return false;
    node = child;
    p = partEnd;
  }
  value->offset = node.valueAt;
  value->size = node.valueSize;
  value->text = node.text;
  return true;
}

namespace {

// The children of node, each read whole, in stored order.
std::vector<Node> childrenOf(const unsigned char* block, const Node& node) {
  std::vector<Node> children;
  Node child;
  for (std::uint32_t at = node.childrenAt; at < node.end; at = align4(child.end)) {
    if (!readNode(block, at, node.end, &child)) break;
    children.push_back(child);
  }
  return children;
}

std::string keyOf(const unsigned char* block, const Node& node) {
  return toAnsi(block + node.keyAt, 2 * node.keyChars);
}

}  // namespace

std::vector<StringTable> listStringTables(const unsigned char* block, std::uint32_t size) {
  std::vector<StringTable> tables;
  Node root;
  if (!block || !readNode(block, 0, size, &root)) return tables;
  for (const Node& info : childrenOf(block, root)) {
    if (!keyIs(block, info, "StringFileInfo", 14)) continue;
    for (const Node& table : childrenOf(block, info)) {
      StringTable found{keyOf(block, table), {}};
      for (const Node& string : childrenOf(block, table)) {
        const std::string text = string.text ? toAnsi(block + string.valueAt, string.valueSize) : std::string();
        found.strings.emplace_back(keyOf(block, string), text);
      }
      tables.push_back(std::move(found));
    }
  }
  return tables;
}

std::string toAnsi(const unsigned char* utf16, std::uint32_t bytes) {
  std::string out;
  for (std::uint32_t i = 0; i + 2 <= bytes; i += 2) {
    const std::uint16_t c = u16(utf16 + i);
    if (c == 0) break;
    const bool pair = c >= 0xD800 && c < 0xDC00 && i + 4 <= bytes &&
                      u16(utf16 + i + 2) >= 0xDC00 && u16(utf16 + i + 2) < 0xE000;
    if (pair) i += 2;  // one character outside the code page, one '?'
    out.push_back(toCodePage(c));
  }
  return out;
}

}  // namespace fileinfo
