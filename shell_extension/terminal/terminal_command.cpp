#include "shell_extension/terminal/terminal_command.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <optional>
#include <ostream>
#include <thread>

#include "common/path_limits.h"
#include "common/version.h"
#include "engine/context.h"
#include "platform/native/command_line.h"
#include "platform/native/file_registry_store.h"
#include "platform/native/posix_file_system.h"
#include "shell_extension/core/batch_conversion.h"
#include "shell_extension/core/batch_paths.h"
#include "shell_extension/core/destination_key.h"
#include "shell_extension/core/dry_run.h"
#include "shell_extension/core/morvane_strings.h"
#include "shell_extension/core/page_prefetcher.h"
#include "shell_extension/core/compiled_strings.h"
#include "shell_extension/terminal/batch_reporter.h"
#include "shell_extension/terminal/page_classes.h"

namespace morvane {

namespace {

constexpr const char* kProgram = "morvane";
constexpr const char* kVersion = TW_VERSION_TEXT;

const char* const kUsage =
    "Usage: morvane [OPTION]... PATH...\n"
    "  or:  morvane --set-dest DIR\n"
    "  or:  morvane --show-dest\n"
    "Convert HTML pages into the destination folder. Other files are copied and\n"
    "folders are mirrored below it; a file about to be overwritten is first saved\n"
    "into a TWBACKUP folder beside it.\n"
    "\n"
    "  -d, --dest DIR      convert into DIR and remember it as the destination folder\n"
    "      --no-remember   with --dest: convert into DIR without remembering it\n"
    "      --set-dest DIR  remember DIR (an existing folder) as the destination folder\n"
    "      --show-dest     print the destination folder\n"
    "  -n, --dry-run       print what would be done, and write nothing (not even the\n"
    "                      destination folder to remember)\n"
    "  -k, --keep-going    go on after an item fails; list the failures at the end\n"
    "  -j, --jobs N        convert and copy N files at a time (default: one per\n"
    "                      processor); the results are the same as with -j 1\n"
    "  -v, --verbose       print one line per item: converted, copied, kept, backed up\n"
    "                      as, failed\n"
    "  -q, --quiet         print only failures\n"
    "  -h, --help          show this help and exit\n"
    "  -V, --version       show the version and exit\n"
    "\n"
    "While it runs, progress is shown on standard error when that is a terminal; a\n"
    "summary of what was done ends every run (but with -q).\n"
    "\n"
    "Files written below the destination folder: the converted pages (with CR LF\n"
    "line ends) and their NAME.AXS script files, copies of the other files, and\n"
    "TWBACKUP folders with the earlier results they replaced. Pages are files whose\n"
    "extension has the file class htmlfile or NetscapeMarkup under\n"
    "HKEY_CLASSES_ROOT of the per-user registry file ($XDG_CONFIG_HOME/tarnwick/\n"
    "registry, else ~/.config/tarnwick/registry), which also keeps the destination\n"
    "folder; .htm and .html are pages unless that file says otherwise.\n"
    "\n"
    "When SOURCE_DATE_EPOCH is set, the comments a conversion adds carry that\n"
    "time (in UTC) instead of the clock's.\n"
    "\n"
    "Exit status: 0 when everything was done, 1 when a conversion or copy failed,\n"
    "2 for a usage error or a missing PATH (nothing is converted then).\n"
    "\n"
    "Example: morvane -v --dest ~/public_html ~/site\n";

const std::vector<platform::OptionSpec> kOptions = {
    {"dest", 'd', true},    {"no-remember", 0, false}, {"set-dest", 0, true}, {"show-dest", 0, false},
    {"dry-run", 'n', false}, {"keep-going", 'k', false}, {"jobs", 'j', true},   {"verbose", 'v', false},
    {"quiet", 'q', false},  {"help", 'h', false},      {"version", 'V', false},
};

constexpr unsigned kMostJobs = 256;

struct Options {
  std::optional<std::string> dest;
  std::optional<std::string> setDest;
  bool showDest = false;
  bool help = false;
  bool version = false;
  bool remember = true;
  bool dryRun = false;
  bool keepGoing = false;
  bool verbose = false;
  bool quiet = false;
  unsigned jobs = 0;  // 0: one per processor
  std::vector<std::string> paths;
};

std::nullopt_t usageError(std::ostream& err, const std::string& message) {
  platform::usageError(err, kProgram, message);
  return std::nullopt;
}

// Whether o asks for exactly one thing: converting, --set-dest or --show-dest.
std::optional<Options> checkModes(Options o, std::ostream& err) {
  if (o.help || o.version) return o;
  const int modes = (o.setDest ? 1 : 0) + (o.showDest ? 1 : 0) + (o.paths.empty() && !o.dest ? 0 : 1);
  if (modes > 1) return usageError(err, "--set-dest and --show-dest take no other arguments");
  if (modes == 0 || (!o.setDest && !o.showDest && o.paths.empty()))
    return usageError(err, "no files or folders to convert");
  if (o.verbose && o.quiet) return usageError(err, "--verbose and --quiet cannot go together");
  return o;
}

// The number of --jobs: 1 to kMostJobs.
std::optional<unsigned> jobsOf(const std::string& text) {
  if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  const unsigned n = static_cast<unsigned>(std::stoul(text));
  if (n < 1 || n > kMostJobs) return std::nullopt;
  return n;
}

// Parses args into options; on a usage error writes it to err and returns none.
std::optional<Options> parse(const std::vector<std::string>& args, std::ostream& err) {
  std::string problem;
  const std::optional<platform::CommandLine> line = platform::parseCommandLine(args, kOptions, &problem);
  if (!line) return usageError(err, problem);
  Options o;
  for (const auto& [name, value] : line->options) {
    if (name == "dest" || name == "set-dest") {
      if (value.empty()) return usageError(err, "option '--" + name + "' needs a folder");
      (name == "dest" ? o.dest : o.setDest) = value;
    } else if (name == "jobs") {
      const std::optional<unsigned> jobs = jobsOf(value);
      if (!jobs) return usageError(err, "option '--jobs' needs a number from 1 to " + std::to_string(kMostJobs));
      o.jobs = *jobs;
    }
    o.showDest = o.showDest || name == "show-dest";
    o.help = o.help || name == "help";
    o.version = o.version || name == "version";
    o.remember = o.remember && name != "no-remember";
    o.dryRun = o.dryRun || name == "dry-run";
    o.keepGoing = o.keepGoing || name == "keep-going";
    o.verbose = o.verbose || name == "verbose";
    o.quiet = o.quiet || name == "quiet";
  }
  o.paths = line->operands;
  return checkModes(std::move(o), err);
}

// Absolute and lexically normal, without a trailing '/' (except for "/").
std::string absolutePath(const std::string& path) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::absolute(path, ec);
  if (ec) p = path;
  return withoutTrailingSeparators(p.lexically_normal().string(), '/');
}

// The destination folder a user names, as it is used and stored: absolute.
// One that does not fit a path buffer is refused here, where it is formed,
// since it would be read back cut.
std::optional<std::string> destinationFolder(const std::string& dir, std::ostream& err) {
  std::string folder = absolutePath(dir);
  if (folder.size() <= common::kMaxPathLength) return folder;
  err << kProgram << ": '" << dir << "' is longer than " << common::kMaxPathLength << " characters\n";
  return std::nullopt;
}

// The remembered folder, read as through a path buffer; empty counts as none.
std::optional<std::string> storedDestination(platform::RegistryStore& registry) {
  auto folder =
      registry.queryString(platform::Hive::CurrentUser, kPersistentDataKey, kDestFolderValue, common::kPathCapacity);
  if (!folder || folder->empty()) return std::nullopt;
  return folder;
}

bool storeDestination(platform::RegistryStore& registry, const std::string& folder) {
  return registry.createKey(platform::Hive::CurrentUser, kPersistentDataKey) &&
         registry.setString(platform::Hive::CurrentUser, kPersistentDataKey, kDestFolderValue, folder);
}

int setDestination(const std::string& dir, platform::FileSystem& files, platform::FileRegistryStore& registry,
                   std::ostream& err) {
  if (!files.isDirectory(absolutePath(dir))) {
    err << kProgram << ": '" << dir << "' is not a folder\n";
    return kExitUsage;
  }
  const std::optional<std::string> folder = destinationFolder(dir, err);
  if (!folder) return kExitUsage;
  if (!storeDestination(registry, *folder)) {
    err << kProgram << ": cannot write the destination folder to " << registry.filePath() << "\n";
    return kExitFailed;
  }
  return kExitSuccess;
}

// The selected paths, made absolute; none (after telling why) when one does
// not exist.
std::optional<std::vector<std::string>> selectionOf(const std::vector<std::string>& paths,
                                                    platform::FileSystem& files, std::ostream& err) {
  std::vector<std::string> selection;
  for (const std::string& path : paths) {
    std::string full = absolutePath(path);
    if (!files.pathExists(full)) {
      err << kProgram << ": cannot access '" << path << "': no such file or folder\n";
      return std::nullopt;
    }
    selection.push_back(std::move(full));
  }
  return selection;
}

// Pages converted at a time: as asked, or one per processor; a dry run
// pretends one after another.
unsigned jobsFor(const Options& o) {
  if (o.dryRun) return 1;
  if (o.jobs) return o.jobs;
  return std::max(1u, std::min(kMostJobs, std::thread::hardware_concurrency()));
}

// How the reporter shows what happens: progress only on a terminal and not
// when quiet; paths below the current folder as relative paths.
ReporterOptions reporterOptions(const Options& o, platform::Terminal& terminal) {
  ReporterOptions options;
  options.progress = !o.quiet && terminal.errIsTerminal;
  options.verbose = o.verbose;
  options.dryRun = o.dryRun;
  std::error_code ec;
  options.currentFolder = std::filesystem::current_path(ec).string();
  options.width = terminal.width;
  return options;
}

// Runs the batch over the selection into destination and reports as the
// Explorer command does; reasons of failures follow the failure message.
// With --dry-run nothing is written.
bool runBatch(const Options& o, std::vector<std::string> selection, const std::string& destination,
              platform::FileSystem& realFiles, platform::RegistryStore& registry, platform::Terminal& terminal,
              engine::ConversionContext& context) {
  const auto start = std::chrono::steady_clock::now();
  BatchReporter reporter(terminal.out, terminal.err, reporterOptions(o, terminal));
  platform::TerminalMessageBoxes terminalBoxes(terminal);
  QuietBoxes quietBoxes(terminalBoxes, o.dryRun  ? QuietBoxes::Shows::Nothing
                                       : o.quiet ? QuietBoxes::Shows::Failures
                                                 : QuietBoxes::Shows::Everything);
  ProgressAwareBoxes boxes(quietBoxes, reporter);
  platform::NullCursor cursor;
  CompiledStringTable strings;
  WithPageClasses classes(registry);
  DryRunFileSystem dryRun(realFiles);
  platform::FileSystem& files = o.dryRun ? static_cast<platform::FileSystem&>(dryRun) : realFiles;
  BatchPorts ports{files, classes, boxes, cursor, strings};
  if (o.dryRun) {
    ports.convert = pretendConverter(dryRun);
  } else {
    ports.prepare = prepareWithEngine;
    ports.prepareCopy = [](const std::string& source, const std::string& target, const std::string& nearPath) {
      return prepareCopy(platform::systemFileIo(), source, target, nearPath);
    };
  }
  // A dry run lists its failures with the rest of what it would do.
  ports.explain = [&](const std::string& reason) {
    if (o.dryRun) return;
    reporter.clearProgress();
    terminal.err << kProgram << ": " << reason << "\n";
  };
  ports.observer = &reporter;
  ports.jobs = jobsFor(o);
  BatchState state{std::move(selection), destination, context, 0,
                   platform::loadString(strings, IDS_BACKUP_FOLDER, MORVANE_TEXT_BUFFER)};
  state.keepGoing = o.keepGoing;
  const bool ok = convertSelection(state, ports);
  reporter.clearProgress();
  if (!o.dryRun) {
    boxes.show(platform::loadString(strings, ok ? IDS_COMPLETED : IDS_FAILED, MORVANE_TEXT_BUFFER),
               platform::loadString(strings, IDS_FINAL_CAPTION, MORVANE_CAPTION_BUFFER),
               ok ? platform::mb::kIconInformation : platform::mb::kIconExclamation);
  }
  if (o.keepGoing && !reporter.failures().empty()) {
    terminal.err << kProgram << ": " << reporter.failures().size()
                 << (reporter.failures().size() == 1 ? " item" : " items") << " failed:\n";
    for (const std::string& path : reporter.failures()) terminal.err << "  " << reporter.shown(path) << "\n";
  }
  if (!o.quiet) {
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    terminal.out << (o.dryRun ? "dry run: " : "") << reporter.summary(seconds) << "\n";
  }
  terminal.out << std::flush;
  return ok;
}

int convert(const Options& o, platform::FileSystem& files, platform::FileRegistryStore& registry,
            platform::Terminal& terminal) {
  std::optional<std::string> destination;
  if (o.dest) {
    destination = destinationFolder(*o.dest, terminal.err);
    if (!destination) return kExitUsage;
  } else {
    destination = storedDestination(registry);
  }
  if (!destination) {
    terminal.err << kProgram << ": no destination folder is set; give one with --dest DIR or --set-dest DIR\n";
    return kExitUsage;
  }
  std::optional<std::vector<std::string>> selection = selectionOf(o.paths, files, terminal.err);
  if (!selection) return kExitUsage;
  engine::ConversionContext context;
  if (const std::string problem = engine::useSourceDateEpoch(context, terminal.sourceDateEpoch); !problem.empty()) {
    terminal.err << kProgram << ": " << problem << "\n";
    return kExitUsage;
  }

  const bool ok = runBatch(o, std::move(*selection), *destination, files, registry, terminal, context);
  const bool remember = o.dest && o.remember && !o.dryRun;
  if (remember && files.isDirectory(*destination) && !storeDestination(registry, *destination))
    terminal.err << kProgram << ": warning: cannot remember the destination folder in " << registry.filePath() << "\n";
  return ok ? kExitSuccess : kExitFailed;
}

}  // namespace

int runMorvane(const std::vector<std::string>& args, platform::Terminal& terminal, const std::string& registryPath) {
  const std::optional<Options> options = parse(args, terminal.err);
  if (!options) return kExitUsage;
  if (options->help) return platform::printText(terminal.out, kUsage);
  if (options->version) return platform::printText(terminal.out, std::string(kProgram) + " " + kVersion + "\n");
  if (registryPath.empty()) {
    terminal.err << kProgram << ": cannot locate the per-user registry (set HOME or XDG_CONFIG_HOME)\n";
    return kExitFailed;
  }
  platform::PosixFileSystem files;
  platform::FileRegistryStore registry(registryPath);
  if (options->showDest) {
    const auto folder = storedDestination(registry);
    if (!folder) {
      terminal.err << kProgram << ": no destination folder is set\n";
      return kExitFailed;
    }
    terminal.out << *folder << "\n";
    return kExitSuccess;
  }
  if (options->setDest) return setDestination(*options->setDest, files, registry, terminal.err);
  return convert(*options, files, registry, terminal);
}

}  // namespace morvane
