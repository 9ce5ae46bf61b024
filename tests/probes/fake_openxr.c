/* A stand-in for the OpenXR loader: a runtime (FAKE_XR_RUNTIME=0: none) with a head-mounted
   display (FAKE_XR_HMD=0: not connected); it checks the structures it is given and counts the
   instances that are still open. */
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

enum { kSuccess = 0, kValidationFailure = -1, kFormFactorUnsupported = -34, kFormFactorUnavailable = -35,
       kRuntimeUnavailable = -51 };
enum { kTypeInstanceCreateInfo = 3, kTypeSystemGetInfo = 4, kHeadMountedDisplay = 1 };

typedef struct {
  char application_name[128];
  uint32_t application_version;
  char engine_name[128];
  uint32_t engine_version;
  uint64_t api_version;
} Application_Info;

typedef struct {
  int32_t type;
  const void* next;
  uint64_t create_flags;
  Application_Info application_info;
  uint32_t enabled_api_layer_count;
  const char* const* enabled_api_layer_names;
  uint32_t enabled_extension_count;
  const char* const* enabled_extension_names;
} Instance_Create_Info;

typedef struct {
  int32_t type;
  const void* next;
  int32_t form_factor;
} System_Get_Info;

static int g_open = 0;

static int Number(const char* name, int fallback) {
  const char* v = getenv(name);
  return v && *v ? atoi(v) : fallback;
}

int xrCreateInstance(const Instance_Create_Info* info, void** instance) {
  if (!info || info->type != kTypeInstanceCreateInfo || !info->application_info.application_name[0] ||
      info->application_info.api_version >> 48 != 1 || info->enabled_extension_count)
    return kValidationFailure;
  if (!Number("FAKE_XR_RUNTIME", 1)) return kRuntimeUnavailable;
  ++g_open;
  *instance = &g_open;
  return kSuccess;
}

int xrGetSystem(void* instance, const System_Get_Info* info, uint64_t* system) {
  if (instance != &g_open || !info || info->type != kTypeSystemGetInfo) return kValidationFailure;
  if (info->form_factor != kHeadMountedDisplay) return kFormFactorUnsupported;
  if (!Number("FAKE_XR_HMD", 1)) return kFormFactorUnavailable;
  *system = 7;
  return kSuccess;
}

int xrDestroyInstance(void* instance) {
  if (instance != &g_open) return kValidationFailure;
  --g_open;
  return kSuccess;
}

/* Instances created and not destroyed. */
int fake_xr_open_instances(void) { return g_open; }
