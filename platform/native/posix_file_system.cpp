#include "platform/native/posix_file_system.h"

#include <algorithm>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/safe_file.h"

namespace platform {

namespace {

struct DirCloser {
  void operator()(DIR* d) const { closedir(d); }
};
using Dir = std::unique_ptr<DIR, DirCloser>;

}  // namespace

bool PosixFileSystem::isDirectory(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool PosixFileSystem::pathExists(const std::string& path) {
  struct stat st;
  return !path.empty() && lstat(path.c_str(), &st) == 0;
}

bool PosixFileSystem::canOpenForReading(const std::string& path) {
  FileIo::Handle handle = FileIo::kNoHandle;
  FileInfo info;
  if (!io_.openForReading(path, handle, info)) return false;
  io_.close(handle);
  return info.kind != FileKind::Directory;
}

IoStatus PosixFileSystem::copyFile(const std::string& source, const std::string& target) {
  return copyFileSafely(io_, source, target);
}

CreateResult PosixFileSystem::createDirectory(const std::string& path) {
  if (mkdir(path.c_str(), 0777) == 0) return CreateResult::Created;
  return errno == EEXIST ? CreateResult::AlreadyExists : CreateResult::Failed;
}

IoStatus PosixFileSystem::listDirectory(const std::string& path, std::vector<std::string>& names) {
  names.clear();
  Dir dir(opendir(path.c_str()));
  if (!dir) return IoStatus::failure(std::strerror(errno)).about("cannot list", path);
  errno = 0;
  while (const dirent* entry = readdir(dir.get())) names.emplace_back(entry->d_name);
  if (errno != 0) return IoStatus::failure(std::strerror(errno)).about("cannot list", path);
  std::sort(names.begin(), names.end());
  return IoStatus();
}

std::string PosixFileSystem::canonicalPath(const std::string& path) {
  char* resolved = realpath(path.c_str(), nullptr);
  if (!resolved) return path;
  std::string canonical = resolved;
  free(resolved);
  return canonical;
}

std::string PosixFileSystem::directoryIdentity(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return {};
  return std::to_string(static_cast<unsigned long long>(st.st_dev)) + ":" +
         std::to_string(static_cast<unsigned long long>(st.st_ino));
}

}  // namespace platform
