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
#include <utility>

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

IoStatus PosixFileSystem::copyNewFile(const std::string& source, const std::string& target, bool& taken) {
  return copyToNewFile(io_, source, target, taken);
}

CreateResult PosixFileSystem::createDirectory(const std::string& path) {
  if (mkdir(path.c_str(), 0777) == 0) return CreateResult::Created;
  return errno == EEXIST ? CreateResult::AlreadyExists : CreateResult::Failed;
}

IoStatus PosixFileSystem::listDirectory(const std::string& path, std::vector<std::string>& names) {
  std::vector<FileKind> kinds;
  return readEntries(path, names, kinds, false);
}

IoStatus PosixFileSystem::listEntries(const std::string& path, std::vector<std::string>& names,
                                      std::vector<FileKind>& kinds) {
  return readEntries(path, names, kinds, true);
}

// The entries of a folder sorted by their bytes; with withKinds, what each
// is: from the listing's d_type where the file system fills it in, looked up
// for links (followed) and where it does not.
IoStatus PosixFileSystem::readEntries(const std::string& path, std::vector<std::string>& names,
                                      std::vector<FileKind>& kinds, bool withKinds) {
  names.clear();
  kinds.clear();
  Dir dir(opendir(path.c_str()));
  if (!dir) return IoStatus::failure(std::strerror(errno)).about("cannot list", path);
  std::vector<std::pair<std::string, unsigned char>> entries;
  errno = 0;
  while (const dirent* entry = readdir(dir.get())) entries.emplace_back(entry->d_name, entry->d_type);
  if (errno != 0) return IoStatus::failure(std::strerror(errno)).about("cannot list", path);
  std::sort(entries.begin(), entries.end());
  const std::string folder = !path.empty() && path.back() == '/' ? path : path + '/';
  for (const auto& [name, type] : entries) {
    names.push_back(name);
    if (!withKinds) continue;
    switch (type) {
      case DT_REG: kinds.push_back(FileKind::Regular); break;
      case DT_DIR: kinds.push_back(FileKind::Directory); break;
      case DT_LNK:
      case DT_UNKNOWN: kinds.push_back(kindOf(folder + name)); break;
      default: kinds.push_back(FileKind::Other); break;
    }
  }
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
