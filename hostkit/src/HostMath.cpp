// Vec4 transforms and the Mat4 operations of the host's utility library.
#include <hostkit/HostMath.h>

#include <cmath>
#include <utility>

Vec4& Vec4::operator*=(const Mat4& mat) {
  // Same rule as the point transform: double arithmetic, rounded to float, divide unless w is 1.
  const double (*m)[4] = mat.m;
  float nx = float(x * m[0][0] + y * m[1][0] + z * m[2][0] + m[3][0]);
  float ny = float(x * m[0][1] + y * m[1][1] + z * m[2][1] + m[3][1]);
  float nz = float(x * m[0][2] + y * m[1][2] + z * m[2][2] + m[3][2]);
  float nw = float(x * m[0][3] + y * m[1][3] + z * m[2][3] + m[3][3]);
  if (nw != 1.0f) {
    float r = 1.0f / nw;
    nx *= r; ny *= r; nz *= r;
  }
  x = nx; y = ny; z = nz;
  return *this;
}

void Mat4::init() {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) m[i][j] = (i == j) ? 1.0 : 0.0;
}

void Mat4::rot_x(double angle, int mode) {
  Mat4 r;
  r.init();
  double c = std::cos(angle), s = std::sin(angle);
  // Row-vector convention: y' = y c - z s, z' = y s + z c.
  r.m[1][1] = c; r.m[1][2] = s;
  r.m[2][1] = -s; r.m[2][2] = c;
  if (mode == 1) *this = *this * r;
  else if (mode == 2) *this = r * *this;
  else *this = r;
}

int Mat4::inverse(Mat4& out) const {
  double a[4][8];
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      a[i][j] = m[i][j];
      a[i][j + 4] = (i == j) ? 1.0 : 0.0;
    }
  for (int col = 0; col < 4; ++col) {
    int pivot = col;
    for (int r = col + 1; r < 4; ++r)
      if (std::fabs(a[r][col]) > std::fabs(a[pivot][col])) pivot = r;
    if (std::fabs(a[pivot][col]) < 1e-300) return 0;
    if (pivot != col)
      for (int j = 0; j < 8; ++j) std::swap(a[pivot][j], a[col][j]);
    double inv = 1.0 / a[col][col];
    for (int j = 0; j < 8; ++j) a[col][j] *= inv;
    for (int r = 0; r < 4; ++r) {
      if (r == col || a[r][col] == 0.0) continue;
      double f = a[r][col];
      for (int j = 0; j < 8; ++j) a[r][j] -= f * a[col][j];
    }
  }
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) out.m[i][j] = a[i][j + 4];
  return 1;
}

Mat4 Mat4::inverse() const {
  Mat4 out;
  if (!inverse(out)) out.init();
  return out;
}

Mat4 Mat4::operator*(const Mat4& b) const {
  Mat4 r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      double s = 0;
      for (int k = 0; k < 4; ++k) s += m[i][k] * b.m[k][j];
      r.m[i][j] = s;
    }
  return r;
}

void Mat4::to_float(float out[16]) const {
  // Row-major rows with the translation in row 3 are exactly OpenGL's column-major layout.
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) out[i * 4 + j] = float(m[i][j]);
}
