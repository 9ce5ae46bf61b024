// Fct_Test_Cuda: whether CUDA device 0 has a compute capability, asked of the driver library
// loaded for the probe only (so that a machine without the driver runs without it).
#include <quarn/host/Device_Probe.h>

#include "core/Trace.h"
#include "host/Cuda_Capability.h"
#include "host/Dynamic_Library.h"

#include <cstdarg>

int NvOptimusEnablementCuda = 1;

namespace {

using quarn::msg::Probe;

/// The driver library's name where the loader finds it.
constexpr const char* kDriver = "libcuda.so.1";
/// Driver result codes.
constexpr int kSuccess = 0;
constexpr int kNoDevice = 100;
/// Device attributes of the compute capability.
constexpr int kAttributeMajor = 75;
constexpr int kAttributeMinor = 76;

using Get_Int = int (*)(int*);
using Init = int (*)(unsigned);
using Device_Get = int (*)(int*, int);
using Attribute_Get = int (*)(int*, int, int);

/// The driver entry points the probe needs.
struct Driver {
  Get_Int driver_version = nullptr;
  Init init = nullptr;
  Get_Int device_count = nullptr;
  Device_Get device = nullptr;
  Attribute_Get attribute = nullptr;
};

int Out(const char* outcome) {
  QUARN_REPORT(Probe, "<<< out Fct: Fct_Test_Cuda(%s)", outcome);
  return 0;
}

/// Room for one reason.
constexpr size_t kReasonSize = 512;

// Says why the probe answers as it does; formatted only when the trace is shown.
[[gnu::format(printf, 1, 2)]] void Why(const char* format, ...) {
  if (!Host_Report_Enabled(Probe)) return;
  char text[kReasonSize];
  va_list args;
  va_start(args, format);
  Host_Format_V(text, sizeof text, format, args);
  va_end(args);
  Host_Report(Host_Main_Window, Probe, "-> Fct_Test_Cuda: %s", text);
}

const char* Missing(const quarn::Dynamic_Library& lib, Driver& d) {
  if (!(d.driver_version = lib.Symbol<Get_Int>("cuDriverGetVersion"))) return "cuDriverGetVersion";
  if (!(d.init = lib.Symbol<Init>("cuInit"))) return "cuInit";
  if (!(d.device_count = lib.Symbol<Get_Int>("cuDeviceGetCount"))) return "cuDeviceGetCount";
  if (!(d.device = lib.Symbol<Device_Get>("cuDeviceGet"))) return "cuDeviceGet";
  if (!(d.attribute = lib.Symbol<Attribute_Get>("cuDeviceGetAttribute"))) return "cuDeviceGetAttribute";
  return nullptr;
}

// The steps after loading; each failure names the step as the exit trace does.
int Probe_Device(const Driver& d, int major, int minor) {
  int version = 0;
  if (int e = d.driver_version(&version); e != kSuccess) return Why("cuDriverGetVersion gave error %d", e), Out("! cudaDriverGetVersion");
  Why("driver version %d.%d", version / 1000, version % 1000 / 10);
  // Starting the driver is what the runtime's version query stands for.
  if (int e = d.init(0); e != kSuccess) {
    Why("cuInit gave error %d%s", e, e == kNoDevice ? " (no CUDA device)" : "");
    return Out(e == kNoDevice ? "! count" : "! cudaRuntimeGetVersion");
  }
  int count = 0;
  if (int e = d.device_count(&count); e != kSuccess) return Why("cuDeviceGetCount gave error %d", e), Out("! cudaGetDeviceCount");
  if (count <= 0) return Why("no CUDA device"), Out("! count");
  int device = 0, device_major = 0, device_minor = 0;
  if (int e = d.device(&device, 0); e != kSuccess) return Why("cuDeviceGet gave error %d", e), Out("! cudaGetDeviceProperties");
  if (d.attribute(&device_major, kAttributeMajor, device) != kSuccess ||
      d.attribute(&device_minor, kAttributeMinor, device) != kSuccess)
    return Why("the compute capability of device 0 cannot be read"), Out("! cudaGetDeviceProperties");
  Why("device 0 of %d has compute capability %d.%d, %d.%d required", count, device_major, device_minor, major, minor);
  switch (quarn::Cuda_Compare(device_major, device_minor, major, minor)) {
    case quarn::Cuda_Capability::Major_Too_Low: return Out("failed: major");
    case quarn::Cuda_Capability::Minor_Too_Low: return Out("failed: minor");
    case quarn::Cuda_Capability::Meets: break;
  }
  QUARN_REPORT(Probe, "<<< out Fct: Fct_Test_Cuda(success)");
  return 1;
}

}  // namespace

int Fct_Test_Cuda(int major, int minor) {
  QUARN_REPORT(Probe, ">>> in  Fct: Fct_Test_Cuda(%d, %d)", major, minor);
  const quarn::Dynamic_Library library(kDriver);
  if (!library.Loaded()) return Why("%s", library.Error().c_str()), Out("! LoadLibrary");
  Driver driver;
  if (const char* missing = Missing(library, driver)) return Why("%s lacks %s", kDriver, missing), Out("! cudaDriverGetVersion");
  return Probe_Device(driver, major, minor);
}
