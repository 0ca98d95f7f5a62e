#include "shell_extension/win32/conversion_menu_factory.h"

#include <new>

#include "shell_extension/core/live_objects.h"
#include "shell_extension/win32/conversion_menu_extension.h"

namespace morvane {

ConversionMenuFactory::ConversionMenuFactory() { liveObjectCreated(); }
ConversionMenuFactory::~ConversionMenuFactory() { liveObjectDestroyed(); }

ConversionMenuFactory* ConversionMenuFactory::create() { return new (std::nothrow) ConversionMenuFactory(); }

STDMETHODIMP ConversionMenuFactory::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
    *out = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) ConversionMenuFactory::AddRef() { return ++refs_; }

STDMETHODIMP_(ULONG) ConversionMenuFactory::Release() {
  const ULONG refs = --refs_;
  if (refs == 0) delete this;
  return refs;
}

STDMETHODIMP ConversionMenuFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  ConversionMenuExtension* object = ConversionMenuExtension::create();
  if (!object) return E_OUTOFMEMORY;
  const HRESULT hr = object->QueryInterface(iid, out);
  object->Release();  // a refused interface destroys the new object here
  return hr;
}

STDMETHODIMP ConversionMenuFactory::LockServer(BOOL) { return E_NOTIMPL; }

}  // namespace morvane
