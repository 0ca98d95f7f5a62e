// Test helpers: version-information blocks and minimal PE images built byte
// by byte, so that tests can state exactly what a file holds and break it
// in exactly one place.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fileinfo {
namespace testing_support {

using Bytes = std::vector<unsigned char>;

inline void setWord(Bytes* b, std::size_t at, std::uint16_t v) {
  (*b)[at] = static_cast<unsigned char>(v);
  (*b)[at + 1] = static_cast<unsigned char>(v >> 8);
}
inline void setDword(Bytes* b, std::size_t at, std::uint32_t v) {
  setWord(b, at, static_cast<std::uint16_t>(v));
  setWord(b, at + 2, static_cast<std::uint16_t>(v >> 16));
}
inline void pad4(Bytes* b) {
  while (b->size() % 4) b->push_back(0);
}

// UTF-16LE of an ASCII text, terminator included.
inline Bytes utf16(const std::string& text) {
  Bytes out;
  for (unsigned char c : text) {
    out.push_back(c);
    out.push_back(0);
  }
  out.push_back(0);
  out.push_back(0);
  return out;
}

// One node: length, value length, type, key, value, children; each part
// starts 32-bit aligned (the node itself must be placed at an aligned offset).
inline Bytes node(const std::string& key, std::uint16_t type, const Bytes& value,
                  std::uint16_t valueLength, const std::vector<Bytes>& children = {}) {
  Bytes b(6, 0);
  const Bytes k = utf16(key);
  b.insert(b.end(), k.begin(), k.end());
  pad4(&b);
  b.insert(b.end(), value.begin(), value.end());
  for (const Bytes& child : children) {
    pad4(&b);
    b.insert(b.end(), child.begin(), child.end());
  }
  setWord(&b, 0, static_cast<std::uint16_t>(b.size()));
  setWord(&b, 2, valueLength);
  setWord(&b, 4, type);
  return b;
}

inline Bytes textNode(const std::string& key, const std::string& text) {
  const Bytes v = utf16(text);
  return node(key, 1, v, static_cast<std::uint16_t>(v.size() / 2), {});
}

// Where the root's first child starts in a block whose root is
// "VS_VERSION_INFO" with a 52-byte value: 6 + 32 bytes of key, aligned, + 52.
constexpr std::size_t kFirstChildAt = 92;

// Offsets in the image that peImage builds.
constexpr std::uint32_t kPeAt = 0x40;
constexpr std::uint32_t kSectionTableAt32 = kPeAt + 24 + 224;
constexpr std::uint32_t kRsrcFileAt = 0x200;
constexpr std::uint32_t kRsrcRva = 0x1000;
constexpr std::uint32_t kNamesDirAt = 0x18;      // in the resource section
constexpr std::uint32_t kLanguagesDirAt = 0x30;
constexpr std::uint32_t kDataEntryAt = 0x48;
constexpr std::uint32_t kDataAt = 0x58;

// A PE image (32- or 64-bit) with one section, .rsrc, holding one version
// resource (type 16, name 1) in `language` with the bytes `resource`.
inline Bytes peImage(const Bytes& resource, bool pe64 = false, std::uint16_t language = 0x409) {
  const std::uint32_t optionalSize = pe64 ? 240 : 224;
  Bytes b(kRsrcFileAt, 0);
  b[0] = 'M';
  b[1] = 'Z';
  setDword(&b, 0x3C, kPeAt);
  b[kPeAt] = 'P';
  b[kPeAt + 1] = 'E';
  setWord(&b, kPeAt + 4, pe64 ? 0x8664 : 0x14C);
  setWord(&b, kPeAt + 6, 1);  // one section
  setWord(&b, kPeAt + 20, static_cast<std::uint16_t>(optionalSize));
  const std::uint32_t opt = kPeAt + 24;
  setWord(&b, opt, pe64 ? 0x20B : 0x10B);
  const std::uint32_t count = pe64 ? 108 : 92;
  setDword(&b, opt + count, 16);
  const std::uint32_t rsrcSize = kDataAt + static_cast<std::uint32_t>(resource.size());
  setDword(&b, opt + count + 4 + 8 * 2, kRsrcRva);
  setDword(&b, opt + count + 4 + 8 * 2 + 4, rsrcSize);
  const std::uint32_t section = opt + optionalSize;
  for (int i = 0; i < 5; ++i) b[section + i] = static_cast<unsigned char>(".rsrc"[i]);
  setDword(&b, section + 8, rsrcSize);       // virtual size
  setDword(&b, section + 12, kRsrcRva);      // virtual address
  setDword(&b, section + 16, (rsrcSize + 0x1FF) & ~0x1FFu);  // raw size
  setDword(&b, section + 20, kRsrcFileAt);   // raw offset

  Bytes r(kDataAt, 0);
  setWord(&r, 14, 1);  // root: one id entry
  setDword(&r, 16, 16);
  setDword(&r, 20, 0x80000000u | kNamesDirAt);
  setWord(&r, kNamesDirAt + 14, 1);
  setDword(&r, kNamesDirAt + 16, 1);
  setDword(&r, kNamesDirAt + 20, 0x80000000u | kLanguagesDirAt);
  setWord(&r, kLanguagesDirAt + 14, 1);
  setDword(&r, kLanguagesDirAt + 16, language);
  setDword(&r, kLanguagesDirAt + 20, kDataEntryAt);
  setDword(&r, kDataEntryAt, kRsrcRva + kDataAt);
  setDword(&r, kDataEntryAt + 4, static_cast<std::uint32_t>(resource.size()));
  r.insert(r.end(), resource.begin(), resource.end());
  r.resize((r.size() + 0x1FF) & ~std::size_t{0x1FF}, 0);
  b.insert(b.end(), r.begin(), r.end());
  return b;
}

}  // namespace testing_support
}  // namespace fileinfo
