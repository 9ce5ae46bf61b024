/* A stand-in for the CUDA driver library: one device whose compute capability, count and
   failures the environment chooses at each call (FAKE_CUDA_MAJOR, FAKE_CUDA_MINOR,
   FAKE_CUDA_DEVICES, FAKE_CUDA_INIT: cuInit's result, FAKE_CUDA_FAIL: a function that fails). */
#include <stdlib.h>
#include <string.h>

enum { kSuccess = 0, kInvalidValue = 1, kInvalidDevice = 101, kUnknown = 999 };
enum { kAttributeMajor = 75, kAttributeMinor = 76 };

static int Number(const char* name, int fallback) {
  const char* v = getenv(name);
  return v && *v ? atoi(v) : fallback;
}

static int Fails(const char* function) {
  const char* v = getenv("FAKE_CUDA_FAIL");
  return v && strcmp(v, function) == 0;
}

int cuDriverGetVersion(int* version) {
  if (Fails("cuDriverGetVersion")) return kUnknown;
  *version = 12040;
  return kSuccess;
}

int cuInit(unsigned flags) { return flags ? kInvalidValue : Number("FAKE_CUDA_INIT", kSuccess); }

int cuDeviceGetCount(int* count) {
  if (Fails("cuDeviceGetCount")) return kUnknown;
  *count = Number("FAKE_CUDA_DEVICES", 1);
  return kSuccess;
}

int cuDeviceGet(int* device, int ordinal) {
  if (Fails("cuDeviceGet") || ordinal >= Number("FAKE_CUDA_DEVICES", 1)) return kInvalidDevice;
  *device = ordinal;
  return kSuccess;
}

int cuDeviceGetAttribute(int* value, int attribute, int device) {
  if (Fails("cuDeviceGetAttribute") || device != 0) return kInvalidValue;
  if (attribute == kAttributeMajor) *value = Number("FAKE_CUDA_MAJOR", 6);
  else if (attribute == kAttributeMinor) *value = Number("FAKE_CUDA_MINOR", 1);
  else return kInvalidValue;
  return kSuccess;
}
