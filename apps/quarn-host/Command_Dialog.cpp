// "dialog:" answers the file and folder dialogs of a script, shows them, opens the files chosen
// and drops files' records by name.
#include "Host_Command.h"

#include <quarn/quarn.h>

#include <platform/PlatformDialog.h>

#include <cwchar>
#include <memory>
#include <string>
#include <vector>

namespace {

/// Most files "dialog: open" takes at once.
constexpr int kMaxFiles = 64;

int Number(const wchar_t* word, int fallback) {
  const std::wstring text = Host_Expand(word);
  wchar_t* end = nullptr;
  const long n = std::wcstol(text.c_str(), &end, 0);
  return !text.empty() && end && *end == L'\0' ? int(n) : fallback;
}

int Answer(int n, wchar_t** words) {
  if (n < 1) {
    Host_Print(L"dialog: answer needs at least one path");
    return 0;
  }
  std::vector<std::wstring> paths;
  for (int i = 0; i < n; ++i) paths.push_back(Host_Expand(words[i]));
  std::vector<const wchar_t*> list;
  for (const std::wstring& p : paths) list.push_back(p.c_str());
  return Platform_Dialog_Answer_Paths(list.data(), int(list.size()), 0);
}

// The files chosen are read one by one as the user's "open" would read them.
int Open(int max_files) {
  if (max_files < 1 || max_files > kMaxFiles) {
    Host_Print(L"dialog: open takes 1 to 64 files");
    return 0;
  }
  auto paths = std::make_unique<wchar_t[][FILE_PATH_MAX]>(size_t(max_files));
  const wchar_t* filter = Fct_Create_szFilter(2, L"DICOM images", "$HOST_EXT_DICOM", L"All files", "$HOST_EXT_ALL");
  const int chosen = Fct_Open_FileName("Open images", filter, max_files, paths.get(), 0);
  Host_Print((L"dialog: " + std::to_wstring(chosen) + L" file(s) chosen").c_str());
  int result = chosen > 0;
  for (int i = 0; i < chosen; ++i)
    if (!Fct_File_Open(paths[i])) result = 0;
  return result;
}

int Save(int n, wchar_t** words) {
  const std::wstring name = n > 0 ? Host_Expand(words[0]) : L"";
  const std::wstring ext = n > 1 ? Host_Expand(words[1]) : L"txt";
  wchar_t path[FILE_PATH_MAX];
  const wchar_t* filter = Fct_Create_szFilter(1, L"Text files", "$HOST_EXT_TEXT");
  const int chosen = Fct_Save_FileName("Save as", filter, name.empty() ? nullptr : name.c_str(), ext.c_str(), path, 0);
  if (chosen) Host_Print((L"dialog: save as " + std::wstring(path) + L" (filter " + std::to_wstring(chosen) + L")").c_str());
  return chosen > 0;
}

int Folder() {
  wchar_t folder[FILE_PATH_MAX];
  if (!Fct_Open_DirName("Choose a folder", folder)) return 0;
  Host_Print((L"dialog: folder " + std::wstring(folder)).c_str());
  return 1;
}

int Drop(int n, wchar_t** words) {
  if (!Script_Arg_Check(L"dialog: drop", n, 1)) return 0;
  const std::wstring name = Host_Expand(words[0]);
  const int removed = Fct_File_Delete(name.c_str());
  Host_Print((L"dialog: dropped " + std::to_wstring(removed) + L" file record(s) named " + name).c_str());
  return removed > 0;
}

int Dialog(int* nb_arg, wchar_t*** pt_arg) {
  if (!Script_Arg_Check_Range(L"dialog:", *nb_arg, 1, 65)) return 0;
  const std::wstring what = Host_Expand((*pt_arg)[0]);
  const int n = *nb_arg - 1;
  wchar_t** rest = *pt_arg + 1;
  if (what == L"answer") return Answer(n, rest);
  if (what == L"cancel") return Platform_Dialog_Answer_Cancel(), 1;
  if (what == L"fail") return Platform_Dialog_Answer_Error(uint32_t(n > 0 ? Number(rest[0], 0xFFFF) : 0xFFFF)), 1;
  if (what == L"open") return Open(n > 0 ? Number(rest[0], 0) : 1);
  if (what == L"save") return Save(n, rest);
  if (what == L"folder") return Folder();
  if (what == L"drop") return Drop(n, rest);
  Host_Print((L"dialog: unknown action \"" + what + L"\" (answer, cancel, fail, open, save, folder, drop)").c_str());
  return 0;
}

const Host_Command_Registration registration(
    {L"dialog:", Dialog,
     L"dialog: answer path... | cancel | fail [code] | open [n] | save [name [ext]] | folder | drop name\n"
     L"                          answers, shows and uses the file dialogs; drop removes a file's records"});

}  // namespace
