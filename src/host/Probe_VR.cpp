// Fct_Test_VR: whether a head-mounted display is connected, asked of the OpenXR runtime through
// its loader, loaded for the probe only.
#include <quarn/host/Device_Probe.h>

#include "core/Trace.h"
#include "host/Dynamic_Library.h"

#include <cstdint>
#include <cstring>

namespace {

using quarn::msg::Probe;

/// The loader's name where the dynamic loader finds it.
constexpr const char* kLoader = "libopenxr_loader.so.1";
/// Flag bit of the caller that asks for the probe.
constexpr int kAsk = 0x1;

// The few OpenXR declarations the probe needs, as the OpenXR 1.0 interface lays them out.
using Xr_Result = int32_t;
using Xr_Instance = struct Xr_Instance_T*;
using Xr_System_Id = uint64_t;
constexpr Xr_Result kXrSuccess = 0;
constexpr Xr_Result kXrFormFactorUnavailable = -35;
constexpr int32_t kXrTypeInstanceCreateInfo = 3;
constexpr int32_t kXrTypeSystemGetInfo = 4;
constexpr int32_t kXrHeadMountedDisplay = 1;
constexpr uint64_t kXrApiVersion_1_0 = uint64_t(1) << 48;
constexpr size_t kXrNameSize = 128;

struct Xr_Application_Info {
  char application_name[kXrNameSize];
  uint32_t application_version;
  char engine_name[kXrNameSize];
  uint32_t engine_version;
  uint64_t api_version;
};

struct Xr_Instance_Create_Info {
  int32_t type;
  const void* next;
  uint64_t create_flags;
  Xr_Application_Info application_info;
  uint32_t enabled_api_layer_count;
  const char* const* enabled_api_layer_names;
  uint32_t enabled_extension_count;
  const char* const* enabled_extension_names;
};

struct Xr_System_Get_Info {
  int32_t type;
  const void* next;
  int32_t form_factor;
};

using Create_Instance = Xr_Result (*)(const Xr_Instance_Create_Info*, Xr_Instance*);
using Get_System = Xr_Result (*)(Xr_Instance, const Xr_System_Get_Info*, Xr_System_Id*);
using Destroy_Instance = Xr_Result (*)(Xr_Instance);

int Out(int result, const char* why) {
  QUARN_REPORT(Probe, "-> Fct_Test_VR: %s", why);
  QUARN_REPORT(Probe, "<<< out Fct: Fct_Test_VR()");
  return result;
}

// Creating an instance finds the runtime; asking it for a head-mounted system finds the headset.
int Ask_Runtime(Create_Instance create, Get_System get_system, Destroy_Instance destroy) {
  Xr_Instance_Create_Info info{};
  info.type = kXrTypeInstanceCreateInfo;
  std::strncpy(info.application_info.application_name, "quarn", kXrNameSize - 1);
  std::strncpy(info.application_info.engine_name, "quarn", kXrNameSize - 1);
  info.application_info.api_version = kXrApiVersion_1_0;
  Xr_Instance instance = nullptr;
  if (const Xr_Result r = create(&info, &instance); r != kXrSuccess || !instance) {
    if (Host_Report_Enabled(Probe)) QUARN_REPORT(Probe, "-> Fct_Test_VR: xrCreateInstance gave %d", r);
    return Out(0, "no OpenXR runtime");
  }
  Xr_System_Get_Info system{kXrTypeSystemGetInfo, nullptr, kXrHeadMountedDisplay};
  Xr_System_Id id = 0;
  const Xr_Result r = get_system(instance, &system, &id);
  destroy(instance);
  if (r == kXrSuccess) return Out(1, "a head-mounted display is connected");
  if (r == kXrFormFactorUnavailable) return Out(0, "no head-mounted display connected");
  QUARN_REPORT(Probe, "-> Fct_Test_VR: xrGetSystem gave %d", r);
  return Out(0, "the runtime offers no head-mounted display");
}

}  // namespace

int Fct_Test_VR(int flags) {
  QUARN_REPORT(Probe, ">>> in  Fct: Fct_Test_VR()");
  if (!(flags & kAsk)) return Out(0, "not asked (flag bit 0 clear)");
  const quarn::Dynamic_Library loader(kLoader);
  if (!loader.Loaded()) {
    QUARN_REPORT(Probe, "-> Fct_Test_VR: %s", loader.Error().c_str());
    return Out(0, "no OpenXR loader");
  }
  const auto create = loader.Symbol<Create_Instance>("xrCreateInstance");
  const auto get_system = loader.Symbol<Get_System>("xrGetSystem");
  const auto destroy = loader.Symbol<Destroy_Instance>("xrDestroyInstance");
  if (!create || !get_system || !destroy) return Out(0, "the OpenXR loader lacks xrCreateInstance, xrGetSystem or xrDestroyInstance");
  return Ask_Runtime(create, get_system, destroy);
}
