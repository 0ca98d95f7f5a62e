// File access of the engine. Files are read and written in Windows text mode on
// every platform (CR LF on disk, LF in memory), so that every build writes the
// same bytes for the same page. Nothing else is translated: a Ctrl-Z is an
// ordinary byte.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace engine {

struct FileCloser {
  void operator()(std::FILE* f) const { if (f) std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Opens path with a C stdio mode ("rb", "w+b", ...).
File openFile(const char* path, const char* mode);

// Size of the file in bytes, or -1 when it cannot be opened or measured.
long getFileSize(const char* path);

// Reads up to maxBytes bytes of the file and appends them to out with every
// CR LF turned into LF. Returns false when the file cannot be opened or nothing
// could be read.
bool readTextFile(const char* path, std::size_t maxBytes, std::string& out);

// Writes text to f with every LF stored as CR LF. Returns the number of bytes
// of text that reached the file.
std::size_t writeText(std::FILE* f, std::string_view text);

// CR LF -> LF in memory (what a text-mode read does).
std::string fromTextMode(std::string_view raw);
// LF -> CR LF in memory (what a text-mode write does).
std::string toTextMode(std::string_view text);

}  // namespace engine
