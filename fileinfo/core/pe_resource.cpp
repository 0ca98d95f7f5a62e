#include "fileinfo/core/pe_resource.h"

#include <algorithm>
#include <cstring>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fileinfo {

bool MemorySource::read(std::uint64_t offset, void* out, std::size_t n) const {
  if (offset > size_ || n > size_ - offset) return false;
  if (n) std::memcpy(out, data_ + offset, n);
  return true;
}

#ifdef _WIN32
FileSource::FileSource(const char* path) : file_(path ? std::fopen(path, "rb") : nullptr) {}
#else
// Opened without waiting, so that a FIFO never hangs the reader; only a
// regular file is read.
FileSource::FileSource(const char* path) : file_(nullptr) {
  if (!path) return;
  const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  struct stat st;
  if (fd < 0) return;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || !(file_ = ::fdopen(fd, "rb"))) ::close(fd);
}
#endif

FileSource::~FileSource() {
  if (file_) std::fclose(file_);
}

bool FileSource::read(std::uint64_t offset, void* out, std::size_t n) const {
  if (!file_ || offset > 0x7FFFFFFFu) return false;  // images are far smaller than 2 GiB
  if (std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0) return false;
  return std::fread(out, 1, n, file_) == n;
}

namespace {

constexpr std::uint32_t kResourceTypeVersion = 16;
constexpr std::uint32_t kVersionResourceName = 1;
constexpr std::uint32_t kResourceDirectoryIndex = 2;
constexpr std::uint32_t kMaxSections = 96;  // the most an image may have
constexpr std::uint32_t kHighBit = 0x80000000u;

std::uint16_t u16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t u32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

struct Section {
  std::uint32_t virtualAddress;
  std::uint32_t virtualSize;
  std::uint32_t rawSize;
  std::uint32_t rawOffset;
};

// What the walk needs of an image: its sections and its resource directory.
struct Image {
  std::vector<Section> sections;
  std::uint32_t resourceRva = 0;
  std::uint32_t resourceSize = 0;
};

bool readImage(const ByteSource& src, Image* image) {
  unsigned char dos[64];
  if (!src.read(0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z') return false;
  const std::uint64_t pe = u32(dos + 0x3C);
  unsigned char coff[24];  // signature and file header
  if (!src.read(pe, coff, sizeof coff) || std::memcmp(coff, "PE\0\0", 4) != 0) return false;
  const std::uint32_t sectionCount = u16(coff + 6);
  const std::uint32_t optionalSize = u16(coff + 20);
  if (sectionCount > kMaxSections) return false;

  // The optional header: its magic says where the data directories start.
  unsigned char opt[0x78 + 8 * (kResourceDirectoryIndex + 1)] = {};
  const std::uint32_t want = std::min<std::uint32_t>(optionalSize, sizeof opt);
  if (want < 2 || !src.read(pe + 24, opt, want)) return false;
  std::uint32_t countAt, directoriesAt;
  switch (u16(opt)) {
    case 0x10B: countAt = 92; directoriesAt = 96; break;    // 32-bit image
    case 0x20B: countAt = 108; directoriesAt = 112; break;  // 64-bit image
    default: return false;
  }
  const std::uint32_t resourceAt = directoriesAt + 8 * kResourceDirectoryIndex;
  if (want < resourceAt + 8 || u32(opt + countAt) <= kResourceDirectoryIndex) return false;
  image->resourceRva = u32(opt + resourceAt);
  image->resourceSize = u32(opt + resourceAt + 4);
  if (image->resourceRva == 0 || image->resourceSize == 0) return false;

  const std::uint64_t table = pe + 24 + optionalSize;
  for (std::uint32_t i = 0; i < sectionCount; ++i) {
    unsigned char s[40];
    if (!src.read(table + 40ull * i, s, sizeof s)) return false;
    image->sections.push_back({u32(s + 12), u32(s + 8), u32(s + 16), u32(s + 20)});
  }
  return true;
}

// File offset of `rva` and how many bytes from there on the section stores.
// False when no section stores the byte at `rva`.
bool locate(const Image& image, std::uint32_t rva, std::uint64_t* offset, std::uint32_t* left) {
  for (const Section& s : image.sections) {
    const std::uint32_t span = s.virtualSize ? std::min(s.rawSize, s.virtualSize) : s.rawSize;
    if (rva < s.virtualAddress || rva - s.virtualAddress >= span) continue;
    *offset = static_cast<std::uint64_t>(s.rawOffset) + (rva - s.virtualAddress);
    *left = span - (rva - s.virtualAddress);
    return true;
  }
  return false;
}

// The resource directory, read into memory in one piece (bounded by the
// directory size of the headers) so that the walk checks offsets against it.
class ResourceDirectory {
 public:
  explicit ResourceDirectory(std::vector<unsigned char> bytes) : bytes_(std::move(bytes)) {}

  // The entry of the directory at `at` whose id is `id` (any entry when
  // `id` is negative); its target in *target. False when none or out of bounds.
  bool find(std::uint32_t at, long id, std::uint32_t* target) const {
    if (!has(at, 16)) return false;
    const std::uint32_t named = u16(&bytes_[at + 12]);
    const std::uint32_t ids = u16(&bytes_[at + 14]);
    for (std::uint32_t i = 0; i < named + ids; ++i) {
      const std::uint32_t entry = at + 16 + 8 * i;
      if (!has(entry, 8)) return false;
      const std::uint32_t name = u32(&bytes_[entry]);
      if (id < 0 || (!(name & kHighBit) && name == static_cast<std::uint32_t>(id))) {
        *target = u32(&bytes_[entry + 4]);
        return true;
      }
    }
    return false;
  }
  // A subdirectory entry's offset, or false when the entry names data.
  static bool subdirectory(std::uint32_t target, std::uint32_t* at) {
    if (!(target & kHighBit)) return false;
    *at = target & ~kHighBit;
    return true;
  }
  bool has(std::uint32_t at, std::uint32_t n) const {
    return at <= bytes_.size() && n <= bytes_.size() - at;
  }
  std::uint32_t word32(std::uint32_t at) const { return u32(&bytes_[at]); }

 private:
  std::vector<unsigned char> bytes_;
};

}  // namespace

std::vector<unsigned char> findVersionResource(const ByteSource& source) {
  Image image;
  if (!readImage(source, &image)) return {};
  // The directory proper (entries and data entries) is read in one piece,
  // at most 1 MiB of it; the resource data may sit anywhere in the section,
  // so it is read separately.
  std::uint64_t at = 0;
  std::uint32_t left = 0;
  if (!locate(image, image.resourceRva, &at, &left)) return {};
  std::vector<unsigned char> bytes(std::min({image.resourceSize, left, 1u << 20}));
  if (!source.read(at, bytes.data(), bytes.size())) return {};
  const ResourceDirectory dir(std::move(bytes));

  std::uint32_t target = 0, names = 0, languages = 0;
  if (!dir.find(0, kResourceTypeVersion, &target) || !dir.subdirectory(target, &names)) return {};
  if (!dir.find(names, kVersionResourceName, &target) || !dir.subdirectory(target, &languages))
    return {};
  const long preferred[] = {0x0000, 0x0409, -1};  // neutral, US English, whatever is first
  bool found = false;
  for (long language : preferred)
    if ((found = dir.find(languages, language, &target))) break;
  if (!found || dir.subdirectory(target, &target) || !dir.has(target, 16)) return {};

  const std::uint32_t dataRva = dir.word32(target);
  const std::uint32_t dataSize = std::min(dir.word32(target + 4), kMaxVersionResource);
  std::uint64_t dataAt = 0;
  if (dataSize == 0 || !locate(image, dataRva, &dataAt, &left) || left < dataSize) return {};
  std::vector<unsigned char> data(dataSize);
  if (!source.read(dataAt, data.data(), data.size())) return {};
  return data;
}

}  // namespace fileinfo
