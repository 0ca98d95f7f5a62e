// Port: the file-system operations of the batch conversion.
#pragma once

#include <string>
#include <vector>

#include "platform/file_io.h"
#include "platform/io_status.h"

namespace platform {

enum class CreateResult { Created, AlreadyExists, Failed };

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // The path names an existing directory.
  virtual bool isDirectory(const std::string& path) = 0;
  // The path names an existing file or directory (looked up as given; a link
  // counts, even one that names nothing).
  virtual bool pathExists(const std::string& path) = 0;
  // Something can be found under path as the platform finds a file a user
  // names: on Windows in the default search order (a bare name also in the
  // program's folder, the system folders and the PATH); elsewhere as given,
  // links followed.
  virtual bool findPath(const std::string& path) { return kindOf(path) != FileKind::Missing; }
  // The file can be opened for reading.
  virtual bool canOpenForReading(const std::string& path) = 0;
  // What the path names, links followed.
  virtual FileKind kindOf(const std::string& path) = 0;
  // Copies a regular file; an existing target is replaced. The target is
  // afterwards either as it was or a complete copy, never a part of one.
  virtual IoStatus copyFile(const std::string& source, const std::string& target) = 0;
  // Copies a regular file to a target that must not be replaced: where
  // something has that name (also when it takes it while the file is being
  // copied), it stays as it is, nothing is copied and taken is set. Where the
  // platform can, the target is not looked up beforehand.
  virtual IoStatus copyNewFile(const std::string& source, const std::string& target, bool& taken) {
    taken = pathExists(target);
    return taken ? IoStatus::failure("File exists").about("cannot write", target) : copyFile(source, target);
  }
  // Creates one directory (its parent must exist).
  virtual CreateResult createDirectory(const std::string& path) = 0;
  // Names of the entries of a directory, "." and ".." included where the
  // platform reports them: on Windows in the order the file system returns
  // them, on POSIX systems sorted by their bytes (readdir's order changes from
  // one file system to the next, and a batch that stops at a failure should
  // stop at the same place every time). Fails when the directory cannot be
  // read.
  virtual IoStatus listDirectory(const std::string& path, std::vector<std::string>& names) = 0;
  // listDirectory, and what each entry is (links followed; "." and ".." are
  // Directory). Where the listing itself tells the kind of an entry, it is
  // not looked up again; otherwise each entry is looked up (kindOf).
  virtual IoStatus listEntries(const std::string& path, std::vector<std::string>& names,
                               std::vector<FileKind>& kinds) {
    kinds.clear();
    const IoStatus listed = listDirectory(path, names);
    if (!listed) return listed;
    const char sep = separator();
    const std::string folder = !path.empty() && path.back() == sep ? path : path + sep;
    for (const std::string& name : names)
      kinds.push_back(name == "." || name == ".." ? FileKind::Directory : kindOf(folder + name));
    return listed;
  }
  // The platform's path separator ('\\' on Windows, '/' elsewhere).
  virtual char separator() const = 0;
  // Whether file names that differ only in letter case name the same file,
  // as on Windows; on Linux they are two files.
  virtual bool namesIgnoreCase() const = 0;
  // The path with links, "." and ".." resolved, where the platform can tell;
  // the path as given otherwise (also when it does not exist).
  virtual std::string canonicalPath(const std::string& path) { return path; }
  // A text that names the directory itself rather than the path to it (device
  // and file number), so that two paths reaching one folder through a link
  // compare equal; empty when unknown.
  virtual std::string directoryIdentity(const std::string& path) {
    (void)path;
    return {};
  }
};

}  // namespace platform
