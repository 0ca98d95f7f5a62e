#include "plugin/win32/tests/fake_browser.h"

#include <cstdlib>
#include <cstring>

namespace harness {

FakeBrowser* g_browser = nullptr;

namespace {

BrowserCall& log(const char* name, NPP npp) {
  g_browser->calls.emplace_back();
  BrowserCall& c = g_browser->calls.back();
  c.name = name;
  c.npp = npp;
  return c;
}

std::string text(const char* s) { return s ? s : "(null)"; }

void deliverScript(NPP npp) {
  NPPluginFuncs* p = g_browser->plugin;
  NPStream stream = {};
  stream.url = "javascript:result";
  uint16_t stype = NP_NORMAL;
  auto& seen = g_browser->deliveryResults;
  seen.push_back(p->newstream(npp, const_cast<char*>("text/plain"), &stream, 0, &stype));
  int32_t offset = 0;
  for (const std::string& chunk : g_browser->script.scriptChunks) {
    seen.push_back(p->writeready(npp, &stream));
    std::vector<char> bytes(chunk.begin(), chunk.end());
    bytes.push_back('\0');
    seen.push_back(p->write(npp, &stream, offset, int32_t(bytes.size()), bytes.data()));
    offset += int32_t(bytes.size());
  }
  seen.push_back(p->destroystream(npp, &stream, 0));
}

// A call that names a URL and a target window.
BrowserCall& logUrl(const char* name, NPP npp, const char* url, const char* target) {
  BrowserCall& c = log(name, npp);
  c.url = text(url);
  c.target = text(target);
  return c;
}

// A call that posts data (a buffer, or a file named by it) to a URL.
BrowserCall& logPost(const char* name, NPP npp, const char* url, const char* target, uint32_t len, const char* buf,
                     NPBool file) {
  BrowserCall& c = logUrl(name, npp, url, target);
  c.length = len;
  c.pointer = buf;
  c.number = file;
  return c;
}

NPError NP_CALLBACK getUrl(NPP npp, const char* url, const char* target) {
  logUrl("geturl", npp, url, target);
  if (g_browser->script.deliverScriptResult && url && std::strncmp(url, "javascript:", 11) == 0) deliverScript(npp);
  return g_browser->script.result;
}
NPError NP_CALLBACK postUrl(NPP npp, const char* url, const char* target, uint32_t len, const char* buf, NPBool file) {
  logPost("posturl", npp, url, target, len, buf, file);
  return g_browser->script.result;
}
NPError NP_CALLBACK requestRead(NPStream* stream, NPByteRange* list) {
  BrowserCall& c = log("requestread", nullptr);
  c.pointer = stream;
  for (NPByteRange* r = list; r; r = r->next) {
    c.ranges.emplace_back(r->offset, r->length);
    if (!g_browser->live.count(r)) c.name = "requestread-with-foreign-node";
  }
  return g_browser->script.result;
}
NPError NP_CALLBACK newStream(NPP npp, NPMIMEType type, const char* target, NPStream** stream) {
  BrowserCall& c = log("newstream", npp);
  c.url = text(type);
  c.target = text(target);
  c.pointer = stream;
  return g_browser->script.result;
}
int32_t NP_CALLBACK write(NPP npp, NPStream* stream, int32_t len, void* buffer) {
  BrowserCall& c = log("write", npp);
  c.pointer = stream;
  c.length = uint32_t(len);
  c.notifyData = buffer;
  return g_browser->script.writeResult;
}
NPError NP_CALLBACK destroyStream(NPP npp, NPStream* stream, NPReason reason) {
  BrowserCall& c = log("destroystream", npp);
  c.pointer = stream;
  c.number = reason;
  return g_browser->script.result;
}
void NP_CALLBACK status(NPP npp, const char* message) { log("status", npp).url = text(message); }
const char* NP_CALLBACK userAgent(NPP npp) {
  log("uagent", npp);
  return "FakeBrowser/1.0";
}
void* NP_CALLBACK memAlloc(uint32_t size) {
  BrowserCall& c = log("memalloc", nullptr);
  c.length = size;
  if (g_browser->allocations++ == g_browser->script.failAllocation) return nullptr;
  void* p = std::calloc(1, size ? size : 1);
  g_browser->live.insert(p);
  c.pointer = p;
  return p;
}
void NP_CALLBACK memFree(void* p) {
  log("memfree", nullptr).pointer = p;
  if (g_browser->live.erase(p)) {
    g_browser->freed.push_back(p);
    std::free(p);
  }
}
uint32_t NP_CALLBACK memFlush(uint32_t) {
  log("memflush", nullptr);
  return 0;
}
void NP_CALLBACK reloadPlugins(NPBool reloadPages) { log("reloadplugins", nullptr).number = reloadPages; }
JRIEnv* NP_CALLBACK getJavaEnv() {
  log("getjavaenv", nullptr);
  return g_browser->script.javaEnv;
}
jref NP_CALLBACK getJavaPeer(NPP npp) {
  log("getjavapeer", npp);
  return g_browser->script.javaPeer;
}
NPError NP_CALLBACK getUrlNotify(NPP npp, const char* url, const char* target, void* notifyData) {
  logUrl("geturlnotify", npp, url, target).notifyData = notifyData;
  return g_browser->script.result;
}
NPError NP_CALLBACK postUrlNotify(NPP npp, const char* url, const char* target, uint32_t len, const char* buf,
                                  NPBool file, void* notifyData) {
  logPost("posturlnotify", npp, url, target, len, buf, file).notifyData = notifyData;
  return g_browser->script.result;
}

}  // namespace

FakeBrowser::FakeBrowser() {
  funcs.size = sizeof(NPNetscapeFuncs);
  funcs.version = 0x0009;
  funcs.geturl = getUrl;
  funcs.posturl = postUrl;
  funcs.requestread = requestRead;
  funcs.newstream = newStream;
  funcs.write = write;
  funcs.destroystream = destroyStream;
  funcs.status = status;
  funcs.uagent = userAgent;
  funcs.memalloc = memAlloc;
  funcs.memfree = memFree;
  funcs.memflush = memFlush;
  funcs.reloadplugins = reloadPlugins;
  funcs.getJavaEnv = getJavaEnv;
  funcs.getJavaPeer = getJavaPeer;
  funcs.geturlnotify = getUrlNotify;
  funcs.posturlnotify = postUrlNotify;
}

std::vector<BrowserCall> FakeBrowser::callsNamed(const std::string& name) const {
  std::vector<BrowserCall> out;
  for (const BrowserCall& c : calls)
    if (c.name == name) out.push_back(c);
  return out;
}

bool PluginLibrary::load(const std::string& path) {
  module = LoadLibraryA(path.c_str());
  if (!module) return false;
  getEntryPoints = proc<decltype(getEntryPoints)>("NP_GetEntryPoints");
  initialize = proc<decltype(initialize)>("NP_Initialize");
  shutdown = proc<decltype(shutdown)>("NP_Shutdown");
  return getEntryPoints && initialize && shutdown;
}

void PluginLibrary::unload() {
  if (module) FreeLibrary(module);
  module = nullptr;
}

std::string programFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path);
  return folder.substr(0, folder.rfind('\\') + 1);
}

}  // namespace harness
