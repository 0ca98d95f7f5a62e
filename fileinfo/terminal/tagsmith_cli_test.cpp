// The native build: the two library functions over our reader, and the
// `tagsmith` command.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "fileinfo/core/tagsmith.h"
#include "fileinfo/core/testing/version_builder.h"
#include "fileinfo/core/version_service.h"
#include "fileinfo/terminal/tagsmith_cli.h"

namespace fileinfo {
namespace {

// What a function writes into a buffer full of '#'; nothing may change
// behind the terminator.
std::string call(int (*f)(const char*, char*), const char* file) {
  char buffer[256];
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(1, f(file, buffer));
  const std::size_t n = strnlen(buffer, sizeof buffer);
  EXPECT_LT(n + 1, sizeof buffer);
  EXPECT_EQ('#', buffer[n + 1]);
  return std::string(buffer, n);
}

TEST(TagsmithFunctions, SameAnswersAsUnderWindows) {
  struct Case { const char* file; const char* version; const char* company; };
  const Case cases[] = {
      {"testdata/e4.dll", "1.2.3.4 (test build)  ", "Testmakers & Sons, Ltd."},
      {"testdata/mixed.dll", "9.0.0.1", ""},
      {"testdata/b0only.exe", "", ""},
      {"testdata/noversion.dll", "", ""},
      {"testdata/missing.dll", "", ""},
      {"testdata", "", ""},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    EXPECT_EQ(c.version, call(GetTagsmithString, c.file));
    EXPECT_EQ(c.company, call(GetCompanyNameString, c.file));
  }
  EXPECT_EQ(1, GetTagsmithString("testdata/e4.dll", nullptr));
  EXPECT_EQ(1, GetCompanyNameString("testdata/e4.dll", nullptr));
  EXPECT_EQ("", call(GetTagsmithString, nullptr));
}

struct CommandRun {
  int status;
  std::string out, err;
};

std::string drain(std::FILE* f) {
  std::string text;
  std::rewind(f);
  for (int c; (c = std::fgetc(f)) != EOF;) text.push_back(static_cast<char>(c));
  std::fclose(f);
  return text;
}

CommandRun runWith(std::vector<const char*> args) {
  args.insert(args.begin(), "tagsmith");
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  CommandRun r;
  r.status = runTagsmith(static_cast<int>(args.size()), args.data(), platformVersionService(), out, err);
  r.out = drain(out);
  r.err = drain(err);
  return r;
}

TEST(TagsmithCommand, PrintsEachFilesStrings) {
  const CommandRun r = runWith({"testdata/e4.dll", "testdata/mixed.dll"});
  EXPECT_EQ(0, r.status);
  EXPECT_EQ(
      "testdata/e4.dll:\n"
      "  FileVersion: 1.2.3.4 (test build)  \n"
      "  CompanyName: Testmakers & Sons, Ltd.\n"
      "testdata/mixed.dll:\n"
      "  FileVersion: 9.0.0.1\n",
      r.out);
  EXPECT_EQ("", r.err);
}

TEST(TagsmithCommand, ExitStatusAndMessages) {
  struct Case { std::vector<const char*> args; int status; const char* out; const char* err; };
  const Case cases[] = {
      // Nothing where the library looks: the blocks the file has are named.
      {{"testdata/b0only.exe"}, 1, "",
       "tagsmith: testdata/b0only.exe: no FileVersion or CompanyName under \\StringFileInfo\\040904E4; the file "
       "has 040904B0 (try --all)\n"},
      {{"-a", "testdata/b0only.exe", "testdata/missing.dll"}, 2,
       "testdata/b0only.exe:\n  \\StringFileInfo\\040904B0:\n    CompanyName: Only B0 Corporation\n"
       "    FileVersion: 5.6.7.8\n",
       "tagsmith: testdata/missing.dll: No such file or directory\n"},
      {{"--all", "testdata/noversion.dll"}, 1, "", "tagsmith: testdata/noversion.dll: no version strings\n"},
      {{"testdata/noversion.dll"}, 1, "", "tagsmith: testdata/noversion.dll: no version information\n"},
      {{"testdata/missing.dll"}, 2, "", "tagsmith: testdata/missing.dll: No such file or directory\n"},
      // the worst status wins, and every file is still reported
      {{"testdata/missing.dll", "testdata/mixed.dll", "testdata/noversion.dll"}, 2,
       "testdata/mixed.dll:\n  FileVersion: 9.0.0.1\n",
       "tagsmith: testdata/missing.dll: No such file or directory\n"
       "tagsmith: testdata/noversion.dll: no version information\n"},
      {{}, 2, "", "tagsmith: no file given\nTry 'tagsmith --help'.\n"},
      {{"-x"}, 2, "", "tagsmith: unknown option '-x'\nTry 'tagsmith --help'.\n"},
      {{"--", "-x"}, 2, "", "tagsmith: -x: No such file or directory\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.err);
    const CommandRun r = runWith(c.args);
    EXPECT_EQ(c.status, r.status);
    EXPECT_EQ(c.out, r.out);
    EXPECT_EQ(c.err, r.err);
  }
}

TEST(TagsmithCommand, ControlCharactersCannotReachTheTerminal) {
  using namespace testing_support;
  const Bytes image = peImage(node(
      "VS_VERSION_INFO", 0, Bytes(52, 0), 52,
      {node("StringFileInfo", 1, {}, 0,
            {node("040904E4", 1, {}, 0, {textNode("CompanyName", "Evil\x1b[2J\nCo\x7f")})})}));
  const std::string path = ::testing::TempDir() + "tagsmith_control.dll";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(nullptr, f);
  std::fwrite(image.data(), 1, image.size(), f);
  std::fclose(f);
  const CommandRun r = runWith({path.c_str()});
  std::remove(path.c_str());
  EXPECT_EQ(0, r.status);
  EXPECT_EQ(path + ":\n  CompanyName: Evil?[2J?Co?\n", r.out);
}

TEST(TagsmithCommand, HelpAndVersion) {
  for (const char* option : {"--help", "-h"}) {
    const CommandRun r = runWith({option, "testdata/missing.dll"});
    EXPECT_EQ(0, r.status);
    EXPECT_EQ(0u, r.out.find("Usage: tagsmith [OPTION]... [--] FILE...\n"));
    EXPECT_EQ("", r.err);
  }
  const CommandRun r = runWith({"--version"});
  EXPECT_EQ(0, r.status);
  EXPECT_EQ("tagsmith 1.0.0.1\n", r.out);
  EXPECT_EQ("tagsmith 1.0.0.1\n", runWith({"-V"}).out);
}

// Every block of a file with more than one, each with all its strings.
TEST(TagsmithCommand, AllListsEveryBlock) {
  const CommandRun r = runWith({"--all", "testdata/mixed.dll"});
  EXPECT_EQ(0, r.status);
  EXPECT_EQ(0u, r.out.find("testdata/mixed.dll:\n"
                           "  \\StringFileInfo\\040904B0:\n"
                           "    CompanyName: Unicode block company\n"
                           "    FileVersion: 9.0 (b0)\n"
                           "  \\StringFileInfo\\040904e4:\n"
                           "    Comments: \n"
                           "    FileVersion: 9.0.0.1\n"));
  EXPECT_EQ("", r.err);
}

}  // namespace
}  // namespace fileinfo
