// Path-string helpers of the batch conversion. Paths are byte strings; sep is
// the platform's separator ('\' on Windows, '/' elsewhere).
#pragma once

#include <cstddef>
#include <string>

namespace morvane {

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

}  // namespace morvane
