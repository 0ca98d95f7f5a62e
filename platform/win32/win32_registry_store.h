// Registry store over the Win32 registry API. Every operation opens the key it
// needs and closes it again before returning.
#pragma once

#include <windows.h>

#include "platform/registry_store.h"

namespace platform {

class Win32RegistryStore : public RegistryStore {
 public:
  // writeAccess: the access keys are created and opened with for writing
  // (KEY_ALL_ACCESS for self-registration, KEY_READ | KEY_WRITE for per-user
  // settings). Keys opened only to be read use KEY_READ.
  explicit Win32RegistryStore(REGSAM writeAccess = KEY_ALL_ACCESS) : writeAccess_(writeAccess) {}

  bool createKey(Hive hive, const std::string& path) override;
  bool openKey(Hive hive, const std::string& path) override;
  bool setString(Hive hive, const std::string& path, const std::string& name, const std::string& data) override;
  std::optional<std::string> queryString(Hive hive, const std::string& path, const std::string& name,
                                         std::size_t maxBytes) override;
  bool deleteKey(Hive hive, const std::string& path) override;

 private:
  REGSAM writeAccess_;
};

}  // namespace platform
