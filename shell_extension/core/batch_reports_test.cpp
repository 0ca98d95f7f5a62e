// What a batch tells about each item, whether it keeps going after a failure,
// pages converted side by side, and a batch that only pretends.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "shell_extension/core/dry_run.h"
#include "shell_extension/core/testing/batch_harness.h"
#include "testing/files.h"

namespace morvane {
namespace {

using testing_support::writeBytes;

// The reports as lines: "converted SOURCE -> TARGET" with paths below the
// temporary folder written as from its top.
struct RecordingObserver : BatchObserver {
  explicit RecordingObserver(const testing_support::TempDir& dir) : top(dir.path().string()) {}
  void found(std::size_t files) override { foundFiles += files; }
  void report(const ItemReport& item) override {
    static const char* const kWords[] = {"converted", "copied", "kept", "backed up", "failed"};
    std::string line = kWords[static_cast<int>(item.action)] + std::string(" ") + relative(item.source);
    if (!item.target.empty()) line += " -> " + relative(item.target);
    lines.push_back(line);
  }
  std::string relative(const std::string& path) const {
    std::string rel = path.compare(0, top.size(), top) == 0 ? path.substr(top.size() + 1) : path;
    for (char& c : rel)
      if (c == '\\') c = '/';
    return rel;
  }
  std::string top;
  std::size_t foundFiles = 0;
  std::vector<std::string> lines;
};

// Every file below folder with its bytes, by its path from folder.
std::map<std::string, std::string> treeOf(const std::string& folder) {
  std::map<std::string, std::string> tree;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    tree[std::filesystem::relative(entry.path(), folder).generic_string()] =
        testing_support::readFile(entry.path().string());
  }
  return tree;
}

const char kPage[] = "<OBJECT ID=L CLASSID=\"CLSID:98FBE040-5A24-11CF-8B11-00AA00C00903\"></OBJECT>\n"
                     "<SCRIPT LANGUAGE=\"VBScript\">\nSub Go\nEnd Sub\n</SCRIPT>\n";

// A site whose pages a.htm and a.html share the script file a.AXS, with
// pages, images and folders enough for several conversions to overlap.
void makeSite(const testing_support::TempDir& dir) {
  for (const char* folder : {"site/sub/deeper", "site/img"}) std::filesystem::create_directories(dir.path() / folder);
  writeBytes(pathBelow(dir, "site/a.htm"), kPage);
  writeBytes(pathBelow(dir, "site/a.html"), std::string(kPage) + "<P>the other one</P>\n");
  for (int i = 0; i < 40; ++i) {
    writeBytes(pathBelow(dir, "site/sub/p" + std::to_string(i) + ".htm"), std::string(kPage) + std::to_string(i));
    writeBytes(pathBelow(dir, "site/img/i" + std::to_string(i) + ".gif"), "GIF" + std::to_string(i));
  }
  writeBytes(pathBelow(dir, "site/sub/deeper/last.htm"), kPage);
}

struct Outcome {
  bool ok;
  std::vector<std::string> lines;
  std::vector<std::string> texts;
  std::map<std::string, std::string> tree;
};

// Converts the site into out with that many helpers preparing pages and
// copies ahead (one: none), once or twice.
// jobs helpers that prepare pages and copies as the terminal's do.
void useHelpers(BatchHarness& batch, unsigned jobs) {
  batch.ports.jobs = jobs;
  batch.ports.prepare = prepareWithEngine;
  batch.ports.prepareCopy = [](const std::string& source, const std::string& target, const std::string& nearPath) {
    return prepareCopy(platform::systemFileIo(), source, target, nearPath);
  };
}

Outcome convertSite(const testing_support::TempDir& dir, unsigned jobs, const std::string& out, bool twice) {
  PlatformFileSystem files;
  BatchHarness batch(files);
  batch.setFileClass(".html", "htmlfile");
  batch.context.clock = [] { return std::time_t(0); };
  RecordingObserver observer(dir);
  batch.ports.observer = &observer;
  useHelpers(batch, jobs);
  bool ok = batch.run({pathBelow(dir, "site")}, pathBelow(dir, out));
  if (twice) ok = batch.run({pathBelow(dir, "site")}, pathBelow(dir, out)) && ok;
  return {ok, observer.lines, batch.texts(), treeOf(pathBelow(dir, out))};
}

// Pages converted side by side give the same tree, backups, reports and
// messages as one after another, also where two pages share a script file.
TEST(BatchJobs, SideBySideGivesWhatOneAfterAnotherGives) {
  testing_support::TempDir dir;
  makeSite(dir);
  const Outcome one = convertSite(dir, 1, "one", true);
  ASSERT_TRUE(one.ok);
  EXPECT_GT(one.tree.size(), 160u);
  EXPECT_EQ(1u, one.tree.count("TWBACKUP/a.AXS") + one.tree.count("TWBACKUP/a.axs"));
  for (const unsigned jobs : {2u, 4u, 8u}) {
    SCOPED_TRACE(jobs);
    const Outcome many = convertSite(dir, jobs, "many" + std::to_string(jobs), true);
    EXPECT_TRUE(many.ok);
    EXPECT_EQ(one.tree, many.tree);
    // The same lines and messages, but for the destination's name.
    const auto named = [&](std::vector<std::string> texts) {
      const std::string folder = "many" + std::to_string(jobs);
      for (std::string& text : texts)
        for (std::size_t at; (at = text.find(folder)) != std::string::npos;) text.replace(at, folder.size(), "one");
      return texts;
    };
    EXPECT_EQ(one.texts, named(many.texts));
    EXPECT_EQ(one.lines, named(many.lines));
  }
}

// A disk that the files written ahead have filled: a copy made at its turn
// fails while any of them is held. The helpers then stop and drop what they
// wrote, and the copy is made again, so the batch copies what one job
// copies.
TEST(BatchJobs, RoomTakenAheadIsGivenBackWhenAStepFails) {
  struct FullWhileHeld : PlatformFileSystem {
    platform::IoStatus copyNewFile(const std::string& source, const std::string& target, bool& taken) override {
      taken = false;
      if (held > 0) return platform::IoStatus::failure("No space left on device").about("cannot write", target);
      return PlatformFileSystem::copyNewFile(source, target, taken);
    }
    int held = 0;  // files written ahead and not yet named or dropped
  };
  testing_support::TempDir dir;
  makeSite(dir);
  std::filesystem::create_directory(dir.path() / "out");
  FullWhileHeld files;
  BatchHarness batch(files);
  RecordingObserver observer(dir);
  batch.ports.observer = &observer;
  batch.ports.jobs = 4;
  batch.ports.prepare = prepareWithEngine;
  // Files whose names hold "i1" cannot be written ahead (the disk is full
  // then): they are copied at their turn.
  batch.ports.prepareCopy = [&files](const std::string& source, const std::string& target,
                                     const std::string& nearPath) -> PreparedCopy {
    if (target.find("i1") != std::string::npos) return nullptr;
    auto* file = new platform::ReplacementFile(platform::systemFileIo(), target,
                                               platform::ReplacementFile::Target::New);
    ++files.held;
    PreparedCopy copy(file, [&files](platform::ReplacementFile* f) {
      delete f;
      --files.held;
    });
    copy->makeNear(nearPath);
    return platform::copyInto(platform::systemFileIo(), source, *copy) ? copy : nullptr;
  };
  ASSERT_TRUE(batch.run({pathBelow(dir, "site")}, pathBelow(dir, "out"))) << testing::PrintToString(batch.reasons);
  const auto tree = treeOf(pathBelow(dir, "out"));
  for (int i = 0; i < 40; ++i) EXPECT_EQ(1u, tree.count("img/i" + std::to_string(i) + ".gif")) << i;
  EXPECT_EQ(0, files.held);
}

// Two selected folders mirror into one output folder: a file whose name the
// first has already filled is kept, never copied over, with and without
// helpers, whether the batch made the folder or found it. In a folder the
// batch made, the copies look nothing up beforehand.
TEST(BatchJobs, ACopyKeepsWhatTheBatchPutThereFirst) {
  struct CountingLookups : PlatformFileSystem {
    bool pathExists(const std::string& path) override {
      if (path.rfind(below, 0) == 0) ++lookups;
      return PlatformFileSystem::pathExists(path);
    }
    std::string below;  // the folder whose paths are counted
    int lookups = 0;
  };
  for (const bool made : {true, false}) {
    for (const unsigned jobs : {1u, 4u}) {
      SCOPED_TRACE(std::string(made ? "made" : "found") + ", jobs " + std::to_string(jobs));
      testing_support::TempDir dir;
      for (const char* folder : {"one", "two"}) std::filesystem::create_directory(dir.path() / folder);
      writeBytes(pathBelow(dir, "one/x.gif"), "first");
      writeBytes(pathBelow(dir, "two/x.gif"), "second");
      writeBytes(pathBelow(dir, "two/y.gif"), "only");
      if (!made) std::filesystem::create_directory(dir.path() / "out");
      CountingLookups files;
      files.below = pathBelow(dir, "out");
      BatchHarness batch(files);
      RecordingObserver observer(dir);
      batch.ports.observer = &observer;
      useHelpers(batch, jobs);
      ASSERT_TRUE(batch.run({pathBelow(dir, "one"), pathBelow(dir, "two")}, pathBelow(dir, "out")));
      const std::map<std::string, std::string> expected = {{"x.gif", "first"}, {"y.gif", "only"}};
      EXPECT_EQ(expected, treeOf(pathBelow(dir, "out")));
      const std::vector<std::string> lines = {"copied one/x.gif -> out/x.gif", "kept two/x.gif -> out/x.gif",
                                              "copied two/y.gif -> out/y.gif"};
      EXPECT_EQ(lines, observer.lines);
      EXPECT_EQ(made ? 0 : 3, files.lookups);
    }
  }
}

// A batch that stops at a failure leaves nothing of what its helpers had
// prepared beyond it: not a copy, not a page, not a temporary file.
TEST(BatchJobs, AStopLeavesNothingPreparedAhead) {
  testing_support::TempDir dir;
  makeSite(dir);
  writeBytes(pathBelow(dir, "site/img/i1.htm"), std::string("<P>a NUL \0 byte</P>", 19));
  // The destination folders exist: copies are made ahead from the start.
  for (const char* out : {"one", "many"}) std::filesystem::create_directory(dir.path() / out);
  const Outcome one = convertSite(dir, 1, "one", false);
  EXPECT_FALSE(one.ok);
  const Outcome many = convertSite(dir, 4, "many", false);
  EXPECT_FALSE(many.ok);
  EXPECT_EQ(one.tree, many.tree);
  EXPECT_EQ(one.lines.size(), many.lines.size());
  EXPECT_EQ(1u, one.tree.count("img/i1.gif"));
  EXPECT_EQ(0u, one.tree.count("img/i10.gif"));
}

// Each item is told in the order of the walk: copies, kept files, backups
// and conversions; found counts the files ahead.
TEST(BatchReports, EveryItemIsToldOnce) {
  testing_support::TempDir dir;
  std::filesystem::create_directories(dir.path() / "site");
  std::filesystem::create_directories(dir.path() / "out");
  writeBytes(pathBelow(dir, "site/page.htm"), "<P>page</P>\n");
  writeBytes(pathBelow(dir, "site/logo.gif"), "GIF");
  writeBytes(pathBelow(dir, "out/logo.gif"), "an older logo");
  writeBytes(pathBelow(dir, "out/page.htm"), "an earlier result");
  PlatformFileSystem files;
  BatchHarness batch(files);
  RecordingObserver observer(dir);
  batch.ports.observer = &observer;
  ASSERT_TRUE(batch.run({pathBelow(dir, "site/logo.gif"), pathBelow(dir, "site/page.htm")}, pathBelow(dir, "out")));
  EXPECT_EQ((std::vector<std::string>{"kept site/logo.gif -> out/logo.gif",
                                      "backed up out/page.htm -> out/TWBACKUP/page.htm",
                                      "converted site/page.htm -> out/page.htm"}),
            observer.lines);
  EXPECT_EQ(2u, observer.foundFiles);
}

// Without keeping going the first failure ends the batch; with it, every
// other item is handled, each failure told in its place, and the batch
// fails at its end.
TEST(BatchReports, KeepingGoingHandlesEveryOtherItem) {
  for (const bool keepGoing : {false, true}) {
    SCOPED_TRACE(keepGoing ? "keep going" : "stop");
    testing_support::TempDir dir;
    std::filesystem::create_directories(dir.path() / "site");
    writeBytes(pathBelow(dir, "site/a.htm"), "<P>a</P>");
    writeBytes(pathBelow(dir, "site/bad.htm"), std::string("nul\0", 4));
    writeBytes(pathBelow(dir, "site/c.htm"), "<P>c</P>");
    writeBytes(pathBelow(dir, "other.htm"), std::string("\0", 1));
    writeBytes(pathBelow(dir, "last.gif"), "GIF");
    PlatformFileSystem files;
    BatchHarness batch(files);
    RecordingObserver observer(dir);
    batch.ports.observer = &observer;
    BatchState state{{pathBelow(dir, "site/a.htm"), pathBelow(dir, "site/bad.htm"), pathBelow(dir, "site/c.htm"),
                      pathBelow(dir, "other.htm"), pathBelow(dir, "last.gif")},
                     pathBelow(dir, "out"),
                     batch.context,
                     0,
                     "TWBACKUP"};
    state.keepGoing = keepGoing;
    EXPECT_FALSE(convertSelection(state, batch.ports));
    std::vector<std::string> expected = {"converted site/a.htm -> out/a.htm", "failed site/bad.htm"};
    if (keepGoing) {
      expected.insert(expected.end(), {"converted site/c.htm -> out/c.htm", "failed other.htm",
                                       "copied last.gif -> out/last.gif"});
    }
    EXPECT_EQ(expected, observer.lines);
    EXPECT_EQ(keepGoing ? 2u : 1u, batch.texts().size());
    EXPECT_EQ(keepGoing ? 2u : 1u, batch.reasons.size());
  }
}

// A dry run makes the decisions of a real one and writes nothing.
TEST(BatchReports, ADryRunWritesNothing) {
  testing_support::TempDir dir;
  std::filesystem::create_directories(dir.path() / "site/sub");
  std::filesystem::create_directories(dir.path() / "out");
  writeBytes(pathBelow(dir, "site/index.htm"), "<P>home</P>");
  writeBytes(pathBelow(dir, "site/sub/a.htm"), "<P>a</P>");
  writeBytes(pathBelow(dir, "site/sub/logo.gif"), "GIF");
  writeBytes(pathBelow(dir, "out/index.htm"), "an earlier result");
  const auto before = treeOf(dir.path().string());

  PlatformFileSystem real;
  DryRunFileSystem files(real);
  BatchHarness batch(files);
  batch.ports.convert = pretendConverter(files);
  RecordingObserver observer(dir);
  batch.ports.observer = &observer;
  ASSERT_TRUE(batch.run({pathBelow(dir, "site")}, pathBelow(dir, "out")));
  EXPECT_EQ(before, treeOf(dir.path().string()));
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "out" / "sub"));
  std::vector<std::string> lines = observer.lines;
  std::sort(lines.begin(), lines.end());  // the file system's order of entries
  EXPECT_EQ((std::vector<std::string>{"backed up out/index.htm -> out/TWBACKUP/index.htm",
                                      "converted site/index.htm -> out/index.htm",
                                      "converted site/sub/a.htm -> out/sub/a.htm",
                                      "copied site/sub/logo.gif -> out/sub/logo.gif"}),
            lines);
}

}  // namespace
}  // namespace morvane
