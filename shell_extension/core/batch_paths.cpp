#include "shell_extension/core/batch_paths.h"

#include "common/ascii.h"

namespace morvane {

namespace {

bool isSeparator(char c, char sep) { return c == sep || c == '/'; }

}  // namespace

std::string joinPath(const std::string& a, const std::string& b, char sep) {
  std::string joined = a;
  if (!joined.empty() && joined.back() == sep) joined.pop_back();
  joined += sep;
  joined.append(b, !b.empty() && b.front() == sep ? 1 : 0, std::string::npos);
  return joined;
}

std::size_t commonPrefixLength(const std::string& a, const std::string& b, bool ignoreCase) {
  if (a.size() < b.size()) return 0;
  std::size_t n = 0;
  if (ignoreCase) {
    while (n < b.size() && common::lowerAscii(a[n]) == common::lowerAscii(b[n])) ++n;
  } else {
    while (n < b.size() && a[n] == b[n]) ++n;
  }
  return n;
}

bool replaceExtension(std::string& path, const std::string& ext) {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos) return false;
  path.replace(dot, std::string::npos, "." + ext);
  return true;
}

std::string lastComponent(const std::string& path, char sep) {
  std::size_t i = path.size();
  while (i > 0 && !isSeparator(path[i - 1], sep)) --i;
  return path.substr(i);
}

bool cutToParentFolder(std::string& path, char sep) {
  std::size_t end = path.size();
  if (end > 0 && isSeparator(path[end - 1], sep)) --end;  // already a folder: move up one
  while (end > 0 && !isSeparator(path[end - 1], sep)) --end;
  if (end == 0) return false;
  path.resize(end);
  return true;
}

std::string withoutTrailingSeparators(const std::string& path, char sep) {
  std::size_t end = path.size();
  while (end > 1 && isSeparator(path[end - 1], sep)) --end;
  return path.substr(0, end);
}

}  // namespace morvane
