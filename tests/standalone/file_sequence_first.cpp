// The first file record of each kind in a process takes sequence number 0, whatever was made
// of the other kinds before it.
#include <quarn/quarn.h>

#include <cstdio>

int main() {
  Quarn_1D_File first_1d(L"a.dat", nullptr);
  Quarn_3D_File first_3d(L"b.stl", 0, nullptr);
  Quarn_1D_File second_1d(L"c.dat", nullptr);
  const unsigned got[] = {first_1d.Class_B_Get(), first_3d.Class_B_Get(), second_1d.Class_B_Get()};
  const unsigned want[] = {0, 0, 1};
  for (int i = 0; i < 3; ++i)
    if (got[i] != want[i]) {
      std::fprintf(stderr, "record %d: class B %u, expected %u\n", i, got[i], want[i]);
      return 1;
    }
  return 0;
}
