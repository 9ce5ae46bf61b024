// Feeds arbitrary bytes to the three mesh readers; every surface read is picked on by trying
// every triangle, and one input in Grid_Share (by its length, so that a crash reproduces from the
// input alone) also gets its ray grid, whose construction dominates the run time.
#include <quarn/quarn.h>

#include <cstdint>
#include <cstdlib>

namespace {

/// Lines through the unit cube from three sides, and one along an axis.
constexpr size_t Grid_Share = 64;

const float Rays[][6] = {{-5, 0.3f, 0.4f, 5, 0.5f, 0.6f}, {0.2f, -5, 0.7f, 0.3f, 5, 0.1f}, {0.5f, 0.5f, 9, 0.5f, 0.5f, 8}, {0, 0, 0, 1, 1, 1}};

void Pick_On(Host_Movie_Record* movie, bool grid) {
  Quarn_3D_Geom geom(nullptr, nullptr, 0);
  geom.movie = movie;
  if (grid) grid = Arts_3D_Init(&geom) != nullptr;
  for (const float* r : Rays) {
    const Point_3D a(2, r[0], r[1], r[2]), b(2, r[3], r[4], r[5]);
    Point_3D hit;
    int triangle;
    if (grid) Arts_3D_Intersect_Line_Geom(a, b, &geom, &hit, &triangle);
    GEMS_3D_Intersect_Line_Geom(a, b, &geom, &hit, &triangle);
  }
  Arts_3D_Free(&geom);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Reports are formatted (their format strings are part of what is tested) but go nowhere;
  // QUARN_FUZZ_TRACES=1 formats the traces as well.
  const char* traces = std::getenv("QUARN_FUZZ_TRACES");
  Host_Report_Filter_Default(traces && *traces == '1', true);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (int format : {HOST_MESH_STL, HOST_MESH_OBJ, HOST_MESH_PLY, HOST_MESH_UNKNOWN}) {
    Host_Movie_Record* movie = Host_Movie_Read_Memory(data, size, format, L"fuzz");
    if (movie) Pick_On(movie, size % Grid_Share == 0);
    Host_Movie_Free(movie);
  }
  return 0;
}
