// Fct_GLI_Interpolate: a grey value between two slices, weighted by a smooth step on each axis.
#include <quarn/algorithms/Volume_Test.h>

#include <quarn/classes/Quarn_2D.h>
#include <quarn/frames/Frame_Layers.h>

#include <hostkit/HostImage.h>

#include "classes/Tree_Trace.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// Values at or above this mark padding or missing data and take no part.
constexpr int Value_Limit = 0x7FFFFFFE;

// 1 at 0, 0 at 1, w(u) + w(1 - u) = 1 between.
double Step_Weight(double u) {
  const double a = std::fabs(u);
  return 2 * a * a * a - 3 * a * a + 1;
}

bool Finite(const Vec4& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z) && std::isfinite(p.w);
}

// A coordinate's integer part; positions beyond the int range cannot address a pixel.
bool Whole(float v, int* out) {
  if (!(std::fabs(v) < 2147483520.0f)) return false;
  *out = int(v);
  return true;
}

}  // namespace

int Fct_GLI_Interpolate(Quarn_2D* object, Host_Image_Record* a, Host_Image_Record* b, Vec4 p) {
  if (!QUARN_CHECK(quarn::Object_Of(object), Class_2D, "Fct_GLI_Interpolate")) return GLI_NONE;
  if (!a || !b || !object->fct_read_gli || !Finite(p)) return GLI_NONE;
  int x0, y0, z0, t0;
  if (!Whole(p.x, &x0) || !Whole(p.y, &y0) || !Whole(p.z, &z0) || !Whole(p.w, &t0)) return GLI_NONE;
  const int z1 = (z0 + 1) % std::max<int>(b->slices, 1);
  const double wz0 = Step_Weight(double(p.z) - z0), wz1 = Step_Weight(double(p.z) - (double(z0) + 1));
  long long sum = 0;
  for (int i = x0; i <= x0 + 1; ++i)
    for (int j = y0; j <= y0 + 1; ++j) {
      const double wx = Step_Weight(double(p.x) - i), wy = Step_Weight(double(p.y) - j);
      const int va = object->fct_read_gli(object, a, Vec4(float(i), float(j), float(z0), float(t0)));
      const int vb = object->fct_read_gli(object, b, Vec4(float(i), float(j), float(z1), float(t0)));
      if (va < Value_Limit) sum += (long long)std::trunc(va * wx * wy * wz0);
      if (vb < Value_Limit) sum += (long long)std::trunc(vb * wx * wy * wz1);
    }
  return int(std::clamp<long long>(sum, INT_MIN, INT_MAX));
}
