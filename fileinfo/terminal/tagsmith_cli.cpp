#include "fileinfo/terminal/tagsmith_cli.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "fileinfo/core/tagsmith_version.h"

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
    "in a string are shown as '?'.\n"
    "\n"
    "Exit status: 0 when every FILE had at least one of the strings, 1 when\n"
    "some FILE had neither, 2 when a FILE could not be opened or the command\n"
    "line was wrong.\n"
    "\n"
    "Options:\n"
    "  -h, --help  show this help and exit\n"
    "  --version   show the version and exit\n";

// The value with control bytes shown as '?', so that a file cannot move the
// terminal's cursor or break the output's lines.
std::string printable(std::string text) {
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  return text;
}

enum Status { kOk = 0, kNothingFound = 1, kTrouble = 2 };

Status reportFile(const char* file, VersionService& service, std::FILE* out, std::FILE* err) {
  // Opened without waiting: a FIFO or a device is no file to read.
  const int probe = ::open(file, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (probe < 0) {
    std::fprintf(err, "tagsmith: %s: %s\n", file, std::strerror(errno));
    return kTrouble;
  }
  struct stat st;
  const bool regular = ::fstat(probe, &st) == 0 && S_ISREG(st.st_mode);
  ::close(probe);
  if (!regular) {
    std::fprintf(err, "tagsmith: %s: %s\n", file, S_ISDIR(st.st_mode) ? "is a directory" : "is not a regular file");
    return kTrouble;
  }
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
      std::fprintf(err, "tagsmith: %s: no FileVersion or CompanyName under \\StringFileInfo\\040904E4\n",
                   file);
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
  std::vector<const char*> files;
  bool options = true;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (options && std::strcmp(arg, "--") == 0) {
      options = false;
    } else if (options && (std::strcmp(arg, "-h") == 0 || std::strcmp(arg, "--help") == 0)) {
      std::fputs(kUsage, out);
      return kOk;
    } else if (options && std::strcmp(arg, "--version") == 0) {
      std::fputs("tagsmith " TAGSMITH_VERSION_TEXT "\n", out);
      return kOk;
    } else if (options && arg[0] == '-' && arg[1] != '\0') {
      std::fprintf(err, "tagsmith: unknown option '%s'\nTry 'tagsmith --help'.\n", arg);
      return kTrouble;
    } else {
      files.push_back(arg);
    }
  }
  if (files.empty()) {
    std::fputs("tagsmith: no file given\nTry 'tagsmith --help'.\n", err);
    return kTrouble;
  }
  Status worst = kOk;
  for (const char* file : files) worst = std::max(worst, reportFile(file, service, out, err));
  return worst;
}

}  // namespace fileinfo
