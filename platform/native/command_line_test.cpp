#include "platform/native/command_line.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace platform {
namespace {

const std::vector<OptionSpec> kSpecs = {
    {"help", 'h', false}, {"version", 'V', false}, {"yes", 'y', false},
    {"quiet", 'q', false}, {"dest", 'd', true},    {"no-remember", 0, false},
};

// "name=value name ..." of the options, then "| operand operand".
std::string summary(const CommandLine& line) {
  std::string text;
  for (const auto& [name, value] : line.options) text += name + (value.empty() ? "" : "=" + value) + " ";
  text += "|";
  for (const std::string& operand : line.operands) text += " " + operand;
  return text;
}

TEST(CommandLine, ReadsOptionsAndOperandsInAnyOrder) {
  const struct {
    std::vector<std::string> args;
    const char* read;
  } rows[] = {
      {{}, "|"},
      {{"a.htm", "b.htm"}, "| a.htm b.htm"},
      {{"-qy", "a", "b"}, "quiet yes | a b"},
      {{"a", "--yes", "b", "-q"}, "yes quiet | a b"},
      {{"-d", "out", "site"}, "dest=out | site"},
      {{"-dout", "site"}, "dest=out | site"},
      {{"--dest", "out", "site"}, "dest=out | site"},
      {{"--dest=out", "site"}, "dest=out | site"},
      {{"--dest=", "site"}, "dest | site"},
      {{"--no-remember", "--dest=a", "--dest=b"}, "no-remember dest=a dest=b |"},
      {{"-", "out.htm"}, "| - out.htm"},
      {{"--", "-q", "--yes"}, "| -q --yes"},
      {{"a", "--", "-"}, "| a -"},
      {{"--ver"}, "version |"},  // a unique beginning of a long name
  };
  for (const auto& row : rows) {
    std::string problem;
    const auto line = parseCommandLine(row.args, kSpecs, &problem);
    ASSERT_TRUE(line.has_value()) << problem;
    EXPECT_EQ(row.read, summary(*line));
  }
  std::string problem;
  const auto line = parseCommandLine({"--dest=a", "-d", "b"}, kSpecs, &problem);
  EXPECT_TRUE(line->has("dest"));
  EXPECT_FALSE(line->has("yes"));
  EXPECT_EQ("b", line->value("dest"));
  EXPECT_FALSE(line->value("quiet").has_value());
}

TEST(CommandLine, UsageErrorsAreOneLine) {
  const struct {
    std::vector<std::string> args;
    const char* problem;
  } rows[] = {
      {{"--frob"}, "unknown option '--frob'"},
      {{"--frob=1"}, "unknown option '--frob'"},
      {{"-x"}, "unknown option '-x'"},
      {{"-qx"}, "unknown option '-x'"},
      {{"--dest"}, "option '--dest' needs a value"},
      {{"-d"}, "option '-d' needs a value"},
      {{"--yes=1"}, "option '--yes' takes no value"},
  };
  for (const auto& row : rows) {
    std::string problem;
    EXPECT_FALSE(parseCommandLine(row.args, kSpecs, &problem).has_value()) << row.problem;
    EXPECT_EQ(row.problem, problem);
  }
  std::ostringstream err;
  EXPECT_EQ(kExitUsage, usageError(err, "veradoc", "unknown option '-x'"));
  EXPECT_EQ("veradoc: unknown option '-x'\nTry 'veradoc --help'.\n", err.str());
}

TEST(CommandLine, PrintingIntoAFullDiskFails) {
  std::ostringstream out;
  EXPECT_EQ(kExitOk, printText(out, "help text\n"));
  EXPECT_EQ("help text\n", out.str());
  std::ofstream full("/dev/full");
  ASSERT_TRUE(full.is_open());
  EXPECT_EQ(kExitFailed, printText(full, std::string(1 << 16, 'x')));
}

}  // namespace
}  // namespace platform
