// Load-time initialisation: find and load the hosting engine when the
// process attaches the plug-in library.
#include <windows.h>

#include <string>
#include <vector>

#include "plugin/core/engine_path.h"
#include "plugin/win32/module_state.h"

namespace npkirra {

ModuleState g_module;

namespace {

constexpr DWORD kModulePathCapacity = 256;

// The value "plexaro.dll" under HKCU\Software\Tarnwick\ActiveX Plug-in, if all
// three keys open and the value can be read; its type is not checked. A value
// of any length is read whole and always ends in a terminator.
bool readEnginePathSetting(std::string* path) {
  static const char* const kKeys[] = {"Software", "Tarnwick", "ActiveX Plug-in"};
  HKEY opened[3] = {};
  HKEY parent = HKEY_CURRENT_USER;
  int count = 0;
  for (const char* name : kKeys) {
    if (RegOpenKeyExA(parent, name, 0, KEY_READ, &opened[count]) != ERROR_SUCCESS) break;
    parent = opened[count++];
  }
  bool found = false;
  if (count == 3) {
    DWORD size = 0;
    if (RegQueryValueExA(parent, "plexaro.dll", nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS) {
      std::vector<char> buffer(size + 1, '\0');
      DWORD got = size;
      if (RegQueryValueExA(parent, "plexaro.dll", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()),
                           &got) == ERROR_SUCCESS) {
        buffer[got < size ? got : size] = '\0';
        *path = buffer.data();
        found = true;
      }
    }
  }
  while (count > 0) RegCloseKey(opened[--count]);
  return found;
}

// Returns false when the engine library cannot be loaded.
bool loadEngine(HINSTANCE self) {
  // 256 bytes hold the usual path; a longer one is taken whole rather than cut.
  std::vector<char> modulePath(kModulePathCapacity);
  DWORD length = 0;
  for (;;) {
    length = GetModuleFileNameA(self, modulePath.data(), DWORD(modulePath.size()));
    if (length < modulePath.size()) break;
    modulePath.resize(modulePath.size() * 2);
  }
  std::string enginePath = defaultEnginePath(std::string(modulePath.data(), length));
  readEnginePathSetting(&enginePath);
  g_module.engine = LoadLibraryA(enginePath.c_str());
  if (!g_module.engine) return false;
  g_module.createInstance =
      reinterpret_cast<CreateNetscapeInstanceProc>(
      reinterpret_cast<void*>(GetProcAddress(g_module.engine, "CreateNetscapeInstance")));
  return true;
}

}  // namespace
}  // namespace npkirra

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  return npkirra::loadEngine(instance) ? TRUE : FALSE;
}
