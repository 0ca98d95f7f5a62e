// RegistryStore of the native build: one per-user text file in the style of a
// .reg export.
//
//   [HKEY_CURRENT_USER\Software\Tarnwick\Morvane\Persistent Data]
//   "DestFolder"="/home/ann/out"
//   @="the default value"
//
// Values are REG_SZ text; '\', '"', LF and CR are written as \\, \", \n, \r.
// Lines that are not understood are kept as they are when the file is
// rewritten, and a change edits only the lines it concerns. The file is
// replaced safely (see safe_file.h): a link stays a link, and a failed write
// leaves the old file. It is read again only when it changed on disk.
// The store holds exactly what the file holds: defaults a program needs
// (file classes, say) are that program's to supply.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_io.h"
#include "platform/registry_store.h"

namespace platform {

class FileRegistryStore : public RegistryStore {
 public:
  explicit FileRegistryStore(std::string filePath, FileIo& io = systemFileIo());

  // $XDG_CONFIG_HOME/tarnwick/registry, else $HOME/.config/tarnwick/registry;
  // empty when neither variable is set.
  static std::string defaultPath();

  bool createKey(Hive hive, const std::string& path) override;
  bool openKey(Hive hive, const std::string& path) override;
  bool setString(Hive hive, const std::string& path, const std::string& name, const std::string& data) override;
  std::optional<std::string> queryString(Hive hive, const std::string& path, const std::string& name,
                                         std::size_t maxBytes) override;
  bool deleteKey(Hive hive, const std::string& path) override;

  const std::string& filePath() const { return filePath_; }

 private:
  // One line of the file as read, and what it means.
  struct Line {
    enum Kind { Header, Value, Other };
    Kind kind = Other;
    std::string text;  // as it stands in the file, without its line end
    std::string key;   // Header and Value: the key ("hive:lower-case path")
    std::string name;  // Value
    std::string data;  // Value
  };
  struct Document {
    std::vector<Line> lines;
    bool readable = true;  // false when the file exists but cannot be read
  };
  // What identifies one version of the file on disk.
  struct Stamp {
    bool exists = false;
    long long size = 0, seconds = 0, nanoseconds = 0, inode = 0;
    bool operator==(const Stamp& o) const {
      return exists == o.exists && size == o.size && seconds == o.seconds && nanoseconds == o.nanoseconds &&
             inode == o.inode;
    }
  };

  // The file as it is now, read again only when it changed.
  const Document& document();
  Document read() const;
  Stamp stampOfFile() const;
  bool save(const Document& document);

  bool hasKey(const Document& document, const std::string& key) const;
  std::optional<std::string> valueOf(const Document& document, const std::string& key,
                                     const std::string& name) const;

  std::string filePath_;
  FileIo& io_;
  Document cached_;
  Stamp cachedStamp_;
  bool cacheValid_ = false;
};

}  // namespace platform
