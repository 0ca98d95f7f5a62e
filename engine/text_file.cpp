#include "text_file.h"

#include <cstring>

namespace engine {

File openFile(const char* path, const char* mode) {
  if (!path || !*path) return File();
  return File(std::fopen(path, mode));
}

long getFileSize(const char* path) {
  File f = openFile(path, "rb");
  if (!f) return -1;
  if (std::fseek(f.get(), 0, SEEK_END) != 0) return -1;
  return std::ftell(f.get());
}

std::string fromTextMode(std::string_view raw) {
  std::string text;
  text.reserve(raw.size());
  std::size_t start = 0;
  while (start < raw.size()) {
    const void* hit = std::memchr(raw.data() + start, '\r', raw.size() - start);
    const std::size_t cr = hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - raw.data()) : raw.size();
    text.append(raw.data() + start, cr - start);
    if (cr == raw.size()) break;
    if (cr + 1 < raw.size() && raw[cr + 1] == '\n') {
      text += '\n';
      start = cr + 2;
    } else {
      text += '\r';  // a lone CR stays
      start = cr + 1;
    }
  }
  return text;
}

std::string toTextMode(std::string_view text) {
  std::string raw;
  raw.reserve(text.size() + text.size() / 16);
  std::size_t start = 0;
  while (start < text.size()) {
    const void* hit = std::memchr(text.data() + start, '\n', text.size() - start);
    const std::size_t lf = hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text.data()) : text.size();
    raw.append(text.data() + start, lf - start);
    if (lf == text.size()) break;
    raw += "\r\n";
    start = lf + 1;
  }
  return raw;
}

bool readTextFile(const char* path, std::size_t maxBytes, std::string& out) {
  File f = openFile(path, "rb");
  if (!f) return false;
  std::string raw(maxBytes, '\0');
  const std::size_t got = maxBytes ? std::fread(raw.data(), 1, maxBytes, f.get()) : 0;
  if (got == 0) return false;
  raw.resize(got);
  out += fromTextMode(raw);
  return true;
}

std::size_t writeText(std::FILE* f, std::string_view text) {
  if (!f) return 0;
  // Written in slices so that memory stays bounded for large pages; the count
  // returned is in bytes of text (LF counted once).
  constexpr std::size_t kSlice = 1 << 20;
  std::size_t done = 0;
  while (done < text.size()) {
    const std::size_t n = std::min(kSlice, text.size() - done);
    const std::string raw = toTextMode(text.substr(done, n));
    if (std::fwrite(raw.data(), 1, raw.size(), f) != raw.size()) return done;
    done += n;
  }
  return done;
}

}  // namespace engine
