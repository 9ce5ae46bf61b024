// The session's surfaces: those read by "mesh:" sit in the 3D tree; the last one read is the
// current surface, which "pick:" picks on.
#pragma once

#include <cstdint>

class Quarn_3D_Geom;
struct Host_Movie_Record;

/// The current surface with its grid, or null before the first "mesh: read".
Quarn_3D_Geom* Host_Surface_Get();
/// Tag of the surfaces read by "mesh:" (what "burn:" writes).
inline constexpr uint8_t Host_Surface_Tag = 1;

/// Places movie (taken over) in the 3D tree as a file named name, selected in the host's window,
/// makes it the current surface and builds its grid. Returns the new surface, or null when it
/// cannot be placed or its grid cannot be built.
Quarn_3D_Geom* Host_Surface_Set(Host_Movie_Record* movie, const wchar_t* name);
/// Releases the 3D tree and every surface read.
void Host_Surface_Release();
