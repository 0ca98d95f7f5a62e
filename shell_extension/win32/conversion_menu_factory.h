// The class object of ConversionMenuExtension.
#pragma once

#include <windows.h>

namespace morvane {

class ConversionMenuFactory final : public IClassFactory {
 public:
  // A new factory holding one reference; null when out of memory.
  static ConversionMenuFactory* create();

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
  // Not implemented: locking takes no part in the unload decision.
  STDMETHODIMP LockServer(BOOL lock) override;

 private:
  ConversionMenuFactory();
  ~ConversionMenuFactory();

  ULONG refs_ = 1;
};

}  // namespace morvane
