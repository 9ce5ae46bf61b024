// Feeds arbitrary bytes to the three mesh readers; every surface read gets its ray grid and a
// few picks, so that odd surfaces exercise the grid as well.
#include <quarn/quarn.h>

#include <cstdint>
#include <cstdlib>

namespace {

/// Lines through the unit cube from three sides, and one along an axis.
const float Rays[][6] = {{-5, 0.3f, 0.4f, 5, 0.5f, 0.6f}, {0.2f, -5, 0.7f, 0.3f, 5, 0.1f}, {0.5f, 0.5f, 9, 0.5f, 0.5f, 8}, {0, 0, 0, 1, 1, 1}};

void Pick_On(Host_Movie_Record* movie) {
  Quarn_3D_Geom geom(nullptr, nullptr, 0);
  geom.movie = movie;
  if (Arts_3D_Init(&geom)) {
    for (const float* r : Rays) {
      const Point_3D a(2, r[0], r[1], r[2]), b(2, r[3], r[4], r[5]);
      Point_3D hit;
      int triangle;
      Arts_3D_Intersect_Line_Geom(a, b, &geom, &hit, &triangle);
      GEMS_3D_Intersect_Line_Geom(a, b, &geom, &hit, &triangle);
    }
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
    if (movie) Pick_On(movie);
    Host_Movie_Free(movie);
  }
  return 0;
}
