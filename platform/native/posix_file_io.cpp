// FileIo over POSIX calls.
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <unordered_map>
#include <cerrno>
#include <cstring>

#include "platform/file_io.h"
#include "platform/native/pending_temporaries.h"

namespace platform {

namespace {

IoStatus errnoStatus(int error) { return IoStatus::failure(std::strerror(error)); }
IoStatus lastError() { return errnoStatus(errno); }

int fd(FileIo::Handle handle) { return static_cast<int>(handle); }

// One read or write (call), repeated when a signal interrupts it; done is the
// number of bytes it moved.
template <class Call>
IoStatus transfer(Call call, std::size_t& done) {
  done = 0;
  for (;;) {
    const ssize_t n = call();
    if (n >= 0) {
      done = static_cast<std::size_t>(n);
      return IoStatus();
    }
    if (errno != EINTR) return lastError();
  }
}

// The folder part of path with its trailing '/', or "" for a bare name.
std::string folderOf(const std::string& path) {
  const std::size_t cut = path.rfind('/');
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

// "~tw" and six letters or digits that differ from call to call and from
// process to process, then ".tmp".
std::string temporaryName() {
  static std::atomic<unsigned> counter{0};
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  unsigned long long seed = static_cast<unsigned long long>(getpid()) * 0x9E3779B97F4A7C15ull ^
                            static_cast<unsigned long long>(now.tv_nsec) ^
                            (static_cast<unsigned long long>(counter.fetch_add(1)) << 32);
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::string name = "~tw";
  for (int i = 0; i < 6; ++i) {
    seed = seed * 6364136223846793005ull + 1442695040888963407ull;
    name += kLetters[(seed >> 33) % 36];
  }
  return name + ".tmp";
}

class PosixFileIo : public FileIo {
 public:
  // The places of the temporary files being written, by path (see
  // pending_temporaries.h).
  void remember(const std::string& path) {
    const int place = rememberTemporary(path);
    std::lock_guard<std::mutex> lock(mutex_);
    places_[path] = place;
  }
  void forget(const std::string& path) {
    int place = -1;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      const auto it = places_.find(path);
      if (it == places_.end()) return;
      place = it->second;
      places_.erase(it);
    }
    forgetTemporary(place);
  }

  IoStatus openForReading(const std::string& path, Handle& handle, FileInfo& info) override {
    // O_NONBLOCK: opening a FIFO must not wait for a writer.
    const int f = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (f < 0) {
      const int error = errno;
      struct stat st;
      // A socket cannot be opened at all; say what it is rather than ENXIO.
      if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode))
        return IoStatus::failure("is not a regular file");
      return errnoStatus(error);
    }
    struct stat st;
    if (::fstat(f, &st) != 0) {
      const IoStatus status = lastError();
      ::close(f);
      return status;
    }
    info.kind = S_ISREG(st.st_mode) ? FileKind::Regular : S_ISDIR(st.st_mode) ? FileKind::Directory : FileKind::Other;
    info.size = S_ISREG(st.st_mode) ? static_cast<std::uint64_t>(st.st_size) : 0;
    handle = f;
    return IoStatus();
  }

  IoStatus read(Handle handle, char* buffer, std::size_t size, std::size_t& got) override {
    return transfer([&] { return ::read(fd(handle), buffer, size > SSIZE_MAX ? SSIZE_MAX : size); }, got);
  }

  IoStatus createTemporaryBeside(const std::string& target, bool replacing, Handle& handle,
                                 std::string& path) override {
    const std::string folder = folderOf(target);
    if (!replacing && canNameOpenFiles()) {
      // Without a name until it is complete (see publish): one step less
      // than a named file and its rename, and a process killed outright
      // leaves nothing. A file system without such files gets a named one.
      const int f = ::open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
      if (f >= 0) {
        handle = f;
        path.clear();
        return IoStatus();
      }
    }
    struct stat existing;
    const bool lendRights = replacing && ::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);
    for (int attempt = 0; attempt < 100; ++attempt) {
      const std::string candidate = folder + temporaryName();
      // Created with the rights a new file gets (the umask applies).
      const int f = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (f < 0) {
        if (errno == EEXIST) continue;
        return lastError();
      }
      remember(candidate);
      if (lendRights) {
        if (::fchmod(f, existing.st_mode & 07777) != 0) { /* the new file keeps the usual rights */ }
        if (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid()) {
          if (::fchown(f, existing.st_uid, existing.st_gid) != 0) { /* only possible for its owner or root */ }
        }
      }
      handle = f;
      path = candidate;
      return IoStatus();
    }
    return errnoStatus(EEXIST);
  }

  IoStatus write(Handle handle, const char* data, std::size_t size, std::size_t& written) override {
    return transfer([&] { return ::write(fd(handle), data, size > SSIZE_MAX ? SSIZE_MAX : size); }, written);
  }

  IoStatus flush(Handle handle) override { return ::fsync(fd(handle)) == 0 ? IoStatus() : lastError(); }

  IoStatus close(Handle handle) override { return ::close(fd(handle)) == 0 ? IoStatus() : lastError(); }

  IoStatus publish(Handle handle, const std::string& temporary, const std::string& target) override {
    if (temporary.empty()) return statusOf(publishUnnamed(fd(handle), target, true));
    if (::close(fd(handle)) != 0) return lastError();
    if (::rename(temporary.c_str(), target.c_str()) != 0) return lastError();
    forget(temporary);
    return IoStatus();
  }

  IoStatus publishNew(Handle handle, const std::string& temporary, const std::string& target,
                      bool& taken) override {
    int error = 0;
    if (temporary.empty()) {
      error = publishUnnamed(fd(handle), target, false);
    } else {
      error = ::close(fd(handle)) == 0 ? moveToFreeName(temporary, target) : errno;
    }
    taken = error == EEXIST;
    return statusOf(error);
  }

  IoStatus remove(const std::string& path) override {
    const IoStatus status = ::unlink(path.c_str()) == 0 || errno == ENOENT ? IoStatus() : lastError();
    forget(path);
    return status;
  }

  FileKind kindOf(const std::string& path) override {
    struct stat st;
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return FileKind::Missing;
    return S_ISREG(st.st_mode) ? FileKind::Regular : S_ISDIR(st.st_mode) ? FileKind::Directory : FileKind::Other;
  }

  IoStatus writeTarget(const std::string& path, std::string& target, FileKind& kind) override {
    target = path;
    kind = FileKind::Missing;
    for (int hop = 0; hop < 40; ++hop) {
      struct stat st;
      if (::lstat(target.c_str(), &st) != 0) {
        if (errno == ENOENT && hop > 0) return IoStatus::failure("is a link to a file that does not exist");
        return errno == ENOENT ? IoStatus() : lastError();
      }
      if (!S_ISLNK(st.st_mode)) {
        kind = S_ISREG(st.st_mode) ? FileKind::Regular : S_ISDIR(st.st_mode) ? FileKind::Directory : FileKind::Other;
        return IoStatus();
      }
      char buffer[PATH_MAX];
      const ssize_t n = ::readlink(target.c_str(), buffer, sizeof buffer - 1);
      if (n < 0) return lastError();
      const std::string link(buffer, static_cast<std::size_t>(n));
      target = link.front() == '/' ? link : folderOf(target) + link;
    }
    return errnoStatus(ELOOP);
  }

 private:
  // Whether an open file can be given a name (linkat through /proc/self/fd).
  static bool canNameOpenFiles() {
    static const bool can = ::access("/proc/self/fd", X_OK) == 0;
    return can;
  }

  // Gives the unnamed file open at f the name path; fails with EEXIST when
  // something has that name already. The file itself is named where the
  // system lets this process do so (a privilege, or a recent kernel); else
  // through its entry in /proc, which costs a lookup more.
  static int linkAs(int f, const std::string& path) {
    static std::atomic<bool> byDescriptor{true};
    if (byDescriptor.load(std::memory_order_relaxed)) {
      if (::linkat(f, "", AT_FDCWD, path.c_str(), AT_EMPTY_PATH) == 0) return 0;
      if (errno != EPERM && errno != ENOENT && errno != EINVAL) return errno;
      byDescriptor.store(false, std::memory_order_relaxed);
    }
    const std::string self = "/proc/self/fd/" + std::to_string(f);
    return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
  }

  static IoStatus statusOf(int error) { return error == 0 ? IoStatus() : errnoStatus(error); }

  // publish for a file without a name: a link gives it the target's name in
  // one step. A file that took that name meanwhile is replaced (the file gets
  // a temporary name first and is renamed over it), or with !replace stays.
  // Returns the errno of the failure, 0 on success.
  int publishUnnamed(int f, const std::string& target, bool replace) {
    int error = linkAs(f, target);
    if (error == EEXIST && replace) {
      const std::string folder = folderOf(target);
      for (int attempt = 0; attempt < 100 && (error == EEXIST); ++attempt) {
        const std::string candidate = folder + temporaryName();
        error = linkAs(f, candidate);
        if (error == 0 && ::rename(candidate.c_str(), target.c_str()) != 0) {
          error = errno;
          ::unlink(candidate.c_str());
        }
      }
    }
    if (::close(f) != 0 && error == 0) {
      // The data may not all be there: the new name goes again.
      error = errno;
      ::unlink(target.c_str());
    }
    return error;
  }

  // Gives the closed temporary file its target's name unless that is taken: a
  // hard link cannot replace anything. Where the file system has no hard
  // links, the name is looked for first and the file renamed. Returns the
  // errno of the failure (EEXIST: the name is taken), 0 on success.
  int moveToFreeName(const std::string& temporary, const std::string& target) {
    int error = ::link(temporary.c_str(), target.c_str()) == 0 ? 0 : errno;
    if (error == EPERM || error == EOPNOTSUPP || error == ENOSYS) {
      struct stat st;
      if (::lstat(target.c_str(), &st) == 0) return EEXIST;
      if (::rename(temporary.c_str(), target.c_str()) != 0) return errno;
    } else if (error != 0) {
      return error;
    } else {
      ::unlink(temporary.c_str());
    }
    forget(temporary);
    return 0;
  }

  std::mutex mutex_;
  std::unordered_map<std::string, int> places_;
};

}  // namespace

FileIo& systemFileIo() {
  static PosixFileIo io;
  return io;
}

}  // namespace platform
