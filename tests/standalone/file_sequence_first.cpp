// The first file record of each kind in a process takes sequence number 0, whatever was made
// of the other kinds before it.
#include <quarn/quarn.h>

#include <cstdio>

int main() {
  Quarn_2D_File first_2d(L"/scans/a.dcm", nullptr);
  Quarn_3D_File first_3d(L"/geo/b.stl", 0, nullptr);
  Quarn_2D_File second_2d(L"/scans/c.dcm", nullptr);
  Quarn_1D_File first_1d(L"/mrs/d.spc", nullptr);
  Quarn_3D_File second_3d(L"/geo/e.stl", 0, nullptr);
  const unsigned got[] = {first_2d.Class_B_Get(), first_3d.Class_B_Get(), second_2d.Class_B_Get(),
                          first_1d.Class_B_Get(), second_3d.Class_B_Get()};
  const unsigned want[] = {0, 0, 1, 0, 1};
  for (int i = 0; i < 5; ++i)
    if (got[i] != want[i]) {
      std::fprintf(stderr, "record %d: class B %u, expected %u\n", i, got[i], want[i]);
      return 1;
    }
  return 0;
}
