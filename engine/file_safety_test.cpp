// What a conversion does to the files on disk when something goes wrong: the
// page, its script file and its property files are replaced whole or not at
// all, and a source that cannot be read fails the conversion.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "engine/driver.h"
#include "engine/text_file.h"
#include "platform/fakes/faulty_file_io.h"
#include "testing/temp_dir.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace engine {
namespace {

using testing_support::exists;
using testing_support::readBytes;
using testing_support::TempDir;
using testing_support::writeBytes;

// A page with an object (a property file with --ods), a VBScript block (a
// script file) and a size comment.
const std::string kPage =
    "<HTML><BODY>\r\n"
    "<OBJECT ID=\"Label1\" CLASSID=\"CLSID:98FBE040-5A24-11CF-8B11-00AA00C00903\" WIDTH=10>\r\n"
    "</OBJECT>\r\n"
    "<SCRIPT LANGUAGE=\"VBScript\">\r\nSub Go\r\nEnd Sub\r\n</SCRIPT>\r\n"
    "</BODY></HTML>\r\n";
const std::string kOldPage = "the page of an earlier conversion\r\n";
const std::string kOldScript = "Sub Old\r\nEnd Sub\r\n";
const std::string kSameClassOds("\x40\xE0\xFB\x98\x24\x5A\xCF\x11\x8B\x11\x00\xAA\x00\xC0\x09\x03", 16);

int temporaryFiles(const TempDir& dir) {
  int n = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("~tw", 0) == 0) ++n;
  }
  return n;
}

struct Outcome {
  int result;
  std::string failure;
};

Outcome convert(const TempDir& dir, platform::FileIo& io, const std::string& source = "in.htm",
                const std::string& dest = "page.htm") {
  ConversionContext context;
  context.fileIo = &io;
  context.useOdsFiles = 1;
  context.clock = [] { return std::time_t(0); };
  const int result = convertFile(context, dir.file(source).c_str(), dir.file(dest).c_str());
  return {result, context.failure};
}

// The files of a successful conversion over the same old files.
struct Converted {
  std::string page, script, ods;
};
Converted convertedFiles() {
  TempDir dir;
  writeBytes(dir.file("in.htm"), kPage);
  writeBytes(dir.file("Label1.ODS"), kSameClassOds);
  EXPECT_EQ(1, convert(dir, platform::systemFileIo()).result);
  return {readBytes(dir.file("page.htm")), readBytes(dir.file("page.AXS")), readBytes(dir.file("Label1.ODS"))};
}

// Each write fails in turn (the property file is created first, then the
// page, then the script file): the file that failed keeps its old bytes, the
// others are complete, and the result says whether page or script failed.
TEST(ConversionFileSafety, AFailedWriteKeepsThatFileAsItWas) {
  const Converted fresh = convertedFiles();
  struct Fault {
    const char* name;
    std::function<void(platform::FaultyFileIo&)> arm;
    int result;
    bool pageKept, scriptKept, odsKept;
    const char* failedFile;
  };
  const Fault faults[] = {
      {"property file: no space", [](auto& io) { io.failWrite(1); }, 1, false, false, true, nullptr},
      {"property file: rename", [](auto& io) { io.failReplace(1); }, 1, false, false, true, nullptr},
      {"page: cannot create", [](auto& io) { io.failCreate(2); }, 0, true, false, false, "page.htm"},
      {"page: no space", [](auto& io) { io.failWrite(2); }, 0, true, false, false, "page.htm"},
      {"page: rename", [](auto& io) { io.failReplace(2); }, 0, true, false, false, "page.htm"},
      {"script: no space", [](auto& io) { io.failWrite(3); }, 0, false, true, false, "page.AXS"},
      {"script: rename", [](auto& io) { io.failReplace(3); }, 0, false, true, false, "page.AXS"},
      {"page and script: flush", [](auto& io) { io.failFlush(); }, 0, true, true, true, "page.htm"},
      {"short writes", [](auto& io) { io.limitWrites(5); }, 1, false, false, false, nullptr},
  };
  for (const Fault& fault : faults) {
    SCOPED_TRACE(fault.name);
    TempDir dir;
    writeBytes(dir.file("in.htm"), kPage);
    writeBytes(dir.file("page.htm"), kOldPage);
    writeBytes(dir.file("page.AXS"), kOldScript);
    writeBytes(dir.file("Label1.ODS"), kSameClassOds);
    // The property file is rewritten with the same bytes: make the old one
    // tell itself apart by its time of change instead of its bytes.
    const auto odsTime = std::filesystem::last_write_time(dir.path() / "Label1.ODS") - std::chrono::hours(1);
    std::filesystem::last_write_time(dir.path() / "Label1.ODS", odsTime);
    platform::FaultyFileIo io;
    fault.arm(io);
    const Outcome outcome = convert(dir, io);
    EXPECT_EQ(fault.result, outcome.result);
    if (fault.failedFile) {
      EXPECT_EQ(0u, outcome.failure.find("cannot write '" + dir.file(fault.failedFile) + "': ")) << outcome.failure;
    }
    if (fault.pageKept) {
      EXPECT_EQ(kOldPage, readBytes(dir.file("page.htm")));
    } else if (!fault.odsKept) {
      EXPECT_EQ(fresh.page, readBytes(dir.file("page.htm")));
    } else {  // the object is copied unchanged when its property file fails
      EXPECT_EQ(std::string::npos, readBytes(dir.file("page.htm")).find("SRC=\"Label1.ODS\""));
    }
    EXPECT_EQ(fault.scriptKept ? kOldScript : fresh.script, readBytes(dir.file("page.AXS")));
    EXPECT_EQ(kSameClassOds, readBytes(dir.file("Label1.ODS")));
    EXPECT_EQ(fault.odsKept, std::filesystem::last_write_time(dir.path() / "Label1.ODS") == odsTime);
    EXPECT_EQ(0, temporaryFiles(dir));
  }
}

// A source that is not a readable regular file fails the conversion, names
// the reason and writes nothing: an existing destination stays as it was.
TEST(ConversionFileSafety, AnUnreadableSourceFailsAndWritesNothing) {
  TempDir dir;
  std::filesystem::create_directory(dir.path() / "pics.htm");
  writeBytes(dir.file("nul-byte.htm"), std::string("a\0b", 3));
  struct Row {
    std::string source;
    std::string failure;  // after "cannot read '<path>': " or the like
  };
  std::vector<Row> rows = {
      {"pics.htm", "cannot read '" + dir.file("pics.htm") + "': is a directory"},
      {"nul-byte.htm", "cannot convert '" + dir.file("nul-byte.htm") + "': holds a NUL byte"},
      {"missing.htm", "cannot read '" + dir.file("missing.htm") + "': "},
  };
#ifdef _WIN32
  // A device name opens the device, which is no page.
  rows.push_back({"nul.htm", "cannot read '" + dir.file("nul.htm") + "': is not a regular file"});
#else
  ASSERT_EQ(0, mkfifo(dir.file("fifo.htm").c_str(), 0600));
  ASSERT_EQ(0, symlink("/dev/zero", dir.file("zero.htm").c_str()));
  rows.push_back({"fifo.htm", "cannot read '" + dir.file("fifo.htm") + "': is not a regular file"});
  rows.push_back({"zero.htm", "cannot read '" + dir.file("zero.htm") + "': is not a regular file"});
  // Larger than the limit, also by 2^32 and a few bytes (never cut to its
  // size modulo 2^32); sparse, so nothing is written to the disk.
  for (std::uint64_t size : {kMaxPageBytes + 1, (std::uint64_t(1) << 32) + 10}) {
    const std::string name = "big" + std::to_string(size) + ".htm";
    writeBytes(dir.file(name), "");
    std::filesystem::resize_file(dir.path() / name, size);
    rows.push_back({name, "cannot read '" + dir.file(name) + "': is larger than 1024 MiB, the most a page may hold"});
  }
  if (getuid() != 0) {  // root reads everything
    writeBytes(dir.file("locked.htm"), "<P>");
    chmod(dir.file("locked.htm").c_str(), 0);
    rows.push_back({"locked.htm", "cannot read '" + dir.file("locked.htm") + "': Permission denied"});
  }
#endif
  for (const Row& row : rows) {
    SCOPED_TRACE(row.source);
    writeBytes(dir.file("page.htm"), kOldPage);
    const Outcome outcome = convert(dir, platform::systemFileIo(), row.source);
    EXPECT_EQ(0, outcome.result);
    EXPECT_EQ(0u, outcome.failure.find(row.failure)) << outcome.failure;
    EXPECT_EQ(kOldPage, readBytes(dir.file("page.htm")));
    EXPECT_FALSE(exists(dir.file("page.AXS")));
    EXPECT_EQ(0, temporaryFiles(dir));
  }
}

// Converting a page over itself gives the converted page, as converting a
// copy would; so does a second name of the same file.
TEST(ConversionFileSafety, ConvertsAPageInPlace) {
  const Converted fresh = convertedFiles();
  TempDir dir;
  writeBytes(dir.file("page.htm"), kPage);
  writeBytes(dir.file("Label1.ODS"), kSameClassOds);
  EXPECT_EQ(1, convert(dir, platform::systemFileIo(), "page.htm", "page.htm").result);
  EXPECT_EQ(fresh.page, readBytes(dir.file("page.htm")));
#ifndef _WIN32
  for (const bool hard : {false, true}) {
    SCOPED_TRACE(hard ? "hard link" : "symbolic link");
    TempDir linked;
    writeBytes(linked.file("page.htm"), kPage);
    writeBytes(linked.file("Label1.ODS"), kSameClassOds);
    const std::string second = linked.file("second.htm");
    ASSERT_EQ(0, hard ? link(linked.file("page.htm").c_str(), second.c_str())
                      : symlink("page.htm", second.c_str()));
    EXPECT_EQ(1, convert(linked, platform::systemFileIo(), "second.htm", "page.htm").result);
    EXPECT_EQ(fresh.page, readBytes(linked.file("page.htm")));
    // A hard link is a name of its own: it keeps the page as it was, while a
    // symbolic link shows the converted page.
    EXPECT_EQ(hard ? kPage : fresh.page, readBytes(second));
  }
#endif
}

#ifndef _WIN32
// A destination that is a link stays a link and the page it names is
// replaced; a link to nothing is refused.
TEST(ConversionFileSafety, DestinationLinksStayLinks) {
  TempDir dir;
  writeBytes(dir.file("in.htm"), "<P>new</P>\r\n");
  std::filesystem::create_directory(dir.path() / "site");
  writeBytes(dir.file("site/real.htm"), kOldPage);
  ASSERT_EQ(0, symlink("site/real.htm", dir.file("page.htm").c_str()));
  EXPECT_EQ(1, convert(dir, platform::systemFileIo()).result);
  EXPECT_TRUE(std::filesystem::is_symlink(dir.path() / "page.htm"));
  EXPECT_EQ("<P>new</P>\r\n", readBytes(dir.file("site/real.htm")));

  ASSERT_EQ(0, symlink("nowhere.htm", dir.file("dangling.htm").c_str()));
  const Outcome outcome = convert(dir, platform::systemFileIo(), "in.htm", "dangling.htm");
  EXPECT_EQ(0, outcome.result);
  EXPECT_EQ("cannot write '" + dir.file("dangling.htm") + "': is a link to a file that does not exist",
            outcome.failure);
  EXPECT_FALSE(exists(dir.file("nowhere.htm")));
}
#endif

}  // namespace
}  // namespace engine
