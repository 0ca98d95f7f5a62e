#include "file_registry_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace platform {

namespace {

const char* const kHiveNames[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE"};

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

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

std::string keyOf(int hive, const std::string& path) { return std::to_string(hive) + ":" + lower(path); }

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

bool makeParents(const std::string& file) {
  for (std::size_t i = 1; i < file.size(); ++i) {
    if (file[i] != '/') continue;
    const std::string dir = file.substr(0, i);
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return true;
}

using Values = std::vector<std::pair<std::string, std::string>>;

Values::iterator findValue(Values& values, const std::string& name) {
  return std::find_if(values.begin(), values.end(), [&](const auto& v) { return lower(v.first) == lower(name); });
}

}  // namespace

FileRegistryStore::FileRegistryStore(std::string filePath) : filePath_(std::move(filePath)) {}

std::string FileRegistryStore::defaultPath() {
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) return std::string(xdg) + "/tarnwick/registry";
  if (const char* home = std::getenv("HOME"); home && *home) return std::string(home) + "/.config/tarnwick/registry";
  return {};
}

FileRegistryStore::Keys FileRegistryStore::load(bool* readable) const {
  Keys keys;
  std::ifstream in(filePath_, std::ios::binary);
  struct stat st;
  const bool missing = stat(filePath_.c_str(), &st) != 0 && errno == ENOENT;
  if (readable) *readable = missing || (in.is_open() && S_ISREG(st.st_mode));
  std::string line;
  Key* current = nullptr;
  while (in && std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > 2 && line.front() == '[' && line.back() == ']') {
      current = nullptr;
      const std::string full = line.substr(1, line.size() - 2);
      const std::size_t cut = full.find('\\');
      const std::string hiveName = full.substr(0, cut);
      for (int h = 0; h < 3; ++h) {
        if (hiveName != kHiveNames[h]) continue;
        const std::string path = normalise(cut == std::string::npos ? "" : full.substr(cut + 1));
        if (path.empty()) break;
        current = &keys[keyOf(h, path)];
        current->path = path;
      }
      continue;
    }
    if (!current) continue;
    std::size_t pos = 0;
    std::string name, data;
    if (line.compare(0, 2, "@=") == 0) {
      pos = 2;
    } else if (!unquote(line, pos, name) || pos >= line.size() || line[pos++] != '=') {
      continue;
    }
    if (!unquote(line, pos, data)) continue;
    auto v = findValue(current->values, name);
    if (v != current->values.end()) v->second = data;
    else current->values.emplace_back(name, data);
  }
  if (readable && in.bad()) *readable = false;
  for (const char* extension : {".htm", ".html"}) {
    Key& k = keys[keyOf(static_cast<int>(Hive::ClassesRoot), extension)];
    if (k.path.empty()) k = Key{extension, {{"", "htmlfile"}}, true};
  }
  return keys;
}

bool FileRegistryStore::save(const Keys& keys) const {
  if (filePath_.empty() || !makeParents(filePath_)) return false;
  std::ostringstream text;
  text << "; per-user registry of the Tarnwick tools\n";
  for (const auto& [id, key] : keys) {
    if (key.builtIn) continue;
    text << "\n[" << kHiveNames[std::stoi(id.substr(0, id.find(':')))] << "\\" << key.path << "]\n";
    for (const auto& [name, data] : key.values) text << (name.empty() ? "@" : quote(name)) << "=" << quote(data) << "\n";
  }
  const std::string body = text.str();
  const std::string temporary = filePath_ + ".tmp." + std::to_string(getpid());
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  bool ok = write(fd, body.data(), body.size()) == static_cast<ssize_t>(body.size());
  ok = fsync(fd) == 0 && ok;
  ok = close(fd) == 0 && ok;
  if (ok && std::rename(temporary.c_str(), filePath_.c_str()) == 0) return true;
  std::remove(temporary.c_str());
  return false;
}

bool FileRegistryStore::createKey(Hive hive, const std::string& path) {
  const std::string p = normalise(path);
  bool readable = false;
  Keys keys = load(&readable);
  if (p.empty() || !readable) return false;
  bool changed = false;
  std::string prefix;
  std::size_t start = 0;
  while (start <= p.size()) {
    std::size_t end = p.find('\\', start);
    if (end == std::string::npos) end = p.size();
    prefix = p.substr(0, end);
    Key& k = keys[keyOf(static_cast<int>(hive), prefix)];
    if (k.path.empty()) {
      k.path = prefix;
      changed = true;
    }
    start = end + 1;
  }
  return !changed || save(keys);
}

bool FileRegistryStore::openKey(Hive hive, const std::string& path) {
  const std::string p = normalise(path);
  return !p.empty() && load().count(keyOf(static_cast<int>(hive), p)) > 0;
}

bool FileRegistryStore::setString(Hive hive, const std::string& path, const std::string& name,
                                  const std::string& data) {
  bool readable = false;
  Keys keys = load(&readable);
  if (!readable) return false;
  auto k = keys.find(keyOf(static_cast<int>(hive), normalise(path)));
  if (k == keys.end()) return false;
  auto v = findValue(k->second.values, name);
  if (v != k->second.values.end()) v->second = data;
  else k->second.values.emplace_back(name, data);
  k->second.builtIn = false;
  return save(keys);
}

std::optional<std::string> FileRegistryStore::queryString(Hive hive, const std::string& path,
                                                          const std::string& name, std::size_t maxBytes) {
  Keys keys = load();
  auto k = keys.find(keyOf(static_cast<int>(hive), normalise(path)));
  if (k == keys.end()) return std::nullopt;
  auto v = findValue(k->second.values, name);
  if (v == k->second.values.end()) return std::nullopt;
  std::string data = v->second;
  if (maxBytes > 0 && data.size() >= maxBytes) data.resize(maxBytes - 1);
  return data;
}

bool FileRegistryStore::deleteKey(Hive hive, const std::string& path) {
  bool readable = false;
  Keys keys = load(&readable);
  if (!readable) return false;
  const std::string id = keyOf(static_cast<int>(hive), normalise(path));
  auto k = keys.find(id);
  if (k == keys.end()) return false;
  for (const auto& [other, key] : keys)
    if (other.size() > id.size() && other.compare(0, id.size() + 1, id + "\\") == 0) return false;  // has subkeys
  keys.erase(k);
  return save(keys);
}

}  // namespace platform
