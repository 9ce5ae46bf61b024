// Picking on a 100 000-triangle sphere through its ray grid, against trying every triangle (the
// reference the grid must equal) in the same run; and building the grid, against one pass that
// only computes every triangle's bounding box.
#include "../tests/algorithms/Mesh_Shapes.h"

#include "Bench_Support.h"

#include <quarn/quarn.h>

#include <benchmark/benchmark.h>

#include <cmath>
#include <ctime>
#include <random>
#include <vector>

namespace {

/// 224 rings of 224 segments: 99 904 triangles.
constexpr int Rings = 224;
constexpr float Radius = 50.0f;
constexpr int Ray_Count = 4096;

struct Scene {
  mesh_shapes::Movie_Ptr movie = mesh_shapes::Sphere(Rings, Rings, Radius, 10, -20, 30);
  Quarn_3D_Geom geom{nullptr, nullptr, 0};
  std::vector<std::pair<Point_3D, Point_3D>> rays;

  Scene() {
    geom.movie = movie.get();
    Arts_3D_Init(&geom);
    // From a random place three radii out towards a random point well inside: every ray hits.
    std::mt19937 rng(42);
    std::normal_distribution<double> n(0, 1);
    std::uniform_real_distribution<double> u(0, 1);
    auto on_sphere = [&](double r) {
      double v[3] = {n(rng), n(rng), n(rng)};
      const double len = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
      return Point_3D(2, float(10 + r * v[0] / len), float(-20 + r * v[1] / len), float(30 + r * v[2] / len));
    };
    for (int i = 0; i < Ray_Count; ++i) rays.emplace_back(on_sphere(3 * Radius), on_sphere(0.9 * Radius * std::cbrt(u(rng))));
  }
};

/// This thread's processor time in seconds: on a shared machine the ratios then compare work
/// done, not the share of the processor the benchmark happened to get.
using quarn_bench::Thread_Seconds;

Scene& The_Scene() {
  static Scene scene;
  return scene;
}

float Grid_Pick(Scene& s, int i) {
  Point_3D hit;
  int triangle;
  return Arts_3D_Intersect_Line_Geom(s.rays[size_t(i)].first, s.rays[size_t(i)].second, &s.geom, &hit, &triangle);
}

float Brute_Pick(Scene& s, int i) {
  Point_3D hit;
  int triangle;
  return GEMS_3D_Intersect_Line_Geom(s.rays[size_t(i)].first, s.rays[size_t(i)].second, &s.geom, &hit, &triangle);
}

void BM_Pick_Grid(benchmark::State& state) {
  Scene& s = The_Scene();
  int i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(Grid_Pick(s, i));
    i = (i + 1) % Ray_Count;
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["triangles"] = s.movie->poly_count;
}
BENCHMARK(BM_Pick_Grid)->Unit(benchmark::kMicrosecond);

void BM_Pick_Every_Triangle(benchmark::State& state) {
  Scene& s = The_Scene();
  int i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(Brute_Pick(s, i));
    i = (i + 1) % Ray_Count;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Pick_Every_Triangle)->Unit(benchmark::kMicrosecond);

// Both in turns within one benchmark, so that the ratio compares like with like; the grid pick
// pays for its clock reads, so grid_us_per_ray is a little high.
void BM_Pick_Cost_Ratio(benchmark::State& state) {
  Scene& s = The_Scene();
  double grid = 0, brute = 0;
  int i = 0, rays = 0, misses = 0;
  for (auto _ : state) {
    const double t0 = Thread_Seconds();
    const float a = Grid_Pick(s, i);
    const double t1 = Thread_Seconds();
    const float b = Brute_Pick(s, i);
    const double t2 = Thread_Seconds();
    grid += t1 - t0;
    brute += t2 - t1;
    misses += a == GEMS_NO_HIT || a != b;
    ++rays;
    i = (i + 1) % Ray_Count;
  }
  const double g = 1e6 * grid / rays, r = 1e6 * brute / rays;
  state.counters["grid_us_per_ray"] = g;
  state.counters["every_triangle_us_per_ray"] = r;
  state.counters["speedup"] = r / g;
  state.counters["misses_or_differences"] = misses;
}
BENCHMARK(BM_Pick_Cost_Ratio)->Unit(benchmark::kMicrosecond);

/// The least work of any grid build: every triangle's bounding box.
float Box_Pass(const Host_Movie_Record& m) {
  float sum = 0;
  for (int p = 0; p < m.poly_count; ++p) {
    const Host_Movie_Polygon& poly = m.polys[p];
    float lo = 1e30f, hi = -1e30f;
    for (int k = 0; k < 3; ++k) {
      const Vec4& v = m.nodes[poly.index[k]].pos;
      lo = std::min({lo, v.x, v.y, v.z});
      hi = std::max({hi, v.x, v.y, v.z});
    }
    sum += hi - lo;
  }
  return sum;
}

void BM_Grid_Build_Cost_Ratio(benchmark::State& state) {
  Scene& s = The_Scene();
  Quarn_3D_Geom geom(nullptr, nullptr, 0);
  geom.movie = s.movie.get();
  double build = 0, boxes = 0;
  int runs = 0;
  for (auto _ : state) {
    const double t0 = Thread_Seconds();
    benchmark::DoNotOptimize(Arts_3D_Init(&geom));
    const double t1 = Thread_Seconds();
    benchmark::DoNotOptimize(Box_Pass(*s.movie));
    const double t2 = Thread_Seconds();
    Arts_3D_Free(&geom);
    build += t1 - t0;
    boxes += t2 - t1;
    ++runs;
  }
  const double b = 1e3 * build / runs, x = 1e3 * boxes / runs;
  state.counters["build_ms"] = b;
  state.counters["box_pass_ms"] = x;
  state.counters["cost_ratio"] = b / x;
}
BENCHMARK(BM_Grid_Build_Cost_Ratio)->Unit(benchmark::kMillisecond);

}  // namespace
