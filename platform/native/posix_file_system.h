// FileSystem over POSIX calls, with Windows-like name matching: when a path
// does not exist as written, its last component is matched without regard to
// case against the entries of its folder (so NAME.axs finds NAME.AXS).
#pragma once

#include "file_system.h"

namespace platform {

class PosixFileSystem : public FileSystem {
 public:
  bool isDirectory(const std::string& path) override;
  bool pathExists(const std::string& path) override;
  bool canOpenForReading(const std::string& path) override;
  bool copyFile(const std::string& source, const std::string& target) override;
  CreateResult createDirectory(const std::string& path) override;
  std::vector<std::string> listDirectory(const std::string& path) override;
  char separator() const override { return '/'; }
  std::string directoryIdentity(const std::string& path) override;
};

}  // namespace platform
