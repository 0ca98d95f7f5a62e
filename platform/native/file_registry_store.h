// RegistryStore of the native build: one per-user text file in the style of a
// .reg export, re-read before every operation and replaced atomically (written
// to a temporary file beside it, then renamed) after every change.
//
//   [HKEY_CURRENT_USER\Software\Tarnwick\Morvane\Persistent Data]
//   "DestFolder"="/home/ann/out"
//   @="the default value"
//
// Values are REG_SZ text; '\', '"', LF and CR are written as \\, \", \n, \r.
// Lines that are not understood are ignored (and dropped on the next write).
// The HKEY_CLASSES_ROOT view starts with built-in file classes: ".htm" and
// ".html" are "htmlfile", as on a Windows system; the file may add its own keys
// there or override those values.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "registry_store.h"

namespace platform {

class FileRegistryStore : public RegistryStore {
 public:
  explicit FileRegistryStore(std::string filePath);

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
  struct Key {
    std::string path;                                         // as first written
    std::vector<std::pair<std::string, std::string>> values;  // name, data
    bool builtIn = false;                                     // a default not stored in the file
  };
  using Keys = std::map<std::string, Key>;  // by "hive:lower-case path"

  // The keys of the file and the built-in ones. readable is false when the
  // file exists but cannot be read: then nothing may be written over it.
  Keys load(bool* readable = nullptr) const;
  bool save(const Keys& keys) const;

  std::string filePath_;
};

}  // namespace platform
