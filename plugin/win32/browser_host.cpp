#include "plugin/win32/browser_host.h"

#include <cstring>

namespace npkirra {
namespace {

constexpr size_t kScriptUrlCapacity = 1024;
constexpr char kScriptScheme[] = "javascript:";
constexpr size_t kScriptSchemeLength = sizeof(kScriptScheme) - 1;  // 11

struct BrowserHostVtbl {
  HRESULT(STDMETHODCALLTYPE* QueryInterface)(BrowserHost*, const IID*, void**);
  ULONG(STDMETHODCALLTYPE* AddRef)(BrowserHost*);
  ULONG(STDMETHODCALLTYPE* Release)(BrowserHost*);
  HRESULT(STDMETHODCALLTYPE* GetPluginInstance)(BrowserHost*, IPluginInstance**);
  LONG(STDMETHODCALLTYPE* GetURL)(BrowserHost*, const char*, const char*);
  LONG(STDMETHODCALLTYPE* PostURL)(BrowserHost*, const char*, const char*, uint32_t, const char*, NPBool);
  LONG(STDMETHODCALLTYPE* RequestRead)(BrowserHost*, NPStream*, LONG, const ByteRangePair*);
  int32_t(STDMETHODCALLTYPE* Write)(BrowserHost*, NPStream*, int32_t, void*);
  LONG(STDMETHODCALLTYPE* DestroyStream)(BrowserHost*, NPStream*, NPReason);
  void(STDMETHODCALLTYPE* Status)(BrowserHost*, const char*);
  const char*(STDMETHODCALLTYPE* UserAgent)(BrowserHost*);
  void*(STDMETHODCALLTYPE* MemAlloc)(BrowserHost*, uint32_t);
  void(STDMETHODCALLTYPE* MemFree)(BrowserHost*, void*);
  void(STDMETHODCALLTYPE* ReloadPlugins)(BrowserHost*, NPBool);
  HRESULT(STDMETHODCALLTYPE* EvaluateScript)(BrowserHost*, const wchar_t*, BSTR*);
};

struct BrowserHost2Vtbl {
  BrowserHostVtbl base;
  LONG(STDMETHODCALLTYPE* GetURLNotify)(BrowserHost*, const char*, const char*, void*);
  LONG(STDMETHODCALLTYPE* PostURLNotify)(BrowserHost*, const char*, const char*, uint32_t, const char*, NPBool,
                                            void*);
  JRIEnv*(STDMETHODCALLTYPE* GetJavaEnv)(BrowserHost*);
  jref(STDMETHODCALLTYPE* GetJavaPeer)(BrowserHost*);
  LONG(STDMETHODCALLTYPE* NewStream)(BrowserHost*, NPMIMEType, const char*, NPStream**);
  HRESULT(STDMETHODCALLTYPE* GetApplicationPalette)(BrowserHost*, DWORD*);
};

static_assert(sizeof(void*) != 4 || sizeof(BrowserHostVtbl) == kBrowserHostMethods * 4, "IBrowserHost table");
static_assert(sizeof(void*) != 4 || sizeof(BrowserHost2Vtbl) == kBrowserHost2Methods * 4, "IBrowserHost2 table");

const BrowserHostVtbl* tableOf(BrowserHost* self) { return static_cast<const BrowserHostVtbl*>(self->vtable); }

// The methods of one generation; every browser call goes through that
// generation's table.
template <Generation G>
struct Host {
  static NPNetscapeFuncs* browser() { return browserFuncs(G); }

  static HRESULT STDMETHODCALLTYPE QueryInterface(BrowserHost* self, const IID* iid, void** out) {
    if (!out) return E_POINTER;
    if (iid && (IsEqualIID(*iid, kIID_IBrowserHost) || IsEqualIID(*iid, IID_IUnknown) ||
                (G == kNewer && IsEqualIID(*iid, kIID_IBrowserHost2)))) {
      *out = self;
      tableOf(self)->AddRef(self);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }

  static ULONG STDMETHODCALLTYPE AddRef(BrowserHost* self) { return ULONG(++self->refs); }

  static ULONG STDMETHODCALLTYPE Release(BrowserHost* self) {
    const LONG refs = --self->refs;
    if (refs == 0) browser()->memfree(self);
    return ULONG(refs);
  }

  static HRESULT STDMETHODCALLTYPE GetPluginInstance(BrowserHost* self, IPluginInstance** out) {
    if (!out) return E_POINTER;
    auto* engine = static_cast<IPluginInstance*>(self->npp->pdata);
    *out = engine;
    if (!engine) return E_FAIL;
    engine->AddRef();
    return S_OK;
  }

  static LONG STDMETHODCALLTYPE GetURL(BrowserHost* self, const char* url, const char* target) {
    return browser()->geturl(self->npp, url, target);
  }

  static LONG STDMETHODCALLTYPE PostURL(BrowserHost* self, const char* url, const char* target, uint32_t length,
                                           const char* buffer, NPBool file) {
    return browser()->posturl(self->npp, url, target, length, buffer, file);
  }

  // Turns the engine's array into the browser's linked list, allocated and
  // freed through the host's own MemAlloc and MemFree.
  static LONG STDMETHODCALLTYPE RequestRead(BrowserHost* self, NPStream* stream, LONG count,
                                               const ByteRangePair* ranges) {
    const BrowserHostVtbl* vt = tableOf(self);
    NPByteRange* first = nullptr;
    NPByteRange** link = &first;
    bool complete = true;
    for (LONG i = 0; ranges && i < count; ++i) {
      auto* node = static_cast<NPByteRange*>(vt->MemAlloc(self, sizeof(NPByteRange)));
      if (!node) {
        complete = false;
        break;
      }
      node->offset = ranges[i].offset;
      node->length = ranges[i].length;
      node->next = nullptr;
      *link = node;
      link = &node->next;
    }
    // A list the browser could not hold whole is not sent in part.
    const NPError result = complete ? browser()->requestread(stream, first) : NPError(NPERR_OUT_OF_MEMORY_ERROR);
    while (first) {
      NPByteRange* next = first->next;
      vt->MemFree(self, first);
      first = next;
    }
    return result;
  }

  static int32_t STDMETHODCALLTYPE Write(BrowserHost* self, NPStream* stream, int32_t length, void* buffer) {
    return browser()->write(self->npp, stream, length, buffer);
  }

  static LONG STDMETHODCALLTYPE DestroyStream(BrowserHost* self, NPStream* stream, NPReason reason) {
    return browser()->destroystream(self->npp, stream, reason);
  }

  static void STDMETHODCALLTYPE Status(BrowserHost* self, const char* message) {
    browser()->status(self->npp, message);
  }

  static const char* STDMETHODCALLTYPE UserAgent(BrowserHost* self) { return browser()->uagent(self->npp); }

  static void* STDMETHODCALLTYPE MemAlloc(BrowserHost*, uint32_t size) { return browser()->memalloc(size); }

  static void STDMETHODCALLTYPE MemFree(BrowserHost*, void* pointer) { browser()->memfree(pointer); }

  static void STDMETHODCALLTYPE ReloadPlugins(BrowserHost*, NPBool reloadPages) {
    browser()->reloadplugins(reloadPages);
  }

  // Runs a script through a "javascript:" URL; the browser delivers the result
  // as a stream during GetURL, which the capture rules of NPP_Write take.
  // The converted script takes at most 1,012 bytes: scheme, script and
  // terminator fill the 1,024-byte URL.
  static HRESULT STDMETHODCALLTYPE EvaluateScript(BrowserHost* self, const wchar_t* script, BSTR* result) {
    char url[kScriptUrlCapacity];
    std::memcpy(url, kScriptScheme, kScriptSchemeLength + 1);
    if (script) {
      const int converted = WideCharToMultiByte(CP_ACP, 0, script, -1, url + kScriptSchemeLength,
                                                int(kScriptUrlCapacity - kScriptSchemeLength), nullptr, nullptr);
      if (converted <= 0) url[kScriptSchemeLength] = '\0';  // does not fit: the bare scheme goes
    }
    GenerationState& state = g_module.tables[G];
    state.capture = kCaptureArmed;
    tableOf(self)->GetURL(self, url, nullptr);
    state.capture = kCaptureIdle;
    BSTR captured = state.captured;
    state.captured = nullptr;
    if (result)
      *result = captured;
    else
      SysFreeString(captured);
    return S_OK;
  }

  static LONG STDMETHODCALLTYPE GetURLNotify(BrowserHost* self, const char* url, const char* target,
                                                void* notifyData) {
    return browser()->geturlnotify(self->npp, url, target, notifyData);
  }

  static LONG STDMETHODCALLTYPE PostURLNotify(BrowserHost* self, const char* url, const char* target,
                                                 uint32_t length, const char* buffer, NPBool file, void* notifyData) {
    return browser()->posturlnotify(self->npp, url, target, length, buffer, file, notifyData);
  }

  static JRIEnv* STDMETHODCALLTYPE GetJavaEnv(BrowserHost*) { return browser()->getJavaEnv(); }

  static jref STDMETHODCALLTYPE GetJavaPeer(BrowserHost* self) { return browser()->getJavaPeer(self->npp); }

  static LONG STDMETHODCALLTYPE NewStream(BrowserHost* self, NPMIMEType type, const char* target,
                                             NPStream** stream) {
    return browser()->newstream(self->npp, type, target, stream);
  }

  // The browser's palette, from its optional export; nothing is loaded.
  static HRESULT STDMETHODCALLTYPE GetApplicationPalette(BrowserHost*, DWORD* palette) {
    if (!palette) return E_POINTER;
    HMODULE browserModule = GetModuleHandleA("NETSCAPE.EXE");
    if (!browserModule) return E_FAIL;
    typedef DWORD(WINAPI * PaletteProc)();
    auto proc = reinterpret_cast<PaletteProc>(
        reinterpret_cast<void*>(GetProcAddress(browserModule, "GetApplicationPalette")));
    if (!proc) return E_FAIL;
    *palette = proc();
    return S_OK;
  }

  static constexpr BrowserHostVtbl kTable = {
      QueryInterface, AddRef,        Release,   GetPluginInstance, GetURL,        PostURL,
      RequestRead,    Write,         DestroyStream, Status,        UserAgent,     MemAlloc,
      MemFree,        ReloadPlugins, EvaluateScript,
  };
  static constexpr BrowserHost2Vtbl kTable2 = {
      kTable, GetURLNotify, PostURLNotify, GetJavaEnv, GetJavaPeer, NewStream, GetApplicationPalette,
  };
};

template <Generation G>
constexpr BrowserHostVtbl Host<G>::kTable;
template <Generation G>
constexpr BrowserHost2Vtbl Host<G>::kTable2;

}  // namespace

BrowserHost* newBrowserHost(Generation g, NPP npp) {
  auto* host = static_cast<BrowserHost*>(browserFuncs(g)->memalloc(sizeof(BrowserHost)));
  if (!host) return nullptr;
  host->vtable = g == kNewer ? static_cast<const void*>(&Host<kNewer>::kTable2)
                             : static_cast<const void*>(&Host<kOlder>::kTable);
  host->refs = 1;
  host->npp = npp;
  return host;
}

}  // namespace npkirra
