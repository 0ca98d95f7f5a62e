// Port: a hierarchical registry of keys holding named string values, as the
// Windows registry offers it. Key paths use '\' between components and are
// matched without regard to case.
#pragma once

#include <optional>
#include <string>

namespace platform {

enum class Hive { ClassesRoot, CurrentUser, LocalMachine };

class RegistryStore {
 public:
  virtual ~RegistryStore() = default;
  // Creates the key (and missing parents) or opens an existing one.
  virtual bool createKey(Hive hive, const std::string& path) = 0;
  // True when the key exists and can be opened for reading.
  virtual bool openKey(Hive hive, const std::string& path) = 0;
  // Sets a REG_SZ value of an existing key; an empty name is the default value.
  virtual bool setString(Hive hive, const std::string& path, const std::string& name, const std::string& data) = 0;
  // Reads a value of an existing key as text (at most maxBytes bytes, NUL
  // included, as a fixed buffer would hold); none when key or value is missing.
  virtual std::optional<std::string> queryString(Hive hive, const std::string& path, const std::string& name,
                                                 std::size_t maxBytes) = 0;
  // Deletes a key that has no subkeys; false when it is missing or cannot go.
  virtual bool deleteKey(Hive hive, const std::string& path) = 0;
};

}  // namespace platform
