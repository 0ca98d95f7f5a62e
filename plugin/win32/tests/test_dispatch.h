// An Automation object for the bridge tests: records each Invoke and
// GetIDsOfNames call and answers as scripted.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <map>
#include <string>
#include <vector>

namespace harness {

// What one argument looked like when it reached the object.
struct ArgSeen {
  VARTYPE vt = VT_EMPTY;
  LONG i4 = 0;
  VARIANT_BOOL b = 0;
  float r4 = 0;
  double r8 = 0;
  std::wstring text;
  IDispatch* disp = nullptr;
  LONG dispRefs = 0;  // the argument object's count during the call
};

struct InvokeSeen {
  DISPID member = 0;
  IID iid = {};
  LCID lcid = 0;
  WORD flags = 0;
  std::vector<ArgSeen> args;
  std::vector<DISPID> named;
  bool wantsResult = false;
  bool givesArgErr = false;
  UINT argErrOnEntry = 0;
};

class TestDispatch final : public IDispatch {
 public:
  TestDispatch() { VariantInit(&result); }
  ~TestDispatch() { VariantClear(&result); }

  LONG refs = 1;
  std::vector<InvokeSeen> invokes;
  std::vector<std::wstring> namesAsked;
  std::map<std::wstring, DISPID> names;
  HRESULT invokeResult = S_OK;
  UINT argErr = UINT(-1);  // written through puArgErr on failure unless -1
  VARIANT result;          // copied to the caller on success

  LONG count() {
    AddRef();
    return LONG(Release());
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
      *out = this;
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(++refs); }
  ULONG STDMETHODCALLTYPE Release() override { return ULONG(--refs); }  // owned by the test
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* nameList, UINT count, LCID, DISPID* ids) override {
    if (count != 1) return E_INVALIDARG;
    const std::wstring name(nameList[0], SysStringLen(nameList[0]));
    namesAsked.push_back(name);
    auto it = names.find(name);
    if (it == names.end()) {
      ids[0] = DISPID_UNKNOWN;
      return DISP_E_UNKNOWNNAME;
    }
    ids[0] = it->second;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                                   VARIANT* out, EXCEPINFO*, UINT* argErrOut) override {
    InvokeSeen seen;
    seen.member = member;
    seen.iid = iid;
    seen.lcid = lcid;
    seen.flags = flags;
    seen.wantsResult = out != nullptr;
    seen.givesArgErr = argErrOut != nullptr;
    if (argErrOut) seen.argErrOnEntry = *argErrOut;
    for (UINT i = 0; i < params->cArgs; ++i) {
      const VARIANT& v = params->rgvarg[i];
      ArgSeen a;
      a.vt = V_VT(&v);
      switch (V_VT(&v)) {
        case VT_I4: a.i4 = V_I4(&v); break;
        case VT_BOOL: a.b = V_BOOL(&v); break;
        case VT_R4: a.r4 = V_R4(&v); break;
        case VT_R8: a.r8 = V_R8(&v); break;
        case VT_BSTR: a.text.assign(V_BSTR(&v), SysStringLen(V_BSTR(&v))); break;
        case VT_DISPATCH:
          a.disp = V_DISPATCH(&v);
          if (a.disp) {
            a.disp->AddRef();
            a.dispRefs = LONG(a.disp->Release());
          }
          break;
        default: break;
      }
      seen.args.push_back(a);
    }
    for (UINT i = 0; i < params->cNamedArgs; ++i) seen.named.push_back(params->rgdispidNamedArgs[i]);
    invokes.push_back(seen);
    if (FAILED(invokeResult)) {
      if (argErrOut && argErr != UINT(-1)) *argErrOut = argErr;
      return invokeResult;
    }
    if (out) VariantCopy(out, &result);
    return invokeResult;
  }
};

}  // namespace harness
