#include "engine/text_file.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "engine/byte_vectors.h"

namespace engine {

namespace {

// Stores the 16 bytes at from to to (loaded first: the two may overlap).
inline void move16(char* to, const char* from) {
  char chunk[16];
  std::memcpy(chunk, from, 16);
  std::memcpy(to, chunk, 16);
}

// CR LF -> LF from the n bytes at in to out, which may be in itself; a lone CR
// stays. Returns the bytes written.
std::size_t crLfToLf(const char* in, std::size_t n, char* out) {
  // Pages written on Unix have no CR at all: nothing to move.
  if (out == in && !std::memchr(in, '\r', n)) return n;
  char* o = out;
  std::size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    unsigned crs = bytesEqual16(in + i, '\r');
    if (!crs) {
      move16(o, in + i);
      o += 16;
      continue;
    }
    for (std::size_t k = 0; k < 16; ++k) {
      if (in[i + k] == '\r' && i + k + 1 < n && in[i + k + 1] == '\n') continue;  // the LF is copied next
      *o++ = in[i + k];
    }
  }
  for (; i < n; ++i) {
    if (in[i] == '\r' && i + 1 < n && in[i + 1] == '\n') continue;
    *o++ = in[i];
  }
  return static_cast<std::size_t>(o - out);
}

// The bytes past its result that lfToCrLf may write while it works.
constexpr std::size_t kCrLfSlack = 16;

// LF -> CR LF from the n bytes at in to out, which has room for 2n +
// kCrLfSlack bytes. Returns the bytes of the translation.
std::size_t lfToCrLf(const char* in, std::size_t n, char* out) {
  char* o = out;
  std::size_t i = 0;
  // Each step copies 16 bytes at a time, also past what it keeps: it reads up
  // to 15 bytes beyond its 16 (so only while 32 remain) and writes up to 15
  // bytes beyond what it returns (the room out is asked to have).
  for (; i + 32 <= n; i += 16) {
    unsigned lfs = bytesEqual16(in + i, '\n');
    std::size_t from = 0;
    while (lfs) {
      const std::size_t k = static_cast<std::size_t>(__builtin_ctz(lfs));
      move16(o, in + i + from);
      o += k - from;
      o[0] = '\r';
      o[1] = '\n';
      o += 2;
      from = k + 1;
      lfs &= lfs - 1;
    }
    move16(o, in + i + from);
    o += 16 - from;
  }
  for (; i < n; ++i) {
    if (in[i] == '\n') *o++ = '\r';
    *o++ = in[i];
  }
  return static_cast<std::size_t>(o - out);
}

}  // namespace

std::string fromTextMode(std::string_view raw) {
  std::string text(raw);
  text.resize(crLfToLf(text.data(), text.size(), text.data()));
  return text;
}

std::string toTextMode(std::string_view text) {
  std::string raw(2 * text.size() + kCrLfSlack, '\0');
  raw.resize(lfToCrLf(text.data(), text.size(), raw.data()));
  return raw;
}

platform::IoStatus readTextFile(platform::FileIo& io, const std::string& path, std::uint64_t limit, std::string& out,
                                std::uint64_t& rawSize) {
  // Read straight into out and translated there: a large page is held once.
  platform::IoStatus status = platform::readWholeFile(io, path, limit, out);
  rawSize = out.size();
  if (status) out.resize(crLfToLf(out.data(), out.size(), out.data()));
  return status;
}

TextModeWriter::TextModeWriter(platform::ReplacementFile& file) : file_(file) {}

void TextModeWriter::write(std::string_view text) {
  if (!block_) {
    // Sized by the first text, which for most pages is all of it, with room
    // for a CR before each byte; never more than a block.
    capacity_ = std::min(kBlock, std::max<std::size_t>(4096, 2 * text.size() + kCrLfSlack));
    block_.reset(new char[capacity_]);
  }
  while (!text.empty()) {
    // Each byte may become two: at most half the room is filled in one step.
    if (capacity_ - used_ < 64 && !flush()) return;
    const std::size_t n = std::min(text.size(), (capacity_ - used_ - kCrLfSlack) / 2);
    used_ += lfToCrLf(text.data(), n, block_.get() + used_);
    text.remove_prefix(n);
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
