#include "shell_extension/core/registration.h"

#include "common/version.h"
#include "shell_extension/core/class_id.h"

namespace morvane {
namespace {

using platform::Hive;

const std::string kClassKey = std::string("CLSID\\") + kClassIdText;
const std::string kServerKey = kClassKey + "\\InprocServer32";
const char kProductKey[] = "Software\\Tarnwick\\Morvane";
const char kVersionKey[] = "Software\\Tarnwick\\Morvane\\" TW_VERSION_TEXT;
const char kDescription[] = "Tarnwick Conversion Shell Extension";

// The shell's context-menu hooks for files, folders, drives and directories.
const char* const kHookKeys[] = {
    "*\\shellex\\ContextMenuHandlers\\Morvane",
    "Folder\\shellex\\ContextMenuHandlers\\Morvane",
    "Drive\\shellex\\ContextMenuHandlers\\Morvane",
    "Directory\\shellex\\ContextMenuHandlers\\Morvane",
};

}  // namespace

bool registerServer(platform::RegistryStore& registry, const ModulePathLookup& modulePath) {
  if (!registry.createKey(Hive::ClassesRoot, kClassKey)) return false;
  if (!registry.setString(Hive::ClassesRoot, kClassKey, "", kDescription)) return false;
  if (!registry.createKey(Hive::ClassesRoot, kServerKey)) return false;
  const std::optional<std::string> path = modulePath ? modulePath() : std::nullopt;
  if (!path || path->empty()) return false;
  if (!registry.setString(Hive::ClassesRoot, kServerKey, "", *path)) return false;
  registry.createKey(Hive::LocalMachine, kVersionKey);  // its failure does not matter
  if (!registry.setString(Hive::ClassesRoot, kServerKey, "ThreadingModel", "Apartment")) return false;
  for (const char* hook : kHookKeys) {
    if (!registry.createKey(Hive::ClassesRoot, hook)) return false;
    if (!registry.setString(Hive::ClassesRoot, hook, "", kClassIdText)) return false;
  }
  return true;
}

bool unregisterServer(platform::RegistryStore& registry) {
  // Two single deletions rather than one subtree deletion: other versions'
  // subkeys of the product key are never swept away with ours.
  if (!registry.deleteKey(Hive::LocalMachine, kVersionKey)) return false;
  if (!registry.deleteKey(Hive::LocalMachine, kProductKey)) return false;
  if (!registry.deleteKey(Hive::ClassesRoot, kServerKey)) return false;
  if (!registry.deleteKey(Hive::ClassesRoot, kClassKey)) return false;
  for (const char* hook : kHookKeys)
    if (!registry.deleteKey(Hive::ClassesRoot, hook)) return false;
  return true;
}

}  // namespace morvane
