// File access of the engine. Pages and script files are read and written in
// Windows text mode on every platform (CR LF on disk, LF in memory), so that
// every build writes the same bytes for the same page. Nothing else is
// translated: a Ctrl-Z is an ordinary byte.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/file_io.h"
#include "platform/safe_file.h"

namespace engine {

// The largest page the engine converts: a page is held in memory together with
// its converted copy, which on 32-bit systems must fit beside it too.
constexpr std::uint64_t kMaxPageBytes = sizeof(void*) >= 8 ? std::uint64_t(1) << 30 : std::uint64_t(256) << 20;

// Reads the regular file at path (at most limit bytes) into out with every CR
// LF turned into LF. rawSize receives the size of the file on disk.
platform::IoStatus readTextFile(platform::FileIo& io, const std::string& path, std::uint64_t limit, std::string& out,
                                std::uint64_t& rawSize);

// Writes text to a file with every LF stored as CR LF. The translated bytes
// are gathered in a block of its own and reach the file a block at a time, so
// that text handed on in many small parts still makes few, large writes and
// memory stays bounded whatever the size of the text.
class TextModeWriter {
 public:
  explicit TextModeWriter(platform::ReplacementFile& file);
  TextModeWriter(const TextModeWriter&) = delete;
  TextModeWriter& operator=(const TextModeWriter&) = delete;

  // Adds text; after a failure of the file, does nothing.
  void write(std::string_view text);
  // Hands the block to the file; returns the file's status.
  const platform::IoStatus& flush();

 private:
  static constexpr std::size_t kBlock = 256 * 1024;

  platform::ReplacementFile& file_;
  std::unique_ptr<char[]> block_;  // made by the first write
  std::size_t capacity_ = 0;
  std::size_t used_ = 0;
};

// Writes text to file with every LF stored as CR LF.
const platform::IoStatus& writeText(platform::ReplacementFile& file, std::string_view text);

// CR LF -> LF in memory (what a text-mode read does).
std::string fromTextMode(std::string_view raw);
// LF -> CR LF in memory (what a text-mode write does).
std::string toTextMode(std::string_view text);

}  // namespace engine
