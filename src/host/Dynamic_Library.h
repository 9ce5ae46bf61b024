// Dynamic_Library: a shared library loaded for as long as the object lives, and its symbols.
#pragma once

#include <dlfcn.h>

#include <string>

namespace quarn {

class Dynamic_Library {
public:
  /// Loads name (a file name searched the loader's way, or a path) with the dlopen mode given.
  explicit Dynamic_Library(const char* name, int mode = RTLD_NOW | RTLD_LOCAL) : handle_(dlopen(name, mode)) {
    if (!handle_) {
      const char* why = dlerror();
      error_ = why ? why : "unknown reason";
    }
  }
  ~Dynamic_Library() {
    if (handle_) dlclose(handle_);
  }
  Dynamic_Library(const Dynamic_Library&) = delete;
  Dynamic_Library& operator=(const Dynamic_Library&) = delete;

  /// True when the library is loaded.
  bool Loaded() const { return handle_ != nullptr; }
  /// Why it could not be loaded.
  const std::string& Error() const { return error_; }
  /// The symbol as a function pointer of type F, or null when the library lacks it.
  template <class F>
  F Symbol(const char* name) const {
    return handle_ ? reinterpret_cast<F>(dlsym(handle_, name)) : nullptr;
  }

private:
  void* handle_;
  std::string error_;
};

}  // namespace quarn
