#include "platform/native/command_line.h"

#include <getopt.h>

#include <ostream>

namespace platform {

namespace {

// The long option of a short one.
const OptionSpec* byShortName(const std::vector<OptionSpec>& specs, int shortName) {
  for (const OptionSpec& spec : specs)
    if (spec.shortName && spec.shortName == shortName) return &spec;
  return nullptr;
}

// What getopt_long's answer c ('?' or ':') means, for the argument given.
// optopt holds the short option, or 256 + the index of a long one (0 for a
// long option that does not exist).
std::string describeError(int c, const std::vector<OptionSpec>& specs, const std::string& given) {
  const std::string name = optopt >= 256 ? "--" + std::string(specs[static_cast<std::size_t>(optopt - 256)].longName)
                           : optopt    ? "-" + std::string(1, static_cast<char>(optopt))
                                       : given.substr(0, given.find('='));
  if (c == ':') return "option '" + name + "' needs a value";
  if (optopt >= 256) return "option '" + name + "' takes no value";
  return "unknown option '" + name + "'";
}

}  // namespace

bool CommandLine::has(const std::string& name) const {
  for (const auto& option : options)
    if (option.first == name) return true;
  return false;
}

std::optional<std::string> CommandLine::value(const std::string& name) const {
  std::optional<std::string> found;
  for (const auto& option : options)
    if (option.first == name) found = option.second;
  return found;
}

std::optional<CommandLine> parseCommandLine(const std::vector<std::string>& args, const std::vector<OptionSpec>& specs,
                                            std::string* problem) {
  // ':' first: a missing value is told apart from an unknown option.
  std::string shortOptions = ":";
  std::vector<option> longOptions;
  for (std::size_t i = 0; i < specs.size(); ++i) {
    const OptionSpec& spec = specs[i];
    if (spec.shortName) {
      shortOptions += spec.shortName;
      if (spec.takesValue) shortOptions += ':';
    }
    // Long options answer 256 + their index, above every short option.
    longOptions.push_back({spec.longName, spec.takesValue ? required_argument : no_argument, nullptr,
                           static_cast<int>(256 + i)});
  }
  longOptions.push_back({nullptr, 0, nullptr, 0});

  std::vector<std::string> storage;
  storage.reserve(args.size() + 1);
  storage.push_back("program");
  storage.insert(storage.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : storage) argv.push_back(arg.data());
  argv.push_back(nullptr);

  CommandLine line;
  optind = 0;  // start afresh: getopt keeps its place between calls
  opterr = 0;  // the caller reports usage errors in its own words
  const int argc = static_cast<int>(storage.size());
  for (;;) {
    int index = -1;
    const int c = getopt_long(argc, argv.data(), shortOptions.c_str(), longOptions.data(), &index);
    if (c == -1) break;
    if (c == '?' || c == ':') {
      *problem = describeError(c, specs, argv[static_cast<std::size_t>(optind - 1)]);
      return std::nullopt;
    }
    const OptionSpec* spec = c >= 256 ? &specs[static_cast<std::size_t>(c - 256)] : byShortName(specs, c);
    if (!spec) continue;
    line.options.emplace_back(spec->longName, spec->takesValue && optarg ? optarg : "");
  }
  for (int i = optind; i < argc; ++i) line.operands.emplace_back(argv[static_cast<std::size_t>(i)]);
  return line;
}

int usageError(std::ostream& err, const std::string& program, const std::string& problem) {
  err << program << ": " << problem << "\nTry '" << program << " --help'.\n" << std::flush;
  return kExitUsage;
}

int printText(std::ostream& out, const std::string& text) {
  out << text << std::flush;
  return out ? kExitOk : kExitFailed;
}

}  // namespace platform
