// Instance, window, stream, print and URL-notification forwarding of both
// generations: what reaches the engine, byte for byte, and what comes back.
#include "plugin/win32/engine_records.h"
#include "plugin/win32/tests/plugin_fixture.h"

namespace harness {
namespace {

using namespace plexaro;
using npkirra::PrintRecord;
using npkirra::SavedDataRecord;
using npkirra::StreamRecord;
using npkirra::WindowRecord;

class ForwarderTest : public PluginTest, public testing::WithParamInterface<bool> {
 protected:
  bool newer() const { return GetParam(); }
  void SetUp() override {
    PluginTest::SetUp();
    start(newer());
  }
  // A stream with recognisable fields.
  NPStream makeStream(const char* url) {
    NPStream s = {};
    s.pdata = sentinel(0x1111);
    s.ndata = sentinel(0x2222);
    s.url = url;
    s.end = 4096;
    s.lastmodified = 0x5E000000;
    s.notifyData = sentinel(0x3333);
    return s;
  }
  void expectStreamRecord(const EngineCall* c, const NPStream& s, uint32_t pdata) {
    ASSERT_NE(nullptr, c);
    EXPECT_EQ(28u, c->recordSize);
    const StreamRecord r = recordOf<StreamRecord>(c);
    EXPECT_EQ(28u, r.size);
    EXPECT_EQ(word(s.url), r.url);
    EXPECT_EQ(word(&s), r.stream);
    EXPECT_EQ(pdata, r.pdata);
    EXPECT_EQ(s.end, r.end);
    EXPECT_EQ(s.lastmodified, r.lastmodified);
    EXPECT_EQ(newer() ? word(s.notifyData) : 0u, r.notifyData);
  }
  NPP_t npp = {};
};

INSTANTIATE_TEST_SUITE_P(Generations, ForwarderTest, testing::Values(true, false),
                         [](const testing::TestParamInfo<bool>& i) { return i.param ? "Newer" : "Older"; });

TEST_P(ForwarderTest, NewCreatesTheEngineObjectAndPassesTheArguments) {
  char* argn[] = {const_cast<char*>("SRC"), const_cast<char*>("WIDTH")};
  char* argv[] = {const_cast<char*>("x.ods"), const_cast<char*>("10")};
  NPSavedData saved = {12, sentinel(0xBEEF)};
  PlexaroStandinScript()->result = 7;
  EXPECT_EQ(7, table.newp(const_cast<char*>("application/oleobject"), &npp, NP_FULL, 2, argn, argv, &saved));

  const EngineCall* create = lastEngineCall(kCallCreate);
  ASSERT_NE(nullptr, create);
  EXPECT_EQ(1u, create->args[1]) << "asked for IPluginInstance";
  const auto allocs = browser.callsNamed("memalloc");
  ASSERT_EQ(1u, allocs.size());
  EXPECT_EQ(12u, allocs[0].length) << "host object: table, count, NPP";
  EXPECT_EQ(word(allocs[0].pointer), create->args[0]) << "the host object is what the engine got";
  EXPECT_EQ(PlexaroStandinInstance(create->instance), npp.pdata);

  const EngineCall* c = lastEngineCall(kCallNew);
  ASSERT_NE(nullptr, c);
  EXPECT_STREQ("application/oleobject", c->text);
  EXPECT_EQ(uint32_t(NP_FULL), c->args[0]);
  EXPECT_EQ(2u, c->args[1]);
  EXPECT_EQ(word(argn), c->args[2]);
  EXPECT_EQ(word(argv), c->args[3]);
  ASSERT_EQ(8u, c->recordSize);
  const SavedDataRecord r = recordOf<SavedDataRecord>(c);
  EXPECT_EQ(12, r.length);
  EXPECT_EQ(0xBEEFu, r.buffer);
  EXPECT_NE(word(&saved), c->args[4]) << "the engine gets the plug-in's copy";
}

TEST_P(ForwarderTest, NewWidensModeAndSignExtendsArgc) {
  EXPECT_EQ(0, table.newp(const_cast<char*>("t"), &npp, 0xFFFF, -2, nullptr, nullptr, nullptr));
  const EngineCall* c = lastEngineCall(kCallNew);
  ASSERT_NE(nullptr, c);
  EXPECT_EQ(0xFFFFu, c->args[0]);
  EXPECT_EQ(0xFFFFFFFEu, c->args[1]);
  EXPECT_EQ(0u, c->args[4]) << "no saved data: null record";
  EXPECT_EQ(0u, c->recordSize);
}

TEST_P(ForwarderTest, HostObjectLivesAsLongAsTheEngineHoldsIt) {
  const int n = newInstance(&npp);
  ASSERT_NE(0, n);
  npkirra::IBrowserHost* host = PlexaroStandinHost(n);
  ASSERT_NE(nullptr, host);
  EXPECT_EQ(2u, host->AddRef()) << "one reference, the engine's";
  EXPECT_EQ(1u, host->Release());
  EXPECT_TRUE(browser.freed.empty());
  EXPECT_EQ(NPERR_NO_ERROR, table.destroy(&npp, nullptr));
  ASSERT_EQ(1u, browser.freed.size()) << "the engine's last release frees the host";
  EXPECT_EQ(static_cast<void*>(host), browser.freed[0]);
  EXPECT_EQ(0, PlexaroStandinRefs(n));
}

TEST_P(ForwarderTest, HostNotKeptByTheEngineIsFreedAtOnce) {
  PlexaroStandinScript()->keepHost = FALSE;
  ASSERT_NE(0, newInstance(&npp));
  EXPECT_EQ(1u, browser.freed.size());
  EXPECT_TRUE(browser.live.empty());
}

TEST_P(ForwarderTest, RefusedCreationAndFailedAllocation) {
  struct Case {
    const char* what;
    HRESULT create;
    int failAllocation;
    NPError result;
    size_t creates;
  };
  const Case cases[] = {
      {"engine refuses", E_FAIL, -1, NPERR_GENERIC_ERROR, 1},
      {"engine refuses with another error", E_OUTOFMEMORY, -1, NPERR_GENERIC_ERROR, 1},
      {"host allocation fails", S_OK, 0, NPERR_OUT_OF_MEMORY_ERROR, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PlexaroStandinReset();
    browser.calls.clear();
    browser.allocations = 0;
    browser.script.failAllocation = c.failAllocation;
    PlexaroStandinScript()->createResult = c.create;
    npp.pdata = sentinel(0x77);
    EXPECT_EQ(c.result, table.newp(const_cast<char*>("t"), &npp, NP_EMBED, 0, nullptr, nullptr, nullptr));
    EXPECT_EQ(sentinel(0x77), npp.pdata) << "pdata left untouched";
    EXPECT_EQ(c.creates, engineCalls(kCallCreate).size());
    EXPECT_TRUE(engineCalls(kCallNew).empty());
    EXPECT_TRUE(browser.live.empty()) << "the host is freed";
  }
}

TEST_P(ForwarderTest, NullInstanceHandle) {
  browser.calls.clear();
  NPStream s = makeStream("http://h/a");
  NPPrint print = {};
  print.mode = NP_FULL;
  EXPECT_EQ(NPERR_INVALID_INSTANCE_ERROR,
            table.newp(const_cast<char*>("t"), nullptr, NP_EMBED, 0, nullptr, nullptr, nullptr));
  EXPECT_EQ(NPERR_INVALID_INSTANCE_ERROR, table.destroy(nullptr, nullptr));
  EXPECT_EQ(NPERR_INVALID_INSTANCE_ERROR, table.setwindow(nullptr, nullptr));
  uint16_t stype = NP_NORMAL;
  EXPECT_EQ(NPERR_INVALID_INSTANCE_ERROR, table.newstream(nullptr, const_cast<char*>("t"), &s, 0, &stype));
  EXPECT_EQ(2, table.writeready(nullptr, &s));
  EXPECT_EQ(2, table.write(nullptr, &s, 0, 1, const_cast<char*>("x")));
  EXPECT_EQ(NPERR_INVALID_INSTANCE_ERROR, table.destroystream(nullptr, &s, 0));
  table.asfile(nullptr, &s, "C:\\f");
  table.print(nullptr, &print);
  if (newer()) table.urlnotify(nullptr, "u", 0, nullptr);
  EXPECT_EQ(0, PlexaroStandinCallCount());
  EXPECT_TRUE(browser.calls.empty());
}

TEST_P(ForwarderTest, DestroyPassesAZeroedRecordAndReleasesTheEngine) {
  const int n = newInstance(&npp);
  PlexaroStandinScript()->result = 4;
  NPSavedData* save = static_cast<NPSavedData*>(sentinel(0x99));
  EXPECT_EQ(4, table.destroy(&npp, &save));
  EXPECT_EQ(sentinel(0x99), save) << "the browser's save argument is not written";
  const EngineCall* c = lastEngineCall(kCallDestroy);
  ASSERT_NE(nullptr, c);
  ASSERT_EQ(8u, c->recordSize);
  EXPECT_EQ(0, recordOf<SavedDataRecord>(c).length);
  EXPECT_EQ(0u, recordOf<SavedDataRecord>(c).buffer);
  EXPECT_EQ(0, PlexaroStandinRefs(n));
  ASSERT_EQ(1u, engineCalls(kCallFinalRelease).size());
  EXPECT_EQ(PlexaroStandinInstance(n), npp.pdata) << "pdata is not cleared";
}

TEST_P(ForwarderTest, SetWindowCopiesTheWindow) {
  newInstance(&npp);
  NPWindow w = {sentinel(0xABC), -5, 7, 640, 480, {1, 2, 3, 4}};
  PlexaroStandinScript()->result = 9;
  EXPECT_EQ(9, table.setwindow(&npp, &w));
  const EngineCall* c = lastEngineCall(kCallSetWindow);
  ASSERT_NE(nullptr, c);
  ASSERT_EQ(24u, c->recordSize);
  const WindowRecord r = recordOf<WindowRecord>(c);
  EXPECT_EQ(24u, r.size);
  EXPECT_EQ(0xABCu, r.window);
  EXPECT_EQ(-5, r.x);
  EXPECT_EQ(7, r.y);
  EXPECT_EQ(640u, r.width);
  EXPECT_EQ(480u, r.height);

  // No window description: the engine learns there is no window.
  PlexaroStandinScript()->result = 0;
  EXPECT_EQ(0, table.setwindow(&npp, nullptr));
  const WindowRecord none = recordOf<WindowRecord>(lastEngineCall(kCallSetWindow));
  EXPECT_EQ(24u, none.size);
  EXPECT_EQ(0u, none.window);
  EXPECT_EQ(0, none.x);
  EXPECT_EQ(0u, none.width + none.height + uint32_t(none.y));
}

TEST_P(ForwarderTest, NewStreamBuildsTheRecordAndCopiesPdataBack) {
  newInstance(&npp);
  NPStream s = makeStream("http://h/page.axs");
  uint16_t stype = NP_NORMAL;
  PlexaroStandinScript()->pdata = 0x4444;
  PlexaroStandinScript()->result = 0;
  EXPECT_EQ(0, table.newstream(&npp, const_cast<char*>("application/olescript"), &s, 1, &stype));
  const EngineCall* c = lastEngineCall(kCallNewStream);
  expectStreamRecord(c, s, 0x1111);
  EXPECT_STREQ("application/olescript", c->text);
  EXPECT_EQ(1u, c->args[0]);
  EXPECT_EQ(word(&stype), c->args[1]) << "the browser's own stype";
  EXPECT_EQ(sentinel(0x4444), s.pdata);
}

TEST_P(ForwarderTest, OlderGenerationGuessesTheTypeFromTheUrl) {
  newInstance(&npp);
  struct Case {
    const char* url;
    const char* olderType;
  };
  const Case cases[] = {
      {"http://h/PHOTO.JPG", "image/jpeg"},
      {"http://h/a.jpeg", "image/jpeg"},
      {"http://h/a.gif", "image/gif"},
      {"http://h/a.PDF", "application/pdf"},
      {"http://h/a.gif?size=2", "browser/type"},
      {"http://h/a.axs", "browser/type"},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(t.url);
    NPStream s = makeStream(t.url);
    uint16_t stype = NP_NORMAL;
    table.newstream(&npp, const_cast<char*>("browser/type"), &s, 0, &stype);
    const EngineCall* c = lastEngineCall(kCallNewStream);
    ASSERT_NE(nullptr, c);
    EXPECT_STREQ(newer() ? "browser/type" : t.olderType, c->text);
  }
}

TEST_P(ForwarderTest, AsFileOnlyIsLoweredUnderTheOlderGeneration) {
  newInstance(&npp);
  for (uint16_t chosen : {NP_ASFILEONLY, NP_ASFILE, NP_SEEK}) {
    SCOPED_TRACE(chosen);
    NPStream s = makeStream("http://h/a");
    uint16_t stype = NP_NORMAL;
    PlexaroStandinScript()->streamType = chosen;
    table.newstream(&npp, const_cast<char*>("t"), &s, 0, &stype);
    const uint16_t expected = (!newer() && chosen == NP_ASFILEONLY) ? uint16_t(NP_ASFILE) : chosen;
    EXPECT_EQ(expected, stype);
  }
}

TEST_P(ForwarderTest, StreamDataCallsAndCopyBack) {
  newInstance(&npp);
  PlexaroStandinScript()->pdata = 0x5555;
  PlexaroStandinScript()->writeReadyResult = 1234;
  PlexaroStandinScript()->writeResult = 3;
  PlexaroStandinScript()->result = 6;
  const void* copied = newer() ? sentinel(0x5555) : sentinel(0x1111);

  NPStream s = makeStream("http://h/a");
  EXPECT_EQ(1234, table.writeready(&npp, &s));
  expectStreamRecord(lastEngineCall(kCallWriteReady), s, 0x1111);
  EXPECT_EQ(sentinel(0x1111), s.pdata) << "WriteReady never copies back";

  char data[] = "abcdef";
  EXPECT_EQ(3, table.write(&npp, &s, 100, 6, data));
  const EngineCall* w = lastEngineCall(kCallWrite);
  expectStreamRecord(w, s, 0x1111);
  EXPECT_EQ(100u, w->args[0]);
  EXPECT_EQ(6u, w->args[1]);
  EXPECT_EQ(word(data), w->args[2]);
  EXPECT_EQ(copied, s.pdata);

  s.pdata = sentinel(0x1111);
  EXPECT_EQ(6, table.destroystream(&npp, &s, 2));
  const EngineCall* d = lastEngineCall(kCallDestroyStream);
  expectStreamRecord(d, s, 0x1111);
  EXPECT_EQ(2u, d->args[0]);
  EXPECT_EQ(copied, s.pdata);

  s.pdata = sentinel(0x1111);
  table.asfile(&npp, &s, "C:\\cache\\a.axs");
  const EngineCall* f = lastEngineCall(kCallStreamAsFile);
  expectStreamRecord(f, s, 0x1111);
  EXPECT_STREQ("C:\\cache\\a.axs", f->text);
  EXPECT_EQ(sentinel(0x1111), s.pdata) << "StreamAsFile never copies back";
}

TEST_P(ForwarderTest, EmbeddedPrint) {
  newInstance(&npp);
  NPPrint p = {};
  p.mode = NP_EMBED;
  p.print.embedPrint.window = {sentinel(0x600), 10, 20, 300, 200, {1, 1, 1, 1}};
  p.print.embedPrint.platformPrint = sentinel(0xDC);
  table.print(&npp, &p);
  const EngineCall* c = lastEngineCall(kCallPrint);
  ASSERT_NE(nullptr, c);
  ASSERT_EQ(36u, c->recordSize);
  const PrintRecord r = recordOf<PrintRecord>(c);
  EXPECT_EQ(36u, r.size);
  EXPECT_EQ(1, r.mode);
  EXPECT_EQ(0, r.padding);
  EXPECT_EQ(0u, r.pluginPrinted);
  EXPECT_EQ(0u, r.printOne);
  EXPECT_EQ(10, r.x);
  EXPECT_EQ(20, r.y);
  EXPECT_EQ(300u, r.width);
  EXPECT_EQ(200u, r.height);
  EXPECT_EQ(0xDCu, r.platformPrint);
}

TEST_P(ForwarderTest, FullPagePrintWritesTheFlagsBack) {
  newInstance(&npp);
  struct Case {
    uint16_t mode;
    bool writesBack;
  };
  for (const Case& t : {Case{NP_FULL, true}, Case{0, false}, Case{7, false}}) {
    SCOPED_TRACE(t.mode);
    NPPrint p = {};
    p.mode = t.mode;
    p.print.fullPrint.pluginPrinted = 1;
    p.print.fullPrint.printOne = 0;
    p.print.fullPrint.platformPrint = sentinel(0xDD);
    PlexaroStandinScript()->printFlags = 0x0100;  // the engine answers: not printed, print one
    table.print(&npp, &p);
    const PrintRecord r = recordOf<PrintRecord>(lastEngineCall(kCallPrint));
    EXPECT_EQ(2, r.mode);
    EXPECT_EQ(1u, r.pluginPrinted);
    EXPECT_EQ(0u, r.printOne);
    EXPECT_EQ(0, r.x + r.y + int32_t(r.width + r.height));
    EXPECT_EQ(0xDDu, r.platformPrint);
    EXPECT_EQ(t.writesBack ? 0 : 1, p.print.fullPrint.pluginPrinted);
    EXPECT_EQ(t.writesBack ? 1 : 0, p.print.fullPrint.printOne);
    EXPECT_EQ(sentinel(0xDD), p.print.fullPrint.platformPrint);
  }
}

TEST_P(ForwarderTest, NullPrintDescriptionGivesAnEmptyFullPageRecord) {
  newInstance(&npp);
  table.print(&npp, nullptr);
  const EngineCall* c = lastEngineCall(kCallPrint);
  ASSERT_NE(nullptr, c);
  const PrintRecord r = recordOf<PrintRecord>(c);
  EXPECT_EQ(36u, r.size);
  EXPECT_EQ(2, r.mode);
  const uint8_t* bytes = c->record;
  for (size_t i = 6; i < 36; ++i) EXPECT_EQ(0, bytes[i]) << "byte " << i;
}

TEST_P(ForwarderTest, UrlNotifyReachesIPluginInstance2Only) {
  if (!newer()) {
    EXPECT_EQ(nullptr, (void*)table.urlnotify);
    return;
  }
  const int n = newInstance(&npp);
  const LONG refs = PlexaroStandinRefs(n);
  table.urlnotify(&npp, "http://h/done", 1, sentinel(0xFEED));
  const EngineCall* c = lastEngineCall(kCallURLNotify);
  ASSERT_NE(nullptr, c);
  EXPECT_STREQ("http://h/done", c->text);
  EXPECT_EQ(1u, c->args[0]);
  EXPECT_EQ(0xFEEDu, c->args[1]);
  EXPECT_EQ(refs, PlexaroStandinRefs(n)) << "the IPluginInstance2 reference is released";

  PlexaroStandinScript()->answerInstance2 = FALSE;
  table.urlnotify(&npp, "http://h/again", 0, nullptr);
  EXPECT_EQ(1u, engineCalls(kCallURLNotify).size());
  EXPECT_EQ(refs, PlexaroStandinRefs(n));
}

}  // namespace
}  // namespace harness
