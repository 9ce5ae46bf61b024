// The 81st distinct macro name is refused with a warning, while the 80 names already taken can
// still be redefined; it runs in a process of its own because slots are never given back.
#include <quarn/quarn.h>

#include <cstdio>
#include <string>

namespace {

int g_calls = 0;
int Count(const wchar_t*, int*, wchar_t***) { return ++g_calls, 1; }

int Fail(const char* what) {
  std::fprintf(stderr, "macro_slots: %s\n", what);
  return 1;
}

}  // namespace

int main() {
  Fct_Script_Dispatch = Count;
  for (int i = 0; i < MAX_SCRIPT_MACRO; ++i) {
    std::wstring line = L"@m" + std::to_wstring(i) + L" = run: " + std::to_wstring(i);
    if (Script_Read_Input(line.c_str()) != 1) return Fail("defining one of the 80");
    if (!W_Script_Macro_Replacement((L"@m" + std::to_wstring(i)).c_str())) return Fail("lookup");
  }
  {
    Host_Report_Capture capture;
    if (W_Script_Macro_Assignment(L"@m80") != nullptr) return Fail("81st name accepted");
    if (!capture.Contains("WARNING: to many user macros (max=80)")) return Fail("no warning");
    if (W_Script_Macro_Replacement(L"@m80") != nullptr) return Fail("81st name defined");
  }
  if (Script_Read_Input(L"@m79 = run: again") != 1) return Fail("redefining the 80th");
  g_calls = 0;
  if (Script_Read_Input(L"@m79") != 1 || g_calls != 1) return Fail("calling the redefined");
  Script_Cleanup();
  if (!W_Script_Macro_Assignment(L"@m5")) return Fail("a released name keeps its slot");
  if (W_Script_Macro_Assignment(L"@new") != nullptr) return Fail("cleanup gave slots back");
  Script_Cleanup();
  return 0;
}
