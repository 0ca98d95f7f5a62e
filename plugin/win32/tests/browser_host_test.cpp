// The browser host object as the engine sees it: interfaces, counts, the
// browser calls behind each method, RequestRead lists and script capture.
#include <windows.h>
#include <oleauto.h>

#include "plugin/win32/engine_interfaces.h"
#include "plugin/win32/tests/plugin_fixture.h"

namespace harness {
namespace {

using namespace plexaro;
using npkirra::ByteRangePair;
using npkirra::IBrowserHost;
using npkirra::IBrowserHost2;
using npkirra::IPluginInstance;

class BrowserHostTest : public PluginTest, public testing::WithParamInterface<bool> {
 protected:
  bool newer() const { return GetParam(); }
  void SetUp() override {
    PluginTest::SetUp();
    start(newer());
    const int n = newInstance(&npp);
    ASSERT_NE(0, n);
    engine = PlexaroStandinInstance(n);
    host = PlexaroStandinHost(n);
    ASSERT_NE(nullptr, host);
    browser.calls.clear();
  }
  LONG refsOf(IUnknown* object) {
    object->AddRef();
    return LONG(object->Release());
  }
  // EvaluateScript with the browser answering `chunks`; returns the result
  // (or "(null)") and leaves the BSTR freed.
  std::wstring evaluate(const wchar_t* script, std::vector<std::string> chunks, bool deliver = true) {
    browser.script.deliverScriptResult = deliver;
    browser.script.scriptChunks = std::move(chunks);
    BSTR result = reinterpret_cast<BSTR>(sentinel(0x1));
    EXPECT_EQ(S_OK, host->EvaluateScript(script, &result));
    browser.script.deliverScriptResult = false;
    if (!result) return L"(null)";
    std::wstring text(result, SysStringLen(result));
    SysFreeString(result);
    return text;
  }

  NPP_t npp = {};
  IPluginInstance* engine = nullptr;
  IBrowserHost* host = nullptr;
};

INSTANTIATE_TEST_SUITE_P(Generations, BrowserHostTest, testing::Values(true, false),
                         [](const testing::TestParamInfo<bool>& i) { return i.param ? "Newer" : "Older"; });

TEST_P(BrowserHostTest, QueryInterfaceByGeneration) {
  struct Case {
    const IID* iid;
    bool answers;
  };
  const Case cases[] = {
      {&npkirra::kIID_IBrowserHost, true},     {&IID_IUnknown, true},
      {&npkirra::kIID_IBrowserHost2, newer()}, {&npkirra::kIID_IPluginInstance, false},
      {&IID_IDispatch, false},
  };
  for (const Case& c : cases) {
    const LONG before = refsOf(host);
    void* out = sentinel(0xDEAD);
    const HRESULT hr = host->QueryInterface(*c.iid, &out);
    if (c.answers) {
      EXPECT_EQ(S_OK, hr);
      EXPECT_EQ(static_cast<void*>(host), out);
      EXPECT_EQ(before + 1, refsOf(host));
      host->Release();
    } else {
      EXPECT_EQ(E_NOINTERFACE, hr);
      EXPECT_EQ(nullptr, out);
      EXPECT_EQ(before, refsOf(host));
    }
  }
}

TEST_P(BrowserHostTest, GetPluginInstanceHandsOutPdataWithAReference) {
  const LONG before = refsOf(engine);
  IPluginInstance* got = nullptr;
  EXPECT_EQ(S_OK, host->GetPluginInstance(&got));
  EXPECT_EQ(engine, got);
  EXPECT_EQ(before + 1, refsOf(engine));
  got->Release();

  void* saved = npp.pdata;
  npp.pdata = nullptr;
  got = reinterpret_cast<IPluginInstance*>(sentinel(0xDEAD));
  EXPECT_EQ(E_FAIL, host->GetPluginInstance(&got));
  EXPECT_EQ(nullptr, got);
  npp.pdata = saved;
}

TEST_P(BrowserHostTest, MethodsCallTheBrowserWithTheInstance) {
  browser.script.result = 42;
  browser.script.writeResult = 17;
  NPStream stream = {};
  char buffer[] = "post body";
  EXPECT_EQ(42, host->GetURL("http://h/a", "_blank"));
  EXPECT_EQ(42, host->PostURL("http://h/p", "t", 9, buffer, 1));
  EXPECT_EQ(17, host->Write(&stream, 9, buffer));
  EXPECT_EQ(42, host->DestroyStream(&stream, 3));
  host->Status("Loading");
  EXPECT_STREQ("FakeBrowser/1.0", host->UserAgent());
  void* memory = host->MemAlloc(40);
  EXPECT_NE(nullptr, memory);
  host->MemFree(memory);
  host->ReloadPlugins(1);

  struct Expect {
    const char* name;
    bool withInstance;
  };
  const Expect expected[] = {{"geturl", true},   {"posturl", true}, {"write", true},     {"destroystream", true},
                             {"status", true},   {"uagent", true},  {"memalloc", false}, {"memfree", false},
                             {"reloadplugins", false}};
  ASSERT_EQ(std::size(expected), browser.calls.size());
  for (size_t i = 0; i < std::size(expected); ++i) {
    SCOPED_TRACE(expected[i].name);
    EXPECT_EQ(expected[i].name, browser.calls[i].name);
    EXPECT_EQ(expected[i].withInstance ? &npp : nullptr, browser.calls[i].npp);
  }
  EXPECT_EQ("http://h/a", browser.calls[0].url);
  EXPECT_EQ("_blank", browser.calls[0].target);
  EXPECT_EQ(9u, browser.calls[1].length);
  EXPECT_EQ(buffer, browser.calls[1].pointer);
  EXPECT_EQ(1, browser.calls[1].number);
  EXPECT_EQ(&stream, browser.calls[2].pointer);
  EXPECT_EQ(3, browser.calls[3].number);
  EXPECT_EQ("Loading", browser.calls[4].url);
  EXPECT_EQ(40u, browser.calls[6].length);
  EXPECT_EQ(memory, browser.calls[7].pointer);
  EXPECT_EQ(1, browser.calls[8].number);
}

TEST_P(BrowserHostTest, SecondInterfaceUnderTheNewerGeneration) {
  IBrowserHost2* host2 = nullptr;
  if (!newer()) {
    EXPECT_EQ(E_NOINTERFACE, host->QueryInterface(npkirra::kIID_IBrowserHost2, reinterpret_cast<void**>(&host2)));
    return;
  }
  ASSERT_EQ(S_OK, host->QueryInterface(npkirra::kIID_IBrowserHost2, reinterpret_cast<void**>(&host2)));
  browser.script.result = 5;
  browser.script.javaEnv = reinterpret_cast<JRIEnv*>(sentinel(0xE1));
  browser.script.javaPeer = sentinel(0xE2);
  char buffer[] = "b";
  NPStream* newStream = nullptr;
  EXPECT_EQ(5, host2->GetURLNotify("u1", "t1", sentinel(0x11)));
  EXPECT_EQ(5, host2->PostURLNotify("u2", "t2", 1, buffer, 0, sentinel(0x22)));
  EXPECT_EQ(sentinel(0xE1), host2->GetJavaEnv());
  EXPECT_EQ(sentinel(0xE2), host2->GetJavaPeer());
  EXPECT_EQ(5, host2->NewStream(const_cast<char*>("text/html"), "_self", &newStream));
  host2->Release();

  const char* names[] = {"geturlnotify", "posturlnotify", "getjavaenv", "getjavapeer", "newstream"};
  ASSERT_EQ(std::size(names), browser.calls.size());
  for (size_t i = 0; i < std::size(names); ++i) EXPECT_EQ(names[i], browser.calls[i].name);
  EXPECT_EQ(&npp, browser.calls[0].npp);
  EXPECT_EQ(sentinel(0x11), browser.calls[0].notifyData);
  EXPECT_EQ("u2", browser.calls[1].url);
  EXPECT_EQ(sentinel(0x22), browser.calls[1].notifyData);
  EXPECT_EQ(nullptr, browser.calls[2].npp);
  EXPECT_EQ(&npp, browser.calls[3].npp);
  EXPECT_EQ("text/html", browser.calls[4].url);
  EXPECT_EQ("_self", browser.calls[4].target);
  EXPECT_EQ(&newStream, browser.calls[4].pointer);
}

TEST_P(BrowserHostTest, RequestReadBuildsTheListAndFreesIt) {
  NPStream stream = {};
  const ByteRangePair ranges[] = {{0, 100}, {-50, 50}, {4096, 1}};
  browser.script.result = 3;
  EXPECT_EQ(3, host->RequestRead(&stream, 3, ranges));
  const auto reads = browser.callsNamed("requestread");
  ASSERT_EQ(1u, reads.size());
  EXPECT_EQ(&stream, reads[0].pointer);
  const std::vector<std::pair<int32_t, uint32_t>> expected = {{0, 100}, {-50, 50}, {4096, 1}};
  EXPECT_EQ(expected, reads[0].ranges);
  EXPECT_EQ(3u, browser.callsNamed("memalloc").size());
  EXPECT_EQ(3u, browser.callsNamed("memfree").size());
  EXPECT_EQ(1u, browser.live.size()) << "only the host object is left";

  browser.calls.clear();
  for (LONG count : {0, -1}) {
    EXPECT_EQ(3, host->RequestRead(&stream, count, ranges));
    EXPECT_TRUE(browser.callsNamed("requestread").back().ranges.empty()) << "null list";
  }
  EXPECT_TRUE(browser.callsNamed("memalloc").empty());
}

TEST_P(BrowserHostTest, RequestReadWithoutMemorySendsNothing) {
  NPStream stream = {};
  const ByteRangePair ranges[] = {{0, 1}, {1, 1}, {2, 1}};
  browser.script.failAllocation = browser.allocations + 1;  // the second node
  EXPECT_EQ(NPERR_OUT_OF_MEMORY_ERROR, host->RequestRead(&stream, 3, ranges));
  EXPECT_TRUE(browser.callsNamed("requestread").empty());
  EXPECT_EQ(1u, browser.live.size());
}

TEST_P(BrowserHostTest, EvaluateScriptCapturesTheResultStream) {
  // Newer: the first chunk is the result; older: the first is dropped.
  const std::wstring got = evaluate(L"document.title", {"first", "second"});
  EXPECT_EQ(newer() ? L"first" : L"second", got);
  const auto gets = browser.callsNamed("geturl");
  ASSERT_EQ(1u, gets.size());
  EXPECT_EQ("javascript:document.title", gets[0].url);
  EXPECT_EQ("(null)", gets[0].target);
  EXPECT_EQ(&npp, gets[0].npp);
  // newstream 0, writeready 0x7FFFFFFF, write consumed whole, ..., destroystream 0
  const std::vector<int32_t> delivery = {0, 0x7FFFFFFF, 6, 0x7FFFFFFF, 7, 0};
  EXPECT_EQ(delivery, browser.deliveryResults);
  // Under the newer generation the second chunk reaches the engine (state 3);
  // stream creation and destruction never do while capturing.
  EXPECT_TRUE(engineCalls(kCallNewStream).empty());
  EXPECT_TRUE(engineCalls(kCallDestroyStream).empty());
  EXPECT_TRUE(engineCalls(kCallWriteReady).empty());
  const auto writes = engineCalls(kCallWrite);
  if (newer()) {
    ASSERT_EQ(1u, writes.size());
    EXPECT_EQ(0, std::memcmp("second", writes[0]->data, 7));
  } else {
    EXPECT_TRUE(writes.empty());
  }
}

TEST_P(BrowserHostTest, EvaluateScriptEdgeCases) {
  const std::vector<std::string> lead = newer() ? std::vector<std::string>{} : std::vector<std::string>{"dropped"};
  auto with = [&](std::string last) {
    std::vector<std::string> chunks = lead;
    chunks.push_back(std::move(last));
    return chunks;
  };
  EXPECT_EQ(L"(null)", evaluate(L"x", {}, false)) << "no result stream";
  EXPECT_EQ(L"(null)", evaluate(L"x", lead)) << "nothing captured";
  EXPECT_EQ(L"", evaluate(L"x", with(""))) << "empty result";
  EXPECT_EQ(std::wstring(1024, L'r'), evaluate(L"x", with(std::string(1024, 'r'))));
  EXPECT_EQ(L"", evaluate(L"x", with(std::string(1025, 'r')))) << "more than 1,024 characters";

  // A null out pointer: the string is freed, still S_OK.
  browser.script.deliverScriptResult = true;
  browser.script.scriptChunks = with("ignored");
  EXPECT_EQ(S_OK, host->EvaluateScript(L"x", nullptr));
  browser.script.deliverScriptResult = false;

  // After an evaluation the streams reach the engine again.
  NPStream s = {};
  s.url = "http://h/a";
  uint16_t stype = NP_NORMAL;
  EXPECT_EQ(0, table.newstream(&npp, const_cast<char*>("t"), &s, 0, &stype));
  EXPECT_EQ(1u, engineCalls(kCallNewStream).size());
}

TEST_P(BrowserHostTest, EvaluateScriptUrlLimit) {
  const std::wstring fits(1012, L'a');
  const std::wstring tooLong(1013, L'a');
  evaluate(fits.c_str(), {}, false);
  evaluate(tooLong.c_str(), {}, false);
  evaluate(nullptr, {}, false);
  const auto gets = browser.callsNamed("geturl");
  ASSERT_EQ(3u, gets.size());
  EXPECT_EQ("javascript:" + std::string(1012, 'a'), gets[0].url);
  EXPECT_EQ("javascript:", gets[1].url) << "does not fit: the bare scheme";
  EXPECT_EQ("javascript:", gets[2].url);
}

TEST_P(BrowserHostTest, StreamAsFileWhileCapturing) {
  // The browser's script stream asks for a file while the capture runs.
  browser.script.deliverScriptResult = false;
  struct Probe {
    static NPError NP_CALLBACK getUrl(NPP instance, const char*, const char*) {
      NPStream s = {};
      s.url = "javascript:x";
      g_browser->plugin->asfile(instance, &s, "C:\\tmp\\x");
      return 0;
    }
  };
  browser.funcs.geturl = Probe::getUrl;
  EXPECT_EQ(S_OK, host->EvaluateScript(L"x", nullptr));
  EXPECT_EQ(newer() ? 0u : 1u, engineCalls(kCallStreamAsFile).size());
}

TEST_P(BrowserHostTest, ApplicationPaletteComesFromTheBrowserModule) {
  IBrowserHost2* host2 = nullptr;
  if (!newer()) return;  // IBrowserHost2 only
  ASSERT_EQ(S_OK, host->QueryInterface(npkirra::kIID_IBrowserHost2, reinterpret_cast<void**>(&host2)));
  DWORD palette = 0xDEAD;
  EXPECT_EQ(E_FAIL, host2->GetApplicationPalette(&palette)) << "no NETSCAPE.EXE loaded";
  EXPECT_EQ(0xDEADu, palette);
  HMODULE fake = LoadLibraryA((programFolder() + "NETSCAPE.EXE").c_str());
  ASSERT_NE(nullptr, fake);
  EXPECT_EQ(S_OK, host2->GetApplicationPalette(&palette));
  EXPECT_EQ(0x00C0FFEEu, palette);
  FreeLibrary(fake);
  host2->Release();
}

}  // namespace
}  // namespace harness
