// File-system tests and folder creation on wide (UTF-8 on disk) paths.
#include <hostkit/HostUtil.h>

#include <cerrno>
#include <string>
#include <sys/stat.h>

namespace {

// The UTF-8 bytes of a wide path, copied out of the conversion's per-thread buffer.
bool Path_Bytes(const wchar_t* path, std::string& out) {
  if (!path || !*path) return false;
  try {
    out = Host_Wide_To_Char(path);
  } catch (...) {  // nothing may escape the kit; a path that cannot be held is not there
    return false;
  }
  return true;
}

bool Stat_Mode(const char* path, mode_t kind) {
  struct stat st;
  return ::stat(path, &st) == 0 && (st.st_mode & S_IFMT) == kind;
}

}  // namespace

int Host_Is_File(const wchar_t* path) {
  std::string bytes;
  return Path_Bytes(path, bytes) && Stat_Mode(bytes.c_str(), S_IFREG);
}

int Host_Is_Dir(const wchar_t* path) {
  std::string bytes;
  return Path_Bytes(path, bytes) && Stat_Mode(bytes.c_str(), S_IFDIR);
}

int Host_Create_Dir(const wchar_t* path) {
  std::string bytes;
  if (!Path_Bytes(path, bytes)) return 0;
  if (Stat_Mode(bytes.c_str(), S_IFDIR)) return 1;
  // Each level from the top down; one that exists already (or that another thread creates
  // meanwhile) is fine, whatever mkdir said about it.
  for (size_t i = 1; i <= bytes.size(); ++i) {
    if (i < bytes.size() && bytes[i] != '/') continue;
    if (bytes[i - 1] == '/') continue;
    char kept = bytes[i];
    bytes[i] = 0;
    bool ok = ::mkdir(bytes.c_str(), 0777) == 0 || Stat_Mode(bytes.c_str(), S_IFDIR);
    bytes[i] = kept;
    if (!ok) return 0;
  }
  return 1;
}
