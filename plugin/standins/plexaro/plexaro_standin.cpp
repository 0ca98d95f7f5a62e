#include "plugin/standins/plexaro/plexaro_standin.h"

#include <cstring>

using namespace npkirra;
using namespace plexaro;

namespace {

EngineScript g_script;
EngineCall g_calls[kMaxCalls];
int g_callCount = 0;

class EngineInstance;
EngineInstance* g_instances[kMaxInstances + 1];
int g_instanceCount = 0;

void resetScript() {
  g_script = EngineScript();
  g_script.createResult = S_OK;
  g_script.keepHost = TRUE;
  g_script.answerInstance2 = TRUE;
  g_script.writeResult = -1;
  g_script.printFlags = -1;
}

uint32_t word(const void* p) { return uint32_t(reinterpret_cast<uintptr_t>(p)); }

EngineCall* record(int32_t kind, int32_t instance) {
  if (g_callCount >= kMaxCalls) return nullptr;
  EngineCall* c = &g_calls[g_callCount++];
  std::memset(c, 0, sizeof *c);
  c->kind = kind;
  c->instance = instance;
  return c;
}

void keepBytes(EngineCall* c, const void* r, size_t size) {
  if (!c || !r) return;
  c->recordSize = uint32_t(size);
  std::memcpy(c->record, r, size < sizeof c->record ? size : sizeof c->record);
}

void keepText(EngineCall* c, const char* text) {
  if (c && text) {
    std::strncpy(c->text, text, sizeof c->text - 1);
  }
}

void setPdata(StreamRecord* r) {
  if (g_script.pdata) r->pdata = g_script.pdata;
}

// Hosts nothing: every call is recorded and answered from the script.
class EngineInstance final : public IPluginInstance2 {
 public:
  EngineInstance(int number, IBrowserHost* host) : number_(number), host_(host) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, kIID_IPluginInstance) ||
        (g_script.answerInstance2 && IsEqualIID(iid, kIID_IPluginInstance2))) {
      *out = static_cast<IPluginInstance2*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(++refs_); }
  // The object stays in memory for the tests; at 0 it gives up its host.
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG refs = --refs_;
    if (refs == 0) {
      record(kCallFinalRelease, number_);
      if (host_) host_->Release();
      host_ = nullptr;
    }
    return ULONG(refs);
  }
  LONG refs() const { return refs_; }
  IBrowserHost* host() const { return host_; }

  HRESULT STDMETHODCALLTYPE Reserved3() override { return E_NOTIMPL; }

  LONG STDMETHODCALLTYPE New(const char* mimeType, DWORD mode, LONG argc, char** argn, char** argv,
                             SavedDataRecord* saved) override {
    EngineCall* c = record(kCallNew, number_);
    if (c) {
      c->args[0] = mode;
      c->args[1] = uint32_t(argc);
      c->args[2] = word(argn);
      c->args[3] = word(argv);
      c->args[4] = word(saved);
    }
    keepText(c, mimeType);
    if (saved) keepBytes(c, saved, sizeof *saved);
    return g_script.result;
  }
  LONG STDMETHODCALLTYPE Destroy(SavedDataRecord* saved) override {
    EngineCall* c = record(kCallDestroy, number_);
    if (c) c->args[0] = word(saved);
    keepBytes(c, saved, sizeof *saved);
    if (saved) {  // whatever the engine leaves here is discarded by the plug-in
      saved->length = 5;
      saved->buffer = 0x1234;
    }
    return g_script.result;
  }
  LONG STDMETHODCALLTYPE SetWindow(WindowRecord* window) override {
    keepBytes(record(kCallSetWindow, number_), window, sizeof *window);
    return g_script.result;
  }
  LONG STDMETHODCALLTYPE NewStream(const char* mimeType, StreamRecord* stream, DWORD seekable,
                                   uint16_t* stype) override {
    EngineCall* c = record(kCallNewStream, number_);
    keepBytes(c, stream, sizeof *stream);
    keepText(c, mimeType);
    if (c) {
      c->args[0] = seekable;
      c->args[1] = word(stype);
      c->args[2] = stype ? *stype : 0xFFFFFFFF;
    }
    if (stype && g_script.streamType) *stype = g_script.streamType;
    setPdata(stream);
    return g_script.result;
  }
  LONG STDMETHODCALLTYPE WriteReady(StreamRecord* stream) override {
    keepBytes(record(kCallWriteReady, number_), stream, sizeof *stream);
    setPdata(stream);
    return g_script.writeReadyResult;
  }
  LONG STDMETHODCALLTYPE Write(StreamRecord* stream, LONG offset, LONG length, void* buffer) override {
    EngineCall* c = record(kCallWrite, number_);
    keepBytes(c, stream, sizeof *stream);
    if (c) {
      c->args[0] = uint32_t(offset);
      c->args[1] = uint32_t(length);
      c->args[2] = word(buffer);
      if (buffer && length > 0) std::memcpy(c->data, buffer, length < 16 ? size_t(length) : 16);
    }
    setPdata(stream);
    return g_script.writeResult < 0 ? length : g_script.writeResult;
  }
  LONG STDMETHODCALLTYPE DestroyStream(StreamRecord* stream, LONG reason) override {
    EngineCall* c = record(kCallDestroyStream, number_);
    keepBytes(c, stream, sizeof *stream);
    if (c) c->args[0] = uint32_t(reason);
    setPdata(stream);
    return g_script.result;
  }
  HRESULT STDMETHODCALLTYPE StreamAsFile(StreamRecord* stream, const char* fileName) override {
    EngineCall* c = record(kCallStreamAsFile, number_);
    keepBytes(c, stream, sizeof *stream);
    keepText(c, fileName);
    setPdata(stream);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Print(PrintRecord* print) override {
    keepBytes(record(kCallPrint, number_), print, sizeof *print);
    if (g_script.printFlags >= 0) {
      print->pluginPrinted = uint32_t(g_script.printFlags & 0xFF);
      print->printOne = uint32_t((g_script.printFlags >> 8) & 0xFF);
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Reserved13() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE URLNotify(const char* url, LONG reason, void* notifyData) override {
    EngineCall* c = record(kCallURLNotify, number_);
    keepText(c, url);
    if (c) {
      c->args[0] = uint32_t(reason);
      c->args[1] = word(notifyData);
    }
    return S_OK;
  }

 private:
  int number_;
  LONG refs_ = 1;
  IBrowserHost* host_;
};

struct Init {
  Init() { resetScript(); }
} g_init;

}  // namespace

extern "C" HRESULT STDAPICALLTYPE CreateNetscapeInstance(IBrowserHost* host, const IID* iid, void** out) {
  EngineCall* c = record(kCallCreate, 0);
  if (c) {
    c->args[0] = word(host);
    c->args[1] = iid && IsEqualIID(*iid, kIID_IPluginInstance);
    c->args[2] = word(out);
  }
  if (!out) return E_POINTER;
  *out = nullptr;
  if (FAILED(g_script.createResult)) return g_script.createResult;
  if (!iid || !IsEqualIID(*iid, kIID_IPluginInstance)) return E_NOINTERFACE;
  if (g_instanceCount >= kMaxInstances) return E_OUTOFMEMORY;
  if (g_script.keepHost) host->AddRef();
  const int number = ++g_instanceCount;
  g_instances[number] = new EngineInstance(number, g_script.keepHost ? host : nullptr);
  if (c) c->instance = number;
  *out = static_cast<IPluginInstance*>(g_instances[number]);
  return g_script.createResult;
}

extern "C" {

EngineScript* PlexaroStandinScript() { return &g_script; }

void PlexaroStandinReset() {
  resetScript();
  g_callCount = 0;
}

int PlexaroStandinCallCount() { return g_callCount; }

const EngineCall* PlexaroStandinCall(int index) {
  return index >= 0 && index < g_callCount ? &g_calls[index] : nullptr;
}

IPluginInstance* PlexaroStandinInstance(int instance) {
  return instance >= 1 && instance <= g_instanceCount ? g_instances[instance] : nullptr;
}

LONG PlexaroStandinRefs(int instance) {
  return instance >= 1 && instance <= g_instanceCount ? g_instances[instance]->refs() : -1;
}

IBrowserHost* PlexaroStandinHost(int instance) {
  return instance >= 1 && instance <= g_instanceCount ? g_instances[instance]->host() : nullptr;
}

}  // extern "C"
