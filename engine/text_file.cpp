#include "engine/text_file.h"

#include <cstring>

namespace engine {

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

platform::IoStatus readTextFile(platform::FileIo& io, const std::string& path, std::uint64_t limit, std::string& out,
                                std::uint64_t& rawSize) {
  // Read straight into out and translated there: a large page is held once.
  platform::IoStatus status = platform::readWholeFile(io, path, limit, out);
  rawSize = out.size();
  if (status) out.resize(fromTextModeInPlace(out.data(), out.size()));
  return status;
}

const platform::IoStatus& writeText(platform::ReplacementFile& file, std::string_view text) {
  // Translated in slices, so that memory stays bounded for large pages.
  constexpr std::size_t kSlice = 1 << 20;
  std::string raw;
  for (std::size_t done = 0; done < text.size(); done += kSlice) {
    raw = toTextMode(text.substr(done, kSlice));
    if (!file.write(raw)) break;
  }
  return file.write(std::string_view());
}

}  // namespace engine
