#include "shell_extension/terminal/terminal_command.h"

#include <filesystem>
#include <istream>
#include <optional>
#include <ostream>

#include "common/path_limits.h"
#include "common/version.h"
#include "engine/context.h"
#include "platform/native/file_registry_store.h"
#include "platform/native/posix_file_system.h"
#include "platform/native/terminal_ui.h"
#include "shell_extension/core/batch_conversion.h"
#include "shell_extension/core/batch_paths.h"
#include "shell_extension/core/destination_key.h"
#include "shell_extension/core/morvane_strings.h"
#include "shell_extension/terminal/compiled_strings.h"

namespace morvane {

namespace {

constexpr const char* kProgram = "morvane";
constexpr const char* kVersion = TW_VERSION_TEXT;

const char* const kUsage =
    "Usage: morvane [--dest DIR] PATH...\n"
    "       morvane --set-dest DIR\n"
    "       morvane --show-dest\n"
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

// Parses args into options; on a usage error writes it to err and returns none.
std::optional<Options> parse(const std::vector<std::string>& args, std::ostream& err) {
  Options o;
  auto usageError = [&](const std::string& message) {
    err << kProgram << ": " << message << "\nTry 'morvane --help' for more information.\n";
    return std::optional<Options>();
  };
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (optionsEnded || a.empty() || a[0] != '-' || a == "-") {
      o.paths.push_back(a);
      continue;
    }
    // An option with a value: "--name VALUE", "--name=VALUE" or "-d VALUE".
    auto value = [&](const std::string& longName, const char* shortName, std::optional<std::string>& into) {
      std::string v;
      if (a == longName || (shortName && a == shortName)) {
        if (i + 1 >= args.size()) return 1;
        v = args[++i];
      } else if (a.compare(0, longName.size() + 1, longName + "=") == 0) {
        v = a.substr(longName.size() + 1);
      } else {
        return 0;
      }
      if (v.empty()) return 1;
      into = v;
      return 2;
    };
    if (a == "--") {
      optionsEnded = true;
    } else if (a == "-h" || a == "--help") {
      o.help = true;
    } else if (a == "-V" || a == "--version") {
      o.version = true;
    } else if (a == "--show-dest") {
      o.showDest = true;
    } else if (int r = value("--dest", "-d", o.dest)) {
      if (r == 1) return usageError("option '--dest' needs a folder");
    } else if (int r = value("--set-dest", nullptr, o.setDest)) {
      if (r == 1) return usageError("option '--set-dest' needs a folder");
    } else {
      return usageError("unknown option '" + a + "'");
    }
  }
  if (o.help || o.version) return o;
  const int modes = (o.setDest ? 1 : 0) + (o.showDest ? 1 : 0) + (o.paths.empty() && !o.dest ? 0 : 1);
  if (modes > 1) return usageError("--set-dest and --show-dest take no other arguments");
  if (modes == 0) return usageError("no files or folders to convert");
  if (!o.setDest && !o.showDest && o.paths.empty()) return usageError("no files or folders to convert");
  return o;
}

// Absolute and lexically normal, without a trailing '/' (except for "/").
std::string absolutePath(const std::string& path) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::absolute(path, ec);
  if (ec) p = path;
  return withoutTrailingSeparators(p.lexically_normal().string(), '/');
}

std::optional<std::string> storedDestination(platform::RegistryStore& registry) {
  auto folder = registry.queryString(platform::Hive::CurrentUser, kPersistentDataKey, kDestFolderValue, common::kPathCapacity);
  if (!folder || folder->empty()) return std::nullopt;
  return folder;
}

bool storeDestination(platform::RegistryStore& registry, const std::string& folder) {
  return registry.createKey(platform::Hive::CurrentUser, kPersistentDataKey) &&
         registry.setString(platform::Hive::CurrentUser, kPersistentDataKey, kDestFolderValue, folder);
}

int setDestination(const std::string& dir, platform::FileSystem& files, platform::FileRegistryStore& registry,
                   std::ostream& err) {
  const std::string folder = absolutePath(dir);
  if (!files.isDirectory(folder)) {
    err << kProgram << ": '" << dir << "' is not a folder\n";
    return kExitUsage;
  }
  if (folder.size() > common::kMaxPathLength) {
    err << kProgram << ": '" << dir << "' is longer than " << common::kMaxPathLength << " characters\n";
    return kExitUsage;
  }
  if (!storeDestination(registry, folder)) {
    err << kProgram << ": cannot write the destination folder to " << registry.filePath() << "\n";
    return kExitFailed;
  }
  return kExitSuccess;
}

int convert(const Options& o, platform::FileSystem& files, platform::FileRegistryStore& registry, TerminalIo& io) {
  std::optional<std::string> destination = o.dest ? std::optional<std::string>(absolutePath(*o.dest))
                                                  : storedDestination(registry);
  // A destination that does not fit a path buffer would be stored and read
  // back cut: it is refused before anything is done.
  if (destination && destination->size() > common::kMaxPathLength) {
    io.err << kProgram << ": '" << (o.dest ? *o.dest : *destination) << "' is longer than " << common::kMaxPathLength
           << " characters\n";
    return kExitUsage;
  }
  if (!destination) {
    io.err << kProgram << ": no destination folder is set; give one with --dest DIR or --set-dest DIR\n";
    return kExitUsage;
  }
  std::vector<std::string> selection;
  for (const std::string& path : o.paths) {
    const std::string full = absolutePath(path);
    if (!files.pathExists(full)) {
      io.err << kProgram << ": cannot access '" << path << "': no such file or folder\n";
      return kExitUsage;
    }
    selection.push_back(full);
  }

  platform::TerminalMessageBoxes boxes(io.out, io.err, io.in, io.interactive);
  platform::NullCursor cursor;
  CompiledStringTable strings;
  BatchPorts ports{files, registry, boxes, cursor, strings};
  ports.explain = [&io](const std::string& reason) { io.err << kProgram << ": " << reason << "\n"; };
  engine::ConversionContext context;
  if (io.sourceDateEpoch) {
    const std::optional<std::time_t> epoch = engine::parseSourceDateEpoch(io.sourceDateEpoch);
    if (!epoch) {
      io.err << kProgram << ": SOURCE_DATE_EPOCH is not a number of seconds: '" << io.sourceDateEpoch << "'\n";
      return kExitUsage;
    }
    context.clock = [t = *epoch] { return t; };
    context.utcTimes = true;
  }
  BatchState state{selection, destination, context, 0, platform::loadString(strings, IDS_BACKUP_FOLDER, MORVANE_TEXT_BUFFER)};

  const bool ok = convertSelection(state, ports);
  if (o.dest && files.isDirectory(*destination) && !storeDestination(registry, *destination))
    io.err << kProgram << ": warning: cannot remember the destination folder in " << registry.filePath() << "\n";

  boxes.show(platform::loadString(strings, ok ? IDS_COMPLETED : IDS_FAILED, MORVANE_TEXT_BUFFER),
             platform::loadString(strings, IDS_FINAL_CAPTION, MORVANE_CAPTION_BUFFER),
             ok ? platform::mb::kIconInformation : platform::mb::kIconExclamation);
  return ok ? kExitSuccess : kExitFailed;
}

}  // namespace

int runMorvane(const std::vector<std::string>& args, TerminalIo& io) {
  const std::optional<Options> options = parse(args, io.err);
  if (!options) return kExitUsage;
  if (options->help) {
    io.out << kUsage;
    return kExitSuccess;
  }
  if (options->version) {
    io.out << kProgram << " " << kVersion << "\n";
    return kExitSuccess;
  }
  if (io.registryPath.empty()) {
    io.err << kProgram << ": cannot locate the per-user registry (set HOME or XDG_CONFIG_HOME)\n";
    return kExitFailed;
  }
  platform::PosixFileSystem files;
  platform::FileRegistryStore registry(io.registryPath);
  if (options->showDest) {
    const auto folder = storedDestination(registry);
    if (!folder) {
      io.err << kProgram << ": no destination folder is set\n";
      return kExitFailed;
    }
    io.out << *folder << "\n";
    return kExitSuccess;
  }
  if (options->setDest) return setDestination(*options->setDest, files, registry, io.err);
  return convert(*options, files, registry, io);
}

}  // namespace morvane
