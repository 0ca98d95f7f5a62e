// Finds the version resource of a PE image (32- or 64-bit) without loading
// it: DOS header, PE headers, section table, then the three levels of the
// resource directory (type 16, name 1, a language).
//
// Every offset and size read from the file is checked against the file and
// against the structure that holds it; nothing is read that the source does
// not have, and the resource is capped at kMaxVersionResource bytes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace fileinfo {

// A version resource starts with its 16-bit total length, so nothing beyond
// 64 KiB of it is ever referenced.
constexpr std::uint32_t kMaxVersionResource = 0xFFFF;

// Random access to the bytes of a file or of memory.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Copies exactly `n` bytes at `offset` into `out`; false when the source
  // does not have them all.
  virtual bool read(std::uint64_t offset, void* out, std::size_t n) const = 0;
};

class MemorySource final : public ByteSource {
 public:
  MemorySource(const void* data, std::size_t size)
      : data_(static_cast<const unsigned char*>(data)), size_(size) {}
  bool read(std::uint64_t offset, void* out, std::size_t n) const override;

 private:
  const unsigned char* data_;
  std::size_t size_;
};

// Reads a file on disk through C stdio; the file is open for the object's life.
class FileSource final : public ByteSource {
 public:
  explicit FileSource(const char* path);
  ~FileSource() override;
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;
  bool isOpen() const { return file_ != nullptr; }
  bool read(std::uint64_t offset, void* out, std::size_t n) const override;

 private:
  std::FILE* file_;
};

// The bytes of the image's version resource (type 16, name 1; language
// neutral, then US English, then the first one listed), at most
// kMaxVersionResource of them. Empty when the source is not a PE image, has
// no such resource, or any structure on the way is out of bounds.
std::vector<unsigned char> findVersionResource(const ByteSource& source);

}  // namespace fileinfo
