// A resource of the Win32 API that is given back when it goes out of scope:
// an open registry key, a COM interface. Null means none.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace platform {

template <class T, void (*release)(T)>
class Scoped {
 public:
  Scoped() = default;
  Scoped(const Scoped&) = delete;
  Scoped& operator=(const Scoped&) = delete;
  ~Scoped() {
    if (value_) release(value_);
  }

  // Where a call that opens or creates the resource stores it.
  T* out() { return &value_; }
  T get() const { return value_; }
  T operator->() const { return value_; }
  explicit operator bool() const { return value_ != nullptr; }

 private:
  T value_ = nullptr;
};

inline void closeKey(HKEY key) { RegCloseKey(key); }
template <class Interface>
void releaseInterface(Interface* held) {
  held->Release();
}

using ScopedKey = Scoped<HKEY, closeKey>;
template <class Interface>
using ScopedInterface = Scoped<Interface*, releaseInterface<Interface>>;

}  // namespace platform
