// The three ways into a conversion (a file, bytes in memory, a page prepared
// ahead and written later) must leave the same files and give the same result
// and reasons, also when a write fails.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "engine/driver.h"
#include "platform/fakes/faulty_file_io.h"
#include "testing/temp_dir.h"

namespace engine {
namespace {

using testing_support::readBytes;
using testing_support::TempDir;
using testing_support::writeBytes;

enum class Way { File, Bytes, Prepared, Staged };

struct Outcome {
  int result = -1;
  std::string failure;  // the folder's path written as DIR
  std::optional<std::string> appendix;
  std::map<std::string, std::string> files;  // every file of the folder but the source
};

std::string withoutFolder(std::string text, const std::string& folder) {
  for (std::size_t at; (at = text.find(folder)) != std::string::npos;) text.replace(at, folder.size(), "DIR");
  return text;
}

// Converts source (absent when null) into page.htm of a fresh folder that
// holds an earlier conversion, the one way, with arm making a write fail (a
// page staged ahead: one of the writes at its turn).
Outcome convertOneWay(Way way, const std::string* source, const std::function<void(platform::FaultyFileIo&)>& arm) {
  TempDir dir;
  std::filesystem::create_directory(dir.path() / "in");
  if (source) writeBytes(dir.file("in/page.htm"), *source);
  writeBytes(dir.file("page.htm"), "old page\r\n");
  writeBytes(dir.file("page.AXS"), "Sub Old\r\nEnd Sub\r\n");
  platform::FaultyFileIo io;
  if (arm && way != Way::Staged) arm(io);
  ConversionContext context;
  context.fileIo = &io;
  context.clock = [] { return std::time_t(86400); };
  context.utcTimes = true;
  const std::string in = dir.file("in/page.htm"), out = dir.file("page.htm");
  Outcome outcome;
  switch (way) {
    case Way::File:
      outcome.result = convertFile(context, in.c_str(), out.c_str());
      break;
    case Way::Bytes:
      outcome.result = convertSource(context, source ? *source : std::string(), in.c_str(), out.c_str());
      break;
    case Way::Prepared:
    case Way::Staged: {
      PreparedPage page = preparePage(context, in.c_str(), out.c_str());
      if (way == Way::Staged) {
        // Staged for targets that turn out to be there: written at the turn.
        stagePreparedPage(context, page, dir.file("in/near"));
        if (arm) arm(io);
      }
      // Preparing (and staging) writes nothing anybody sees.
      EXPECT_EQ("old page\r\n", readBytes(out));
      if (way == Way::Prepared) {
        EXPECT_EQ(0, io.creates());
      }
      ConversionContext writer;  // another context writes it, as a batch does
      writer.fileIo = &io;
      outcome.result = writePreparedPage(writer, page);
      context = writer;
      break;
    }
  }
  outcome.failure = withoutFolder(context.failure, dir.path().string());
  outcome.appendix = context.appendix;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    if (entry.is_regular_file()) outcome.files[entry.path().filename().string()] = readBytes(entry.path().string());
  }
  return outcome;
}

TEST(PageConversion, EveryWayLeavesTheSameFilesAndResult) {
  const std::string withScript =
      "<HTML><BODY>\r\n<OBJECT ID=\"L\" CLASSID=\"CLSID:98FBE040-5A24-11CF-8B11-00AA00C00903\">\r\n</OBJECT>\r\n"
      "<SCRIPT LANGUAGE=\"VBScript\">\r\nSub L_Click\r\nEnd Sub\r\n</SCRIPT>\r\n</BODY></HTML>\r\n";
  const std::string plain = "<P>nothing to convert\r\nbut a lone \r CR</P>";
  const std::string nul("<P>a\0b</P>", 10);
  struct Row {
    const char* name;
    const std::string* source;
    std::function<void(platform::FaultyFileIo&)> arm;
    int result;
  };
  const Row rows[] = {
      {"objects and script", &withScript, nullptr, 1},
      {"plain text", &plain, nullptr, 1},
      {"a NUL byte", &nul, nullptr, 0},
      {"page cannot be created", &withScript, [](auto& io) { io.failCreate(1); }, 0},
      {"page cannot replace the old one", &withScript, [](auto& io) { io.failReplace(1); }, 0},
      {"script file cannot replace the old one", &withScript, [](auto& io) { io.failReplace(2); }, 0},
      {"disk full", &withScript, [](auto& io) { io.failWrite(1); }, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const Outcome file = convertOneWay(Way::File, row.source, row.arm);
    EXPECT_EQ(row.result, file.result);
    EXPECT_EQ(row.result == 1, file.failure.empty()) << file.failure;
    for (const Way way : {Way::Bytes, Way::Prepared, Way::Staged}) {
      SCOPED_TRACE(static_cast<int>(way));
      const Outcome other = convertOneWay(way, row.source, row.arm);
      EXPECT_EQ(file.result, other.result);
      EXPECT_EQ(file.failure, other.failure);
      EXPECT_EQ(file.appendix, other.appendix);
      EXPECT_EQ(file.files, other.files);
    }
  }
}

// A page that cannot be read fails alike when prepared, and writing it then
// touches nothing.
TEST(PageConversion, AMissingSourceFailsWhenPreparedToo) {
  const Outcome file = convertOneWay(Way::File, nullptr, nullptr);
  const Outcome prepared = convertOneWay(Way::Prepared, nullptr, nullptr);
  EXPECT_EQ(0, prepared.result);
  EXPECT_EQ(0u, prepared.failure.find("cannot read 'DIR")) << prepared.failure;
  EXPECT_NE(std::string::npos, prepared.failure.find("page.htm': ")) << prepared.failure;
  EXPECT_EQ(file.failure, prepared.failure);
  EXPECT_EQ(file.files, prepared.files);
  EXPECT_EQ("old page\r\n", prepared.files.at("page.htm"));
}

// Bytes from memory are named in failures by the name the caller gives.
TEST(PageConversion, BytesAreNamedAsTheCallerSays) {
  TempDir dir;
  ConversionContext context;
  const std::string out = dir.file("page.htm");
  EXPECT_EQ(0, convertSource(context, std::string("\0", 1), "standard input", out.c_str()));
  EXPECT_EQ("cannot convert 'standard input': holds a NUL byte", context.failure);
  EXPECT_EQ(1, convertSource(context, "<P>ok</P>\r\n", "standard input", out.c_str()));
  EXPECT_EQ("<P>ok</P>\r\n", readBytes(out));
  EXPECT_EQ(11u, context.sourceSize);
  EXPECT_EQ(10u, context.inputLength);
}

// Paths the caller has just seen free are written without being looked up
// again, every way in, for that one conversion; the files are the same. A
// page staged ahead has its files named then; told nothing, it writes them
// as the others do, and what was staged is gone.
TEST(PageConversion, PathsSeenAbsentAreNotLookedUpAgain) {
  const std::string page =
      "<OBJECT ID=\"L\" CLASSID=\"CLSID:98FBE040-5A24-11CF-8B11-00AA00C00903\"></OBJECT>\r\n"
      "<SCRIPT LANGUAGE=\"VBScript\">\r\nSub L_Click\r\nEnd Sub\r\n</SCRIPT>\r\n";
  for (const Way way : {Way::File, Way::Bytes, Way::Prepared, Way::Staged}) {
    SCOPED_TRACE(static_cast<int>(way));
    TempDir dir;
    std::filesystem::create_directory(dir.path() / "near");
    writeBytes(dir.file("in.htm"), page);
    const std::string in = dir.file("in.htm"), out = dir.file("out.htm"), script = dir.file("out.AXS");
    platform::FaultyFileIo io;
    ConversionContext context;
    context.fileIo = &io;
    // Converts, telling the engine that both files are absent or nothing.
    const auto run = [&](bool tell) {
      const std::vector<std::string> absent = tell ? std::vector<std::string>{out, script} : std::vector<std::string>{};
      context.pathsSeenAbsent = absent;
      switch (way) {
        case Way::File: return convertFile(context, in.c_str(), out.c_str());
        case Way::Bytes: return convertSource(context, page, in.c_str(), out.c_str());
        case Way::Prepared:
        case Way::Staged: break;
      }
      PreparedPage prepared = preparePage(context, in.c_str(), out.c_str());
      if (way == Way::Staged) {
        EXPECT_TRUE(stagePreparedPage(context, prepared, dir.file("near/x")));
      }
      context.pathsSeenAbsent = absent;
      return writePreparedPage(context, prepared);
    };
    ASSERT_EQ(1, run(true)) << context.failure;
    EXPECT_EQ(0, io.lookups());
    EXPECT_TRUE(context.pathsSeenAbsent.empty());
    const std::string first = readBytes(out), firstScript = readBytes(script);
    ASSERT_EQ(1, run(false)) << context.failure;  // both are found and replaced
    EXPECT_EQ(2, io.lookups());
    EXPECT_EQ(first, readBytes(out));
    EXPECT_EQ(firstScript, readBytes(script));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path() / "near"));
  }
}

// Staging needs a folder to make its files in: without one nothing is staged
// or left, and the page is written at its turn.
TEST(PageConversion, StagingThatCannotBeDoneLeavesNothing) {
  TempDir dir;
  writeBytes(dir.file("one.htm"), "<P>one</P>\r\n");
  ConversionContext context;
  PreparedPage one = preparePage(context, dir.file("one.htm").c_str(), dir.file("out.htm").c_str());
  EXPECT_FALSE(stagePreparedPage(context, one, dir.file("missing/x")));
  EXPECT_FALSE(one.staged);
  EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(dir.path()), {}));
  context.pathsSeenAbsent = {dir.file("out.htm"), dir.file("out.AXS")};
  EXPECT_EQ(1, writePreparedPage(context, one));
  EXPECT_EQ("<P>one</P>\r\n", readBytes(dir.file("out.htm")));
}

// Staged files are named once: a page written a second time is written
// anew, not claimed to be there.
TEST(PageConversion, AStagedPageWrittenTwiceIsWrittenAnew) {
  TempDir dir;
  writeBytes(dir.file("in.htm"), "<P>page</P>\r\n");
  ConversionContext context;
  PreparedPage page = preparePage(context, dir.file("in.htm").c_str(), dir.file("out.htm").c_str());
  ASSERT_TRUE(stagePreparedPage(context, page, dir.file("x")));
  for (int round = 0; round < 2; ++round) {
    context.pathsSeenAbsent = {dir.file("out.htm"), dir.file("out.AXS")};
    ASSERT_EQ(1, writePreparedPage(context, page)) << round;
    EXPECT_EQ("<P>page</P>\r\n", readBytes(dir.file("out.htm"))) << round;
    std::filesystem::remove(dir.path() / "out.htm");
  }
}

#ifndef _WIN32
// Files staged for targets that are there after all are not moved over
// them: a target that is a link stays a link to the file it names, which
// gets the page, as without staging.
TEST(PageConversion, AStagedPageWritesThroughALinkFoundAtItsTurn) {
  TempDir dir;
  std::filesystem::create_directory(dir.path() / "real");
  writeBytes(dir.file("in.htm"), "<P>new</P>\r\n");
  writeBytes(dir.file("real/page.htm"), "old\r\n");
  ConversionContext context;
  PreparedPage page = preparePage(context, dir.file("in.htm").c_str(), dir.file("page.htm").c_str());
  ASSERT_TRUE(stagePreparedPage(context, page, dir.file("x")));
  std::filesystem::create_symlink("real/page.htm", dir.path() / "page.htm");
  ASSERT_EQ(1, writePreparedPage(context, page)) << context.failure;
  EXPECT_TRUE(std::filesystem::is_symlink(dir.path() / "page.htm"));
  EXPECT_EQ("<P>new</P>\r\n", readBytes(dir.file("real/page.htm")));
}
#endif

}  // namespace
}  // namespace engine
