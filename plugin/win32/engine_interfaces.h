// The COM-style interfaces between the plug-in and the hosting engine
// (stdcall, IUnknown-derived). The engine implements IPluginInstance and,
// optionally, IPluginInstance2; the plug-in implements IBrowserHost and, under
// the newer table generation, IBrowserHost2. Method order is binding.
// Host methods that pass on a browser NPError return it sign-extended to 32
// bits, so an engine reading either the 16-bit or the 32-bit register sees it
// unchanged.
#pragma once

#include <windows.h>
#include <objbase.h>

#include "plugin/win32/engine_records.h"
#include "plugin/win32/np_types.h"

namespace npkirra {

// {E67A19E0-AC95-11CF-AB02-0020AF41D6AC} and the three that follow.
constexpr IID kIID_IBrowserHost = {0xE67A19E0, 0xAC95, 0x11CF, {0xAB, 0x02, 0x00, 0x20, 0xAF, 0x41, 0xD6, 0xAC}};
constexpr IID kIID_IBrowserHost2 = {0xE67A19E1, 0xAC95, 0x11CF, {0xAB, 0x02, 0x00, 0x20, 0xAF, 0x41, 0xD6, 0xAC}};
constexpr IID kIID_IPluginInstance = {0xE67A19E2, 0xAC95, 0x11CF, {0xAB, 0x02, 0x00, 0x20, 0xAF, 0x41, 0xD6, 0xAC}};
constexpr IID kIID_IPluginInstance2 = {0xE67A19E3, 0xAC95, 0x11CF, {0xAB, 0x02, 0x00, 0x20, 0xAF, 0x41, 0xD6, 0xAC}};

struct IPluginInstance : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Reserved3() = 0;  // never called by the plug-in
  virtual LONG STDMETHODCALLTYPE New(const char* mimeType, DWORD mode, LONG argc, char** argn, char** argv,
                                     SavedDataRecord* saved) = 0;
  virtual LONG STDMETHODCALLTYPE Destroy(SavedDataRecord* saved) = 0;
  virtual LONG STDMETHODCALLTYPE SetWindow(WindowRecord* window) = 0;
  virtual LONG STDMETHODCALLTYPE NewStream(const char* mimeType, StreamRecord* stream, DWORD seekable,
                                           uint16_t* stype) = 0;
  virtual LONG STDMETHODCALLTYPE WriteReady(StreamRecord* stream) = 0;
  virtual LONG STDMETHODCALLTYPE Write(StreamRecord* stream, LONG offset, LONG length, void* buffer) = 0;
  virtual LONG STDMETHODCALLTYPE DestroyStream(StreamRecord* stream, LONG reason) = 0;
  virtual HRESULT STDMETHODCALLTYPE StreamAsFile(StreamRecord* stream, const char* fileName) = 0;
  virtual HRESULT STDMETHODCALLTYPE Print(PrintRecord* print) = 0;
};

struct IPluginInstance2 : public IPluginInstance {
  virtual HRESULT STDMETHODCALLTYPE Reserved13() = 0;  // never called by the plug-in
  virtual HRESULT STDMETHODCALLTYPE URLNotify(const char* url, LONG reason, void* notifyData) = 0;
};

struct IBrowserHost : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetPluginInstance(IPluginInstance** out) = 0;
  virtual LONG STDMETHODCALLTYPE GetURL(const char* url, const char* target) = 0;
  virtual LONG STDMETHODCALLTYPE PostURL(const char* url, const char* target, uint32_t length,
                                            const char* buffer, NPBool file) = 0;
  virtual LONG STDMETHODCALLTYPE RequestRead(NPStream* stream, LONG count, const ByteRangePair* ranges) = 0;
  virtual int32_t STDMETHODCALLTYPE Write(NPStream* stream, int32_t length, void* buffer) = 0;
  virtual LONG STDMETHODCALLTYPE DestroyStream(NPStream* stream, NPReason reason) = 0;
  virtual void STDMETHODCALLTYPE Status(const char* message) = 0;
  virtual const char* STDMETHODCALLTYPE UserAgent() = 0;
  virtual void* STDMETHODCALLTYPE MemAlloc(uint32_t size) = 0;
  virtual void STDMETHODCALLTYPE MemFree(void* pointer) = 0;
  virtual void STDMETHODCALLTYPE ReloadPlugins(NPBool reloadPages) = 0;
  virtual HRESULT STDMETHODCALLTYPE EvaluateScript(const wchar_t* script, BSTR* result) = 0;
};

struct IBrowserHost2 : public IBrowserHost {
  virtual LONG STDMETHODCALLTYPE GetURLNotify(const char* url, const char* target, void* notifyData) = 0;
  virtual LONG STDMETHODCALLTYPE PostURLNotify(const char* url, const char* target, uint32_t length,
                                                  const char* buffer, NPBool file, void* notifyData) = 0;
  virtual JRIEnv* STDMETHODCALLTYPE GetJavaEnv() = 0;
  virtual jref STDMETHODCALLTYPE GetJavaPeer() = 0;
  virtual LONG STDMETHODCALLTYPE NewStream(NPMIMEType type, const char* target, NPStream** stream) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetApplicationPalette(DWORD* palette) = 0;
};

// The engine's creation entry point, exported as "CreateNetscapeInstance".
typedef HRESULT(STDAPICALLTYPE* CreateNetscapeInstanceProc)(IBrowserHost* host, const IID* iid, void** out);

}  // namespace npkirra
