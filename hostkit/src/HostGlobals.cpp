// The kit's global settings: progress hook, folders, program name and version.
#include <hostkit/HostUtil.h>

#include <cstdlib>
#include <cwchar>
#include <string>
#include <unistd.h>

// Constant defaults hold until the kit is loaded; the loader then puts the real ones in place
// before any library that depends on the kit starts.
void (*Host_Progress_Hook)(float fraction) = nullptr;
const wchar_t* Host_Install_Dir = L"./";
const wchar_t* Host_Scratch_Dir = L"/tmp/";
const wchar_t* Host_Cache_Dir = L"/tmp/quarn-cache/";
const wchar_t* Host_Program_Name = L"quarn";
const wchar_t* Host_Program_Version = HOSTKIT_VERSION;

namespace {

// The texts are never freed: callers may read the globals from their own exit code.
void Keep(const wchar_t*& global, const std::string& utf8) {
  std::wstring wide = Host_Utf8_Decode(utf8.data(), utf8.size());
  auto* copy = new wchar_t[wide.size() + 1];
  std::wmemcpy(copy, wide.c_str(), wide.size() + 1);
  global = copy;
}

std::string With_Slash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

// The user's cache folder by the freedesktop rule, with a folder of the kit's own in it.
std::string Cache_Folder() {
  constexpr const char* Own_Folder = "quarn/";
  const char* xdg = std::getenv("XDG_CACHE_HOME");
  if (xdg && *xdg == '/') return With_Slash(xdg) + Own_Folder;
  const char* home = std::getenv("HOME");
  if (home && *home == '/') return With_Slash(home) + ".cache/" + Own_Folder;
  return std::string();
}

std::string Executable_Path() {
  std::string path(256, '\0');
  for (;;) {
    ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
    if (n < 0) return std::string();
    if (size_t(n) < path.size()) {
      path.resize(size_t(n));
      return path;
    }
    path.resize(path.size() * 2);  // possibly cut: try again with more room
  }
}

struct Defaults {
  Defaults() {
    try {
      std::string exe = Executable_Path();
      size_t slash = exe.rfind('/');
      if (slash != std::string::npos) {
        Keep(Host_Install_Dir, exe.substr(0, slash + 1));
        Keep(Host_Program_Name, exe.substr(slash + 1));
      }
      const char* tmp = std::getenv("TMPDIR");
      if (tmp && *tmp) Keep(Host_Scratch_Dir, With_Slash(tmp));
      const std::string cache = Cache_Folder();
      if (!cache.empty()) Keep(Host_Cache_Dir, cache);
    } catch (...) {  // out of memory at load: the constant defaults stay
    }
  }
};

const Defaults g_defaults;

}  // namespace
