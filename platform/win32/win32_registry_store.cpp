#include "platform/win32/win32_registry_store.h"

#include <vector>

#include "platform/win32/scoped.h"

namespace platform {
namespace {

HKEY rootOf(Hive hive) {
  switch (hive) {
    case Hive::ClassesRoot: return HKEY_CLASSES_ROOT;
    case Hive::CurrentUser: return HKEY_CURRENT_USER;
    case Hive::LocalMachine: return HKEY_LOCAL_MACHINE;
  }
  return HKEY_CLASSES_ROOT;
}

}  // namespace

bool Win32RegistryStore::createKey(Hive hive, const std::string& path) {
  ScopedKey key;
  char emptyClass[] = "";
  return RegCreateKeyExA(rootOf(hive), path.c_str(), 0, emptyClass, REG_OPTION_NON_VOLATILE, writeAccess_, nullptr,
                         key.out(), nullptr) == ERROR_SUCCESS;
}

bool Win32RegistryStore::openKey(Hive hive, const std::string& path) {
  ScopedKey key;
  return RegOpenKeyExA(rootOf(hive), path.c_str(), 0, KEY_READ, key.out()) == ERROR_SUCCESS;
}

bool Win32RegistryStore::setString(Hive hive, const std::string& path, const std::string& name,
                                   const std::string& data) {
  ScopedKey key;
  if (RegOpenKeyExA(rootOf(hive), path.c_str(), 0, writeAccess_, key.out()) != ERROR_SUCCESS) return false;
  // The stored length counts the terminating zero.
  return RegSetValueExA(key.get(), name.empty() ? nullptr : name.c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(data.c_str()), static_cast<DWORD>(data.size() + 1)) ==
         ERROR_SUCCESS;
}

std::optional<std::string> Win32RegistryStore::queryString(Hive hive, const std::string& path,
                                                           const std::string& name, std::size_t maxBytes) {
  ScopedKey key;
  if (RegOpenKeyExA(rootOf(hive), path.c_str(), 0, KEY_READ, key.out()) != ERROR_SUCCESS) return std::nullopt;
  // A fixed buffer of maxBytes: a longer value does not fit and is not read.
  std::vector<char> buffer(maxBytes + 1, '\0');
  DWORD size = static_cast<DWORD>(maxBytes);
  if (RegQueryValueExA(key.get(), name.empty() ? nullptr : name.c_str(), nullptr, nullptr,
                       reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS)
    return std::nullopt;
  if (size > maxBytes) return std::nullopt;
  // The data may or may not carry its terminating zero; text ends at the first.
  std::string text(buffer.data(), size);
  const std::size_t end = text.find('\0');
  if (end != std::string::npos) text.resize(end);
  return text;
}

bool Win32RegistryStore::deleteKey(Hive hive, const std::string& path) {
  return RegDeleteKeyA(rootOf(hive), path.c_str()) == ERROR_SUCCESS;
}

}  // namespace platform
