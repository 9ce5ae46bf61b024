// A first look at the library: host variables, class objects, buffers and traced locks.
#include <quarn/quarn.h>

#include <unistd.h>

#include <cstdio>

int main() {
  Host_Report_Echo_Set(Host_Report_Echo_For(STDERR_FILENO));
  Host_Var_Default_Install();
  Fct_Main_Var_Get = Host_Var_Get;
  Fct_Critical_Create();

  Quarn_Buffer buffer(2);
  buffer.Name_Set(L"Work %ls", L"TAG");
  buffer.Matrix_New(512, 512, 2);
  std::printf("buffer %ls (%s) uid %u holds %u bytes\n", buffer.Name_Get(), buffer.Title_Get(),
              buffer.Class_UID_Get(), buffer.Size_Get());

  int count = 0;
  uint16_t flags = 0;
  Fct_Variable_Get(L"$TAG_RED", &count, &flags, nullptr, 1);
  std::printf("$TAG_RED: %d entries, flags 0x%04X; $WINDOW_MAX = %ld\n", count, flags,
              long(reinterpret_cast<intptr_t>(Fct_Variable_Value(L"$WINDOW_MAX", nullptr, nullptr, nullptr))));

  // Show the nesting traces of the global section.
  Host_Report_Filter_Set(quarn::msg::Critical_Marker, true);
  Fct_Critical_In("demo");
  Fct_Critical_In("demo nested");
  Fct_Critical_Out("demo nested");
  Fct_Critical_Out("demo");
  Fct_Critical_Out("demo again");  // not held: reported

  Fct_Critical_Cleanup();
  return 0;
}
