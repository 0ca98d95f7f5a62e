#include "platform/win32/win32_file_system.h"

#include <windows.h>

#include "platform/safe_file.h"
#include "platform/win32/win32_error.h"

namespace platform {

namespace {

// Closes a handle from CreateFileA or FindFirstFileA when it goes out of scope.
class Handle {
 public:
  Handle(HANDLE h, BOOL (WINAPI* close)(HANDLE)) : h_(h), close_(close) {}
  ~Handle() {
    if (h_ != INVALID_HANDLE_VALUE) close_(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return h_; }
  bool valid() const { return h_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE h_;
  BOOL (WINAPI* close_)(HANDLE);
};

bool isFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

bool Win32FileSystem::isDirectory(const std::string& path) { return isFolder(path); }

// SearchPathA with no search path looks the name up as given.
bool Win32FileSystem::pathExists(const std::string& path) {
  if (path.empty()) return false;
  char found[MAX_PATH];
  char* filePart = nullptr;
  return SearchPathA(nullptr, path.c_str(), nullptr, MAX_PATH, found, &filePart) > 0;
}

bool Win32FileSystem::canOpenForReading(const std::string& path) {
  Handle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr),
              CloseHandle);
  return file.valid();
}

IoStatus Win32FileSystem::copyFile(const std::string& source, const std::string& target) {
  return copyFileSafely(io_, source, target);
}

IoStatus Win32FileSystem::copyNewFile(const std::string& source, const std::string& target, bool& taken) {
  return copyToNewFile(io_, source, target, taken);
}

CreateResult Win32FileSystem::createDirectory(const std::string& path) {
  if (CreateDirectoryA(path.c_str(), nullptr)) return CreateResult::Created;
  return GetLastError() == ERROR_ALREADY_EXISTS ? CreateResult::AlreadyExists : CreateResult::Failed;
}

// A folder in which the first search finds nothing is empty; one that cannot
// be searched at all (access denied, gone) fails.
IoStatus Win32FileSystem::listDirectory(const std::string& path, std::vector<std::string>& names) {
  names.clear();
  std::string pattern = path;
  if (!pattern.empty() && pattern.back() == '\\') pattern.pop_back();
  pattern += "\\*.*";
  WIN32_FIND_DATAA entry;
  Handle find(FindFirstFileA(pattern.c_str(), &entry), FindClose);
  if (!find.valid()) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES) return IoStatus();
    return win32Failure(error).about("cannot list", path);
  }
  do {
    names.emplace_back(entry.cFileName);
  } while (FindNextFileA(find.get(), &entry));
  return IoStatus();
}

// The full path with "." and ".." resolved (Windows of this generation has no
// links to follow).
std::string Win32FileSystem::canonicalPath(const std::string& path) {
  char full[MAX_PATH];
  const DWORD n = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  return n > 0 && n < MAX_PATH ? std::string(full, n) : path;
}

// Volume serial number and file index of the folder; empty where the system
// cannot open a folder as a file.
std::string Win32FileSystem::directoryIdentity(const std::string& path) {
  if (!isFolder(path)) return {};
  Handle folder(CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr),
                CloseHandle);
  BY_HANDLE_FILE_INFORMATION info;
  if (!folder.valid() || !GetFileInformationByHandle(folder.get(), &info)) return {};
  if (info.nFileIndexHigh == 0 && info.nFileIndexLow == 0) return {};  // no file numbers on this volume
  return std::to_string(info.dwVolumeSerialNumber) + ":" + std::to_string(info.nFileIndexHigh) + ":" +
         std::to_string(info.nFileIndexLow);
}

}  // namespace platform
