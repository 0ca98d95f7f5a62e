// The context-menu extension object Explorer creates: IContextMenu as its
// primary interface, IShellExtInit as the second, one reference count for
// both. It translates Explorer's calls to ConversionMenu over the Win32
// adapters.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_registry_store.h"
#include "platform/win32/win32_user_interface.h"
#include "shell_extension/core/conversion_menu.h"

namespace morvane {

class ConversionMenuExtension final : public IContextMenu, public IShellExtInit {
 public:
  // A new object holding one reference; null when out of memory.
  static ConversionMenuExtension* create();

  // IUnknown, shared by both interfaces.
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IContextMenu
  STDMETHODIMP QueryContextMenu(HMENU menu, UINT index, UINT firstCommand, UINT lastCommand, UINT flags) override;
  STDMETHODIMP InvokeCommand(LPCMINVOKECOMMANDINFO info) override;
  STDMETHODIMP GetCommandString(UINT_PTR offset, UINT type, UINT* reserved, LPSTR buffer, UINT size) override;

  // IShellExtInit: takes the CF_HDROP selection of the data object.
  STDMETHODIMP Initialize(LPCITEMIDLIST folder, IDataObject* data, HKEY programKey) override;

 private:
  ConversionMenuExtension();
  ~ConversionMenuExtension();
  void releaseDropMedium();

  ULONG refs_ = 1;
  STGMEDIUM dropMedium_{};
  bool haveDropMedium_ = false;
  platform::Win32FileSystem files_;
  platform::Win32RegistryStore registry_{KEY_READ | KEY_WRITE};
  platform::Win32MessageBoxes boxes_;
  platform::Win32Cursor cursor_;
  platform::Win32StringTable strings_;
  platform::Win32FolderPicker picker_;
  ConversionMenu menu_;
};

}  // namespace morvane
