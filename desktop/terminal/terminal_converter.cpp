#include "desktop/terminal/terminal_converter.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <istream>
#include <optional>
#include <ostream>

#include "common/version.h"
#include "desktop/core/conversion_procedure.h"
#include "engine/text_file.h"
#include "platform/native/command_line.h"
#include "platform/native/posix_file_system.h"

namespace desktop {

namespace {

constexpr const char* kProgram = "veradoc";
constexpr const char* kStandardInput = "standard input";

constexpr const char* kUsage =
    "Usage: veradoc [OPTION]... SOURCE DEST\n"
    "  or:  veradoc [OPTION]... SOURCE... FOLDER\n"
    "Convert the HTML page SOURCE into DEST for Netscape Navigator: ActiveX\n"
    "objects get EMBED twins and the page's VBScript goes to DEST's .AXS file.\n"
    "With an existing FOLDER last, each SOURCE is converted into a file of its own\n"
    "name in FOLDER. SOURCE '-' reads the page from standard input.\n"
    "\n"
    "      --ods      also write an .ODS property file for every converted object\n"
    "  -y, --yes      overwrite an existing DEST without asking\n"
    "  -q, --quiet    print nothing when a conversion succeeds\n"
    "  -h, --help     show this help and exit\n"
    "  -V, --version  show the version and exit\n"
    "\n"
    "Without --yes an existing DEST is overwritten only when the question is\n"
    "answered yes on a terminal (never when the page comes from standard input).\n"
    "DEST cannot be '-': a conversion may write files beside the page.\n"
    "\n"
    "Files written: DEST (with CR LF line ends), its script file (DEST's name\n"
    "with the extension .AXS) when the page has script, and with --ods NAME.ODS\n"
    "beside DEST for every converted object. Each replaces an older file only\n"
    "once it is complete.\n"
    "\n"
    "When SOURCE_DATE_EPOCH is set, the comments the conversion adds carry that\n"
    "time (in UTC) instead of the clock's.\n"
    "\n"
    "Exit status: 0 converted, 1 a conversion failed, 2 bad usage, a missing\n"
    "SOURCE or an overwrite not confirmed. With several SOURCEs each is converted\n"
    "in turn, and the status is the highest of theirs.\n"
    "\n"
    "Example: veradoc --yes page.htm public/page.htm\n";

const std::vector<platform::OptionSpec> kOptions = {
    {"ods", 0, false}, {"yes", 'y', false}, {"quiet", 'q', false}, {"help", 'h', false}, {"version", 'V', false},
};

int outcomeStatus(ConversionOutcome outcome) {
  switch (outcome) {
    case ConversionOutcome::Converted:
    case ConversionOutcome::ConvertedWithChanges:
      return kExitConverted;
    case ConversionOutcome::ConversionFailed:
      return kExitConversionFailed;
    case ConversionOutcome::SourceMissing:
    case ConversionOutcome::OverwriteDeclined:
      break;
  }
  return kExitNotConverted;
}

// What the command line asks for: each source with its destination.
struct Request {
  bool ods = false;    // --ods: property files too
  bool yes = false;    // --yes: overwrite without asking
  bool quiet = false;  // --quiet: no success message
  std::vector<std::pair<std::string, std::string>> conversions;
};

// The name a source has in a destination folder: its last part.
std::string nameIn(const std::string& folder, const std::string& source) {
  const std::size_t slash = source.find_last_of('/');
  const std::string name = slash == std::string::npos ? source : source.substr(slash + 1);
  return folder + (folder.empty() || folder.back() == '/' ? "" : "/") + name;
}

// Pairs sources with destinations: "SOURCE DEST", or sources and a folder.
// Writes a usage error and gives none when the operands do not fit.
std::optional<std::vector<std::pair<std::string, std::string>>> conversionsOf(
    const std::vector<std::string>& operands, platform::FileSystem& files, std::ostream& err) {
  auto refuse = [&](const std::string& problem) {
    platform::usageError(err, kProgram, problem);
    return std::nullopt;
  };
  if (operands.empty()) return refuse("missing SOURCE and DEST");
  if (operands.size() == 1) return refuse("missing DEST after '" + operands[0] + "'");
  const std::string& last = operands.back();
  if (last == "-") {
    return refuse("DEST cannot be '-' (standard output): a conversion may write files beside the page");
  }
  const bool intoFolder = files.isDirectory(last) || last.back() == '/';
  if (!intoFolder && operands.size() > 2) return refuse("target '" + last + "' is not a folder");
  std::vector<std::pair<std::string, std::string>> conversions;
  for (std::size_t i = 0; i + 1 < operands.size(); ++i) {
    const std::string& source = operands[i];
    if (intoFolder && source == "-") return refuse("a page from standard input needs a DEST file name, not a folder");
    if (source == "-" && operands.size() > 2) return refuse("'-' cannot stand among several SOURCEs");
    conversions.emplace_back(source, intoFolder ? nameIn(last, source) : last);
  }
  return conversions;
}

// Reads args into request; an exit status when the command ends here (help,
// version, a usage error), none when conversions are to run.
std::optional<int> parseArguments(const std::vector<std::string>& args, Request& request, platform::FileSystem& files,
                                  platform::Terminal& terminal) {
  std::string problem;
  const std::optional<platform::CommandLine> line = platform::parseCommandLine(args, kOptions, &problem);
  if (!line) return platform::usageError(terminal.err, kProgram, problem);
  if (line->has("help")) return platform::printText(terminal.out, kUsage);
  if (line->has("version")) return platform::printText(terminal.out, std::string(kProgram) + " " TW_VERSION_TEXT "\n");
  request.ods = line->has("ods");
  request.yes = line->has("yes");
  request.quiet = line->has("quiet");
  auto conversions = conversionsOf(line->operands, files, terminal.err);
  if (!conversions) return kExitNotConverted;
  request.conversions = std::move(*conversions);
  return std::nullopt;
}

// The page on standard input, read whole (up to one byte more than a page may
// hold, so that the engine can tell a page that is too large). A read that
// fails (standard input is a folder, a device error) puts the reason in
// *problem: the page would otherwise pass for an empty one.
std::string readStandardInput(std::istream& in, std::string* problem) {
  std::string bytes;
  char buffer[1 << 16];
  errno = 0;
  while (bytes.size() <= engine::kMaxPageBytes && in.read(buffer, sizeof buffer).gcount() > 0) {
    bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
  }
  // std::cin reads through stdio, which keeps a failed read to itself.
  if (in.bad() || (&in == &std::cin && std::ferror(stdin))) {
    *problem = errno ? std::strerror(errno) : "Input/output error";
  }
  return bytes;
}

// The file system as the procedure sees it: "-" names standard input, which
// is there.
class WithStandardInput : public platform::PosixFileSystem {
 public:
  bool findPath(const std::string& path) override { return path == "-" || PosixFileSystem::findPath(path); }
};

// Message boxes with the success message left out (--quiet).
class QuietSuccess : public platform::MessageBoxes {
 public:
  explicit QuietSuccess(platform::MessageBoxes& shown) : shown_(shown) {}
  int show(const std::string& text, const std::string& caption, unsigned style) override {
    if (style == platform::mb::kOk) return platform::mb::kIdOk;  // only the success box has no icon
    return shown_.show(text, caption, style);
  }

 private:
  platform::MessageBoxes& shown_;
};

// Converts one source into dest through the dialog's procedure; returns the
// exit status of that conversion.
int convertOne(const Request& request, const std::string& source, const std::string& dest,
               platform::FileSystem& files, platform::Terminal& terminal, engine::ConversionContext& context) {
  // A page on standard input leaves no input to answer a question with.
  platform::Terminal asked{terminal.in, terminal.out, terminal.err, terminal.interactive && source != "-",
                           terminal.sourceDateEpoch};
  platform::TerminalBoxOptions options;
  options.showCaptions = false;  // the dialog's texts as they are
  options.assumeYes = request.yes;
  platform::TerminalMessageBoxes terminalBoxes(asked, options);
  QuietSuccess quietBoxes(terminalBoxes);
  platform::MessageBoxes& boxes = request.quiet ? static_cast<platform::MessageBoxes&>(quietBoxes) : terminalBoxes;
  ConversionPorts ports{files, boxes};
  if (source == "-") {
    ports.convert = [&terminal](engine::ConversionContext& c, const char*, const char* destPath) {
      std::string problem;
      const std::string bytes = readStandardInput(terminal.in, &problem);
      if (problem.empty()) return engine::convertSource(c, bytes, kStandardInput, destPath);
      c.appendix.reset();
      c.failure = std::string("cannot read '") + kStandardInput + "': " + problem;
      return 0;
    };
  }
  const ConversionOutcome outcome = performConversion(context, source, dest, request.ods ? 1u : 0u, ports);
  if (outcome == ConversionOutcome::OverwriteDeclined && !asked.interactive && !request.yes)
    terminal.err << kProgram << ": not overwritten (no answer; use --yes to overwrite)\n";
  // After the dialog's own message, the file and the reason.
  if (outcome == ConversionOutcome::ConversionFailed && !context.failure.empty())
    terminal.err << kProgram << ": " << context.failure << "\n";
  return outcomeStatus(outcome);
}

}  // namespace

int runTerminalConverter(const std::vector<std::string>& args, platform::Terminal& terminal) {
  // A path is looked up as given, as the engine will open it: no search order.
  WithStandardInput files;
  Request request;
  if (const std::optional<int> status = parseArguments(args, request, files, terminal)) return *status;
  engine::ConversionContext context;
  if (const std::string problem = engine::useSourceDateEpoch(context, terminal.sourceDateEpoch); !problem.empty()) {
    terminal.err << kProgram << ": " << problem << "\n";
    return kExitNotConverted;
  }
  int status = kExitConverted;
  for (const auto& [source, dest] : request.conversions) {
    status = std::max(status, convertOne(request, source, dest, files, terminal, context));
  }
  terminal.out.flush();
  return status;
}

}  // namespace desktop
