// Where the pictures are: installed beside the library, beside the program, or in the source
// tree of the build that made the library.
#include <hostkit/HostPicture.h>
#include <hostkit/HostWidgets.h>

#include <hostkit/HostUtil.h>

#include <dlfcn.h>

#include <filesystem>
#include <system_error>

namespace {

namespace fs = std::filesystem;

bool Is_Folder(const fs::path& folder) {
  std::error_code ec;
  return !folder.empty() && fs::is_directory(folder, ec);
}

// The folder of this library's file.
fs::path Library_Folder() {
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(&Host_Icon_Folder), &info) || !info.dli_fname) return {};
  std::error_code ec;
  const fs::path file = fs::canonical(info.dli_fname, ec);
  return ec ? fs::path() : file.parent_path();
}

fs::path Program_Folder() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? fs::path(".") : exe.parent_path();
}

std::wstring Folder_Text(const fs::path& folder) {
  std::wstring text = Host_Char_To_Wide(folder.string().c_str());
  if (text.empty() || text.back() != L'/') text += L'/';
  return text;
}

}  // namespace

std::wstring Host_Icon_Folder() {
#ifdef HOSTKIT_ICONS_FROM_LIBRARY
  const fs::path installed = Library_Folder() / HOSTKIT_ICONS_FROM_LIBRARY;
  if (Is_Folder(Library_Folder()) && Is_Folder(installed)) return Folder_Text(installed.lexically_normal());
#endif
  const fs::path beside = Program_Folder() / "icons";
  if (Is_Folder(beside)) return Folder_Text(beside);
#ifdef HOSTKIT_ICONS_SOURCE
  if (Is_Folder(HOSTKIT_ICONS_SOURCE)) return Folder_Text(HOSTKIT_ICONS_SOURCE);
#endif
  return Folder_Text(beside);
}
