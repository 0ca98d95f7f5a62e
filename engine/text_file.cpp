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

namespace {
// CR LF -> LF over the n bytes at text, in place; returns the new length.
std::size_t fromTextModeInPlace(char* text, std::size_t n) {
  const char* r = text;
  const char* const end = text + n;
  char* w = text;
  while (r < end) {
    const void* hit = std::memchr(r, '\r', static_cast<std::size_t>(end - r));
    const char* cr = hit ? static_cast<const char*>(hit) : end;
    std::memmove(w, r, static_cast<std::size_t>(cr - r));
    w += cr - r;
    if (cr == end) break;
    const bool pair = cr + 1 < end && cr[1] == '\n';
    *w++ = pair ? '\n' : '\r';  // a lone CR stays
    r = cr + (pair ? 2 : 1);
  }
  return static_cast<std::size_t>(w - text);
}
}  // namespace

bool readTextFile(const char* path, std::size_t maxBytes, std::string& out) {
  File f = openFile(path, "rb");
  if (!f) return false;
  // Read straight into out and translated there: a large page is held once.
  const std::size_t base = out.size();
  out.resize(base + maxBytes);
  const std::size_t got = maxBytes ? std::fread(&out[base], 1, maxBytes, f.get()) : 0;
  out.resize(base + (got ? fromTextModeInPlace(&out[base], got) : 0));
  return got != 0;
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
