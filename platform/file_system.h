// Port: the file-system operations the converters need.
#pragma once

#include <string>
#include <vector>

namespace platform {

enum class CreateResult { Created, AlreadyExists, Failed };

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // The path names an existing directory.
  virtual bool isDirectory(const std::string& path) = 0;
  // The path names an existing file or directory (looked up as given).
  virtual bool pathExists(const std::string& path) = 0;
  // The file can be opened for reading.
  virtual bool canOpenForReading(const std::string& path) = 0;
  // Copies a file; an existing target is replaced.
  virtual bool copyFile(const std::string& source, const std::string& target) = 0;
  // Creates one directory (its parent must exist).
  virtual CreateResult createDirectory(const std::string& path) = 0;
  // Names of the entries of a directory, in the order the file system returns
  // them, "." and ".." included where the platform reports them; empty when the
  // directory cannot be read.
  virtual std::vector<std::string> listDirectory(const std::string& path) = 0;
  // The platform's path separator ('\\' on Windows, '/' elsewhere).
  virtual char separator() const = 0;
};

}  // namespace platform
