// Pieces shared by the geometry operations: surface validation and the walk over the geometries
// selected in a window.
#pragma once

#include <quarn/algorithms/Geom.h>
#include <quarn/classes/Quarn_3D_Geom.h>

#include <hostkit/HostMovie.h>
#include <hostkit/HostUtil.h>

#include "classes/Iterator_Table.h"
#include "classes/Node_Kinds.h"

namespace quarn::geom {

/// True when every polygon of the surface has 3 or 4 corners naming existing nodes and every node
/// position is finite; otherwise the first fault is reported against label and the geometry.
bool Surface_Valid(const Quarn_3D_Geom* geom, const char* label);
/// True when every polygon of the surface is a triangle (the ray grid lists only those).
bool All_Triangles(const Host_Movie_Record& movie);

/// Calls fn(geom) for each geometry of the 3D tree that has a surface, is selected in window and
/// whose name matches name_template (every one for a null or empty template); none without a
/// window.
template <class Fn>
void For_Each_Selected(Quarn_Window* window, const wchar_t* name_template, const char* label, Fn&& fn) {
  if (!window) return;
  Iterator_Scope walk(label, nullptr);
  while (Quarn_3D* node = Iterator_Class_3D(walk.id, Quarn_3D_Geom::Class_A, nullptr, 0)) {
    Quarn_3D_Geom* geom = Geom_If(node);
    if (!geom || !geom->movie || !geom->Flag_Get_Bit(0x10, window, GEOM_FLAG_SELECTED)) continue;
    if (name_template && *name_template && !Host_Str_Match(geom->Name_Get(), name_template)) continue;
    fn(geom);
  }
}

}  // namespace quarn::geom
