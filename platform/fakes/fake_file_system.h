// In-memory file system for tests: folders and files under drive-style paths,
// names matched without regard to case (as on Windows) or exactly (as on
// Linux), folder links, special files (FIFOs, devices), and operations that
// fail on request. Records copies and created folders.
#pragma once

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "common/ascii.h"
#include "platform/file_system.h"

namespace platform {

class FakeFileSystem : public FileSystem {
 public:
  explicit FakeFileSystem(char sep = '\\') : FakeFileSystem(sep, sep == '\\') {}
  FakeFileSystem(char sep, bool ignoreCase) : sep_(sep), ignoreCase_(ignoreCase) {}

  // Test set-up: parents are created as needed.
  void addDirectory(const std::string& path) { makeDirectories(norm(path), path); }
  void addFile(const std::string& path, const std::string& content) {
    const std::string p = norm(path);
    makeDirectories(parentOf(p), path.substr(0, std::min(path.size(), parentOf(p).size())));
    addEntry(p, path, false);
    nodes_[p].content = content;
  }
  // A FIFO or a device: it can be listed, but it is neither file nor folder.
  void addSpecial(const std::string& path) {
    addFile(path, "");
    nodes_[norm(path)].special = true;
  }
  // A folder link: path shows the entries of target, and names the same folder.
  void addLink(const std::string& path, const std::string& target) {
    const std::string p = norm(path);
    addEntry(p, path, true);
    links_[p] = norm(target);
  }
  // op: "create" (a folder), "copy" (by target), "read" (canOpenForReading),
  // "list" (a folder).
  void failOn(const std::string& op, const std::string& path) { failures_.insert(op + "|" + norm(path)); }

  bool has(const std::string& path) const { return nodes_.count(resolve(norm(path))) > 0; }
  std::optional<std::string> content(const std::string& path) const {
    auto it = nodes_.find(resolve(norm(path)));
    if (it == nodes_.end() || it->second.directory) return std::nullopt;
    return it->second.content;
  }
  const std::vector<std::pair<std::string, std::string>>& copies() const { return copies_; }
  const std::vector<std::string>& createdFolders() const { return created_; }
  int listings() const { return listings_; }

  // FileSystem
  bool isDirectory(const std::string& path) override {
    auto it = nodes_.find(resolve(norm(path)));
    return it != nodes_.end() && it->second.directory;
  }
  bool pathExists(const std::string& path) override { return has(path); }
  bool canOpenForReading(const std::string& path) override {
    const std::string p = resolve(norm(path));
    auto it = nodes_.find(p);
    return it != nodes_.end() && !it->second.directory && !failures_.count("read|" + p);
  }
  FileKind kindOf(const std::string& path) override {
    auto it = nodes_.find(resolve(norm(path)));
    if (it == nodes_.end()) return FileKind::Missing;
    if (it->second.directory) return FileKind::Directory;
    return it->second.special ? FileKind::Other : FileKind::Regular;
  }
  IoStatus copyFile(const std::string& source, const std::string& target) override {
    copies_.emplace_back(source, target);
    const std::string s = resolve(norm(source)), t = resolve(norm(target));
    auto from = nodes_.find(s);
    if (from == nodes_.end()) return IoStatus::failure("No such file or directory").about("cannot read", source);
    if (from->second.directory || from->second.special)
      return IoStatus::failure("is not a regular file").about("cannot read", source);
    if (failures_.count("copy|" + t) || !isDirectory(parentOf(t)))
      return IoStatus::failure("Access is denied").about("cannot write", target);
    auto to = nodes_.find(t);
    if (to != nodes_.end() && to->second.directory) return IoStatus::failure("is a directory").about("cannot write", target);
    const std::string content = from->second.content;
    addEntry(t, target, false);
    nodes_[t].content = content;
    return IoStatus();
  }
  CreateResult createDirectory(const std::string& path) override {
    const std::string p = resolve(norm(path));
    if (nodes_.count(p)) return CreateResult::AlreadyExists;
    if (failures_.count("create|" + p) || !isDirectory(parentOf(p))) return CreateResult::Failed;
    addEntry(p, path, true);
    created_.push_back(path);
    return CreateResult::Created;
  }
  IoStatus listDirectory(const std::string& path, std::vector<std::string>& names) override {
    ++listings_;
    names.clear();
    const std::string p = resolve(norm(path));
    auto it = nodes_.find(p);
    if (it == nodes_.end() || !it->second.directory || failures_.count("list|" + p))
      return IoStatus::failure("Access is denied").about("cannot list", path);
    names = {".", ".."};
    names.insert(names.end(), it->second.children.begin(), it->second.children.end());
    return IoStatus();
  }
  char separator() const override { return sep_; }
  bool namesIgnoreCase() const override { return ignoreCase_; }
  std::string canonicalPath(const std::string& path) override { return resolve(norm(path)); }
  std::string directoryIdentity(const std::string& path) override {
    return isDirectory(path) ? "folder:" + resolve(norm(path)) : std::string();
  }

  // Writes a file as a converter would (parent must exist).
  bool writeFile(const std::string& path, const std::string& content) {
    const std::string p = resolve(norm(path));
    if (!isDirectory(parentOf(p))) return false;
    addEntry(p, path, false);
    nodes_[p].content = content;
    return true;
  }

 private:
  struct Node {
    bool directory = false;
    bool special = false;
    std::string content;
    std::vector<std::string> children;  // display names, in creation order
  };

  // Lower case (where names ignore case), no trailing separators: the key of
  // a path.
  std::string norm(const std::string& path) const {
    std::string p = ignoreCase_ ? common::toLowerAscii(path) : path;
    while (p.size() > 1 && p.back() == sep_) p.pop_back();
    return p;
  }
  std::string parentOf(const std::string& p) const {
    const std::size_t cut = p.rfind(sep_);
    return cut == std::string::npos ? std::string() : p.substr(0, cut == 0 ? 1 : cut);
  }
  // Follows folder links in the path's leading part.
  std::string resolve(std::string p) const {
    for (int round = 0; round < 64; ++round) {
      bool changed = false;
      for (const auto& [link, target] : links_) {
        if (p == link || (p.size() > link.size() && p.compare(0, link.size(), link) == 0 && p[link.size()] == sep_)) {
          p = target + p.substr(link.size());
          changed = true;
          break;
        }
      }
      if (!changed) break;
    }
    return p;
  }
  void addEntry(const std::string& key, const std::string& displayPath, bool directory) {
    if (!nodes_.count(key)) {
      const std::string parent = parentOf(key);
      if (!parent.empty() && nodes_.count(parent)) {
        std::string name = displayPath;
        while (name.size() > 1 && name.back() == sep_) name.pop_back();
        name = name.substr(name.rfind(sep_) == std::string::npos ? 0 : name.rfind(sep_) + 1);
        nodes_[parent].children.push_back(name);
      }
    }
    nodes_[key].directory = directory;
  }
  void makeDirectories(const std::string& key, const std::string& displayPath) {
    if (key.empty() || nodes_.count(key)) return;
    if (parentOf(key) != key) makeDirectories(parentOf(key), displayPath.substr(0, std::min(displayPath.size(), parentOf(key).size())));
    addEntry(key, displayPath, true);
  }

  char sep_;
  bool ignoreCase_;
  std::map<std::string, Node> nodes_;
  std::map<std::string, std::string> links_;
  std::set<std::string> failures_;
  std::vector<std::pair<std::string, std::string>> copies_;
  std::vector<std::string> created_;
  int listings_ = 0;
};

}  // namespace platform
