// Port: the byte-level file operations under every file the system reads or
// writes. The engine and the front ends reach files only through it, so that
// tests can make any step fail (a full disk, a short write, a refused rename)
// and check that nothing a user owns was harmed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/io_status.h"

namespace platform {

// Other: a FIFO, a device, a socket; Missing: nothing there (also a link
// that names nothing).
enum class FileKind { Regular, Directory, Other, Missing };

// What an opened file is: its kind and, for a regular file, its size.
struct FileInfo {
  FileKind kind = FileKind::Other;
  std::uint64_t size = 0;
};

class FileIo {
 public:
  // An open file; kNoHandle when none.
  using Handle = std::intptr_t;
  static constexpr Handle kNoHandle = -1;

  virtual ~FileIo() = default;

  // Opens an existing file or folder for reading and tells what it is. Never
  // waits: a FIFO or a device is opened without blocking (and is then reported
  // as FileKind::Other for the caller to refuse).
  virtual IoStatus openForReading(const std::string& path, Handle& handle, FileInfo& info) = 0;
  // Reads up to size bytes; got is 0 at the end of the file.
  virtual IoStatus read(Handle handle, char* buffer, std::size_t size, std::size_t& got) = 0;

  // Creates a new, empty temporary file in the folder of target. When it is
  // to replace target, an existing file, it gets that file's access rights
  // and a name that tells what it is ("~tw" ... ".tmp", never taken for a
  // page). A file that will be a new target may be created without a name
  // where the platform allows (path is then empty): nothing of it can be
  // left behind.
  virtual IoStatus createTemporaryBeside(const std::string& target, bool replacing, Handle& handle,
                                         std::string& path) = 0;
  // Writes up to size bytes; written may fall short of size.
  virtual IoStatus write(Handle handle, const char* data, std::size_t size, std::size_t& written) = 0;
  // Forces what was written to the disk.
  virtual IoStatus flush(Handle handle) = 0;
  virtual IoStatus close(Handle handle) = 0;

  // Closes the temporary file open at handle (temporary is its path, empty
  // for one without a name) and moves it over target in one step: target is
  // either as it was or the complete new file, never a mixture. The handle is
  // closed whatever happens; after a failure a named temporary file is left
  // for the caller to remove.
  virtual IoStatus publish(Handle handle, const std::string& temporary, const std::string& target) = 0;
  // publish for a file that must not replace anything: should something have
  // target's name by then, it stays as it is, nothing is moved, taken is set
  // and the failure says so.
  virtual IoStatus publishNew(Handle handle, const std::string& temporary, const std::string& target,
                              bool& taken) = 0;
  virtual IoStatus remove(const std::string& path) = 0;
  // What path names, following links.
  virtual FileKind kindOf(const std::string& path) = 0;
  // Where a write to path must land so that a link at path stays a link: the
  // file that a chain of symbolic links names, else path itself; kind tells
  // what is there now (Missing for nothing). Fails for a link that names
  // nothing.
  virtual IoStatus writeTarget(const std::string& path, std::string& target, FileKind& kind) = 0;
};

// The file I/O of the platform the program runs on.
FileIo& systemFileIo();

}  // namespace platform
