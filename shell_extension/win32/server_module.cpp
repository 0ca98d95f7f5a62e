#include "shell_extension/win32/server_module.h"

#include "common/path_limits.h"

namespace morvane {
namespace {
HINSTANCE instance = nullptr;
}  // namespace

HINSTANCE moduleInstance() { return instance; }
void setModuleInstance(HINSTANCE module) { instance = module; }

std::optional<std::string> installedModulePath() {
  const HMODULE module = GetModuleHandleA("MORVANE.DLL");
  if (!module) return std::nullopt;
  char path[common::kPathCapacity + 1];  // the registered path may be one byte longer than a path buffer
  const DWORD n = GetModuleFileNameA(module, path, sizeof path);
  // n == size means the path was cut: registering a cut path would point the
  // class at some other file.
  if (n == 0 || n >= sizeof path) return std::nullopt;
  return std::string(path, n);
}

}  // namespace morvane
