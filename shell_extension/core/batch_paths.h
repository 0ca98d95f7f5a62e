// Path-string helpers of the batch conversion. Paths are byte strings; sep is
// the platform's separator ('\' on Windows, '/' elsewhere).
#pragma once

#include <cstddef>
#include <string>

namespace morvane {

// Paths live in buffers of 260 bytes: at most this many characters.
constexpr std::size_t kMaxPathLength = 259;

// a without one trailing separator, then the separator, then b without one
// leading separator.
std::string joinPath(const std::string& a, const std::string& b, char sep);

// 0 when a is shorter than b; otherwise the number of leading characters that
// a and b share (ignoring ASCII case unless told otherwise), at most b's
// length.
std::size_t commonPrefixLength(const std::string& a, const std::string& b, bool ignoreCase = true);

// Replaces the text from the last '.' of path with '.' and ext. False, and path
// unchanged, when path has no '.'.
bool replaceExtension(std::string& path, const std::string& ext);

// The text after the last separator ('/' is accepted as one too).
std::string lastComponent(const std::string& path, char sep);

// The selected path cut back to its containing folder: everything up to and
// including the last separator or '/' before the end. A trailing separator is
// passed over first, so each call moves up one folder. False when no separator
// is left to cut at.
bool cutToParentFolder(std::string& path, char sep);

// path with trailing separators (and '/') removed, but never down to empty.
std::string withoutTrailingSeparators(const std::string& path, char sep);

bool equalsIgnoreCase(const std::string& a, const std::string& b);

// fmt with its first "%s" replaced by arg and "%%" by "%"; every other byte is
// copied as it is (string-table texts are never handed to printf).
std::string formatText(const std::string& fmt, const std::string& arg);

}  // namespace morvane
