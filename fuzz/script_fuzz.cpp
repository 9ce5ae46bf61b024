// Feeds arbitrary text to the script reader, line by line, with a host that accepts every
// statement and a few host variables of different types to mirror and write.
#include <quarn/quarn.h>

#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <string>

namespace {

int g_integer = 3;
float g_real = 1.5f;
int g_array[4] = {1, 2, 3, 4};
int* g_array_ptr = g_array;
wchar_t* g_text = nullptr;
int g_read_only = 9;

// Accepts everything; the macro module's own commands are passed on, as a host would.
int Accept_All(const wchar_t* prefix, int* nb_arg, wchar_t*** pt_arg) {
  if (prefix && std::wcscmp(prefix, L"macro:") == 0) W_Script_Macro_Script_Read(*nb_arg, *pt_arg);
  return 1;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // User reports are formatted (their format strings are part of what is tested) but go nowhere;
  // QUARN_FUZZ_TRACES=1 formats the traces as well, more slowly.
  const char* traces = std::getenv("QUARN_FUZZ_TRACES");
  Host_Report_Filter_Default(traces && *traces == '1', true);
  g_text = wcsdup(L"text");
  Host_Var_Define(L"$F_INT", VARIABLE_INT, 1, &g_integer);
  Host_Var_Define(L"$F_REAL", VARIABLE_FLOAT, 1, &g_real);
  Host_Var_Define(L"$F_ARRAY", VARIABLE_INT | VARIABLE_ARRAY, 4, &g_array_ptr);
  Host_Var_Define(L"$F_TEXT", VARIABLE_STRING, 1, &g_text);
  Host_Var_Define(L"$F_RO", VARIABLE_INT | uint16_t(VARIABLE_READ_ONLY), 1, &g_read_only);
  Fct_Main_Var_Get = Host_Var_Get;
  Fct_Script_Dispatch = Accept_All;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::wstring text = Host_Utf8_Decode(reinterpret_cast<const char*>(data), size);
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    Script_Read_Line(L"%ls", text.substr(start, end - start).c_str());
    start = end + 1;
  }
  // Each input starts from a clean state, so that a crash reproduces from its input alone.
  Script_Cleanup();
  return 0;
}
