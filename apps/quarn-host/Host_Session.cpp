// Host variables, the library's host pointers, and saving what the session typed.
#include "Host_Session.h"
#include "Host_Points.h"

#include "Host_Command.h"
#include "Host_Render.h"
#include "Host_Surface.h"

#include <quarn/quarn.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <filesystem>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

std::vector<std::wstring> g_history;
std::string g_temp_folder;  // the session's scratch folder, removed at the end

int Counter_Changed() {
  Host_Report(Host_Main_Window, quarn::msg::Platform, L"$HOST_COUNTER changed");
  return 1;
}

FILE* Open_For_Writing(const wchar_t* name) {
  FILE* file = name ? std::fopen(Host_Wide_To_Char(name), "w") : nullptr;
  if (!file)
    Host_Report(Host_Main_Window, quarn::msg::Notice, L"\xF1\x04" L"ERROR:\x02 cannot write \"%ls\"",
                name ? name : L"");
  return file;
}

// The script a session saves is the statements it performed, so that reading it replays them.
int Save_History(const wchar_t* name) {
  FILE* file = Open_For_Writing(name);
  if (!file) return 0;
  for (const std::wstring& line : g_history) std::fprintf(file, "%s\n", Host_Report_Utf8(line).c_str());
  std::fclose(file);
  return 1;
}

// The second writer saves the script variables as assignments.
int Save_Variables(const wchar_t* name) {
  FILE* file = Open_For_Writing(name);
  if (!file) return 0;
  for (int i = 0; i < Variable_Nb; ++i) {
    const Script_Vars& v = Variable_Pt[i];
    if (v.flags & SCRIPT_VAR_HOST) continue;
    std::fprintf(file, "%s =", Host_Report_Utf8(v.name).c_str());
    for (int k = 0; k < v.count; ++k) std::fprintf(file, " %s", v.value[k] ? Host_Report_Utf8(v.value[k]).c_str() : "\"\"");
    std::fputc('\n', file);
  }
  std::fclose(file);
  return 1;
}

void Define_Variables() {
  const int counter = 0;
  Host_Var_Define_Owned(L"$HOST_COUNTER", VARIABLE_INT, 1, &counter, sizeof counter, Counter_Changed);
  // The tag locks as a plain 256-byte table (no array flag): the storage is the table itself.
  static uint8_t tag_locks[256] = {};
  Host_Var_Define(L"$TAG_LOCK", VARIABLE_CHAR | VARIABLE_UNSIGNED, 256, tag_locks);
  const float scale = 1.0f;
  Host_Var_Define_Owned(L"$HOST_SCALE", VARIABLE_FLOAT, 1, &scale, sizeof scale);
  const int pid = int(::getpid());
  Host_Var_Define_Owned(L"$HOST_PID", VARIABLE_INT | uint16_t(VARIABLE_READ_ONLY), 1, &pid, sizeof pid);
  // The table takes over the malloc'd text; script writes replace it.
  wchar_t* title = wcsdup(L"quarn-host");
  Host_Var_Define_Owned(L"$HOST_TITLE", VARIABLE_STRING, 1, &title, sizeof title);
  // A scratch folder of this session only, so that scripts can write series without clashing.
  char pattern[] = "/tmp/quarn-host-XXXXXX";
  if (::mkdtemp(pattern)) g_temp_folder = pattern;
  wchar_t* temp = wcsdup(Host_Char_To_Wide(g_temp_folder.c_str()));
  Host_Var_Define_Owned(L"$HOST_TEMP", VARIABLE_STRING | uint16_t(VARIABLE_READ_ONLY), 1, &temp, sizeof temp);
  // Extension lists of the dialogs' filters.
  for (const auto& [name, list] : {std::pair{L"$HOST_EXT_DICOM", L"dcm,ima"}, std::pair{L"$HOST_EXT_ALL", L"*"},
                                   std::pair{L"$HOST_EXT_TEXT", L"txt csv"}}) {
    wchar_t* text = wcsdup(list);
    Host_Var_Define_Owned(name, VARIABLE_STRING, 1, &text, sizeof text);
  }
}

}  // namespace

void Host_Session_Start() {
  Host_Var_Default_Install();
  Define_Variables();
  Fct_Main_Var_Get = Host_Var_Get;
  Fct_Script_Dispatch = Host_Dispatch;
  Fct_Script_Dispatch_Help = Host_Help;
  Fct_Script_Dispatch_Save = Save_History;
  Fct_Script_Dispatch_Cuda = Save_Variables;
  Fct_Critical_Create();
  Fct_Dispatch_Init();
  Undo_Create();
}

void Host_Session_End() {
  Undo_Cleanup();
  Fct_Dispatch_Cleanup();
  Database_2D_Free();
  Host_Points_Release();
  Host_Files_Release();
  Host_Surface_Release();
  Host_Render_Release();
  Host_Window_Release();
  Host_Modules_Release();
  Script_Cleanup();
  Fct_Critical_Cleanup();
  Host_Var_Clear();
  std::error_code ignored;
  if (!g_temp_folder.empty()) std::filesystem::remove_all(g_temp_folder, ignored);
}

// The frames' own pending bits say what to drop: they are set at once, also while a script file
// holds the update messages back.
void Host_Update_Pass() {
  auto** root = static_cast<Quarn_2D**>(Host_Var_Get(L"$DB_2D_ROOT_PT", nullptr, nullptr, nullptr));
  if (!root || !*root) return;
  Database_2D_Update_A(~0ull, *root);
  (*root)->Update_A_Set_Off(0x30, reinterpret_cast<void*>(uintptr_t(8)), ~0ull);
}

void Host_Session_Record(const std::wstring& statement) { g_history.push_back(statement); }

int Host_Session_Line(const std::wstring& line) { return Script_Read_Input(line.c_str()); }
