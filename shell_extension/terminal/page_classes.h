// The registry the terminal command reads file classes from: the per-user
// registry file, and where that file names no class for them, the classes
// every Windows system gives pages (".htm" and ".html" are "htmlfile"), so
// that pages are converted without any set-up.
#pragma once

#include "platform/registry_store.h"

namespace morvane {

class WithPageClasses : public platform::RegistryStore {
 public:
  explicit WithPageClasses(platform::RegistryStore& stored) : stored_(stored) {}

  // A key of the file wins, even one without a default value.
  bool openKey(platform::Hive hive, const std::string& path) override;
  std::optional<std::string> queryString(platform::Hive hive, const std::string& path, const std::string& name,
                                         std::size_t maxBytes) override;
  // Changes go to the file.
  bool createKey(platform::Hive hive, const std::string& path) override { return stored_.createKey(hive, path); }
  bool setString(platform::Hive hive, const std::string& path, const std::string& name,
                 const std::string& data) override {
    return stored_.setString(hive, path, name, data);
  }
  bool deleteKey(platform::Hive hive, const std::string& path) override { return stored_.deleteKey(hive, path); }

 private:
  platform::RegistryStore& stored_;
};

}  // namespace morvane
