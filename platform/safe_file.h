// Reading and replacing the files a user owns, over the file I/O port.
//
// A file is never written in place: its new content goes to a temporary file
// in the same folder, which is moved over the old file only when it is
// complete. A failure at any step, or an interruption, leaves the old file as
// it was and removes the temporary file.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <string_view>

#include "platform/file_io.h"

namespace platform {

// The new content of one file. Nothing exists on disk until the first write
// (or an empty commit); commit() makes it the file, and a ReplacementFile
// that is dropped without a commit leaves no trace.
//
// When target is a symbolic link the link stays and the file it names is
// replaced; a link that names nothing is refused, and so is a target that is
// a folder, a device or a FIFO.
class ReplacementFile {
 public:
  // What the caller knows of the target: nothing; that it has just looked
  // and found nothing of that name (not even a link); or that, besides, it
  // must not replace anything.
  enum class Target { Unknown, SeenAbsent, New };

  // A target seen absent is not looked up again: the file is written as a
  // new one beside it, and should something take its name meanwhile, it is
  // replaced in one step when the new file is complete (as when it appears
  // while the file is being written). A New target is written the same way,
  // but what takes its name meanwhile stays: the commit then fails, dropping
  // the new file, and targetTaken() tells.
  ReplacementFile(FileIo& io, std::string target, Target known = Target::Unknown);
  ~ReplacementFile();
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  // For a target seen absent, before the first write: the new file is made
  // in the folder of nearPath (which must exist, on the target's file system)
  // instead of the target's, which need not exist yet; committing moves it
  // to the target. Should the target's folder be on another file system
  // after all, the commit fails and nothing is left.
  void makeNear(std::string nearPath) { nearPath_ = std::move(nearPath); }

  // Writes all of data. After a failure every later write does nothing and
  // returns that failure, which commit() returns too.
  const IoStatus& write(std::string_view data);
  // Completes the file and moves it over the target. When it replaces an
  // existing file, the data is forced to the disk first, so that even a
  // system crash cannot leave less than the old file or the new one.
  IoStatus commit();
  // Drops what was written; the target stays as it was.
  void abandon();

  const std::string& target() const { return target_; }
  // The commit of a New target failed because its name was taken.
  bool targetTaken() const { return targetTaken_; }

 private:
  bool open();
  void fail(IoStatus status);

  FileIo& io_;
  std::string target_;
  std::string destination_;  // target_, or the file its link names
  std::string temporary_;
  std::string nearPath_;  // a path in the folder the new file is made in; empty: beside the target
  FileIo::Handle handle_ = FileIo::kNoHandle;
  bool replacesFile_ = false;  // the destination exists already
  bool seenAbsent_ = false;    // the caller found no target
  bool keepsOthers_ = false;   // a New target: nothing is replaced
  bool targetTaken_ = false;
  bool done_ = false;
  IoStatus status_;
};

// Reads the whole regular file at path into out (replacing its content),
// allocating no more than the file's size. Refuses, without reading, a folder
// ("is a directory"), anything else that is not a regular file ("is not a
// regular file"), and a file larger than limit bytes.
IoStatus readWholeFile(FileIo& io, const std::string& path, std::uint64_t limit, std::string& out);

// Copies the regular file source over target (created or replaced) through a
// ReplacementFile: target is afterwards either as it was or a complete copy.
IoStatus copyFileSafely(FileIo& io, const std::string& source, const std::string& target,
                        ReplacementFile::Target known = ReplacementFile::Target::Unknown);
// Copies source to a target the caller has just found absent, which the copy
// must not replace: should something take its name meanwhile, it stays, the
// copy is dropped and taken is set.
IoStatus copyToNewFile(FileIo& io, const std::string& source, const std::string& target, bool& taken);

// Writes the content of the regular file source into copy, without
// committing it: the caller commits it (or drops it) when its time comes.
IoStatus copyInto(FileIo& io, const std::string& source, ReplacementFile& copy);

}  // namespace platform
