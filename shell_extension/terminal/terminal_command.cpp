#include "shell_extension/terminal/terminal_command.h"

#include <filesystem>
#include <optional>
#include <ostream>

#include "common/path_limits.h"
#include "common/version.h"
#include "engine/context.h"
#include "platform/native/file_registry_store.h"
#include "platform/native/posix_file_system.h"
#include "shell_extension/core/batch_conversion.h"
#include "shell_extension/core/batch_paths.h"
#include "shell_extension/core/destination_key.h"
#include "shell_extension/core/morvane_strings.h"
#include "shell_extension/core/compiled_strings.h"
#include "shell_extension/terminal/page_classes.h"

namespace morvane {

namespace {

constexpr const char* kProgram = "morvane";
constexpr const char* kVersion = TW_VERSION_TEXT;

const char* const kUsage =
    "Usage: morvane [--dest DIR] PATH...\n"
    "  or:  morvane --set-dest DIR\n"
    "  or:  morvane --show-dest\n"
    "Convert HTML pages into the destination folder. Other files are copied and\n"
    "folders are mirrored below it; a file about to be overwritten is first saved\n"
    "into a TWBACKUP folder beside it.\n"
    "\n"
    "  -d, --dest DIR      convert into DIR and remember it as the destination folder\n"
    "      --set-dest DIR  remember DIR (an existing folder) as the destination folder\n"
    "      --show-dest     print the destination folder\n"
    "  -h, --help          show this help and exit\n"
    "  -V, --version       show the version and exit\n"
    "\n"
    "Pages are files whose extension has the file class htmlfile or NetscapeMarkup\n"
    "under HKEY_CLASSES_ROOT of the per-user registry file ($XDG_CONFIG_HOME/tarnwick/\n"
    "registry, else ~/.config/tarnwick/registry), which also keeps the destination\n"
    "folder; .htm and .html are pages unless that file says otherwise.\n"
    "\n"
    "When SOURCE_DATE_EPOCH is set, the comments a conversion adds carry that\n"
    "time (in UTC) instead of the clock's.\n"
    "\n"
    "Exit status: 0 when everything was converted, 1 when a conversion failed,\n"
    "2 for a usage error (nothing is converted then).\n";

struct Options {
  std::optional<std::string> dest;
  std::optional<std::string> setDest;
  bool showDest = false;
  bool help = false;
  bool version = false;
  std::vector<std::string> paths;
};

enum class ValueOption { NotThisOne, Missing, Taken };

// An option with a value at args[i]: "--name VALUE", "-s VALUE" (when short
// is given) or "--name=VALUE"; i moves past a separate value. An empty value
// counts as missing.
ValueOption takeValue(const std::vector<std::string>& args, std::size_t& i, const std::string& name,
                      const char* shortName, std::optional<std::string>& into) {
  const std::string& arg = args[i];
  std::string value;
  if (arg == name || (shortName && arg == shortName)) {
    if (i + 1 >= args.size()) return ValueOption::Missing;
    value = args[++i];
  } else if (arg.compare(0, name.size() + 1, name + "=") == 0) {
    value = arg.substr(name.size() + 1);
  } else {
    return ValueOption::NotThisOne;
  }
  if (value.empty()) return ValueOption::Missing;
  into = value;
  return ValueOption::Taken;
}

std::nullopt_t usageError(std::ostream& err, const std::string& message) {
  err << kProgram << ": " << message << "\nTry 'morvane --help' for more information.\n";
  return std::nullopt;
}

// Whether o asks for exactly one thing: converting, --set-dest or --show-dest.
std::optional<Options> checkModes(Options o, std::ostream& err) {
  if (o.help || o.version) return o;
  const int modes = (o.setDest ? 1 : 0) + (o.showDest ? 1 : 0) + (o.paths.empty() && !o.dest ? 0 : 1);
  if (modes > 1) return usageError(err, "--set-dest and --show-dest take no other arguments");
  if (modes == 0 || (!o.setDest && !o.showDest && o.paths.empty()))
    return usageError(err, "no files or folders to convert");
  return o;
}

// Parses args into options; on a usage error writes it to err and returns none.
std::optional<Options> parse(const std::vector<std::string>& args, std::ostream& err) {
  Options o;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    ValueOption value = ValueOption::NotThisOne;
    if (optionsEnded || a.empty() || a[0] != '-' || a == "-") {
      o.paths.push_back(a);
    } else if (a == "--") {
      optionsEnded = true;
    } else if (a == "-h" || a == "--help") {
      o.help = true;
    } else if (a == "-V" || a == "--version") {
      o.version = true;
    } else if (a == "--show-dest") {
      o.showDest = true;
    } else if ((value = takeValue(args, i, "--dest", "-d", o.dest)) != ValueOption::NotThisOne) {
      if (value == ValueOption::Missing) return usageError(err, "option '--dest' needs a folder");
    } else if ((value = takeValue(args, i, "--set-dest", nullptr, o.setDest)) != ValueOption::NotThisOne) {
      if (value == ValueOption::Missing) return usageError(err, "option '--set-dest' needs a folder");
    } else {
      return usageError(err, "unknown option '" + a + "'");
    }
  }
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

// With SOURCE_DATE_EPOCH set, conversion comments carry that instant in UTC.
// False (after telling why) when it is no number of seconds.
bool useSourceDateEpoch(platform::Terminal& terminal, engine::ConversionContext& context) {
  if (!terminal.sourceDateEpoch) return true;
  const std::optional<std::time_t> epoch = engine::parseSourceDateEpoch(terminal.sourceDateEpoch);
  if (!epoch) {
    terminal.err << kProgram << ": SOURCE_DATE_EPOCH is not a number of seconds: '" << terminal.sourceDateEpoch
                 << "'\n";
    return false;
  }
  context.clock = [t = *epoch] { return t; };
  context.utcTimes = true;
  return true;
}

// Runs the batch over the selection into destination and reports as the
// Explorer command does; reasons of failures follow the failure message.
bool runBatch(std::vector<std::string> selection, const std::string& destination, platform::FileSystem& files,
              platform::RegistryStore& registry, platform::Terminal& terminal, engine::ConversionContext& context) {
  platform::TerminalMessageBoxes boxes(terminal);
  platform::NullCursor cursor;
  CompiledStringTable strings;
  WithPageClasses classes(registry);
  BatchPorts ports{files, classes, boxes, cursor, strings};
  ports.explain = [&terminal](const std::string& reason) { terminal.err << kProgram << ": " << reason << "\n"; };
  BatchState state{std::move(selection), destination, context, 0,
                   platform::loadString(strings, IDS_BACKUP_FOLDER, MORVANE_TEXT_BUFFER)};
  const bool ok = convertSelection(state, ports);
  boxes.show(platform::loadString(strings, ok ? IDS_COMPLETED : IDS_FAILED, MORVANE_TEXT_BUFFER),
             platform::loadString(strings, IDS_FINAL_CAPTION, MORVANE_CAPTION_BUFFER),
             ok ? platform::mb::kIconInformation : platform::mb::kIconExclamation);
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
  if (!useSourceDateEpoch(terminal, context)) return kExitUsage;

  const bool ok = runBatch(std::move(*selection), *destination, files, registry, terminal, context);
  if (o.dest && files.isDirectory(*destination) && !storeDestination(registry, *destination))
    terminal.err << kProgram << ": warning: cannot remember the destination folder in " << registry.filePath() << "\n";
  return ok ? kExitSuccess : kExitFailed;
}

}  // namespace

int runMorvane(const std::vector<std::string>& args, platform::Terminal& terminal, const std::string& registryPath) {
  const std::optional<Options> options = parse(args, terminal.err);
  if (!options) return kExitUsage;
  if (options->help) {
    terminal.out << kUsage;
    return kExitSuccess;
  }
  if (options->version) {
    terminal.out << kProgram << " " << kVersion << "\n";
    return kExitSuccess;
  }
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
