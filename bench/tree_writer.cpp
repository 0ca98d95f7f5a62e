// The least a batch must do to write a finished tree: copies every file of
// FROM into a new folder TO, read whole and written in one call, nothing
// looked up beforehand, nothing converted. The baseline for morvane's
// whole-process timings (bench/morvane_bench.sh), given morvane's own output
// as FROM:
//   tree_writer safe FROM TO    each file written without a name and linked
//                               into place, as morvane writes every file (a
//                               crash never leaves a partial file)
//   tree_writer plain FROM TO   each file created under its name and written
// Linux only (unnamed files). Exits 1 on any failure, naming the file.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

bool safeWrites = true;
std::vector<char> buffer;

bool fail(const std::string& path) {
  std::fprintf(stderr, "tree_writer: '%s': %s\n", path.c_str(), std::strerror(errno));
  return false;
}

// Reads the file at from whole into buffer; its size in n.
bool readWhole(const std::string& from, std::size_t& n) {
  const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat info;
  if (in < 0 || fstat(in, &info) != 0) return fail(from);
  if (buffer.size() < static_cast<std::size_t>(info.st_size) + 1) buffer.resize(info.st_size + 1);
  const ssize_t got = read(in, buffer.data(), buffer.size());
  close(in);
  if (got < 0) return fail(from);
  n = static_cast<std::size_t>(got);
  return true;
}

bool writeFile(const std::string& folder, const std::string& to, std::size_t n) {
  const int out = safeWrites ? open(folder.c_str(), O_WRONLY | O_TMPFILE | O_CLOEXEC, 0666)
                             : open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (out < 0) return fail(to);
  bool ok = write(out, buffer.data(), n) == static_cast<ssize_t>(n);
  if (ok && safeWrites) ok = linkat(out, "", AT_FDCWD, to.c_str(), AT_EMPTY_PATH) == 0;
  close(out);
  return ok || fail(to);
}

bool isFolder(const dirent& entry, const std::string& path) {
  if (entry.d_type != DT_UNKNOWN) return entry.d_type == DT_DIR;
  struct stat info;
  return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool copyTree(const std::string& from, const std::string& to) {
  if (mkdir(to.c_str(), 0777) != 0) return fail(to);
  DIR* dir = opendir(from.c_str());
  if (!dir) return fail(from);
  bool ok = true;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    const std::string source = from + '/' + name;
    const std::string target = to + '/' + name;
    std::size_t n = 0;
    if (isFolder(*entry, source)) ok = copyTree(source, target);
    else ok = readWhole(source, n) && writeFile(to, target, n);
    if (!ok) break;
  }
  closedir(dir);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 || (std::strcmp(argv[1], "safe") != 0 && std::strcmp(argv[1], "plain") != 0)) {
    std::fprintf(stderr, "usage: tree_writer safe|plain FROM TO\n");
    return 2;
  }
  safeWrites = std::strcmp(argv[1], "safe") == 0;
  return copyTree(argv[2], argv[3]) ? 0 : 1;
}
