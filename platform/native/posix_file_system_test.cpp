#include "platform/native/posix_file_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include <sys/stat.h>

#include "testing/temp_dir.h"

namespace platform {
namespace {

using testing_support::TempDir;
using testing_support::writeBytes;

// Names are matched as the file system matches them: Index.html and
// index.html are two files.
TEST(PosixFileSystem, MatchesNamesExactly) {
  TempDir dir;
  PosixFileSystem fs;
  EXPECT_FALSE(fs.namesIgnoreCase());
  writeBytes(dir.file("index.AXS"), "script");
  EXPECT_TRUE(fs.pathExists(dir.file("index.AXS")));
  EXPECT_FALSE(fs.pathExists(dir.file("index.axs")));
  EXPECT_FALSE(fs.canOpenForReading(dir.file("INDEX.AXS")));
  EXPECT_TRUE(fs.copyFile(dir.file("index.AXS"), dir.file("copy.axs")));
  EXPECT_EQ("script", testing_support::readBytes(dir.file("copy.axs")));
  EXPECT_FALSE(fs.pathExists(""));
}

TEST(PosixFileSystem, FoldersFilesAndCreation) {
  TempDir dir;
  PosixFileSystem fs;
  EXPECT_EQ('/', fs.separator());
  EXPECT_EQ(CreateResult::Created, fs.createDirectory(dir.file("a")));
  EXPECT_EQ(CreateResult::AlreadyExists, fs.createDirectory(dir.file("a")));
  EXPECT_EQ(CreateResult::Failed, fs.createDirectory(dir.file("missing/b")));
  EXPECT_TRUE(fs.isDirectory(dir.file("a")));
  EXPECT_TRUE(fs.isDirectory(dir.file("a") + "/"));
  EXPECT_FALSE(fs.canOpenForReading(dir.file("a")));  // a folder is no file to read
  EXPECT_EQ("cannot read '" + dir.file("a") + "': is a directory", fs.copyFile(dir.file("a"), dir.file("b")).describe());
  EXPECT_EQ(FileKind::Directory, fs.kindOf(dir.file("a")));
  writeBytes(dir.file("f"), "new");
  writeBytes(dir.file("g"), "old and longer");
  EXPECT_TRUE(fs.copyFile(dir.file("f"), dir.file("g")));  // replaces
  EXPECT_EQ("new", testing_support::readBytes(dir.file("g")));
  EXPECT_FALSE(fs.copyFile(dir.file("none"), dir.file("h")));
  EXPECT_FALSE(fs.isDirectory(dir.file("f")));
  EXPECT_EQ(FileKind::Regular, fs.kindOf(dir.file("f")));
  EXPECT_EQ(FileKind::Missing, fs.kindOf(dir.file("none")));
  EXPECT_EQ(FileKind::Other, fs.kindOf("/dev/null"));
}

// Entries come sorted by their bytes, whatever order the file system keeps.
TEST(PosixFileSystem, ListsEveryEntryInNameOrderAndIdentifiesFolders) {
  TempDir dir;
  PosixFileSystem fs;
  for (const char* name : {"x.htm", "B.htm", "a.htm", "x.htm~", "10.gif", "9.gif"}) writeBytes(dir.file(name), "");
  fs.createDirectory(dir.file("sub"));
  std::vector<std::string> names;
  ASSERT_TRUE(fs.listDirectory(dir.path().string(), names));
  EXPECT_EQ((std::vector<std::string>{".", "..", "10.gif", "9.gif", "B.htm", "a.htm", "sub", "x.htm", "x.htm~"}), names);
  EXPECT_EQ("cannot list '" + dir.file("nothing") + "': No such file or directory",
            fs.listDirectory(dir.file("nothing"), names).describe());
  EXPECT_TRUE(names.empty());

  std::filesystem::create_directory_symlink(dir.file("sub"), dir.file("link"));
  EXPECT_FALSE(fs.directoryIdentity(dir.file("sub")).empty());
  EXPECT_EQ(fs.directoryIdentity(dir.file("sub")), fs.directoryIdentity(dir.file("link")));
  EXPECT_NE(fs.directoryIdentity(dir.file("sub")), fs.directoryIdentity(dir.path().string()));
  EXPECT_EQ("", fs.directoryIdentity(dir.file("x.htm")));
}

// The kinds a listing gives are those kindOf gives, links followed, whether
// the listing told them or they were looked up.
TEST(PosixFileSystem, ListsEntriesWithTheirKinds) {
  TempDir dir;
  PosixFileSystem fs;
  writeBytes(dir.file("page.htm"), "");
  fs.createDirectory(dir.file("sub"));
  ASSERT_EQ(0, mkfifo(dir.file("pipe").c_str(), 0600));
  std::filesystem::create_symlink(dir.file("page.htm"), dir.file("to-page"));
  std::filesystem::create_directory_symlink(dir.file("sub"), dir.file("to-sub"));
  std::filesystem::create_symlink(dir.file("nothing"), dir.file("dangling"));
  std::vector<std::string> names;
  std::vector<FileKind> kinds;
  ASSERT_TRUE(fs.listEntries(dir.path().string(), names, kinds));
  EXPECT_EQ((std::vector<std::string>{".", "..", "dangling", "page.htm", "pipe", "sub", "to-page", "to-sub"}), names);
  EXPECT_EQ((std::vector<FileKind>{FileKind::Directory, FileKind::Directory, FileKind::Missing, FileKind::Regular,
                                   FileKind::Other, FileKind::Directory, FileKind::Regular, FileKind::Directory}),
            kinds);
  for (std::size_t i = 2; i < names.size(); ++i) EXPECT_EQ(fs.kindOf(dir.file(names[i])), kinds[i]) << names[i];
  EXPECT_FALSE(fs.listEntries(dir.file("nothing"), names, kinds));
  EXPECT_TRUE(names.empty() && kinds.empty());
}

}  // namespace
}  // namespace platform
