// The device probes against stand-in driver libraries found along LD_LIBRARY_PATH: the
// capability comparison, every failing step's exit trace, and the headset answers.
#include <quarn/quarn.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <dlfcn.h>
#include <string>

namespace {

/// Sets the stand-ins' environment for one test and clears it afterwards.
class Probe : public ::testing::Test {
protected:
  void TearDown() override {
    for (const char* name : {"FAKE_CUDA_MAJOR", "FAKE_CUDA_MINOR", "FAKE_CUDA_DEVICES", "FAKE_CUDA_INIT",
                             "FAKE_CUDA_FAIL", "FAKE_XR_RUNTIME", "FAKE_XR_HMD"})
      unsetenv(name);
  }
  static void Set(const char* name, const char* value) { setenv(name, value, 1); }
  /// The probe's answer and its exit trace.
  static std::pair<int, std::string> Cuda(int major, int minor) {
    Host_Report_Capture capture;
    const int answer = Fct_Test_Cuda(major, minor);
    const std::vector<std::string> lines = capture.Texts(quarn::msg::Probe);
    return {answer, lines.empty() ? "" : lines.back()};
  }
};

TEST_F(Probe, TheStandInsAreTheOnesFound) {
  void* cuda = dlopen("libcuda.so.1", RTLD_NOW);
  ASSERT_NE(cuda, nullptr) << "run with LD_LIBRARY_PATH naming the stand-ins";
  EXPECT_NE(dlsym(cuda, "cuDeviceGetAttribute"), nullptr);
  dlclose(cuda);
}

TEST_F(Probe, TheCapabilityIsComparedMajorFirst) {
  struct Row {
    int major, minor;
    int answer;
    const char* outcome;
  };
  // Device 6.1.
  const Row rows[] = {
      {5, 0, 1, "success"},        // lower major: any minor
      {5, 9, 1, "success"},        // a higher major passes whatever the minor
      {6, 1, 1, "success"},        // equal
      {6, 0, 1, "success"},
      {6, 2, 0, "failed: minor"},  // same major, minor too low
      {7, 0, 0, "failed: major"},  // major too low
  };
  for (const Row& row : rows) {
    const auto [answer, out] = Cuda(row.major, row.minor);
    EXPECT_EQ(answer, row.answer) << row.major << "." << row.minor;
    EXPECT_EQ(out, std::string("<<< out Fct: Fct_Test_Cuda(") + row.outcome + ")");
  }
}

TEST_F(Probe, EachFailingStepEndsTheProbeWithItsOwnTrace) {
  struct Row {
    const char* variable;
    const char* value;
    const char* outcome;
  };
  const Row rows[] = {
      {"FAKE_CUDA_FAIL", "cuDriverGetVersion", "! cudaDriverGetVersion"},
      {"FAKE_CUDA_INIT", "3", "! cudaRuntimeGetVersion"},  // the driver does not start
      {"FAKE_CUDA_INIT", "100", "! count"},                // it starts without any device
      {"FAKE_CUDA_FAIL", "cuDeviceGetCount", "! cudaGetDeviceCount"},
      {"FAKE_CUDA_DEVICES", "0", "! count"},
      {"FAKE_CUDA_FAIL", "cuDeviceGet", "! cudaGetDeviceProperties"},
      {"FAKE_CUDA_FAIL", "cuDeviceGetAttribute", "! cudaGetDeviceProperties"},
  };
  for (const Row& row : rows) {
    Set(row.variable, row.value);
    const auto [answer, out] = Cuda(5, 0);
    EXPECT_EQ(answer, 0) << row.value;
    EXPECT_EQ(out, std::string("<<< out Fct: Fct_Test_Cuda(") + row.outcome + ")");
    unsetenv(row.variable);
  }
}

TEST_F(Probe, TheDriverIsLoadedForTheProbeOnlyAndItsReasonsAreTraced) {
  Host_Report_Capture capture;
  EXPECT_EQ(Fct_Test_Cuda(6, 1), 1);
  EXPECT_EQ(dlopen("libcuda.so.1", RTLD_NOW | RTLD_NOLOAD), nullptr);
  EXPECT_TRUE(capture.Contains("-> Fct_Test_Cuda: driver version 12.4"));
  EXPECT_TRUE(capture.Contains("-> Fct_Test_Cuda: device 0 of 1 has compute capability 6.1, 6.1 required"));
}

TEST_F(Probe, AHeadsetIsFoundThroughTheRuntimeOnlyWhenAskedFor) {
  // The test holds the loader so that its count of open instances can be read afterwards.
  void* loader = dlopen("libopenxr_loader.so.1", RTLD_NOW);
  ASSERT_NE(loader, nullptr);
  auto open_instances = reinterpret_cast<int (*)()>(dlsym(loader, "fake_xr_open_instances"));
  struct Row {
    int flags;
    const char* runtime;
    const char* headset;
    int answer;
    const char* why;
  };
  const Row rows[] = {
      {1, "1", "1", 1, "a head-mounted display is connected"},
      {3, "1", "1", 1, "a head-mounted display is connected"},  // other bits do not matter
      {0, "1", "1", 0, "not asked (flag bit 0 clear)"},        // not looked for
      {1, "1", "0", 0, "no head-mounted display connected"},
      {1, "0", "1", 0, "no OpenXR runtime"},
  };
  for (const Row& row : rows) {
    Set("FAKE_XR_RUNTIME", row.runtime);
    Set("FAKE_XR_HMD", row.headset);
    Host_Report_Capture capture;
    EXPECT_EQ(Fct_Test_VR(row.flags), row.answer) << row.why;
    EXPECT_TRUE(capture.Contains(std::string("-> Fct_Test_VR: ") + row.why));
    EXPECT_TRUE(capture.Contains("<<< out Fct: Fct_Test_VR()"));
    EXPECT_EQ(open_instances(), 0);
  }
  dlclose(loader);
}

}  // namespace
