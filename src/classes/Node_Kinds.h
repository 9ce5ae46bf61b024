// What the trees' shared code needs of node kinds whose classes are built elsewhere: frames and
// geometry objects (the leaves of the 2D and 3D trees) and point markers.
#pragma once

#include <quarn/core/Quarn.h>

#include <cstdint>

class Quarn_2D;
class Quarn_3D;
class Quarn_2D_Frame;
class Quarn_3D_Geom;
class Quarn_Point;

namespace quarn {

inline constexpr uint16_t Class_A_Frame = 0x2FFF;  ///< Class A of frames in the 2D tree.
inline constexpr uint16_t Class_A_Geom = 0x3FFF;   ///< Class A of geometry objects in the 3D tree.

/// The element kind of a frame's image (negative: a colour image); 0 for any other node.
int8_t Frame_Pixel_Kind(Quarn_2D* node);

// Stand-ins while the frame, geometry and point classes are not in the library: each derives
// from its node class (or from Quarn) alone, as its first and only base, so its object sits at
// the address of that part. Once the classes exist these become static_casts.

/// A node of class A 0x2FFF as the frame it is.
inline Quarn_2D_Frame* Frame_Of(Quarn_2D* node) { return reinterpret_cast<Quarn_2D_Frame*>(node); }
/// A node of class A 0x3FFF as the geometry object it is.
inline Quarn_3D_Geom* Geom_Of(Quarn_3D* node) { return reinterpret_cast<Quarn_3D_Geom*>(node); }
/// The object base of a point marker.
inline const Quarn* Point_Base(const Quarn_Point* point) { return reinterpret_cast<const Quarn*>(point); }

}  // namespace quarn
