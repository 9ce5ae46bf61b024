// "module:" loads plug-in modules from shared objects and lists the registry's groups.
#include "Host_Command.h"
#include "Host_Module.h"

#include <quarn/quarn.h>

#include <hostkit/HostTreeModule2D.h>

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

/// The modules loaded and the registry's group lists over them.
struct Registry {
  std::vector<Module_Functions*> modules{&Host_Tree_Module_2D};  // built in; its group is hidden
  std::vector<std::wstring> names;
  uint16_t nb_group = 0;
  uint16_t* group_count = nullptr;
  wchar_t** group_name = nullptr;
  Module_Functions*** group_module = nullptr;
};

Registry& Modules() {
  static Registry registry;
  return registry;
}

// Modules live in "modules" beside the program.
std::filesystem::path Module_Folder() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::path("modules") : exe.parent_path() / "modules";
}

std::filesystem::path Module_Path(const std::wstring& word) {
  if (word.find(L'/') != std::wstring::npos) return std::filesystem::path(Host_Wide_To_Char(word.c_str()));
  return Module_Folder() / ("quarn_" + std::string(Host_Wide_To_Char(word.c_str())) + ".so");
}

// The registry's lists are rebuilt from every module loaded, sorted, and published to the library.
bool Publish() {
  Registry& r = Modules();
  Fct_Module_List_Cleanup(&r.nb_group, &r.group_count, &r.group_name, &r.group_module);
  if (!Fct_Module_List_Load(0, uint32_t(r.modules.size()), r.modules.data(), &r.nb_group, &r.group_count,
                            &r.group_name, &r.group_module) && !r.modules.empty() && r.nb_group)
    return false;
  Fct_Module_List_Sort(r.nb_group, r.group_count, r.group_name, r.group_module);
  r.names.clear();
  for (Module_Functions* m : r.modules) r.names.push_back(m->name ? m->name(0) : L"");
  static std::vector<wchar_t*> name_pointers;
  name_pointers.clear();
  for (std::wstring& n : r.names) name_pointers.push_back(n.data());
  Module_Quarn_Nb = uint32_t(r.modules.size());
  Module_Quarn_Pt = r.modules.data();
  Quarn_Module_Names = name_pointers.data();
  return true;
}

int Load(const std::wstring& word) {
  const std::filesystem::path path = Module_Path(word);
  void* library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    const char* why = ::dlerror();
    Host_Print((L"module: cannot load " + std::wstring(Host_Char_To_Wide(path.c_str())) + L": " +
                Host_Char_To_Wide(why ? why : "unknown error"))
                   .c_str());
    return 0;
  }
  auto describe = reinterpret_cast<Host_Module_Describe_Fn>(::dlsym(library, HOST_MODULE_ENTRY));
  const Host_Module_Export* module = describe ? describe() : nullptr;
  if (!module || !module->functions || !module->prefix || !module->run) {
    Host_Print((L"module: " + std::wstring(Host_Char_To_Wide(path.c_str())) + L" is no quarn module").c_str());
    ::dlclose(library);
    return 0;
  }
  Modules().modules.push_back(module->functions);
  Host_Command_Registration{Host_Command{module->prefix, module->run, module->usage}};
  if (!Publish()) return 0;
  Host_Print((L"module: " + std::wstring(module->functions->name(0)) + L" serves " + module->prefix).c_str());
  return 1;
}

int List() {
  const Registry& r = Modules();
  for (int g = 0; g < r.nb_group; ++g) {
    Host_Print((L"module: group " + std::wstring(r.group_name[g] ? r.group_name[g] : L"(none)")).c_str());
    for (int m = 0; m < r.group_count[g]; ++m) {
      const Module_Functions* module = r.group_module[g][m];
      Host_Print((L"module:   " + std::wstring(module->name ? module->name(0) : L"?") + L" (" +
                  (module->group ? module->group() : L"") + L")")
                     .c_str());
    }
  }
  Host_Print((L"module: " + std::to_wstring(r.modules.size()) + L" module(s) loaded, " +
              std::to_wstring(r.nb_group) + L" group(s) listed")
                 .c_str());
  return 1;
}

int Module(int* nb_arg, wchar_t*** pt_arg) {
  if (!Script_Arg_Check_Range(L"module:", *nb_arg, 1, 2)) return 0;
  const std::wstring what = Host_Expand((*pt_arg)[0]);
  if (what == L"list") return Publish() && List();
  if (what == L"load" && *nb_arg == 2) return Load(Host_Expand((*pt_arg)[1]));
  Host_Print((L"module: unknown action \"" + what + L"\" (list, load NAME|PATH)").c_str());
  return 0;
}

const Host_Command_Registration module_registration(
    {L"module:", Module, L"module: list | load NAME|PATH   the plug-in modules and their groups"});

}  // namespace

void Host_Modules_Release() {
  Registry& r = Modules();
  Fct_Module_List_Cleanup(&r.nb_group, &r.group_count, &r.group_name, &r.group_module);
  Fct_Module_Active_Cleanup();
  Module_Quarn_Nb = 0;
  Module_Quarn_Pt = nullptr;
  Quarn_Module_Names = nullptr;
}
