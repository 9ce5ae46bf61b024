// Where the platform reports no ready digitizer, the first pen or touch call says so once,
// looks nothing up, and every pen and touch message is then refused.
#include <quarn/quarn.h>

#include <platform/PlatformMessage.h>
#include <platform/PlatformPointer.h>

#include <cstdio>
#include <string>

namespace {

int Fail(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  return 1;
}

}  // namespace

int main() {
  Platform_Digitizer_Set(PLATFORM_DIGITIZER_INTEGRATED_PEN);  // a pen, but the stack is not ready
  Platform_Window* window = Platform_Window_Create(L"pen", 100, 100, nullptr);
  Platform_Pen_Info pen;
  pen.pointer = {PLATFORM_POINTER_PEN, 1, PLATFORM_POINTER_IN_CONTACT, 5, 5};
  Platform_Pen_Post(window, PLATFORM_MSG_POINTER_DOWN, &pen);
  const Platform_Touch_Input two[2] = {{0, 0, 1, PLATFORM_TOUCH_DOWN | PLATFORM_TOUCH_PRIMARY, 0},
                                       {100, 0, 2, PLATFORM_TOUCH_DOWN, 0}};
  Platform_Touch_Post(window, two, 2);
  Host_Report_Capture capture;
  Platform_Message m;
  const Pen_Record* record = nullptr;
  const Touch_Gesture* gesture = nullptr;
  if (!Platform_Peek_Message(window, &m, 1) || Fct_Pointer_Pen(window, m.id, m.a, m.b, &record))
    return Fail("a pen message was decoded without pen functions");
  if (!Platform_Peek_Message(window, &m, 1) || Fct_Pointer_Touch(window, m.id, m.a, m.b, &gesture))
    return Fail("a touch message was decoded without touch functions");
  Fct_RegisterTouchWindow(window);
  if (Platform_Touch_Registered(window)) return Fail("the window was registered");
  if (!capture.Contains("Looking for touch input devices...")) return Fail("no search reported");
  if (!capture.Contains("    System Metrics( DIGITIZER=00000004 )")) return Fail("no digitizer bits reported");
  if (!capture.Contains("    System does not support pen or touch.")) return Fail("no refusal reported");
  if (capture.Contains("Found function") || capture.Count(quarn::msg::Platform) != 3)
    return Fail("the search was reported more than once or went on");
  Platform_Touch_Input_Close(m.b);
  Platform_Window_Destroy(window);
  return 0;
}
