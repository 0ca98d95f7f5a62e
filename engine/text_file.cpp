#include "engine/text_file.h"

#include <algorithm>
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

TextModeWriter::TextModeWriter(platform::ReplacementFile& file) : file_(file) {}

void TextModeWriter::append(const char* data, std::size_t n) {
  while (n > 0) {
    if (used_ == capacity_ && !flush()) return;
    const std::size_t room = std::min(n, capacity_ - used_);
    std::memcpy(block_.get() + used_, data, room);
    used_ += room;
    data += room;
    n -= room;
  }
}

void TextModeWriter::write(std::string_view text) {
  if (!block_) {
    // Sized by the first text, which for most pages is all of it, with room
    // for its CR bytes; never more than a block.
    capacity_ = std::min(kBlock, std::max<std::size_t>(4096, text.size() + text.size() / 8));
    block_.reset(new char[capacity_]);
  }
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p < end) {
    const void* hit = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
    const char* lf = hit ? static_cast<const char*>(hit) : end;
    // The usual line fits the block with its CR LF: copied straight in.
    const std::size_t line = static_cast<std::size_t>(lf - p);
    if (hit && line + 2 <= capacity_ - used_) {
      std::memcpy(block_.get() + used_, p, line);
      block_[used_ + line] = '\r';
      block_[used_ + line + 1] = '\n';
      used_ += line + 2;
    } else {
      append(p, line);
      if (hit) append("\r\n", 2);
    }
    p = hit ? lf + 1 : end;
  }
}

const platform::IoStatus& TextModeWriter::flush() {
  const std::size_t n = used_;
  used_ = 0;
  return file_.write(std::string_view(block_.get(), n));
}

const platform::IoStatus& writeText(platform::ReplacementFile& file, std::string_view text) {
  TextModeWriter writer(file);
  writer.write(text);
  return writer.flush();
}

}  // namespace engine
