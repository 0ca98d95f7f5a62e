#include "platform/safe_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <utility>

#include "platform/fakes/faulty_file_io.h"
#include "testing/temp_dir.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {
namespace {

using testing_support::exists;
using testing_support::readBytes;
using testing_support::TempDir;
using testing_support::writeBytes;

// Names in the folder that look like our temporary files.
int temporaryFiles(const TempDir& dir) {
  int n = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("~tw", 0) == 0 && name.size() > 4 && name.substr(name.size() - 4) == ".tmp") ++n;
  }
  return n;
}

const std::string kOld = "the old page\r\n";
const std::string kNew(300000, 'n');  // several writes of a limited size

struct Fault {
  const char* name;
  std::function<void(FaultyFileIo&)> arm;
  const char* reason;  // empty: the replacement succeeds
};

// Every step of a replacement that fails leaves the old file as it was and no
// temporary file; a short write that succeeds is completed.
TEST(ReplacementFile, AFailureAtAnyStepKeepsTheOldFile) {
  const Fault faults[] = {
      {"first write", [](FaultyFileIo& io) { io.failWrite(1); }, "No space left on device"},
      {"third short write", [](FaultyFileIo& io) { io.limitWrites(4096), io.failWrite(3); }, "No space left on device"},
      {"short writes only", [](FaultyFileIo& io) { io.limitWrites(777); }, ""},
      {"no temporary file", [](FaultyFileIo& io) { io.failCreate(1); }, "Permission denied"},
      {"flush", [](FaultyFileIo& io) { io.failFlush(); }, "Input/output error"},
      {"close", [](FaultyFileIo& io) { io.failClose(); }, "No space left on device"},
      {"rename", [](FaultyFileIo& io) { io.failReplace(1); }, "Permission denied"},
  };
  for (const Fault& fault : faults) {
    SCOPED_TRACE(fault.name);
    TempDir dir;
    const std::string page = dir.file("page.htm");
    writeBytes(page, kOld);
    FaultyFileIo io;
    fault.arm(io);
    ReplacementFile file(io, page);
    file.write(kNew.substr(0, 100000));
    file.write(kNew.substr(100000));
    const IoStatus status = file.commit();
    if (*fault.reason) {
      EXPECT_FALSE(status);
      EXPECT_EQ("cannot write '" + page + "': " + fault.reason, status.describe());
      EXPECT_EQ(kOld, readBytes(page));
    } else {
      EXPECT_TRUE(status) << status.describe();
      EXPECT_EQ(kNew, readBytes(page));
    }
    EXPECT_EQ(0, temporaryFiles(dir));
  }
}

TEST(ReplacementFile, DroppedWithoutCommitLeavesNoTrace) {
  TempDir dir;
  writeBytes(dir.file("page.htm"), kOld);
  {
    ReplacementFile file(systemFileIo(), dir.file("page.htm"));
    file.write("half of a new page");
  }
  EXPECT_EQ(kOld, readBytes(dir.file("page.htm")));
  {
    ReplacementFile file(systemFileIo(), dir.file("new.htm"));
    file.write("never committed");
  }
  EXPECT_FALSE(exists(dir.file("new.htm")));
  EXPECT_EQ(0, temporaryFiles(dir));
}

TEST(ReplacementFile, ForcesDataToDiskOnlyWhenAFileIsReplaced) {
  TempDir dir;
  FaultyFileIo io;
  {
    ReplacementFile file(io, dir.file("new.htm"));
    file.write("x");
    ASSERT_TRUE(file.commit());
  }
  EXPECT_EQ(0, io.flushes());
  {
    ReplacementFile file(io, dir.file("new.htm"));
    file.write("y");
    ASSERT_TRUE(file.commit());
  }
  EXPECT_EQ(1, io.flushes());
  EXPECT_EQ("y", readBytes(dir.file("new.htm")));
}

TEST(ReplacementFile, AnEmptyCommitWritesAnEmptyFile) {
  TempDir dir;
  writeBytes(dir.file("page.htm"), kOld);
  ReplacementFile file(systemFileIo(), dir.file("page.htm"));
  ASSERT_TRUE(file.commit());
  EXPECT_TRUE(exists(dir.file("page.htm")));
  EXPECT_EQ("", readBytes(dir.file("page.htm")));
}

TEST(ReplacementFile, AMissingFolderIsReportedAndNothingIsCreated) {
  TempDir dir;
  ReplacementFile file(systemFileIo(), dir.file("no-such-folder/page.htm"));
  EXPECT_FALSE(file.write("x"));
  const IoStatus status = file.commit();
  EXPECT_FALSE(status);
  EXPECT_NE(std::string::npos, status.describe().find("cannot write '" + dir.file("no-such-folder/page.htm")));
  EXPECT_FALSE(exists(dir.file("no-such-folder")));
}

TEST(ReadWholeFile, ReadsRegularFilesAndRefusesEverythingElse) {
  TempDir dir;
  writeBytes(dir.file("page.htm"), kOld);
  writeBytes(dir.file("empty.htm"), "");
  std::filesystem::create_directory(dir.path() / "pics.htm");
  std::string out = "stale";
  ASSERT_TRUE(readWholeFile(systemFileIo(), dir.file("page.htm"), 1 << 20, out));
  EXPECT_EQ(kOld, out);
  ASSERT_TRUE(readWholeFile(systemFileIo(), dir.file("empty.htm"), 1 << 20, out));
  EXPECT_EQ("", out);

  const struct {
    std::string path;
    std::uint64_t limit;
    std::string reason;
  } refused[] = {
      {dir.file("pics.htm"), 1 << 20, "is a directory"},
      {dir.file("page.htm"), 4, "is larger than 4 bytes, the most a page may hold"},
      {dir.file("page.htm"), 0, "is larger than 0 MiB, the most a page may hold"},
  };
  for (const auto& row : refused) {
    const IoStatus status = readWholeFile(systemFileIo(), row.path, row.limit, out);
    EXPECT_EQ("cannot read '" + row.path + "': " + row.reason, status.describe());
    EXPECT_EQ("", out);
  }
  const IoStatus missing = readWholeFile(systemFileIo(), dir.file("missing.htm"), 1 << 20, out);
  EXPECT_FALSE(missing);
  EXPECT_EQ(dir.file("missing.htm"), missing.path());
}

TEST(CopyFileSafely, ATargetIsAbsentOrCompleteNeverPartial) {
  TempDir dir;
  const std::string big(1 << 20, 'b');
  writeBytes(dir.file("source.gif"), big);
  writeBytes(dir.file("old.gif"), kOld);
  for (const char* target : {"new.gif", "old.gif"}) {
    SCOPED_TRACE(target);
    FaultyFileIo io;
    io.failWrite(2);
    const IoStatus status = copyFileSafely(io, dir.file("source.gif"), dir.file(target));
    EXPECT_EQ("cannot write '" + dir.file(target) + "': No space left on device", status.describe());
    EXPECT_EQ(std::string(target) == "old.gif", exists(dir.file(target)));
    if (exists(dir.file(target))) {
      EXPECT_EQ(kOld, readBytes(dir.file(target)));
    }
  }
  ASSERT_TRUE(copyFileSafely(systemFileIo(), dir.file("source.gif"), dir.file("old.gif")));
  EXPECT_EQ(big, readBytes(dir.file("old.gif")));

  FaultyFileIo failingReads;
  failingReads.failReads();
  EXPECT_EQ("cannot read '" + dir.file("source.gif") + "': Input/output error",
            copyFileSafely(failingReads, dir.file("source.gif"), dir.file("new.gif")).describe());
  EXPECT_FALSE(exists(dir.file("new.gif")));
  EXPECT_EQ(0, temporaryFiles(dir));
}

#ifndef _WIN32
// A link at the destination stays a link: the file it names is replaced, with
// its access rights. A link that names nothing is refused.
TEST(ReplacementFile, WritesThroughLinksAndKeepsAccessRights) {
  TempDir dir;
  std::filesystem::create_directory(dir.path() / "real");
  writeBytes(dir.file("real/page.htm"), kOld);
  ASSERT_EQ(0, chmod(dir.file("real/page.htm").c_str(), 0640));
  ASSERT_EQ(0, symlink("real/page.htm", dir.file("link.htm").c_str()));
  ASSERT_EQ(0, symlink("link.htm", dir.file("link2.htm").c_str()));
  ReplacementFile file(systemFileIo(), dir.file("link2.htm"));
  file.write("new");
  ASSERT_TRUE(file.commit());
  EXPECT_TRUE(std::filesystem::is_symlink(dir.path() / "link2.htm"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.path() / "link.htm"));
  EXPECT_EQ("new", readBytes(dir.file("real/page.htm")));
  struct stat st;
  ASSERT_EQ(0, stat(dir.file("real/page.htm").c_str(), &st));
  EXPECT_EQ(0640u, st.st_mode & 07777);

  ASSERT_EQ(0, symlink("gone.htm", dir.file("dangling.htm").c_str()));
  ReplacementFile dangling(systemFileIo(), dir.file("dangling.htm"));
  EXPECT_EQ("cannot write '" + dir.file("dangling.htm") + "': is a link to a file that does not exist",
            dangling.commit().describe());
  EXPECT_FALSE(exists(dir.file("gone.htm")));
}

// A new file is written without a name where the system allows it: nothing
// of it shows in its folder until it is complete, it gets the rights of a new
// file, and a file that takes its name meanwhile is replaced all the same.
TEST(ReplacementFile, ANewFileShowsOnlyWhenComplete) {
  TempDir dir;
  const mode_t mask = umask(022);
  umask(mask);
  {
    ReplacementFile file(systemFileIo(), dir.file("new.htm"));
    file.write(kNew);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "a new file showed before its commit";
    ASSERT_TRUE(file.commit());
  }
  EXPECT_EQ(kNew, readBytes(dir.file("new.htm")));
  struct stat st;
  ASSERT_EQ(0, stat(dir.file("new.htm").c_str(), &st));
  EXPECT_EQ(0666u & ~mask, st.st_mode & 07777);

  ReplacementFile racing(systemFileIo(), dir.file("raced.htm"));
  racing.write("mine");
  writeBytes(dir.file("raced.htm"), "someone else's");
  ASSERT_TRUE(racing.commit());
  EXPECT_EQ("mine", readBytes(dir.file("raced.htm")));
  EXPECT_EQ(0, temporaryFiles(dir));
}

// A target the caller has just seen absent is not looked up again; the
// file is still new until complete, and whatever takes its name meanwhile is
// replaced in one step (a folder is not: the write fails and leaves it). A
// New target replaces nothing: what takes its name stays, and the commit
// says the name was taken.
TEST(ReplacementFile, ATargetSeenAbsentIsNotLookedUpAgain) {
  using Target = ReplacementFile::Target;
  struct Case {
    Target known;
    const char* meanwhile;  // what appears at the target before the commit
    int lookups;
    const char* failure;  // empty: the new file is there
    bool taken;
  };
  const Case cases[] = {
      {Target::Unknown, "", 1, "", false},
      {Target::SeenAbsent, "", 0, "", false},
      {Target::SeenAbsent, "file", 0, "", false},
      {Target::SeenAbsent, "folder", 0, "cannot write", false},
      {Target::New, "", 0, "", false},
      {Target::New, "file", 0, "cannot write", true},
      {Target::New, "folder", 0, "cannot write", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.meanwhile) + " known as " + std::to_string(static_cast<int>(c.known)));
    TempDir dir;
    FaultyFileIo io;
    const std::string target = dir.file("page.htm");
    ReplacementFile file(io, target, c.known);
    file.write(kNew);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    if (std::string(c.meanwhile) == "file") writeBytes(target, kOld);
    if (std::string(c.meanwhile) == "folder") std::filesystem::create_directory(target);
    const IoStatus status = file.commit();
    EXPECT_EQ(c.lookups, io.lookups());
    EXPECT_EQ(c.taken, file.targetTaken());
    if (*c.failure) {
      EXPECT_EQ(0u, status.describe().rfind(std::string(c.failure) + " '" + target + "'", 0)) << status.describe();
      if (std::string(c.meanwhile) == "file") EXPECT_EQ(kOld, readBytes(target));
      if (std::string(c.meanwhile) == "folder") EXPECT_TRUE(std::filesystem::is_directory(target));
    } else {
      ASSERT_TRUE(status) << status.describe();
      EXPECT_EQ(kNew, readBytes(target));
    }
    EXPECT_EQ(0, temporaryFiles(dir));
  }
}

// A copy to a new file copies into a free name and leaves a taken one as it
// is, also when the name is taken while the copy is written.
TEST(ReplacementFile, ACopyToANewFileNeverReplacesAnything) {
  struct TakingIo : FaultyFileIo {
    std::string takeOnWrite;  // the path a file appears at with the first write
    IoStatus write(Handle handle, const char* data, std::size_t size, std::size_t& written) override {
      if (!takeOnWrite.empty()) writeBytes(std::exchange(takeOnWrite, ""), kOld);
      return FaultyFileIo::write(handle, data, size, written);
    }
  };
  for (const char* when : {"never", "before", "while copying"}) {
    SCOPED_TRACE(when);
    TempDir dir;
    TakingIo io;
    const std::string source = dir.file("source.gif");
    const std::string target = dir.file("copy.gif");
    writeBytes(source, kNew);
    if (std::string(when) == "before") writeBytes(target, kOld);
    if (std::string(when) == "while copying") io.takeOnWrite = target;
    bool taken = true;
    const IoStatus status = copyToNewFile(io, source, target, taken);
    EXPECT_EQ(std::string(when) != "never", taken);
    EXPECT_EQ(!taken, status.ok()) << status.describe();
    EXPECT_EQ(taken ? kOld : kNew, readBytes(target));
    EXPECT_EQ(kNew, readBytes(source));
    EXPECT_EQ(0, temporaryFiles(dir));
  }
}

// A file made near (in another folder of the file system) reaches a target
// whose folder was made only after it was written; dropped, it leaves
// nothing in either folder.
TEST(ReplacementFile, AFileMadeNearMovesToItsTargetWhenCommitted) {
  TempDir dir;
  std::filesystem::create_directory(dir.path() / "near");
  const std::string target = dir.file("later/page.gif");
  {
    ReplacementFile dropped(systemFileIo(), target, ReplacementFile::Target::SeenAbsent);
    dropped.makeNear(dir.file("near/page.gif"));
    ASSERT_TRUE(dropped.write(kNew));
  }
  ReplacementFile file(systemFileIo(), target, ReplacementFile::Target::SeenAbsent);
  file.makeNear(dir.file("near/page.gif"));
  ASSERT_TRUE(file.write(kNew));
  std::filesystem::create_directory(dir.path() / "later");
  ASSERT_TRUE(file.commit());
  EXPECT_EQ(kNew, readBytes(target));
  EXPECT_TRUE(std::filesystem::is_empty(dir.path() / "near"));
  EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(dir.path() / "later"), {}));
}

TEST(ReplacementFile, NeverReplacesAFolderOrAFifo) {
  TempDir dir;
  std::filesystem::create_directory(dir.path() / "folder.htm");
  ASSERT_EQ(0, mkfifo(dir.file("pipe.htm").c_str(), 0600));
  for (const char* name : {"folder.htm", "pipe.htm"}) {
    ReplacementFile file(systemFileIo(), dir.file(name));
    file.write("x");
    const IoStatus status = file.commit();
    EXPECT_EQ("cannot write '" + dir.file(name) + "': " +
                  (std::string(name) == "pipe.htm" ? "is not a regular file" : "is a directory"),
              status.describe());
  }
  EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "folder.htm"));
  EXPECT_TRUE(std::filesystem::is_fifo(dir.path() / "pipe.htm"));
  EXPECT_EQ(0, temporaryFiles(dir));
}

TEST(ReadWholeFile, NeverWaitsOnAFifo) {
  TempDir dir;
  ASSERT_EQ(0, mkfifo(dir.file("pipe.htm").c_str(), 0600));
  std::string out;
  EXPECT_EQ("cannot read '" + dir.file("pipe.htm") + "': is not a regular file",
            readWholeFile(systemFileIo(), dir.file("pipe.htm"), 1 << 20, out).describe());
  EXPECT_EQ("cannot read '/dev/zero': is not a regular file",
            readWholeFile(systemFileIo(), "/dev/zero", 1 << 20, out).describe());
}
#endif

}  // namespace
}  // namespace platform
