// FileSystem over POSIX calls. Names are matched exactly, as the file system
// does; copies go through the file I/O port (safely, see safe_file.h).
#pragma once

#include "platform/file_system.h"

namespace platform {

class PosixFileSystem : public FileSystem {
 public:
  explicit PosixFileSystem(FileIo& io = systemFileIo()) : io_(io) {}

  bool isDirectory(const std::string& path) override;
  bool pathExists(const std::string& path) override;
  bool canOpenForReading(const std::string& path) override;
  FileKind kindOf(const std::string& path) override { return io_.kindOf(path); }
  IoStatus copyFile(const std::string& source, const std::string& target) override;
  IoStatus copyNewFile(const std::string& source, const std::string& target, bool& taken) override;
  CreateResult createDirectory(const std::string& path) override;
  IoStatus listDirectory(const std::string& path, std::vector<std::string>& names) override;
  IoStatus listEntries(const std::string& path, std::vector<std::string>& names,
                       std::vector<FileKind>& kinds) override;
  char separator() const override { return '/'; }
  bool namesIgnoreCase() const override { return false; }
  std::string canonicalPath(const std::string& path) override;
  std::string directoryIdentity(const std::string& path) override;

 private:
  IoStatus readEntries(const std::string& path, std::vector<std::string>& names, std::vector<FileKind>& kinds,
                       bool withKinds);
  FileIo& io_;
};

}  // namespace platform
