// The platform's pen and touch functions, looked up by name once, so that the library also runs
// on a platform layer without them.
#include "interaction/Pointer_Functions.h"

#include "core/Trace.h"

#include <dlfcn.h>
#include <mutex>

namespace quarn::pointer {

namespace {

using msg::Platform;

template <class F>
void Look_Up(void* module, const char* name, F& slot) {
  slot = reinterpret_cast<F>(dlsym(module, name));
  if (slot) QUARN_REPORT(Platform, "    -> Found function:\x01 \"%s\"", name);
  else QUARN_REPORT(Platform, "    -> Failed to register %s", name);
}

// The platform library is already loaded (the library links it): the lookup takes a handle to
// it and gives the handle back, leaving its use count as it was.
void Load(Functions& f) {
  QUARN_REPORT(Platform, "\xF1\x02Looking for touch input devices...");
  const int digitizer = Platform_Digitizer_Metrics();
  QUARN_REPORT(Platform, "    System Metrics( DIGITIZER=%08x )", unsigned(digitizer));
  if (!(digitizer & PLATFORM_DIGITIZER_READY)) {
    QUARN_REPORT(Platform, "    System does not support pen or touch.");
    return;
  }
  Dl_info where{};
  void* module = dladdr(reinterpret_cast<const void*>(&Platform_Digitizer_Metrics), &where) && where.dli_fname
                     ? dlopen(where.dli_fname, RTLD_LAZY | RTLD_NOLOAD)
                     : nullptr;
  if (!module) {
    QUARN_REPORT(Platform, "GetModuleHandleEx failed!");
    return;
  }
  Look_Up(module, "Platform_Pointer_Type", f.type);
  Look_Up(module, "Platform_Pointer_Info_Get", f.info);
  Look_Up(module, "Platform_Pointer_Pen_Info_Get", f.pen_info);
  Look_Up(module, "Platform_Touch_Register", f.register_window);
  Look_Up(module, "Platform_Touch_Input_Info", f.touch_info);
  Look_Up(module, "Platform_Touch_Input_Close", f.touch_close);
  dlclose(module);
  QUARN_REPORT(Platform, "\xF1\x02...Done");
  QUARN_REPORT(Platform, "%s", "");
}

}  // namespace

const Functions& Functions_Get() {
  static Functions functions;
  static std::once_flag loaded;
  std::call_once(loaded, [] { Load(functions); });
  return functions;
}

}  // namespace quarn::pointer
