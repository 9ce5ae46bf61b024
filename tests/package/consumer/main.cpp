// A user of the installed package: one include gives the whole interface.
#include <platform/Platform.h>
#include <quarn/quarn.h>

int main() {
  Quarn_Buffer buffer(3);
  if (!buffer.Data_New(16)) return 1;
  // The platform layer comes along with the library, headers and all.
  Platform_Window* window = Platform_Window_Create(L"consumer", 8, 8, nullptr);
  if (!Platform_Post_Message(window, PLATFORM_MSG_USER, 1, 2) || !Platform_Window_Destroy(window))
    return 1;
  return buffer.Size_Get() == 16 && buffer.Class_Magic_Get() == 0xAFBF ? 0 : 1;
}
