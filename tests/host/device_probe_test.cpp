// The device probes on this machine: without a CUDA driver or an OpenXR loader they answer 0
// and say why; the capability comparison itself is checked at every edge.
#include <quarn/quarn.h>

#include "host/Cuda_Capability.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

namespace {

bool Loadable(const char* library) {
  void* handle = dlopen(library, RTLD_NOW | RTLD_LOCAL);
  if (handle) dlclose(handle);
  return handle != nullptr;
}

TEST(Device_Probe, WithoutTheDriverLibraryCudaAnswersZeroAndSaysWhy) {
  if (Loadable("libcuda.so.1")) GTEST_SKIP() << "a CUDA driver is installed here";
  Host_Report_Capture capture;
  EXPECT_EQ(Fct_Test_Cuda(3, 0), 0);
  const std::vector<std::string> lines = capture.Texts(quarn::msg::Probe);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], ">>> in  Fct: Fct_Test_Cuda(3, 0)");
  EXPECT_NE(lines[1].find("-> Fct_Test_Cuda: libcuda.so.1: cannot open shared object file"), std::string::npos);
  EXPECT_EQ(lines[2], "<<< out Fct: Fct_Test_Cuda(! LoadLibrary)");
}

TEST(Device_Probe, WithoutTheOpenXRLoaderNoHeadsetIsFound) {
  if (Loadable("libopenxr_loader.so.1")) GTEST_SKIP() << "an OpenXR loader is installed here";
  Host_Report_Capture capture;
  EXPECT_EQ(Fct_Test_VR(1), 0);
  EXPECT_TRUE(capture.Contains("-> Fct_Test_VR: no OpenXR loader"));
  EXPECT_TRUE(capture.Contains("<<< out Fct: Fct_Test_VR()"));
}

TEST(Device_Probe, CapabilityComparisonAtEveryEdge) {
  using quarn::Cuda_Capability;
  struct Row {
    int device_major, device_minor, major, minor;
    Cuda_Capability outcome;
  };
  const Row rows[] = {
      {6, 1, 5, 0, Cuda_Capability::Meets},          // 5.0 against 6.1
      {6, 1, 6, 2, Cuda_Capability::Minor_Too_Low},  // 6.2 against 6.1
      {6, 1, 7, 0, Cuda_Capability::Major_Too_Low},  // 7.0 against 6.1
      {6, 1, 6, 1, Cuda_Capability::Meets},          // equal
      {7, 0, 6, 9, Cuda_Capability::Meets},          // a higher major, whatever the minor
      {6, 0, 7, 9, Cuda_Capability::Major_Too_Low},
  };
  for (const Row& r : rows)
    EXPECT_EQ(quarn::Cuda_Compare(r.device_major, r.device_minor, r.major, r.minor), r.outcome);
  EXPECT_EQ(NvOptimusEnablementCuda, 1);
}

}  // namespace
