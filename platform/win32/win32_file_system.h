// FileSystem over the Windows file API (ANSI functions).
#pragma once

#include "platform/file_system.h"

namespace platform {

class Win32FileSystem : public FileSystem {
 public:
  explicit Win32FileSystem(FileIo& io = systemFileIo()) : io_(io) {}

  bool isDirectory(const std::string& path) override;
  bool pathExists(const std::string& path) override;
  // SearchPathA with no search path, as pathExists.
  bool findPath(const std::string& path) override { return pathExists(path); }
  bool canOpenForReading(const std::string& path) override;
  FileKind kindOf(const std::string& path) override { return io_.kindOf(path); }
  // Through the file I/O port, so that a copy is never left half done.
  IoStatus copyFile(const std::string& source, const std::string& target) override;
  IoStatus copyNewFile(const std::string& source, const std::string& target, bool& taken) override;
  CreateResult createDirectory(const std::string& path) override;
  IoStatus listDirectory(const std::string& path, std::vector<std::string>& names) override;
  char separator() const override { return '\\'; }
  bool namesIgnoreCase() const override { return true; }
  std::string canonicalPath(const std::string& path) override;
  std::string directoryIdentity(const std::string& path) override;

 private:
  FileIo& io_;
};

}  // namespace platform
