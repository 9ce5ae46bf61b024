// The per-window texture tables of the gizmos and their labels.
#pragma once

#include "display/GL.h"
#include "display/Overlay_Internal.h"

#include <quarn/display/Quarn_Window.h>

namespace quarn {

/// The four tables: one texture name per window index for each handle kind and for labels.
enum : int { GIZMO_TABLE_ARROW, GIZMO_TABLE_BUMP, GIZMO_TABLE_TARGET, GIZMO_TABLE_LABEL, GIZMO_TABLES };

/// The window's entry of a table; null while the tables do not exist or for an index past them.
GLuint* Gizmo_Texture(int table, const Quarn_Window* window);

}  // namespace quarn
