// Burning a 100 000-triangle sphere into 200 frames of 512 x 512, against a plain single-threaded
// slice-and-fill of the same triangles into bare byte planes in the same run; and picking on it
// from window points through the ray grid, against the grid query alone on the same lines.
#include "../tests/algorithms/Mesh_Shapes.h"

#include "Bench_Support.h"

#include <quarn/quarn.h>

#include <platform/PlatformWindow.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int Side = 512, Slices = 200;
/// 224 rings of 224 segments: 99 904 triangles.
constexpr int Rings = 224;
constexpr float Radius = 90, Cx = 256.3f, Cy = 255.6f, Cz = 100.4f;
constexpr int Pick_Points = 4096;

using quarn_bench::Var;

struct Group : Quarn_2D {
  Group() { Class_A_Set(0x2001), Name_Set(L"series"); }
};

/// The host: variables, a main window, a window record with an orthographic view of the sphere,
/// 200 frames under the 2D root and the sphere under the 3D root.
struct Scene {
  Quarn_2D_Root root2d;
  Quarn_3D_Root root3d;
  std::unique_ptr<Quarn_Window> window;
  std::unique_ptr<Quarn_2D_File> file;
  std::unique_ptr<Quarn_3D_File> file3d;
  Quarn_3D_Geom* geom = nullptr;
  std::vector<Point_2D> points;

  Scene() {
    Host_Var_Default_Install();
    Fct_Main_Var_Get = Host_Var_Get;
    Host_Main_Window = Platform_Window_Create(L"main", 100, 100, nullptr);
    Undo_Create();
    *Var<uint16_t>(L"$UNDO_NB") = 0;  // burning is measured without recording, as the baseline
    window = std::make_unique<Quarn_Window>(0);
    window->hwnd = Host_Main_Window;
    (*Var<void**>(L"$WINDOW_PT"))[0] = window.get();
    *Var<int>(L"$WINDOW_NB") = 1;
    *Var<Quarn_Window*>(L"$WINDOW_CUR") = window.get();
    window->width = window->height = 400;
    window->view_b.init();
    window->view_b.m[3][0] = -Cx, window->view_b.m[3][1] = -Cy, window->view_b.m[3][2] = -Cz;
    window->view_c.init();
    window->view_c.m[0][0] = window->view_c.m[1][1] = window->view_c.m[2][2] = 1.0 / 100;

    Host_Image_Record* record = Host_Image_Create(Side, Side, Slices, 1, HOST_PIXEL_S16, nullptr);
    auto** list = static_cast<void**>(std::calloc(2, sizeof(void*)));
    list[0] = record;
    file = std::make_unique<Quarn_2D_File>(L"/bench/series", list);
    auto* group = new Group;
    root2d.Child_Add(group);
    for (int n = 0; n < Slices; ++n) Class_2D_Frame_Insert(group, file.get(), 0, 0, n);
    *Var<void*>(L"$DB_2D_ROOT_PT") = &root2d;

    auto** movies = static_cast<void**>(std::calloc(1, sizeof(void*)));
    movies[0] = mesh_shapes::Sphere(Rings, Rings, Radius, Cx, Cy, Cz).release();
    file3d = std::make_unique<Quarn_3D_File>(L"/bench/sphere.stl", 1, movies);
    file3d->word = 5;
    Class_3D_Geom_Insert(&root3d, file3d.get(), 0, 0);
    geom = static_cast<Quarn_3D_Geom*>(root3d.Child_Get_Pt(0));
    geom->Flag_Set_On(0x10, window.get(), 0x200);
    *Var<void*>(L"$DB_3D_ROOT_PT") = &root3d;
    Arts_3D_Init(geom);

    std::mt19937 rng(7);
    std::uniform_real_distribution<float> u(60, 340);  // inside the sphere's disc in the window
    for (int i = 0; i < Pick_Points; ++i) points.emplace_back(uint8_t(8), u(rng), u(rng));
  }
};

Scene& The_Scene() {
  static Scene scene;
  return scene;
}

/// The baseline: every triangle cut by each slice plane z = k, the outline's crossings of every
/// row sorted and the spans between pairs filled, one plane of bytes per slice, on one thread.
void Plain_Scan(const Host_Movie_Record& m, std::vector<uint8_t>& planes) {
  std::vector<std::vector<float>> rows(Side);
  for (int k = 0; k < Slices; ++k) {
    for (auto& r : rows) r.clear();
    const float z = float(k);
    for (int t = 0; t < m.poly_count; ++t) {
      const Host_Movie_Polygon& p = m.polys[t];
      const Vec4* v[3] = {&m.nodes[p.index[0]].pos, &m.nodes[p.index[1]].pos, &m.nodes[p.index[2]].pos};
      const bool up[3] = {v[0]->z >= z, v[1]->z >= z, v[2]->z >= z};
      if (up[0] == up[1] && up[1] == up[2]) continue;
      const int lone = up[0] == up[1] ? 2 : (up[0] == up[2] ? 1 : 0);
      float x[2], y[2];
      for (int e = 0; e < 2; ++e) {
        const Vec4& a = *v[lone];
        const Vec4& b = *v[(lone + 1 + e) % 3];
        const float s = (z - a.z) / (b.z - a.z);
        x[e] = a.x + s * (b.x - a.x), y[e] = a.y + s * (b.y - a.y);
      }
      if (y[0] > y[1]) std::swap(x[0], x[1]), std::swap(y[0], y[1]);
      for (int r = std::max(0, int(std::ceil(y[0]))); r < std::min(Side, int(std::ceil(y[1]))); ++r)
        rows[r].push_back(x[0] + (float(r) - y[0]) * (x[1] - x[0]) / (y[1] - y[0]));
    }
    uint8_t* plane = &planes[size_t(k) * Side * Side];
    for (int r = 0; r < Side; ++r) {
      std::sort(rows[r].begin(), rows[r].end());
      for (size_t i = 0; i + 1 < rows[r].size(); i += 2)
        for (int c = std::max(0, int(std::ceil(rows[r][i]))); c < std::min(Side, int(std::ceil(rows[r][i + 1]))); ++c)
          plane[size_t(r) * Side + size_t(c)] = 5;
    }
  }
}

void BM_Burn_Plain_Scan(benchmark::State& state) {
  Scene& s = The_Scene();
  std::vector<uint8_t> planes(size_t(Slices) * Side * Side);
  for (auto _ : state) {
    Plain_Scan(*s.geom->movie, planes);
    benchmark::DoNotOptimize(planes.data());
  }
}
BENCHMARK(BM_Burn_Plain_Scan)->Unit(benchmark::kMillisecond)->UseRealTime();

/// User slot of a frame's working tag layer.
constexpr uint32_t Work_Tag_Slot = 5;

/// The frames as a host holds them before a burn: no tag burnt yet and no working tag layer
/// made (only the frames a window shows make theirs).
void Fresh_Frames(Scene& s) {
  Host_Image_Record* record = s.file->Record_Get(0);
  if (record->tags) std::fill_n(record->tags, size_t(Side) * Side * Slices, uint8_t(0));
  Quarn_2D* group = s.root2d.Child_Get_Pt(0);
  for (int i = 0; i < group->Child_Get_Nb(); ++i) group->Child_Get_Pt(i)->User_Delete(Work_Tag_Slot);
}

void BM_Burn_Tags(benchmark::State& state) {
  Scene& s = The_Scene();
  for (auto _ : state) {
    // Every burn starts from the same frames: a second burn of the same surface changes nothing.
    state.PauseTiming();
    Fresh_Frames(s);
    state.ResumeTiming();
    benchmark::DoNotOptimize(Fct_Geom_Burn_Tags(nullptr));
  }
}
BENCHMARK(BM_Burn_Tags)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Pick_Grid_Query(benchmark::State& state) {
  Scene& s = The_Scene();
  // The lines Fct_Geom_Intersect casts: straight down z through the window point.
  size_t i = 0;
  for (auto _ : state) {
    const Point_2D& p = s.points[i++ % s.points.size()];
    const float x = Cx + (2 * p.x / 400 - 1) * 100, y = Cy + (2 * p.y / 400 - 1) * 100;
    Point_3D hit;
    int polygon;
    benchmark::DoNotOptimize(Arts_3D_Intersect_Line_Geom(Point_3D(uint8_t(2), x, y, Cz - 100),
                                                         Point_3D(uint8_t(2), x, y, Cz + 100), s.geom, &hit, &polygon));
  }
}
BENCHMARK(BM_Pick_Grid_Query)->Unit(benchmark::kMicrosecond);

void BM_Pick_Window_Point(benchmark::State& state) {
  Scene& s = The_Scene();
  size_t i = 0;
  for (auto _ : state) {
    Point_3D hit;
    benchmark::DoNotOptimize(Fct_Geom_Intersect(s.window.get(), s.points[i++ % s.points.size()], &hit, nullptr));
  }
}
BENCHMARK(BM_Pick_Window_Point)->Unit(benchmark::kMicrosecond);

}  // namespace
