// The outcome of a file operation: success, or the reason it failed in words
// a user can act on ("Permission denied", "is a directory").
#pragma once

#include <string>
#include <utility>

namespace platform {

class IoStatus {
 public:
  IoStatus() = default;  // success
  static IoStatus failure(std::string reason) {
    IoStatus status;
    status.failed_ = true;
    status.reason_ = std::move(reason);
    return status;
  }

  bool ok() const { return !failed_; }
  explicit operator bool() const { return ok(); }
  // Empty on success.
  const std::string& reason() const { return reason_; }

  // Names what failed on which file, for describe(); the first naming sticks,
  // so that the innermost operation that knows the file names it.
  IoStatus& about(std::string action, std::string path) {
    if (failed_ && action_.empty()) {
      action_ = std::move(action);
      path_ = std::move(path);
    }
    return *this;
  }
  const std::string& path() const { return path_; }

  // "cannot read 'x.htm': Permission denied", or the bare reason when
  // nothing was named; empty on success.
  std::string describe() const {
    if (!failed_ || action_.empty()) return reason_;
    return action_ + " '" + path_ + "': " + reason_;
  }

 private:
  bool failed_ = false;
  std::string reason_;
  std::string action_;
  std::string path_;
};

}  // namespace platform
