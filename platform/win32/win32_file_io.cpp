// FileIo over the Win32 file API.
#include <windows.h>

#include <string>

#include "platform/file_io.h"
#include "platform/win32/win32_error.h"

namespace platform {

namespace {

IoStatus errorStatus(DWORD error) { return win32Failure(error); }
IoStatus lastError() { return errorStatus(GetLastError()); }

HANDLE win(FileIo::Handle handle) { return reinterpret_cast<HANDLE>(handle); }
FileIo::Handle own(HANDLE handle) { return reinterpret_cast<FileIo::Handle>(handle); }

// One ReadFile or WriteFile (call) of at most 1 GiB of size; done is the
// number of bytes it moved.
template <class Call>
IoStatus transfer(Call call, std::size_t size, std::size_t& done) {
  DWORD n = 0;
  const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
  done = 0;
  if (!call(chunk, &n)) return lastError();
  done = n;
  return IoStatus();
}

std::string folderOf(const std::string& path) {
  const std::size_t cut = path.find_last_of("\\/:");
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

// "~tw" and four hexadecimal digits that differ from call to call, ".tmp":
// short, so that a temporary file fits wherever its target's folder does.
std::string temporaryName(DWORD n) {
  char name[16];
  wsprintfA(name, "~tw%04x.tmp", static_cast<unsigned>(n & 0xFFFF));
  return name;
}

class Win32FileIo : public FileIo {
 public:
  IoStatus openForReading(const std::string& path, Handle& handle, FileInfo& info) override {
    // Backup semantics open folders too, so that they can be told apart.
    const HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return lastError();
    BY_HANDLE_FILE_INFORMATION details;
    if (GetFileType(h) != FILE_TYPE_DISK || !GetFileInformationByHandle(h, &details)) {
      info.kind = FileKind::Other;
      info.size = 0;
    } else if (details.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      info.kind = FileKind::Directory;
      info.size = 0;
    } else {
      info.kind = FileKind::Regular;
      info.size = (static_cast<std::uint64_t>(details.nFileSizeHigh) << 32) | details.nFileSizeLow;
    }
    handle = own(h);
    return IoStatus();
  }

  IoStatus read(Handle handle, char* buffer, std::size_t size, std::size_t& got) override {
    return transfer([&](DWORD chunk, DWORD* n) { return ReadFile(win(handle), buffer, chunk, n, nullptr); }, size, got);
  }

  IoStatus createTemporaryBeside(const std::string& target, bool /*replacing*/, Handle& handle,
                                 std::string& path) override {
    const std::string folder = folderOf(target);
    DWORD seed = GetTickCount() ^ (GetCurrentProcessId() << 16);
    for (int attempt = 0; attempt < 200; ++attempt) {
      const std::string candidate = folder + temporaryName(seed + static_cast<DWORD>(attempt) * 40503u);
      const HANDLE h = CreateFileA(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                   nullptr);
      if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;
        return errorStatus(error);
      }
      handle = own(h);
      path = candidate;
      return IoStatus();
    }
    return errorStatus(ERROR_FILE_EXISTS);
  }

  IoStatus write(Handle handle, const char* data, std::size_t size, std::size_t& written) override {
    return transfer([&](DWORD chunk, DWORD* n) { return WriteFile(win(handle), data, chunk, n, nullptr); }, size,
                    written);
  }

  IoStatus flush(Handle handle) override { return FlushFileBuffers(win(handle)) ? IoStatus() : lastError(); }

  IoStatus close(Handle handle) override { return CloseHandle(win(handle)) ? IoStatus() : lastError(); }

  IoStatus publish(Handle handle, const std::string& temporary, const std::string& target) override {
    if (!CloseHandle(win(handle))) return lastError();
    if (!MoveFileExA(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return lastError();
    return IoStatus();
  }

  // Without MOVEFILE_REPLACE_EXISTING the move refuses a name that is taken.
  IoStatus publishNew(Handle handle, const std::string& temporary, const std::string& target,
                      bool& taken) override {
    taken = false;
    if (!CloseHandle(win(handle))) return lastError();
    if (MoveFileExA(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) return IoStatus();
    const DWORD error = GetLastError();
    taken = error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS;
    return errorStatus(error);
  }

  IoStatus remove(const std::string& path) override {
    if (DeleteFileA(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND) return IoStatus();
    return lastError();
  }

  FileKind kindOf(const std::string& path) override {
    const DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return FileKind::Missing;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return FileKind::Directory;
    return attributes & FILE_ATTRIBUTE_DEVICE ? FileKind::Other : FileKind::Regular;
  }

  IoStatus writeTarget(const std::string& path, std::string& target, FileKind& kind) override {
    target = path;
    kind = kindOf(path);
    return IoStatus();
  }
};

}  // namespace

FileIo& systemFileIo() {
  static Win32FileIo io;
  return io;
}

}  // namespace platform
