// Probes for optional devices: a CUDA device of some compute capability, a connected headset.
#pragma once

#include <quarn/Export.h>

/// 1 when CUDA device 0 has at least compute capability major.minor (a higher major passes
/// whatever its minor), else 0; the driver library is loaded for the probe only, and each step
/// that fails says why in a trace.
QUARN_API int Fct_Test_Cuda(int major, int minor);
/// 1 when bit 0 of flags is set and the OpenXR runtime finds a connected head-mounted display,
/// else 0 (bit 0 clear: 0 without looking).
QUARN_API int Fct_Test_VR(int flags);

extern "C" {
/// Asks hybrid-graphics drivers to run the process on the discrete device.
extern QUARN_API int NvOptimusEnablementCuda;
}
