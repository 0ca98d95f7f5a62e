#include "posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

namespace platform {

namespace {

struct DirCloser {
  void operator()(DIR* d) const { closedir(d); }
};
using Dir = std::unique_ptr<DIR, DirCloser>;

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  // Closes now and reports whether that worked (data reached the file).
  bool closeNow() {
    const int fd = fd_;
    fd_ = -1;
    return close(fd) == 0;
  }

 private:
  int fd_;
};

// The path as written when it exists; otherwise the folder's entry whose name
// equals the last component ignoring case; otherwise the path as written.
std::string resolve(const std::string& path) {
  struct stat st;
  if (path.empty() || lstat(path.c_str(), &st) == 0) return path;
  const std::size_t cut = path.rfind('/');
  const std::string folder = cut == std::string::npos ? "." : (cut == 0 ? "/" : path.substr(0, cut));
  const std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
  if (name.empty()) return path;
  Dir dir(opendir(folder.c_str()));
  if (!dir) return path;
  while (const dirent* entry = readdir(dir.get())) {
    if (strcasecmp(entry->d_name, name.c_str()) == 0)
      return (cut == std::string::npos ? std::string() : path.substr(0, cut + 1)) + entry->d_name;
  }
  return path;
}

bool writeAll(int fd, const char* data, ssize_t size) {
  while (size > 0) {
    const ssize_t n = write(fd, data, static_cast<size_t>(size));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= n;
  }
  return true;
}

}  // namespace

bool PosixFileSystem::isDirectory(const std::string& path) {
  struct stat st;
  return stat(resolve(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool PosixFileSystem::pathExists(const std::string& path) {
  struct stat st;
  return !path.empty() && lstat(resolve(path).c_str(), &st) == 0;
}

bool PosixFileSystem::canOpenForReading(const std::string& path) {
  Fd fd(open(resolve(path).c_str(), O_RDONLY | O_CLOEXEC));
  struct stat st;
  return fd.get() >= 0 && fstat(fd.get(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool PosixFileSystem::copyFile(const std::string& source, const std::string& target) {
  Fd in(open(resolve(source).c_str(), O_RDONLY | O_CLOEXEC));
  struct stat st;
  if (in.get() < 0 || fstat(in.get(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  Fd out(open(resolve(target).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (out.get() < 0) return false;
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = read(in.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    if (!writeAll(out.get(), buffer, n)) return false;
  }
  return out.closeNow();
}

CreateResult PosixFileSystem::createDirectory(const std::string& path) {
  if (mkdir(path.c_str(), 0777) == 0) return CreateResult::Created;
  return errno == EEXIST ? CreateResult::AlreadyExists : CreateResult::Failed;
}

std::vector<std::string> PosixFileSystem::listDirectory(const std::string& path) {
  std::vector<std::string> names;
  Dir dir(opendir(resolve(path).c_str()));
  if (!dir) return names;
  while (const dirent* entry = readdir(dir.get())) names.emplace_back(entry->d_name);
  return names;
}

std::string PosixFileSystem::directoryIdentity(const std::string& path) {
  struct stat st;
  if (stat(resolve(path).c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return {};
  return std::to_string(static_cast<unsigned long long>(st.st_dev)) + ":" +
         std::to_string(static_cast<unsigned long long>(st.st_ino));
}

}  // namespace platform
