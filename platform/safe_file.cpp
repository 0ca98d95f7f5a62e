#include "platform/safe_file.h"

#include <algorithm>

#include <memory>
#include <utility>

namespace platform {

namespace {

constexpr const char* kCannotRead = "cannot read";
constexpr const char* kCannotWrite = "cannot write";

// Closes a handle opened for reading when it goes out of scope.
class ReadHandle {
 public:
  explicit ReadHandle(FileIo& io) : io_(io) {}
  ~ReadHandle() {
    if (handle != FileIo::kNoHandle) io_.close(handle);
  }
  ReadHandle(const ReadHandle&) = delete;
  ReadHandle& operator=(const ReadHandle&) = delete;
  FileIo::Handle handle = FileIo::kNoHandle;

 private:
  FileIo& io_;
};

// Opens path for reading and refuses anything but a regular file.
IoStatus openRegularFile(FileIo& io, const std::string& path, ReadHandle& file, FileInfo& info) {
  IoStatus status = io.openForReading(path, file.handle, info);
  if (!status) return status.about(kCannotRead, path);
  if (info.kind == FileKind::Directory) return IoStatus::failure("is a directory").about(kCannotRead, path);
  if (info.kind != FileKind::Regular) return IoStatus::failure("is not a regular file").about(kCannotRead, path);
  return IoStatus();
}

std::string sizeText(std::uint64_t bytes) {
  if (bytes % (1u << 20) == 0) return std::to_string(bytes >> 20) + " MiB";
  return std::to_string(bytes) + " bytes";
}

}  // namespace

ReplacementFile::ReplacementFile(FileIo& io, std::string target, Target known)
    : io_(io), target_(std::move(target)), seenAbsent_(known != Target::Unknown), keepsOthers_(known == Target::New) {}

ReplacementFile::~ReplacementFile() { abandon(); }

void ReplacementFile::fail(IoStatus status) {
  if (status_) status_ = std::move(status.about(kCannotWrite, target_));
}

bool ReplacementFile::open() {
  if (handle_ != FileIo::kNoHandle) return true;
  if (!status_ || done_) return false;
  FileKind kind = FileKind::Missing;
  IoStatus status;
  if (seenAbsent_) {
    destination_ = target_;
  } else {
    status = io_.writeTarget(target_, destination_, kind);
  }
  if (status) {
    // Only a regular file is replaced: a folder, a device or a FIFO of that
    // name stays what it is.
    replacesFile_ = kind == FileKind::Regular;
    if (kind == FileKind::Directory) status = IoStatus::failure("is a directory");
    if (kind == FileKind::Other) status = IoStatus::failure("is not a regular file");
  }
  if (status) {
    const bool madeNear = seenAbsent_ && !nearPath_.empty();
    status = io_.createTemporaryBeside(madeNear ? nearPath_ : destination_, replacesFile_, handle_, temporary_);
  }
  if (!status) {
    handle_ = FileIo::kNoHandle;
    fail(std::move(status));
    return false;
  }
  return true;
}

const IoStatus& ReplacementFile::write(std::string_view data) {
  if (!open()) return status_;
  while (!data.empty()) {
    std::size_t written = 0;
    IoStatus status = io_.write(handle_, data.data(), data.size(), written);
    if (status && written == 0) status = IoStatus::failure("the file system took no data");
    if (!status) {
      fail(std::move(status));
      abandon();
      return status_;
    }
    data.remove_prefix(written);
  }
  return status_;
}

IoStatus ReplacementFile::commit() {
  if (!open()) return status_;
  IoStatus status;
  if (replacesFile_) status = io_.flush(handle_);
  const FileIo::Handle handle = handle_;
  handle_ = FileIo::kNoHandle;
  if (status) {
    status = keepsOthers_ ? io_.publishNew(handle, temporary_, destination_, targetTaken_)
                          : io_.publish(handle, temporary_, destination_);
  } else {
    io_.close(handle);
  }
  if (!status) {
    fail(std::move(status));
    if (!temporary_.empty()) io_.remove(temporary_);
  }
  temporary_.clear();
  done_ = true;
  return status_;
}

void ReplacementFile::abandon() {
  if (handle_ != FileIo::kNoHandle) {
    io_.close(handle_);
    handle_ = FileIo::kNoHandle;
  }
  if (!temporary_.empty()) {
    io_.remove(temporary_);
    temporary_.clear();
  }
  done_ = true;
}

IoStatus readWholeFile(FileIo& io, const std::string& path, std::uint64_t limit, std::string& out) {
  out.clear();
  ReadHandle file(io);
  FileInfo info;
  IoStatus status = openRegularFile(io, path, file, info);
  if (!status) return status;
  if (info.size > limit)
    return IoStatus::failure("is larger than " + sizeText(limit) + ", the most a page may hold").about(kCannotRead, path);
  // The size was measured when the file was opened; a file that shrinks since
  // gives what it still holds, and one that grows is read to that size.
  out.resize(static_cast<std::size_t>(info.size));
  std::size_t done = 0;
  while (done < out.size()) {
    std::size_t got = 0;
    status = io.read(file.handle, &out[done], out.size() - done, got);
    if (!status) {
      out.clear();
      return status.about(kCannotRead, path);
    }
    if (got == 0) break;
    done += got;
  }
  out.resize(done);
  return IoStatus();
}

IoStatus copyFileSafely(FileIo& io, const std::string& source, const std::string& target,
                        ReplacementFile::Target known) {
  ReplacementFile copy(io, target, known);
  const IoStatus status = copyInto(io, source, copy);
  return status ? copy.commit() : status;
}

IoStatus copyToNewFile(FileIo& io, const std::string& source, const std::string& target, bool& taken) {
  ReplacementFile copy(io, target, ReplacementFile::Target::New);
  IoStatus status = copyInto(io, source, copy);
  if (status) status = copy.commit();
  taken = copy.targetTaken();
  return status;
}

IoStatus copyInto(FileIo& io, const std::string& source, ReplacementFile& copy) {
  ReadHandle file(io);
  FileInfo info;
  IoStatus status = openRegularFile(io, source, file, info);
  if (!status) return status;
  // A block the size of the file (plus one byte, to meet its end in the same
  // read) up to 256 KiB, not cleared: most files copied are small.
  constexpr std::uint64_t kMaxBlock = 256 * 1024;
  const std::size_t block = static_cast<std::size_t>(std::min(info.size + 1, kMaxBlock));
  const std::unique_ptr<char[]> buffer(new char[block]);
  std::uint64_t done = 0;
  for (;;) {
    std::size_t got = 0;
    status = io.read(file.handle, buffer.get(), block, got);
    if (!status) return status.about(kCannotRead, source);
    if (got == 0) return IoStatus();
    if (const IoStatus& written = copy.write(std::string_view(buffer.get(), got)); !written) return written;
    // A short read once the size the file had when opened is reached is its
    // end: no further read is needed to meet it.
    done += got;
    if (got < block && done >= info.size) return IoStatus();
  }
}

}  // namespace platform
