// The folder picker lives apart from the other user-interface adapters, so
// that a program without it does not import the shell.
#include <shlobj.h>

#include <vector>

#include "platform/win32/scoped.h"
#include "platform/win32/win32_user_interface.h"

namespace platform {

namespace {

// The display name as ANSI text; a wide string the shell allocated is freed
// with the shell's allocator.
std::optional<std::string> takeName(STRRET& name, LPCITEMIDLIST item, IMalloc* allocator) {
  switch (name.uType) {
    case STRRET_WSTR: {
      std::optional<std::string> text;
      if (name.pOleStr) {
        const int bytes = WideCharToMultiByte(CP_ACP, 0, name.pOleStr, -1, nullptr, 0, nullptr, nullptr);
        if (bytes > 0) {
          std::vector<char> buffer(static_cast<std::size_t>(bytes));
          if (WideCharToMultiByte(CP_ACP, 0, name.pOleStr, -1, buffer.data(), bytes, nullptr, nullptr) > 0)
            text = std::string(buffer.data());
        }
        allocator->Free(name.pOleStr);
      }
      return text;
    }
    case STRRET_OFFSET: return std::string(reinterpret_cast<const char*>(item) + name.uOffset);
    case STRRET_CSTR: return std::string(name.cStr);
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> Win32FolderPicker::browse(const std::string& title) {
  char displayName[MAX_PATH] = "";
  BROWSEINFOA info{};
  info.hwndOwner = nullptr;
  info.pidlRoot = nullptr;  // the desktop
  info.pszDisplayName = displayName;
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  LPITEMIDLIST item = SHBrowseForFolderA(&info);
  if (!item) return std::nullopt;

  ScopedInterface<IMalloc> allocator;
  if (FAILED(SHGetMalloc(allocator.out())) || !allocator) {
    CoTaskMemFree(item);  // the shell allocator is the task allocator
    return std::nullopt;
  }
  std::optional<std::string> path;
  ScopedInterface<IShellFolder> desktop;
  if (SUCCEEDED(SHGetDesktopFolder(desktop.out())) && desktop) {
    STRRET name{};
    if (SUCCEEDED(desktop->GetDisplayNameOf(item, SHGDN_FORPARSING, &name))) path = takeName(name, item, allocator.get());
  }
  allocator->Free(item);
  return path;
}

}  // namespace platform
