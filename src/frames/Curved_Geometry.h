// Curved image geometries: the map between a record's curved space and patient space.
#pragma once

#include <quarn/Export.h>
#include <quarn/core/Point.h>

#include <cstdint>

namespace quarn {

/// Curved-geometry code word of an image record: three 3-bit fields say what the first, second
/// and third coordinate of a curved-space point stand for, and bit 15 flips the inverse.
namespace curved {
inline constexpr uint16_t Curved = 0x000C;  ///< Any of these bits: the geometry is curved.
inline constexpr uint16_t Flip = 0x8000;    ///< The inverse runs the opposite way round.
/// What a field says its coordinate is.
enum Role : uint8_t { A, B, C, Passed, R, Theta, Phi, None };
/// The role that field 0 (bits 4-6), 1 (bits 8-10) or 2 (bits 12-14) of code gives.
QUARN_API Role Role_Of(uint16_t code, int field);
}  // namespace curved

/// Curved space to patient space with curvature radius rho; t is kept.
QUARN_API Point_4D Curved_2_Org(uint16_t code, float rho, Point_4D point);
/// Patient space to curved space with curvature radius rho; t of the result is 0.
QUARN_API Point_4D Org_2_Curved(uint16_t code, float rho, Point_4D point);

}  // namespace quarn
