// Curved image geometries: each coordinate of a curved-space point stands for an offset (a, b,
// c), a radius r or an angle (theta, phi); the forward map lays them on a bent surface of radius
// rho, the inverse recovers them from a patient position.
#include "frames/Curved_Geometry.h"

#include <cmath>

namespace quarn {

namespace curved {

// Field values per field: the same value names a different role in each of the three fields.
Role Role_Of(uint16_t code, int field) {
  static constexpr Role Table[3][8] = {
      {A, B, C, Passed, R, Theta, Phi, None},
      {B, A, C, Passed, R, Theta, Phi, None},
      {C, A, B, Passed, R, Theta, Phi, None},
  };
  const int value = (code >> (4 + 4 * field)) & 7;
  return Table[field][value];
}

}  // namespace curved

namespace {

constexpr float Deg_2_Rad = 0.017453292f;
constexpr float Rad_2_Deg = 57.295776f;

struct Roles {
  curved::Role role[3];
  bool Has(curved::Role r) const { return role[0] == r || role[1] == r || role[2] == r; }
};

Roles Roles_Of(uint16_t code) {
  return {{curved::Role_Of(code, 0), curved::Role_Of(code, 1), curved::Role_Of(code, 2)}};
}

}  // namespace

Point_4D Curved_2_Org(uint16_t code, float rho, Point_4D p) {
  float value[curved::None + 1] = {};
  value[curved::Theta] = 90.0f;
  const Roles roles = Roles_Of(code);
  const float coord[3] = {p.x, p.y, p.z};
  for (int i = 0; i < 3; ++i)
    if (roles.role[i] != curved::Passed && roles.role[i] != curved::None)
      value[roles.role[i]] = coord[i];
  const float theta = value[curved::Theta] * Deg_2_Rad, phi = value[curved::Phi] * Deg_2_Rad;
  const float r = value[curved::R];
  const float s = std::sin(theta) * r + value[curved::B] + rho;
  return Point_4D(p.code, std::cos(theta) * r + value[curved::A], std::cos(phi) * s,
                  std::sin(phi) * s + value[curved::C], p.t);
}

Point_4D Org_2_Curved(uint16_t code, float rho, Point_4D p) {
  const Roles roles = Roles_Of(code);
  const float xr = roles.Has(curved::A) ? 0.0f : p.x;
  const float yr = roles.Has(curved::B) ? 0.0f : p.y;
  const float zr = roles.Has(curved::C) ? 0.0f : p.z;
  const float e = std::sqrt(yr * yr + zr * zr) - rho;

  float value[curved::None + 1] = {};
  const float r = roles.Has(curved::R) ? std::sqrt(e * e + xr * xr) : 0.0f;
  float theta = roles.Has(curved::Theta) ? std::atan2(e, p.x) : float(M_PI / 2);
  float phi = roles.Has(curved::Phi) ? std::atan2(p.z, p.y) : 0.0f;
  if (code & curved::Flip) {
    theta = -theta;
    phi += float(M_PI);
  }
  const float s = p.y / std::cos(phi) - rho;
  value[curved::A] = p.x - std::cos(theta) * r;
  value[curved::B] = s - std::sin(theta) * r;
  value[curved::C] = p.z - std::sin(phi) * s;
  value[curved::R] = r;
  value[curved::Theta] = theta * Rad_2_Deg;
  value[curved::Phi] = phi * Rad_2_Deg;
  const float passed[3] = {p.t, p.y, p.z};
  float out[3];
  for (int i = 0; i < 3; ++i) {
    const curved::Role role = roles.role[i];
    out[i] = role == curved::Passed ? passed[i] : role == curved::None ? 0.0f : value[role];
  }
  return Point_4D(p.code, out[0], out[1], out[2], 0.0f);
}

}  // namespace quarn
