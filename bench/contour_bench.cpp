// Contours of every tag of a map of random blobs: the frame's computation against OpenCV's
// findContours on the same map (with the per-tag masks it needs), measured in turns in one run,
// and the per-frame work over 64 frames through the dispatcher with one and two workers.
#include "Bench_Support.h"

#include <quarn/quarn.h>
#include <quarn/algorithms/Contour.h>

#include "algorithms/Contour_Driver.h"

#include <benchmark/benchmark.h>

#ifdef QUARN_BENCH_OPENCV
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#endif

#include <algorithm>
#include <ctime>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <random>
#include <thread>
#include <vector>

namespace {

constexpr int Tags = 8;           // tags 1 to 8 hold blobs; 0 is the background
constexpr int Blobs_Per_Mpixel = 160;
constexpr uint32_t Flags = CONTOUR_LOOPS | CONTOUR_EXTEND;

uint16_t g_tag_nb = Tags + 1;

void* Lookup(const wchar_t* name, int* count, uint16_t* flags, Host_Var_Update* update) {
  if (!std::wcscmp(name, L"$TAG_NB")) {
    if (count) *count = 1;
    if (flags) *flags = 0;
    if (update) *update = nullptr;
    return &g_tag_nb;
  }
  return Host_Var_Get(name, count, flags, update);
}

// Overlapping discs and ellipses of tags 1 to 8 over a background of 0.
std::vector<uint8_t> Blob_Map(int side, unsigned seed) {
  std::vector<uint8_t> map(size_t(side) * size_t(side), 0);
  std::mt19937 rng(seed);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const int blobs = int(double(side) * side / 1e6 * Blobs_Per_Mpixel) + Tags;
  for (int b = 0; b < blobs; ++b) {
    const int tag = 1 + b % Tags, cx = pick(0, side - 1), cy = pick(0, side - 1);
    const int rx = pick(side / 64, side / 12), ry = pick(side / 64, side / 12);
    for (int y = std::max(0, cy - ry); y <= std::min(side - 1, cy + ry); ++y)
      for (int x = std::max(0, cx - rx); x <= std::min(side - 1, cx + rx); ++x) {
        const double u = double(x - cx) / rx, v = double(y - cy) / ry;
        if (u * u + v * v <= 1.0) map[size_t(y) * size_t(side) + size_t(x)] = uint8_t(tag);
      }
  }
  return map;
}

using quarn_bench::Group_Node;
using quarn_bench::Thread_Seconds;

// root -> group -> one frame per slice of a record whose tag plane holds blob maps.
struct Frames {
  Quarn_2D_Root root;
  Quarn_2D_File* file = nullptr;
  std::vector<Quarn_2D_Frame*> frames;
  std::vector<uint8_t> first_map;

  Frames(int side, int slices) {
    Host_Var_Default_Install();
    Fct_Main_Var_Get = &Lookup;
    Fct_Critical_Create();
    Host_Image_Record* record = Host_Image_Create(side, side, slices, 1, HOST_PIXEL_U16, nullptr);
    for (int s = 0; s < slices; ++s) {
      const std::vector<uint8_t> map = Blob_Map(side, unsigned(1000 + s));
      std::memcpy(record->tags + size_t(s) * map.size(), map.data(), map.size());
      if (!s) first_map = map;
    }
    auto** list = static_cast<void**>(std::calloc(2, sizeof(void*)));
    list[0] = record;
    file = new Quarn_2D_File(L"/bench/contour.dcm", list);
    auto* group = new Group_Node;
    root.Child_Add(group);
    for (int s = 0; s < slices; ++s) {
      Class_2D_Frame_Insert(group, file, 0, 0, s);
      frames.push_back(static_cast<Quarn_2D_Frame*>(group->Child_Get_Pt(-1)));
      frames.back()->Work_TAG_Get();  // the layer a painting session has loaded
    }
  }
  ~Frames() {
    root.Child_Delete();
    delete file;
  }
  Frames(const Frames&) = delete;
  Frames& operator=(const Frames&) = delete;
};

// Every tag changed: the whole frame is computed again.
void Compute_All(Quarn_2D_Frame* frame) {
  std::memset(frame->tag_used, 1, sizeof frame->tag_used);
  if (!Fct_Contour_Create(frame, Flags, 1, 1)) std::abort();
}

void BM_Contour_Frame(benchmark::State& state) {
  Frames setup(int(state.range(0)), 1);
  for (auto _ : state) {
    Compute_All(setup.frames[0]);
    benchmark::ClobberMemory();
  }
  long points = 0;
  for (int t = 1; t <= Tags; ++t) points += Fct_Contour_Get_Points(setup.frames[0], int16_t(t), nullptr);
  state.counters["points"] = double(points);
}
BENCHMARK(BM_Contour_Frame)->ArgName("side")->Arg(512)->Arg(2048)->Unit(benchmark::kMicrosecond);

#ifdef QUARN_BENCH_OPENCV
// The baseline: a mask per tag and every boundary (outer and hole) with all its points.
size_t OpenCV_Contours(const cv::Mat& map, cv::Mat& mask) {
  size_t points = 0;
  std::vector<std::vector<cv::Point>> contours;
  for (int t = 1; t <= Tags; ++t) {
    cv::compare(map, cv::Scalar(t), mask, cv::CMP_EQ);
    cv::findContours(mask, contours, cv::RETR_LIST, cv::CHAIN_APPROX_NONE);
    for (const auto& c : contours) points += c.size();
  }
  return points;
}

void BM_OpenCV_Find_Contours(benchmark::State& state) {
  const int side = int(state.range(0));
  std::vector<uint8_t> data = Blob_Map(side, 1000);
  const cv::Mat map(side, side, CV_8U, data.data());
  cv::Mat mask;
  for (auto _ : state) benchmark::DoNotOptimize(OpenCV_Contours(map, mask));
}
BENCHMARK(BM_OpenCV_Find_Contours)->ArgName("side")->Arg(512)->Arg(2048)->Unit(benchmark::kMicrosecond);

// Both in turns within one benchmark, so that the ratio compares like with like: the ratio of
// the totals and, less sensitive to other programs, of the fastest turns.
void BM_Contour_Cost_Ratio(benchmark::State& state) {
  const int side = int(state.range(0));
  Frames setup(side, 1);
  const cv::Mat map(side, side, CV_8U, setup.first_map.data());
  cv::Mat mask;
  double ours = 0, theirs = 0, ours_min = 1e30, theirs_min = 1e30;
  for (auto _ : state) {
    const double t0 = Thread_Seconds();
    Compute_All(setup.frames[0]);
    benchmark::ClobberMemory();
    const double t1 = Thread_Seconds();
    benchmark::DoNotOptimize(OpenCV_Contours(map, mask));
    const double t2 = Thread_Seconds();
    ours += t1 - t0, theirs += t2 - t1;
    ours_min = std::min(ours_min, t1 - t0), theirs_min = std::min(theirs_min, t2 - t1);
  }
  const double n = double(state.iterations());
  state.counters["ours_ms"] = ours / n * 1e3;
  state.counters["opencv_ms"] = theirs / n * 1e3;
  state.counters["cost_ratio"] = ours / theirs;
  state.counters["best_ratio"] = ours_min / theirs_min;
}
BENCHMARK(BM_Contour_Cost_Ratio)->ArgName("side")->Arg(512)->Arg(2048)->Unit(benchmark::kMicrosecond);
#endif

// The per-frame work over 64 frames of 512 x 512 through the dispatcher, with one and two
// workers at once; only the store's bookkeeping is serialised by the global section.
void BM_Contour_Frames_Threads(benchmark::State& state) {
  constexpr int Count = 64;
  Frames setup(512, Count);
  *static_cast<uint16_t*>(Host_Var_Get(L"$COMPUTER_THREAD_NB", nullptr, nullptr, nullptr)) = uint16_t(state.range(0));
  quarn::contour::Job job;
  job.flags = Flags;
  for (auto _ : state) {
    for (Quarn_2D_Frame* f : setup.frames) std::memset(f->tag_used, 1, sizeof f->tag_used);
    Fct_Dispatch_Request request;
    request.name = "Contour_Fct_Thread";
    request.count = Count;
    request.frames = static_cast<Quarn_2D_Frame**>(std::malloc(sizeof(Quarn_2D_Frame*) * Count));
    std::copy(setup.frames.begin(), setup.frames.end(), request.frames);
    request.context = &job;
    request.worker = &quarn::contour::Contour_Fct_Thread;
    if (!Fct_Dispatch_Other(&request)) std::abort();
  }
  state.counters["frames_per_s"] = benchmark::Counter(double(state.iterations()) * Count, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Contour_Frames_Threads)->ArgName("threads")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
