// The session's current surface: the last one read by "mesh:", which "pick:" picks on.
#pragma once

class Quarn_3D_Geom;
struct Host_Movie_Record;

/// The current surface with its grid, or null before the first "mesh: read".
Quarn_3D_Geom* Host_Surface_Get();
/// Makes movie (taken over) the current surface, named name, and builds its grid; the former
/// surface is released. Returns the new surface, or null when its grid cannot be built.
Quarn_3D_Geom* Host_Surface_Set(Host_Movie_Record* movie, const wchar_t* name);
/// Releases the current surface.
void Host_Surface_Release();
