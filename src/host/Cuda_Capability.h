// How a device's compute capability compares with the one required.
#pragma once

namespace quarn {

/// Outcome of the comparison, named as the probe's exit trace names it.
enum class Cuda_Capability { Meets, Major_Too_Low, Minor_Too_Low };

/// A higher major passes whatever the minor; an equal major needs at least the minor.
constexpr Cuda_Capability Cuda_Compare(int device_major, int device_minor, int major, int minor) {
  if (device_major < major) return Cuda_Capability::Major_Too_Low;
  if (device_major == major && device_minor < minor) return Cuda_Capability::Minor_Too_Low;
  return Cuda_Capability::Meets;
}

}  // namespace quarn
