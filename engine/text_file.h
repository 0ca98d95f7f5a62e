// File access of the engine. Pages and script files are read and written in
// Windows text mode on every platform (CR LF on disk, LF in memory), so that
// every build writes the same bytes for the same page. Nothing else is
// translated: a Ctrl-Z is an ordinary byte.
#pragma once

#include <cstdint>
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

// Writes text to file with every LF stored as CR LF.
const platform::IoStatus& writeText(platform::ReplacementFile& file, std::string_view text);

// CR LF -> LF in memory (what a text-mode read does).
std::string fromTextMode(std::string_view raw);
// LF -> CR LF in memory (what a text-mode write does).
std::string toTextMode(std::string_view text);

}  // namespace engine
