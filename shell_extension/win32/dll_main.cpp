// Entry points of MORVANE.DLL: the class object, the unload decision and
// self-registration.
#include <windows.h>

#include "platform/win32/win32_registry_store.h"
#include "shell_extension/core/live_objects.h"
#include "shell_extension/core/registration.h"
#include "shell_extension/win32/conversion_menu_factory.h"
#include "shell_extension/win32/server_module.h"

namespace {

// {6A2A5EC0-E3D3-11cf-93A3-00A02443D8FF}
const CLSID kConversionMenuClass = {0x6A2A5EC0, 0xE3D3, 0x11CF, {0x93, 0xA3, 0x00, 0xA0, 0x24, 0x43, 0xD8, 0xFF}};

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) morvane::setModuleInstance(instance);
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID classId, REFIID iid, LPVOID* out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!IsEqualCLSID(classId, kConversionMenuClass)) return CLASS_E_CLASSNOTAVAILABLE;
  morvane::ConversionMenuFactory* factory = morvane::ConversionMenuFactory::create();
  if (!factory) return E_OUTOFMEMORY;
  const HRESULT hr = factory->QueryInterface(iid, out);
  factory->Release();  // a refused interface destroys the factory here
  return hr;
}

STDAPI DllCanUnloadNow() { return morvane::canUnloadNow() ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() {
  try {
    platform::Win32RegistryStore registry(KEY_ALL_ACCESS);
    return morvane::registerServer(registry, &morvane::installedModulePath) ? S_OK : E_UNEXPECTED;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

STDAPI DllUnregisterServer() {
  try {
    platform::Win32RegistryStore registry(KEY_ALL_ACCESS);
    return morvane::unregisterServer(registry) ? S_OK : E_UNEXPECTED;
  } catch (...) {
    return E_UNEXPECTED;
  }
}
