#include "desktop/terminal/terminal_converter.h"

#include <optional>
#include <ostream>

#include "common/version.h"
#include "desktop/core/conversion_procedure.h"
#include "platform/native/posix_file_system.h"

namespace desktop {

namespace {

constexpr const char* kUsage =
    "Usage: veradoc [--ods] [--yes] SOURCE DEST\n"
    "Converts the HTML page SOURCE into DEST for Netscape Navigator: ActiveX\n"
    "objects get EMBED twins and the page's VBScript goes to DEST's .AXS file.\n"
    "\n"
    "  --ods      also write an .ODS property file for every converted object\n"
    "  --yes      overwrite an existing DEST without asking\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n"
    "\n"
    "Without --yes an existing DEST is overwritten only when the question is\n"
    "answered yes on a terminal. When SOURCE_DATE_EPOCH is set, the comments\n"
    "the conversion adds carry that time (in UTC) instead of the clock's.\n"
    "Exit status: 0 converted, 1 the conversion failed, 2 bad usage, a missing\n"
    "SOURCE or an overwrite not confirmed.\n";

constexpr const char* kVersion = "veradoc " TW_VERSION_TEXT "\n";

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

int usageError(platform::Terminal& terminal, const std::string& problem) {
  terminal.err << "veradoc: " << problem << "\n" << kUsage;
  return kExitNotConverted;
}

// What the command line asks for.
struct Request {
  bool ods = false;  // --ods: property files too
  bool yes = false;  // --yes: overwrite without asking
  std::vector<std::string> paths;
};

// Reads args into request; an exit status when the command ends here (help,
// version, a usage error), none when the conversion is to run.
std::optional<int> parseArguments(const std::vector<std::string>& args, Request& request,
                                  platform::Terminal& terminal) {
  bool optionsEnded = false;
  for (const std::string& arg : args) {
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      request.paths.push_back(arg);
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "--help" || arg == "-h") {
      terminal.out << kUsage;
      return kExitConverted;
    } else if (arg == "--version") {
      terminal.out << kVersion;
      return kExitConverted;
    } else if (arg == "--ods") {
      request.ods = true;
    } else if (arg == "--yes" || arg == "-y") {
      request.yes = true;
    } else {
      return usageError(terminal, "unknown option " + arg);
    }
  }
  if (request.paths.size() != 2) return usageError(terminal, "expected SOURCE and DEST");
  return std::nullopt;
}

// With SOURCE_DATE_EPOCH set, conversion comments carry that instant in UTC.
// False (after telling why) when it is no number of seconds.
bool useSourceDateEpoch(platform::Terminal& terminal, engine::ConversionContext& context) {
  if (!terminal.sourceDateEpoch) return true;
  const std::optional<std::time_t> epoch = engine::parseSourceDateEpoch(terminal.sourceDateEpoch);
  if (!epoch) {
    terminal.err << "veradoc: SOURCE_DATE_EPOCH is not a number of seconds: '" << terminal.sourceDateEpoch << "'\n";
    return false;
  }
  context.clock = [t = *epoch] { return t; };
  context.utcTimes = true;
  return true;
}

}  // namespace

int runTerminalConverter(const std::vector<std::string>& args, platform::Terminal& terminal) {
  Request request;
  if (const std::optional<int> status = parseArguments(args, request, terminal)) return *status;
  engine::ConversionContext context;
  if (!useSourceDateEpoch(terminal, context)) return kExitNotConverted;

  // A path is looked up as given, as the engine will open it: no search order.
  platform::PosixFileSystem files;
  platform::TerminalBoxOptions options;
  options.showCaptions = false;  // the dialog's texts as they are
  options.assumeYes = request.yes;
  platform::TerminalMessageBoxes boxes(terminal, options);
  ConversionPorts ports{files, boxes};
  const ConversionOutcome outcome =
      performConversion(context, request.paths[0], request.paths[1], request.ods ? 1u : 0u, ports);
  if (outcome == ConversionOutcome::OverwriteDeclined && !terminal.interactive && !request.yes)
    terminal.err << "veradoc: not overwritten (no answer; use --yes to overwrite)\n";
  // After the dialog's own message, the file and the reason.
  if (outcome == ConversionOutcome::ConversionFailed && !context.failure.empty())
    terminal.err << "veradoc: " << context.failure << "\n";
  return outcomeStatus(outcome);
}

}  // namespace desktop
