// FileIo for tests: passes every operation to the real one, and makes the one
// a test names fail, as a full disk, a refused folder or a lost rename would.
#pragma once

#include <algorithm>
#include <string>

#include "platform/file_io.h"

namespace platform {

class FaultyFileIo : public FileIo {
 public:
  explicit FaultyFileIo(FileIo& real = systemFileIo()) : real_(real) {}

  // The nth write from now on (1 = the next) fails with reason; 0 = none.
  void failWrite(int nth, std::string reason = "No space left on device") {
    failWriteAt_ = writes_ + nth;
    writeReason_ = std::move(reason);
  }
  // Every write stores at most bytes bytes (a short write that succeeds).
  void limitWrites(std::size_t bytes) { writeLimit_ = bytes; }
  // The nth creation of a temporary file from now on fails.
  void failCreate(int nth, std::string reason = "Permission denied") {
    failCreateAt_ = creates_ + nth;
    createReason_ = std::move(reason);
  }
  void failFlush(std::string reason = "Input/output error") { flushReason_ = std::move(reason); }
  void failClose(std::string reason = "No space left on device") { closeReason_ = std::move(reason); }
  // The nth replacement from now on fails.
  void failReplace(int nth, std::string reason = "Permission denied") {
    failReplaceAt_ = replaces_ + nth;
    replaceReason_ = std::move(reason);
  }
  // Every read fails with reason.
  void failReads(std::string reason = "Input/output error") { readReason_ = std::move(reason); }

  int writes() const { return writes_; }
  int creates() const { return creates_; }
  int replaces() const { return replaces_; }
  int flushes() const { return flushes_; }
  int lookups() const { return lookups_; }  // of a write's target (writeTarget)

  IoStatus openForReading(const std::string& path, Handle& handle, FileInfo& info) override {
    return real_.openForReading(path, handle, info);
  }
  IoStatus read(Handle handle, char* buffer, std::size_t size, std::size_t& got) override {
    got = 0;
    if (!readReason_.empty()) return IoStatus::failure(readReason_);
    return real_.read(handle, buffer, size, got);
  }
  IoStatus createTemporaryBeside(const std::string& target, bool replacing, Handle& handle,
                                 std::string& path) override {
    if (++creates_ == failCreateAt_) return IoStatus::failure(createReason_);
    return real_.createTemporaryBeside(target, replacing, handle, path);
  }
  IoStatus write(Handle handle, const char* data, std::size_t size, std::size_t& written) override {
    written = 0;
    if (++writes_ == failWriteAt_) return IoStatus::failure(writeReason_);
    return real_.write(handle, data, writeLimit_ ? std::min(size, writeLimit_) : size, written);
  }
  IoStatus flush(Handle handle) override {
    ++flushes_;
    if (!flushReason_.empty()) return IoStatus::failure(flushReason_);
    return real_.flush(handle);
  }
  IoStatus close(Handle handle) override {
    IoStatus status = real_.close(handle);
    if (!closeReason_.empty()) return IoStatus::failure(closeReason_);
    return status;
  }
  // The close and the move of a temporary file fail as close and replace do.
  IoStatus publish(Handle handle, const std::string& temporary, const std::string& target) override {
    if (IoStatus fault = publishFault(handle); !fault) return fault;
    return real_.publish(handle, temporary, target);
  }
  IoStatus publishNew(Handle handle, const std::string& temporary, const std::string& target, bool& taken) override {
    taken = false;
    if (IoStatus fault = publishFault(handle); !fault) return fault;
    return real_.publishNew(handle, temporary, target, taken);
  }
  IoStatus remove(const std::string& path) override { return real_.remove(path); }
  FileKind kindOf(const std::string& path) override { return real_.kindOf(path); }
  IoStatus writeTarget(const std::string& path, std::string& target, FileKind& kind) override {
    ++lookups_;
    return real_.writeTarget(path, target, kind);
  }

 private:
  // The failure a publish is to give now (the file is then closed), or success.
  IoStatus publishFault(Handle handle) {
    const std::string& reason = !closeReason_.empty() ? closeReason_ : replaceReason_;
    if (closeReason_.empty() && ++replaces_ != failReplaceAt_) return IoStatus();
    real_.close(handle);
    return IoStatus::failure(reason);
  }

  FileIo& real_;
  int writes_ = 0, creates_ = 0, replaces_ = 0, flushes_ = 0, lookups_ = 0;
  int failWriteAt_ = 0, failCreateAt_ = 0, failReplaceAt_ = 0;
  std::size_t writeLimit_ = 0;
  std::string writeReason_, createReason_, flushReason_, closeReason_, replaceReason_, readReason_;
};

}  // namespace platform
