// What the batch does with items it must not take as done: special files,
// folders that cannot be listed, folders named like pages, a selection inside
// the destination, and copies or backups that fail halfway.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/fakes/fake_file_system.h"
#include "platform/fakes/faulty_file_io.h"
#include "shell_extension/core/batch_paths.h"
#include "shell_extension/core/testing/batch_harness.h"
#include "testing/files.h"
#include "testing/temp_dir.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace morvane {
namespace {

using testing_support::exists;
using testing_support::readFile;
using testing_support::writeFile;

// --- Over the in-memory file system ------------------------------------------

class BatchSafetyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    batch.ports.convert = [this](engine::ConversionContext&, const char* source, const char* target) {
      conversions.push_back(source);
      const auto page = files.content(source);
      return page && files.writeFile(target, "converted " + *page) ? 1 : 0;
    };
    files.addDirectory(destination);
    files.addFile("C:\\site\\index.htm", "home");
    files.addFile("C:\\site\\img\\logo.gif", "GIF89a");
  }
  bool run(std::vector<std::string> selection) { return batch.run(std::move(selection), destination); }

  platform::FakeFileSystem files{'\\'};
  BatchHarness batch{files};
  std::string destination = "D:\\out";
  std::vector<std::string> conversions;
};

TEST_F(BatchSafetyTest, AFolderNamedLikeAPageIsWalkedAsAFolder) {
  files.addFile("C:\\site\\pics.htm\\a.gif", "gif");
  files.addFile("C:\\site\\pics.htm\\b.htm", "page b");
  files.addFile("C:\\other\\dir.htm\\c.htm", "page c");
  EXPECT_TRUE(run({"C:\\site", "C:\\other\\dir.htm"}));
  EXPECT_EQ("gif", files.content("D:\\out\\pics.htm\\a.gif").value_or("-"));
  EXPECT_EQ("converted page b", files.content("D:\\out\\pics.htm\\b.htm").value_or("-"));
  EXPECT_EQ("converted page c", files.content("D:\\out\\c.htm").value_or("-"));
  EXPECT_TRUE(batch.boxes.shown().empty());
}

// A FIFO or device in the tree, or a folder that cannot be listed, fails the
// item (and stops the batch) instead of hanging or counting as done; the
// copy of a special file never starts.
TEST_F(BatchSafetyTest, ItemsThatCannotBeReadFailTheBatch) {
  const struct {
    const char* title;
    void (*arrange)(platform::FakeFileSystem&);
    const char* failedPath;
    const char* reason;
  } cases[] = {
      {"special file", [](auto& fs) { fs.addSpecial("C:\\site\\img\\pipe"); }, "C:\\site\\img\\pipe",
       "cannot read 'C:\\site\\img\\pipe': is not a regular file"},
      {"special page", [](auto& fs) { fs.addSpecial("C:\\site\\img\\pipe.htm"); }, "C:\\site\\img\\pipe.htm",
       "cannot read 'C:\\site\\img\\pipe.htm': is not a regular file"},
      {"unlistable folder", [](auto& fs) { fs.failOn("list", "C:\\site\\img"); }, "C:\\site\\img",
       "cannot list 'C:\\site\\img': Access is denied"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    files = platform::FakeFileSystem{'\\'};
    batch.forget();
    SetUp();
    files.addFile("C:\\site\\img\\z.gif", "z");
    c.arrange(files);
    EXPECT_FALSE(run({"C:\\site\\img", "C:\\site\\index.htm"}));
    EXPECT_EQ(std::vector<std::string>{failedText(c.failedPath)}, batch.texts());
    EXPECT_EQ(std::vector<std::string>{c.reason}, batch.reasons);
    for (const auto& [source, target] : files.copies()) EXPECT_NE(c.failedPath, source);
    EXPECT_TRUE(conversions.empty());
  }
}

// The selection would overwrite itself: an item inside the destination (by
// name, in any case, or through a link) fails before anything is written.
TEST_F(BatchSafetyTest, ASelectedItemInsideTheDestinationFailsFirst) {
  files.addFile("D:\\out\\in\\page.htm", "inner");
  files.addLink("C:\\shortcut", "D:\\out\\in");
  for (const char* item : {"D:\\out\\in", "d:\\OUT\\in\\page.htm", "D:\\out", "C:\\shortcut"}) {
    SCOPED_TRACE(item);
    batch.forget();
    EXPECT_FALSE(run({"C:\\site", item}));
    EXPECT_EQ(std::vector<std::string>{failedText(item)}, batch.texts());
    EXPECT_EQ(std::vector<std::string>{"cannot convert '" + std::string(item) +
                                       "': it lies inside the destination folder 'D:\\out'"},
              batch.reasons);
    EXPECT_TRUE(conversions.empty());
    EXPECT_TRUE(files.copies().empty());
    EXPECT_FALSE(files.has("D:\\out\\index.htm"));
  }
}

// Where file names keep their case, Index.htm and index.htm are two pages:
// both are converted, neither is backed up as the other, and the script file
// is looked for under the name the engine gives it.
TEST_F(BatchSafetyTest, NamesAreComparedAsTheFileSystemComparesThem) {
  platform::FakeFileSystem exact('/', false);
  files = exact;
  files.addDirectory("/out");
  destination = "/out";
  batch.ports.convert = [this](engine::ConversionContext&, const char* source, const char* target) {
    conversions.push_back(source);
    std::string script = target;
    replaceExtension(script, "AXS");
    return files.writeFile(target, "converted " + *files.content(source)) && files.writeFile(script, "script") ? 1 : 0;
  };
  files.addFile("/site/Index.htm", "upper");
  files.addFile("/site/index.htm", "lower");
  files.addFile("/site/twbackup/x.gif", "not a backup folder here");
  ASSERT_TRUE(run({"/site"}));
  EXPECT_EQ("converted upper", files.content("/out/Index.htm").value_or("-"));
  EXPECT_EQ("converted lower", files.content("/out/index.htm").value_or("-"));
  EXPECT_TRUE(files.has("/out/twbackup/x.gif"));
  EXPECT_FALSE(files.has("/out/TWBACKUP"));
  EXPECT_TRUE(batch.boxes.shown().empty());

  ASSERT_TRUE(run({"/site/index.htm"}));
  EXPECT_EQ("converted lower", files.content("/out/TWBACKUP/index.htm").value_or("-"));
  EXPECT_EQ("script", files.content("/out/TWBACKUP/index.AXS").value_or("-"));
  EXPECT_FALSE(files.has("/out/TWBACKUP/Index.htm"));
}

// --- Over the platform's own file system -------------------------------------

// The platform's file system, where another program takes a name just after
// the batch found it free: freeOnce reads as free the first time it is asked
// for, whatever is there.
struct RacingFileSystem : PlatformFileSystem {
  using PlatformFileSystem::PlatformFileSystem;
  bool canOpenForReading(const std::string& path) override {
    if (!freeOnce.empty() && path == freeOnce) {
      freeOnce.clear();
      return false;
    }
    return PlatformFileSystem::canOpenForReading(path);
  }
  std::string freeOnce;
};

class BatchFilesSafetyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    batch.context.fileIo = &io;
    writeFile(dir.path() / "site" / "index.htm", "<P>new</P>\r\n");
    writeFile(dir.path() / "site" / "big.gif", std::string(1 << 20, 'g'));
    std::filesystem::create_directories(dir.path() / "out");
  }
  std::string path(const std::string& rel) const { return pathBelow(dir, rel); }
  bool run(std::vector<std::string> selection) { return batch.run(std::move(selection), path("out")); }
  int temporaryFiles(const std::string& folder) const {
    int n = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
      if (entry.path().filename().string().rfind("~tw", 0) == 0) ++n;
    return n;
  }

  testing_support::TempDir dir;
  platform::FaultyFileIo io;
  RacingFileSystem files{io};
  BatchHarness batch{files};
  std::vector<std::string>& reasons = batch.reasons;
};

// A backup name that another batch takes between the look for a free name and
// the copy keeps that batch's file: the earlier page goes to the next free
// name.
TEST_F(BatchFilesSafetyTest, ABackupNameTakenMeanwhileKeepsItsFile) {
  writeFile(path("out/index.htm"), "earlier page");
  std::filesystem::create_directories(dir.path() / "out" / "TWBACKUP");
  writeFile(path("out/TWBACKUP/index.htm"), "another batch's backup");
  files.freeOnce = path("out/TWBACKUP/index.htm");
  EXPECT_TRUE(run({path("site/index.htm")})) << testing::PrintToString(reasons);
  EXPECT_EQ("another batch's backup", readFile(path("out/TWBACKUP/index.htm")));
  EXPECT_EQ("earlier page", readFile(path("out/TWBACKUP/index_1.htm")));
  EXPECT_NE("earlier page", readFile(path("out/index.htm")));
  EXPECT_EQ(0, temporaryFiles(path("out")));
}

// A copy that fails halfway leaves no target at all, so a later run copies
// it whole instead of keeping a truncated file as done.
TEST_F(BatchFilesSafetyTest, ACopyIsCompleteOrAbsent) {
  io.failWrite(2);
  EXPECT_FALSE(run({path("site/big.gif")}));
  EXPECT_FALSE(exists(path("out/big.gif")));
  ASSERT_EQ(1u, reasons.size());
  EXPECT_EQ("cannot write '" + path("out/big.gif") + "': No space left on device", reasons[0]);
  EXPECT_EQ(0, temporaryFiles(path("out")));
  EXPECT_TRUE(run({path("site/big.gif")}));
  EXPECT_EQ(std::string(1 << 20, 'g'), readFile(path("out/big.gif")));
}

// A backup that cannot be made keeps the earlier page, and the page is not
// converted; a conversion whose page cannot be moved into place keeps it too.
TEST_F(BatchFilesSafetyTest, FailedBackupsAndReplacementsKeepTheEarlierPage) {
  writeFile(path("out/index.htm"), "earlier page");
  io.failCreate(1);  // the backup copy
  EXPECT_FALSE(run({path("site/index.htm")}));
  EXPECT_EQ("earlier page", readFile(path("out/index.htm")));
  EXPECT_FALSE(exists(path("out/TWBACKUP/index.htm")));
  ASSERT_EQ(1u, reasons.size());
  EXPECT_EQ(0u, reasons[0].find("cannot write '" + path("out/TWBACKUP/index.htm") + "': "));

  reasons.clear();
  io.failReplace(2);  // the backup is made, the page's move fails
  EXPECT_FALSE(run({path("site/index.htm")}));
  EXPECT_EQ("earlier page", readFile(path("out/index.htm")));
  EXPECT_EQ("earlier page", readFile(path("out/TWBACKUP/index.htm")));
  ASSERT_EQ(1u, reasons.size());
  EXPECT_EQ(0u, reasons[0].find("cannot write '" + path("out/index.htm") + "': "));
  EXPECT_EQ(0, temporaryFiles(path("out")));
}

#ifndef _WIN32
// Special files in a real tree: a FIFO would hang a copy and a link to
// /dev/zero would fill the disk; both fail at once, and nothing is written.
TEST_F(BatchFilesSafetyTest, SpecialFilesInTheTreeFailWithoutACopy) {
  std::filesystem::create_directories(dir.path() / "tree");
  ASSERT_EQ(0, mkfifo(path("tree/pipe.gif").c_str(), 0600));
  ASSERT_EQ(0, symlink("/dev/zero", path("tree/zero.htm").c_str()));
  for (const char* name : {"pipe.gif", "zero.htm"}) {
    SCOPED_TRACE(name);
    reasons.clear();
    EXPECT_FALSE(run({path(std::string("tree/") + name)}));
    EXPECT_EQ(std::vector<std::string>{"cannot read '" + path(std::string("tree/") + name) +
                                       "': is not a regular file"},
              reasons);
    EXPECT_FALSE(exists(path(std::string("out/") + name)));
  }
  EXPECT_EQ(0, temporaryFiles(path("out")));
}
#endif

}  // namespace
}  // namespace morvane
