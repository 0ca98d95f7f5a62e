#include "platform/native/file_registry_store.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>

#include "common/ascii.h"
#include "platform/safe_file.h"

namespace platform {

namespace {

const char* const kHiveNames[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE"};

// Components joined by single backslashes; empty components dropped.
std::string normalise(const std::string& path) {
  std::string out, part;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '\\') {
      if (!part.empty()) out += (out.empty() ? "" : "\\") + part;
      part.clear();
    } else {
      part += path[i];
    }
  }
  return out;
}

std::string keyOf(int hive, const std::string& path) { return std::to_string(hive) + ":" + common::toLowerAscii(path); }
std::string keyOf(Hive hive, const std::string& path) { return keyOf(static_cast<int>(hive), normalise(path)); }

std::string quote(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '\\' || c == '"') out += '\\', out += c;
    else if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else out += c;
  }
  return out + "\"";
}

// Reads a quoted text at line[pos]; pos ends behind the closing quote.
bool unquote(const std::string& line, std::size_t& pos, std::string& out) {
  if (pos >= line.size() || line[pos] != '"') return false;
  out.clear();
  for (++pos; pos < line.size(); ++pos) {
    char c = line[pos];
    if (c == '"') {
      ++pos;
      return true;
    }
    if (c == '\\' && pos + 1 < line.size()) {
      c = line[++pos];
      out += c == 'n' ? '\n' : c == 'r' ? '\r' : c;
    } else {
      out += c;
    }
  }
  return false;
}

std::string valueText(const std::string& name, const std::string& data) {
  return (name.empty() ? "@" : quote(name)) + "=" + quote(data);
}

// A section header "[HKEY_...\\path]": key becomes the section's key, or
// empty for a hive or path the store does not know. False for any other line.
bool readHeader(const std::string& content, std::string& key) {
  if (content.size() <= 2 || content.front() != '[' || content.back() != ']') return false;
  key.clear();
  const std::string full = content.substr(1, content.size() - 2);
  const std::size_t cut = full.find('\\');
  for (int h = 0; h < 3; ++h) {
    if (full.substr(0, cut) != kHiveNames[h]) continue;
    const std::string path = normalise(cut == std::string::npos ? "" : full.substr(cut + 1));
    if (!path.empty()) key = keyOf(h, path);
  }
  return true;
}

// A value line, "name"="data" or @="data" for the default value.
bool readValue(const std::string& content, std::string& name, std::string& data) {
  std::size_t pos = 0;
  if (content.compare(0, 2, "@=") == 0) {
    pos = 2;
  } else if (!unquote(content, pos, name) || pos >= content.size() || content[pos++] != '=') {
    return false;
  }
  return unquote(content, pos, data);
}

bool makeParents(const std::string& file) {
  for (std::size_t i = 1; i < file.size(); ++i) {
    if (file[i] != '/') continue;
    const std::string dir = file.substr(0, i);
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return true;
}

// "[HKEY_...\path]" for a key, with its path as given.
std::string headerText(Hive hive, const std::string& path) {
  return "[" + std::string(kHiveNames[static_cast<int>(hive)]) + "\\" + path + "]";
}

}  // namespace

FileRegistryStore::FileRegistryStore(std::string filePath, FileIo& io) : filePath_(std::move(filePath)), io_(io) {}

std::string FileRegistryStore::defaultPath() {
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) return std::string(xdg) + "/tarnwick/registry";
  if (const char* home = std::getenv("HOME"); home && *home) return std::string(home) + "/.config/tarnwick/registry";
  return {};
}

FileRegistryStore::Stamp FileRegistryStore::stampOfFile() const {
  Stamp stamp;
  struct stat st;
  if (stat(filePath_.c_str(), &st) != 0) return stamp;
  stamp.exists = true;
  stamp.size = st.st_size;
  stamp.seconds = st.st_mtim.tv_sec;
  stamp.nanoseconds = st.st_mtim.tv_nsec;
  stamp.inode = static_cast<long long>(st.st_ino);
  return stamp;
}

const FileRegistryStore::Document& FileRegistryStore::document() {
  const Stamp now = stampOfFile();
  if (!cacheValid_ || !(now == cachedStamp_)) {
    cached_ = read();
    cachedStamp_ = now;
    cacheValid_ = true;
  }
  return cached_;
}

FileRegistryStore::Document FileRegistryStore::read() const {
  Document document;
  struct stat st;
  if (stat(filePath_.c_str(), &st) != 0) {
    document.readable = errno == ENOENT;
    return document;
  }
  std::ifstream in(filePath_, std::ios::binary);
  document.readable = in.is_open() && S_ISREG(st.st_mode);
  std::string text;
  std::string currentKey;  // the key of the section the lines belong to; empty when none
  while (document.readable && std::getline(in, text)) {
    Line line;
    line.text = text;
    std::string content = text;
    if (!content.empty() && content.back() == '\r') content.pop_back();
    if (readHeader(content, currentKey)) {
      if (!currentKey.empty()) {
        line.kind = Line::Header;
        line.key = currentKey;
      }
    } else if (!currentKey.empty() && readValue(content, line.name, line.data)) {
      line.kind = Line::Value;
      line.key = currentKey;
    }
    document.lines.push_back(std::move(line));
  }
  if (in.bad()) document.readable = false;
  return document;
}

bool FileRegistryStore::save(const Document& document) {
  if (filePath_.empty() || !makeParents(filePath_)) return false;
  std::string body;
  if (document.lines.empty() || !stampOfFile().exists) body = "; per-user registry of the Tarnwick tools\n";
  for (const Line& line : document.lines) body += line.text + "\n";
  ReplacementFile file(io_, filePath_);
  file.write(body);
  if (!file.commit()) return false;
  cacheValid_ = false;
  return true;
}

bool FileRegistryStore::hasKey(const Document& document, const std::string& key) const {
  for (const Line& line : document.lines)
    if (line.kind == Line::Header && line.key == key) return true;
  return false;
}

std::optional<std::string> FileRegistryStore::valueOf(const Document& document, const std::string& key,
                                                      const std::string& name) const {
  std::optional<std::string> value;
  for (const Line& line : document.lines)
    if (line.key == key && line.kind == Line::Value && common::equalsNoCase(line.name, name))
      value = line.data;  // the last one counts
  return value;
}

bool FileRegistryStore::createKey(Hive hive, const std::string& path) {
  const std::string p = normalise(path);
  if (p.empty()) return false;
  Document edited = document();
  if (!edited.readable) return false;
  bool changed = false;
  for (std::size_t end = p.find('\\');; end = p.find('\\', end + 1)) {
    const std::string prefix = p.substr(0, end);
    const std::string key = keyOf(hive, prefix);
    const bool present = std::any_of(edited.lines.begin(), edited.lines.end(),
                                     [&](const Line& l) { return l.kind == Line::Header && l.key == key; });
    if (!present) {
      edited.lines.push_back(Line{Line::Other, "", "", "", ""});
      edited.lines.push_back(Line{Line::Header, headerText(hive, prefix), key, "", ""});
      changed = true;
    }
    if (end == std::string::npos) break;
  }
  return !changed || save(edited);
}

bool FileRegistryStore::openKey(Hive hive, const std::string& path) {
  return !normalise(path).empty() && hasKey(document(), keyOf(hive, path));
}

bool FileRegistryStore::setString(Hive hive, const std::string& path, const std::string& name,
                                  const std::string& data) {
  const std::string key = keyOf(hive, path);
  Document edited = document();
  if (!edited.readable || !hasKey(edited, key)) return false;
  const Line value{Line::Value, valueText(name, data), key, name, data};
  // Replace the value where it stands (the last of several counts); else
  // add it behind the key's last line.
  std::optional<std::size_t> last;
  std::optional<std::size_t> existing;
  for (std::size_t i = 0; i < edited.lines.size(); ++i) {
    const Line& line = edited.lines[i];
    if (line.key != key) continue;
    if (line.kind == Line::Value && common::equalsNoCase(line.name, name)) existing = i;
    last = i;
  }
  if (existing) {
    edited.lines[*existing] = value;
    return save(edited);
  }
  edited.lines.insert(edited.lines.begin() + static_cast<std::ptrdiff_t>(*last) + 1, value);
  return save(edited);
}

std::optional<std::string> FileRegistryStore::queryString(Hive hive, const std::string& path,
                                                          const std::string& name, std::size_t maxBytes) {
  const Document& current = document();
  const std::string key = keyOf(hive, path);
  if (!hasKey(current, key)) return std::nullopt;
  std::optional<std::string> data = valueOf(current, key, name);
  if (data && maxBytes > 0 && data->size() >= maxBytes) data->resize(maxBytes - 1);
  return data;
}

bool FileRegistryStore::deleteKey(Hive hive, const std::string& path) {
  const std::string key = keyOf(hive, path);
  Document edited = document();
  if (!edited.readable) return false;
  bool found = false;
  for (const Line& line : edited.lines) {
    if (line.kind != Line::Header) continue;
    if (line.key == key) found = true;
    if (line.key.size() > key.size() && line.key.compare(0, key.size() + 1, key + "\\") == 0) return false;
  }
  if (!found) return false;
  // The key's header and values go; lines it does not understand stay.
  edited.lines.erase(std::remove_if(edited.lines.begin(), edited.lines.end(),
                                    [&](const Line& l) { return l.key == key && l.kind != Line::Other; }),
                     edited.lines.end());
  return save(edited);
}

}  // namespace platform
