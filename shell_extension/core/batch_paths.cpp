#include "shell_extension/core/batch_paths.h"

#include <cctype>

namespace morvane {

namespace {

bool isSeparator(char c, char sep) { return c == sep || c == '/'; }

char lowerAscii(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

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
    while (n < b.size() && lowerAscii(a[n]) == lowerAscii(b[n])) ++n;
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

bool equalsIgnoreCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && commonPrefixLength(a, b) == b.size();
}

std::string formatText(const std::string& fmt, const std::string& arg) {
  std::string out;
  bool substituted = false;
  for (std::size_t i = 0; i < fmt.size(); ++i) {
    if (fmt[i] == '%' && i + 1 < fmt.size()) {
      if (fmt[i + 1] == '%') {
        out += '%';
        ++i;
        continue;
      }
      if (fmt[i + 1] == 's' && !substituted) {
        out += arg;
        substituted = true;
        ++i;
        continue;
      }
    }
    out += fmt[i];
  }
  return out;
}

}  // namespace morvane
