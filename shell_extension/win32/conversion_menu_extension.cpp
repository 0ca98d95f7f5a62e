#include "shell_extension/win32/conversion_menu_extension.h"

#include <new>
#include <string>
#include <vector>

#include "shell_extension/core/batch_conversion.h"
#include "shell_extension/core/live_objects.h"
#include "shell_extension/win32/server_module.h"

namespace morvane {
namespace {

// The paths of a CF_HDROP selection, whatever their length.
std::vector<std::string> droppedPaths(HDROP drop) {
  std::vector<std::string> paths;
  const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileA(drop, i, nullptr, 0);
    std::vector<char> buffer(length + 1, '\0');
    const UINT copied = DragQueryFileA(drop, i, buffer.data(), length + 1);
    paths.emplace_back(buffer.data(), copied);
  }
  return paths;
}

}  // namespace

ConversionMenuExtension::ConversionMenuExtension()
    : strings_(moduleInstance()),
      menu_(MenuPorts{files_, registry_, boxes_, cursor_, strings_, picker_}, &convertSelection) {
  liveObjectCreated();
}

ConversionMenuExtension::~ConversionMenuExtension() {
  releaseDropMedium();
  liveObjectDestroyed();
}

ConversionMenuExtension* ConversionMenuExtension::create() {
  try {
    return new (std::nothrow) ConversionMenuExtension();
  } catch (...) {
    return nullptr;  // a member could not allocate
  }
}

void ConversionMenuExtension::releaseDropMedium() {
  if (!haveDropMedium_) return;
  ReleaseStgMedium(&dropMedium_);
  dropMedium_ = STGMEDIUM{};
  haveDropMedium_ = false;
}

STDMETHODIMP ConversionMenuExtension::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IContextMenu)) {
    *out = static_cast<IContextMenu*>(this);
  } else if (IsEqualIID(iid, IID_IShellExtInit)) {
    *out = static_cast<IShellExtInit*>(this);
  } else {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) ConversionMenuExtension::AddRef() { return ++refs_; }

STDMETHODIMP_(ULONG) ConversionMenuExtension::Release() {
  const ULONG refs = --refs_;
  if (refs == 0) delete this;
  return refs;
}

STDMETHODIMP ConversionMenuExtension::Initialize(LPCITEMIDLIST, IDataObject* data, HKEY) {
  if (!data) return E_FAIL;
  try {
    // A second call starts over: the earlier selection and its medium go.
    releaseDropMedium();
    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    if (FAILED(data->GetData(&format, &dropMedium_))) {
      dropMedium_ = STGMEDIUM{};
      menu_.initialize({});
      return E_FAIL;
    }
    haveDropMedium_ = true;
    return menu_.initialize(droppedPaths(static_cast<HDROP>(dropMedium_.hGlobal)));
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

STDMETHODIMP ConversionMenuExtension::QueryContextMenu(HMENU menu, UINT index, UINT firstCommand, UINT, UINT) {
  try {
    const std::optional<MenuLayout> layout = menu_.menuLayout();
    if (!layout) return E_FAIL;
    HMENU popup = CreatePopupMenu();
    if (!popup) return E_FAIL;
    for (const MenuItem& item : layout->items)
      InsertMenuA(popup, item.offset - 1, MF_BYPOSITION | MF_STRING, firstCommand + item.offset, item.text.c_str());

    std::vector<char> text(layout->submenuText.begin(), layout->submenuText.end());
    text.push_back('\0');
    MENUITEMINFOA submenu{};
    submenu.cbSize = sizeof submenu;
    submenu.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_TYPE | MIIM_DATA;
    submenu.fType = MFT_STRING;
    submenu.wID = firstCommand;
    submenu.hSubMenu = popup;
    submenu.dwTypeData = text.data();
    submenu.cch = static_cast<UINT>(layout->submenuText.size());
    submenu.dwItemData = 0;
    if (!InsertMenuItemA(menu, index, TRUE, &submenu)) {
      DestroyMenu(popup);  // not attached to anything: ours to free
      return E_FAIL;
    }
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 3);
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

STDMETHODIMP ConversionMenuExtension::GetCommandString(UINT_PTR offset, UINT type, UINT*, LPSTR buffer, UINT size) {
  try {
    if (offset > 2) return E_INVALIDARG;
    return menu_.getCommandString(static_cast<unsigned>(offset), type, buffer, size);
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

STDMETHODIMP ConversionMenuExtension::InvokeCommand(LPCMINVOKECOMMANDINFO info) {
  if (!info) return E_INVALIDARG;
  try {
    const UINT_PTR verb = reinterpret_cast<UINT_PTR>(info->lpVerb);
    if ((verb >> 16) == 0) {  // a command offset, not a string
      const std::optional<Command> command = ConversionMenu::commandForOffset(static_cast<unsigned>(verb));
      if (!command) return E_INVALIDARG;
      return menu_.run(*command);
    }
    return menu_.run(menu_.commandForVerb(info->lpVerb));
  } catch (...) {
    return E_FAIL;
  }
}

}  // namespace morvane
