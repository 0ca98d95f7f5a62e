// The Netscape plug-in interface as this library speaks it: the classic
// 32-bit Windows layouts of both table generations (plug-in table version 9
// with URL notification and Java, and the older version 6).
//
// Calling conventions: the table functions are cdecl (NP_CALLBACK); the three
// exported entry points are stdcall (NP_EXPORT_API). The sizes and offsets
// below are what browsers of that generation pass and expect; the
// static_asserts keep them from drifting.
#pragma once

#include <cstddef>
#include <cstdint>

#include "plugin/win32/jri.h"

#if defined(_WIN32) && !defined(_WIN64)
#define NP_CALLBACK __cdecl
#define NP_EXPORT_API(type) extern "C" type __stdcall
#else
#define NP_CALLBACK
#define NP_EXPORT_API(type) extern "C" type
#endif

typedef int16_t NPError;
typedef int16_t NPReason;
typedef uint8_t NPBool;
typedef char* NPMIMEType;

enum : NPError {
  NPERR_NO_ERROR = 0,
  NPERR_GENERIC_ERROR = 1,
  NPERR_INVALID_INSTANCE_ERROR = 2,
  NPERR_INVALID_FUNCTABLE_ERROR = 3,
  NPERR_MODULE_LOAD_FAILED_ERROR = 4,
  NPERR_OUT_OF_MEMORY_ERROR = 5,
  NPERR_INVALID_PLUGIN_ERROR = 6,
  NPERR_INVALID_PLUGIN_DIR_ERROR = 7,
  NPERR_INCOMPATIBLE_VERSION_ERROR = 8,
  NPERR_INVALID_PARAM = 9,
};

// Stream delivery types (NPP_NewStream's stype).
enum : uint16_t { NP_NORMAL = 1, NP_SEEK = 2, NP_ASFILE = 3, NP_ASFILEONLY = 4 };
// Instance and print modes.
enum : uint16_t { NP_EMBED = 1, NP_FULL = 2 };

// One plug-in instance as the browser keeps it; pdata belongs to the plug-in.
struct NPP_t {
  void* pdata;
  void* ndata;
};
typedef NPP_t* NPP;

struct NPStream {
  void* pdata;  // the plug-in's per-stream data
  void* ndata;
  const char* url;
  uint32_t end;
  uint32_t lastmodified;
  void* notifyData;
};

struct NPByteRange {
  int32_t offset;
  uint32_t length;
  NPByteRange* next;
};

struct NPSavedData {
  int32_t len;
  void* buf;
};

struct NPRect {
  uint16_t top, left, bottom, right;
};

struct NPWindow {
  void* window;  // the platform window handle
  int32_t x, y;
  uint32_t width, height;
  NPRect clipRect;
};

struct NPFullPrint {
  NPBool pluginPrinted;
  NPBool printOne;
  void* platformPrint;
};

struct NPEmbedPrint {
  NPWindow window;
  void* platformPrint;
};

struct NPPrint {
  uint16_t mode;  // NP_FULL or NP_EMBED
  union {
    NPFullPrint fullPrint;
    NPEmbedPrint embedPrint;
  } print;
};

// Functions the plug-in offers the browser.
typedef NPError(NP_CALLBACK* NPP_NewProc)(NPMIMEType type, NPP instance, uint16_t mode, int16_t argc,
                                          char* argn[], char* argv[], NPSavedData* saved);
typedef NPError(NP_CALLBACK* NPP_DestroyProc)(NPP instance, NPSavedData** save);
typedef NPError(NP_CALLBACK* NPP_SetWindowProc)(NPP instance, NPWindow* window);
typedef NPError(NP_CALLBACK* NPP_NewStreamProc)(NPP instance, NPMIMEType type, NPStream* stream,
                                                NPBool seekable, uint16_t* stype);
typedef NPError(NP_CALLBACK* NPP_DestroyStreamProc)(NPP instance, NPStream* stream, NPReason reason);
typedef void(NP_CALLBACK* NPP_StreamAsFileProc)(NPP instance, NPStream* stream, const char* fname);
typedef int32_t(NP_CALLBACK* NPP_WriteReadyProc)(NPP instance, NPStream* stream);
typedef int32_t(NP_CALLBACK* NPP_WriteProc)(NPP instance, NPStream* stream, int32_t offset, int32_t len,
                                            void* buffer);
typedef void(NP_CALLBACK* NPP_PrintProc)(NPP instance, NPPrint* platformPrint);
typedef int16_t(NP_CALLBACK* NPP_HandleEventProc)(NPP instance, void* event);
typedef void(NP_CALLBACK* NPP_URLNotifyProc)(NPP instance, const char* url, NPReason reason, void* notifyData);

// Functions the browser offers the plug-in.
typedef NPError(NP_CALLBACK* NPN_GetURLProc)(NPP instance, const char* url, const char* window);
typedef NPError(NP_CALLBACK* NPN_PostURLProc)(NPP instance, const char* url, const char* window, uint32_t len,
                                              const char* buf, NPBool file);
typedef NPError(NP_CALLBACK* NPN_RequestReadProc)(NPStream* stream, NPByteRange* rangeList);
typedef NPError(NP_CALLBACK* NPN_NewStreamProc)(NPP instance, NPMIMEType type, const char* window,
                                                NPStream** stream);
typedef int32_t(NP_CALLBACK* NPN_WriteProc)(NPP instance, NPStream* stream, int32_t len, void* buffer);
typedef NPError(NP_CALLBACK* NPN_DestroyStreamProc)(NPP instance, NPStream* stream, NPReason reason);
typedef void(NP_CALLBACK* NPN_StatusProc)(NPP instance, const char* message);
typedef const char*(NP_CALLBACK* NPN_UserAgentProc)(NPP instance);
typedef void*(NP_CALLBACK* NPN_MemAllocProc)(uint32_t size);
typedef void(NP_CALLBACK* NPN_MemFreeProc)(void* ptr);
typedef uint32_t(NP_CALLBACK* NPN_MemFlushProc)(uint32_t size);
typedef void(NP_CALLBACK* NPN_ReloadPluginsProc)(NPBool reloadPages);
typedef JRIEnv*(NP_CALLBACK* NPN_GetJavaEnvProc)(void);
typedef jref(NP_CALLBACK* NPN_GetJavaPeerProc)(NPP instance);
typedef NPError(NP_CALLBACK* NPN_GetURLNotifyProc)(NPP instance, const char* url, const char* window,
                                                   void* notifyData);
typedef NPError(NP_CALLBACK* NPN_PostURLNotifyProc)(NPP instance, const char* url, const char* window,
                                                    uint32_t len, const char* buf, NPBool file, void* notifyData);

// The plug-in table. The older generation (version 6) ends after `event`.
struct NPPluginFuncs {
  uint16_t size;
  uint16_t version;
  NPP_NewProc newp;
  NPP_DestroyProc destroy;
  NPP_SetWindowProc setwindow;
  NPP_NewStreamProc newstream;
  NPP_DestroyStreamProc destroystream;
  NPP_StreamAsFileProc asfile;
  NPP_WriteReadyProc writeready;
  NPP_WriteProc write;
  NPP_PrintProc print;
  NPP_HandleEventProc event;
  NPP_URLNotifyProc urlnotify;  // newer generation only
  JRIGlobalRef javaClass;       // newer generation only
};

// The browser table. The older generation (version 6) ends after `reloadplugins`.
struct NPNetscapeFuncs {
  uint16_t size;
  uint16_t version;
  NPN_GetURLProc geturl;
  NPN_PostURLProc posturl;
  NPN_RequestReadProc requestread;
  NPN_NewStreamProc newstream;
  NPN_WriteProc write;
  NPN_DestroyStreamProc destroystream;
  NPN_StatusProc status;
  NPN_UserAgentProc uagent;
  NPN_MemAllocProc memalloc;
  NPN_MemFreeProc memfree;
  NPN_MemFlushProc memflush;
  NPN_ReloadPluginsProc reloadplugins;
  NPN_GetJavaEnvProc getJavaEnv;           // newer generation only, from here on
  NPN_GetJavaPeerProc getJavaPeer;
  NPN_GetURLNotifyProc geturlnotify;
  NPN_PostURLNotifyProc posturlnotify;
};

// Table sizes of the two generations.
constexpr uint16_t kPluginFuncsSizeNewer = 52;
constexpr uint16_t kPluginFuncsSizeOlder = 44;
constexpr uint16_t kNetscapeFuncsSizeNewer = 68;
constexpr uint16_t kNetscapeFuncsSizeOlder = 52;

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(NPP_t) == 8, "NPP");
static_assert(sizeof(NPStream) == 24 && offsetof(NPStream, url) == 8 && offsetof(NPStream, notifyData) == 20,
              "NPStream");
static_assert(sizeof(NPByteRange) == 12 && offsetof(NPByteRange, next) == 8, "NPByteRange");
static_assert(sizeof(NPSavedData) == 8, "NPSavedData");
static_assert(sizeof(NPWindow) == 28 && offsetof(NPWindow, clipRect) == 20, "NPWindow");
static_assert(offsetof(NPFullPrint, printOne) == 1 && offsetof(NPFullPrint, platformPrint) == 4, "NPFullPrint");
static_assert(offsetof(NPEmbedPrint, platformPrint) == 28, "NPEmbedPrint");
static_assert(sizeof(NPPrint) == 36 && offsetof(NPPrint, print) == 4, "NPPrint");
static_assert(sizeof(NPPluginFuncs) == kPluginFuncsSizeNewer, "NPPluginFuncs, newer generation");
static_assert(offsetof(NPPluginFuncs, urlnotify) == kPluginFuncsSizeOlder, "NPPluginFuncs, older generation");
static_assert(offsetof(NPPluginFuncs, event) == 40 && offsetof(NPPluginFuncs, javaClass) == 48, "NPPluginFuncs");
static_assert(sizeof(NPNetscapeFuncs) == kNetscapeFuncsSizeNewer, "NPNetscapeFuncs, newer generation");
static_assert(offsetof(NPNetscapeFuncs, getJavaEnv) == kNetscapeFuncsSizeOlder, "NPNetscapeFuncs, older");
static_assert(offsetof(NPNetscapeFuncs, memalloc) == 36 && offsetof(NPNetscapeFuncs, posturlnotify) == 64,
              "NPNetscapeFuncs");
#endif
