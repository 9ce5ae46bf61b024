// What the trees' shared code reads of their leaf kinds: frames, geometry objects and points.
#pragma once

#include <quarn/classes/Quarn_3D_Geom.h>
#include <quarn/core/Quarn.h>
#include <quarn/frames/Quarn_2D_Frame.h>

#include <cstdint>

class Quarn_Point;

namespace quarn {

inline constexpr uint16_t Class_A_Frame = Quarn_2D_Frame::Class_A;  ///< Frames in the 2D tree.
inline constexpr uint16_t Class_A_Geom = Quarn_3D_Geom::Class_A;    ///< Geometry in the 3D tree.

/// The element kind of a frame's image (negative: a colour image); 0 for any other node.
int8_t Frame_Pixel_Kind(Quarn_2D* node);

/// A node of class A 0x2FFF as the frame it is (for code that only frames reach, such as their
/// own slots).
inline Quarn_2D_Frame* Frame_Of(Quarn_2D* node) { return static_cast<Quarn_2D_Frame*>(node); }
/// The node as a frame, or null when it is none: the class word says frame and the object really
/// is one (a module's node may carry the frame's class word without the frame's fields).
inline Quarn_2D_Frame* Frame_If(Quarn_2D* node) {
  return node && node->Class_A_Get() == Class_A_Frame ? dynamic_cast<Quarn_2D_Frame*>(node) : nullptr;
}
/// True when the node is a frame (see Frame_If).
inline bool Is_Frame(const Quarn_2D* node) { return Frame_If(const_cast<Quarn_2D*>(node)) != nullptr; }
/// The node as a geometry object, or null when it is none (class word and real type, as for
/// frames).
inline Quarn_3D_Geom* Geom_If(Quarn_3D* node) {
  return node && node->Class_A_Get() == Class_A_Geom ? dynamic_cast<Quarn_3D_Geom*>(node) : nullptr;
}
/// The object base of a point marker; a point derives from Quarn alone, so its base sits at its
/// address (the point class is not in the library yet).
inline const Quarn* Point_Base(const Quarn_Point* point) { return reinterpret_cast<const Quarn*>(point); }

}  // namespace quarn
