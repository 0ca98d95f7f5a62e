#include "fileinfo/terminal/tagsmith_cli.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "fileinfo/core/tagsmith_version.h"
#include "fileinfo/core/version_block.h"
#include "platform/native/command_line.h"

namespace fileinfo {

namespace {

constexpr const char kUsage[] =
    "Usage: tagsmith [OPTION]... [--] FILE...\n"
    "Prints the version string and the company name stored in each FILE's\n"
    "version resource, as read from \\StringFileInfo\\040904E4 (US English,\n"
    "code page 1252):\n"
    "\n"
    "  FILE:\n"
    "    FileVersion: TEXT\n"
    "    CompanyName: TEXT\n"
    "\n"
    "A line is left out when the file has no such string; control characters\n"
    "in a string are shown as '?'. When a FILE has neither string there, the\n"
    "blocks it does carry are named.\n"
    "\n"
    "  -a, --all      list every language and code-page block of each FILE with\n"
    "                 all its strings\n"
    "  -h, --help     show this help and exit\n"
    "  -V, --version  show the version and exit\n"
    "\n"
    "Exit status: 0 when every FILE had at least one of the strings (with --all:\n"
    "at least one block), 1 when some FILE had none, 2 when a FILE could not be\n"
    "read or the command line was wrong.\n"
    "\n"
    "Example: tagsmith --all VERADOC.EXE\n";

const std::vector<platform::OptionSpec> kOptions = {
    {"all", 'a', false}, {"help", 'h', false}, {"version", 'V', false}};

// The value with control bytes shown as '?', so that a file cannot move the
// terminal's cursor or break the output's lines.
std::string printable(std::string text) {
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  return text;
}

enum Status { kOk = 0, kNothingFound = 1, kTrouble = 2 };

// Whether file is a regular file to read; otherwise says why on err. Opened
// without waiting: a FIFO or a device is no file to read.
bool readable(const char* file, std::FILE* err) {
  const int probe = ::open(file, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (probe < 0) {
    std::fprintf(err, "tagsmith: %s: %s\n", file, std::strerror(errno));
    return false;
  }
  struct stat st;
  const bool regular = ::fstat(probe, &st) == 0 && S_ISREG(st.st_mode);
  ::close(probe);
  if (!regular)
    std::fprintf(err, "tagsmith: %s: %s\n", file, S_ISDIR(st.st_mode) ? "is a directory" : "is not a regular file");
  return regular;
}

// The string blocks of file's version information.
std::vector<StringTable> blocksOf(const char* file, VersionService& service) {
  const std::uint32_t size = service.infoSize(file);
  if (size == 0) return {};
  std::vector<unsigned char> block(size, 0);
  if (!service.readInfo(file, size, block.data())) return {};
  return listStringTables(block.data(), size);
}

// "040904B0, 040704E4": the names of the blocks.
std::string namesOf(const std::vector<StringTable>& tables) {
  std::string names;
  for (const StringTable& table : tables) names += (names.empty() ? "" : ", ") + table.name;
  return names;
}

Status reportAll(const char* file, VersionService& service, std::FILE* out, std::FILE* err) {
  if (!readable(file, err)) return kTrouble;
  const std::vector<StringTable> tables = blocksOf(file, service);
  if (tables.empty()) {
    std::fprintf(err, "tagsmith: %s: no version strings\n", file);
    return kNothingFound;
  }
  std::fprintf(out, "%s:\n", file);
  for (const StringTable& table : tables) {
    std::fprintf(out, "  \\StringFileInfo\\%s:\n", printable(table.name).c_str());
    for (const auto& [key, text] : table.strings)
      std::fprintf(out, "    %s: %s\n", printable(key).c_str(), printable(text).c_str());
  }
  return kOk;
}

// Nothing under the block the two functions read: the blocks the file has.
void reportOtherBlocks(const char* file, VersionService& service, std::FILE* err) {
  const std::string names = namesOf(blocksOf(file, service));
  std::fprintf(err, "tagsmith: %s: no FileVersion or CompanyName under \\StringFileInfo\\040904E4", file);
  if (names.empty()) {
    std::fputs("\n", err);
  } else {
    std::fprintf(err, "; the file has %s (try --all)\n", printable(names).c_str());
  }
}

Status reportFile(const char* file, VersionService& service, std::FILE* out, std::FILE* err) {
  if (!readable(file, err)) return kTrouble;
  struct Field { const char* label; const char* path; std::string value; Lookup result; };
  Field fields[] = {{"FileVersion", kFileVersionPath, {}, Lookup::NoValue},
                    {"CompanyName", kCompanyNamePath, {}, Lookup::NoValue}};
  bool any = false;
  for (Field& f : fields) {
    f.result = lookupFileString(service, file, f.path, &f.value);
    any = any || f.result == Lookup::Found;
  }
  if (!any) {
    if (fields[0].result == Lookup::NoVersionInfo)
      std::fprintf(err, "tagsmith: %s: no version information\n", file);
    else
      reportOtherBlocks(file, service, err);
    return kNothingFound;
  }
  std::fprintf(out, "%s:\n", file);
  for (const Field& f : fields)
    if (f.result == Lookup::Found) std::fprintf(out, "  %s: %s\n", f.label, printable(f.value).c_str());
  return kOk;
}

}  // namespace

int runTagsmith(int argc, const char* const* argv, VersionService& service, std::FILE* out,
                std::FILE* err) {
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  std::string problem;
  const std::optional<platform::CommandLine> line = platform::parseCommandLine(args, kOptions, &problem);
  const auto usageError = [&](const std::string& what) {
    std::fprintf(err, "tagsmith: %s\nTry 'tagsmith --help'.\n", what.c_str());
    return kTrouble;
  };
  if (!line) return usageError(problem);
  const auto print = [&](const char* text) { return std::fputs(text, out) >= 0 && std::fflush(out) == 0 ? kOk : 1; };
  if (line->has("help")) return print(kUsage);
  if (line->has("version")) return print("tagsmith " TAGSMITH_VERSION_TEXT "\n");
  if (line->operands.empty()) return usageError("no file given");
  const bool all = line->has("all");
  Status worst = kOk;
  for (const std::string& file : line->operands)
    worst = std::max(worst, all ? reportAll(file.c_str(), service, out, err) : reportFile(file.c_str(), service, out, err));
  return worst;
}

}  // namespace fileinfo
