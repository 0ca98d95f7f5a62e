// The command line of the terminal tools, read one way for all of them
// (getopt_long): short options that may be grouped (-qy), long options with
// "--name VALUE" or "--name=VALUE", "--" to end the options, "-" as an
// operand, and options and operands in any order.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace platform {

struct OptionSpec {
  const char* longName;  // "dest"
  char shortName;        // 'd', or 0 for a long option only
  bool takesValue;
};

struct CommandLine {
  std::vector<std::pair<std::string, std::string>> options;  // long name and value, in the order given
  std::vector<std::string> operands;

  bool has(const std::string& name) const;
  // The value given last for name; none when the option was not given.
  std::optional<std::string> value(const std::string& name) const;
};

// Reads args (without the program's name). A usage error gives none and puts
// a one-line description in *problem ("unknown option '--frob'", "option
// '--dest' needs a value").
std::optional<CommandLine> parseCommandLine(const std::vector<std::string>& args, const std::vector<OptionSpec>& specs,
                                            std::string* problem);

// Exit statuses shared by the terminal tools.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;  // a conversion, copy or write failed
constexpr int kExitUsage = 2;   // bad usage, a missing source or a refused question

// "PROGRAM: PROBLEM" and "Try 'PROGRAM --help'." on err; returns kExitUsage.
int usageError(std::ostream& err, const std::string& program, const std::string& problem);

// Writes text to out and flushes it: kExitOk when every byte was written,
// kExitFailed otherwise (--help into a full disk is no success).
int printText(std::ostream& out, const std::string& text);

}  // namespace platform
