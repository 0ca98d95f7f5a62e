#include "plugin/win32/forwarders.h"

#include <cstring>

#include "plugin/core/stream_type.h"
#include "plugin/win32/browser_host.h"

namespace npkirra {
namespace {

constexpr size_t kCapturedCapacity = 1024;  // characters of a captured result

uint32_t field(const void* pointer) { return uint32_t(reinterpret_cast<uintptr_t>(pointer)); }
void* pointerOf(uint32_t value) { return reinterpret_cast<void*>(uintptr_t(value)); }

// The engine object of an instance, or null (no handle, or no engine yet).
IPluginInstance* engineOf(NPP instance) {
  return instance ? static_cast<IPluginInstance*>(instance->pdata) : nullptr;
}

template <Generation G>
StreamRecord streamRecord(const NPStream* stream) {
  StreamRecord r = {};
  r.size = sizeof(StreamRecord);
  r.stream = field(stream);
  if (stream) {
    r.url = field(stream->url);
    r.pdata = field(stream->pdata);
    r.end = stream->end;
    r.lastmodified = stream->lastmodified;
    r.notifyData = G == kNewer ? field(stream->notifyData) : 0;
  }
  return r;
}

void copyBack(const StreamRecord& r, NPStream* stream) {
  if (stream) stream->pdata = pointerOf(r.pdata);
}

template <Generation G>
bool capturing() {
  return g_module.tables[G].capture != kCaptureIdle;
}

template <Generation G>
struct Forward {
  static NPError NP_CALLBACK New(NPMIMEType type, NPP instance, uint16_t mode, int16_t argc, char* argn[],
                                 char* argv[], NPSavedData* saved) {
    if (!instance) return NPERR_INVALID_INSTANCE_ERROR;
    // Without the engine's entry point there is nothing to create; without
    // NP_Initialize there is no allocator for the host object.
    if (!g_module.createInstance || !browserFuncs(G)) return NPERR_GENERIC_ERROR;
    BrowserHost* host = newBrowserHost(G, instance);
    if (!host) return NPERR_OUT_OF_MEMORY_ERROR;
    IPluginInstance* engine = nullptr;
    const HRESULT hr =
        g_module.createInstance(asInterface(host), &kIID_IPluginInstance, reinterpret_cast<void**>(&engine));
    asInterface(host)->Release();  // the engine holds its own reference if it keeps the host
    if (FAILED(hr) || !engine) return NPERR_GENERIC_ERROR;
    instance->pdata = engine;  // released by NPP_Destroy
    SavedDataRecord record = {};
    SavedDataRecord* recordPointer = nullptr;
    if (saved) {
      record.length = saved->len;
      record.buffer = field(saved->buf);
      recordPointer = &record;
    }
    return NPError(engine->New(type, mode, argc, argn, argv, recordPointer));
  }

  static NPError NP_CALLBACK Destroy(NPP instance, NPSavedData**) {
    IPluginInstance* engine = engineOf(instance);
    if (!engine) return NPERR_INVALID_INSTANCE_ERROR;
    SavedDataRecord discarded = {};
    const LONG result = engine->Destroy(&discarded);
    engine->Release();
    return NPError(result);
  }

  // A null window reaches the engine as a record with no window and no size.
  static NPError NP_CALLBACK SetWindow(NPP instance, NPWindow* window) {
    IPluginInstance* engine = engineOf(instance);
    if (!engine) return NPERR_INVALID_INSTANCE_ERROR;
    WindowRecord r = {};
    r.size = sizeof(WindowRecord);
    if (window) {
      r.window = field(window->window);
      r.x = window->x;
      r.y = window->y;
      r.width = window->width;
      r.height = window->height;
    }
    return NPError(engine->SetWindow(&r));
  }

  static NPError NP_CALLBACK NewStream(NPP instance, NPMIMEType type, NPStream* stream, NPBool seekable,
                                       uint16_t* stype) {
    IPluginInstance* engine = engineOf(instance);
    if (!engine) return NPERR_INVALID_INSTANCE_ERROR;
    if (capturing<G>()) return NPERR_NO_ERROR;
    StreamRecord r = streamRecord<G>(stream);
    const char* engineType = type;
    if (G == kOlder) {
      if (const char* guess = guessStreamType(stream ? stream->url : nullptr)) engineType = guess;
    }
    const NPError result = NPError(engine->NewStream(engineType, &r, seekable, stype));
    copyBack(r, stream);
    if (G == kOlder && stype && *stype == NP_ASFILEONLY) *stype = NP_ASFILE;
    return result;
  }

  static int32_t NP_CALLBACK WriteReady(NPP instance, NPStream* stream) {
    IPluginInstance* engine = engineOf(instance);
    if (!engine) return NPERR_INVALID_INSTANCE_ERROR;
    if (capturing<G>()) return 0x7FFFFFFF;
    StreamRecord r = streamRecord<G>(stream);
    return engine->WriteReady(&r);
  }

  static int32_t NP_CALLBACK Write(NPP instance, NPStream* stream, int32_t offset, int32_t len, void* buffer) {
    IPluginInstance* engine = engineOf(instance);
    if (!engine) return NPERR_INVALID_INSTANCE_ERROR;
    GenerationState& state = g_module.tables[G];
    if (state.capture == kCaptureArmed && G == kOlder) {
      state.capture = kCaptureFirstChunkSkipped;
      return len;
    }
    if (state.capture == kCaptureArmed || state.capture == kCaptureFirstChunkSkipped) {
      storeCapturedText(G, static_cast<const char*>(buffer), len);
      state.capture = kCaptureDone;
      return len;
    }
    StreamRecord r = streamRecord<G>(stream);
    const int32_t result = engine->Write(&r, offset, len, buffer);
    if (G == kNewer) copyBack(r, stream);
    return result;
  }

  static NPError NP_CALLBACK DestroyStream(NPP instance, NPStream* stream, NPReason reason) {
    IPluginInstance* engine = engineOf(instance);
    if (!engine) return NPERR_INVALID_INSTANCE_ERROR;
    if (capturing<G>()) return NPERR_NO_ERROR;
    StreamRecord r = streamRecord<G>(stream);
    const NPError result = NPError(engine->DestroyStream(&r, reason));
    if (G == kNewer) copyBack(r, stream);
    return result;
  }

  static void NP_CALLBACK StreamAsFile(NPP instance, NPStream* stream, const char* fileName) {
    IPluginInstance* engine = engineOf(instance);
    if (!engine) return;
    if (G == kNewer && capturing<G>()) return;
    StreamRecord r = streamRecord<G>(stream);
    engine->StreamAsFile(&r, fileName);
  }

  static void NP_CALLBACK Print(NPP instance, NPPrint* print) {
    IPluginInstance* engine = engineOf(instance);
    if (!engine) return;
    PrintRecord r = {};
    r.size = sizeof(PrintRecord);
    r.mode = NP_FULL;
    if (print && print->mode == NP_EMBED) {
      const NPEmbedPrint& e = print->print.embedPrint;
      r.mode = NP_EMBED;
      r.x = e.window.x;
      r.y = e.window.y;
      r.width = e.window.width;
      r.height = e.window.height;
      r.platformPrint = field(e.platformPrint);
    } else if (print) {
      const NPFullPrint& f = print->print.fullPrint;
      r.pluginPrinted = f.pluginPrinted;
      r.printOne = f.printOne;
      r.platformPrint = field(f.platformPrint);
    }
    engine->Print(&r);
    if (print && print->mode == NP_FULL) {
      print->print.fullPrint.pluginPrinted = NPBool(r.pluginPrinted);
      print->print.fullPrint.printOne = NPBool(r.printOne);
    }
  }

  static void NP_CALLBACK URLNotify(NPP instance, const char* url, NPReason reason, void* notifyData) {
    IPluginInstance* engine = engineOf(instance);
    if (!engine) return;
    IPluginInstance2* engine2 = nullptr;
    if (FAILED(engine->QueryInterface(kIID_IPluginInstance2, reinterpret_cast<void**>(&engine2))) || !engine2)
      return;
    engine2->URLNotify(url, reason, notifyData);
    engine2->Release();
  }
};

}  // namespace

// Stores a captured result: the chunk's bytes except the last, from the ANSI
// code page into at most kCapturedCapacity characters (more gives "").
void storeCapturedText(Generation g, const char* bytes, int32_t length) {
  wchar_t text[kCapturedCapacity];
  int chars = 0;
  if (bytes && length > 1)
    chars = MultiByteToWideChar(CP_ACP, 0, bytes, length - 1, text, int(kCapturedCapacity));
  if (chars < 0) chars = 0;
  GenerationState& state = g_module.tables[g];
  SysFreeString(state.captured);
  state.captured = SysAllocStringLen(text, UINT(chars));
}

namespace {

// The nine entries both generations share.
template <Generation G>
void fillSharedEntries(NPPluginFuncs* funcs) {
  typedef Forward<G> F;
  funcs->newp = F::New;
  funcs->destroy = F::Destroy;
  funcs->setwindow = F::SetWindow;
  funcs->newstream = F::NewStream;
  funcs->destroystream = F::DestroyStream;
  funcs->asfile = F::StreamAsFile;
  funcs->writeready = F::WriteReady;
  funcs->write = F::Write;
  funcs->print = F::Print;
  funcs->event = nullptr;
}

}  // namespace

void fillPluginFuncs(Generation g, NPPluginFuncs* funcs) {
  if (g == kNewer) {
    funcs->version = kVersionNewer;
    fillSharedEntries<kNewer>(funcs);
    funcs->urlnotify = Forward<kNewer>::URLNotify;
  } else {
    // The older table ends before urlnotify: nothing behind `event` is written.
    funcs->version = kVersionOlder;
    fillSharedEntries<kOlder>(funcs);
  }
}

}  // namespace npkirra
