// What the trees read from and mark in the file records their leaves were made from.
#pragma once

class Quarn_1D_File;
class Quarn_3D;

namespace quarn {

/// The file's has-curves word (1 when the host's record holds curves).
int File_1D_Curves_Get(Quarn_1D_File* file);
/// The descriptor of curve index inside the file record, or null.
void* File_1D_Curve_Get(Quarn_1D_File* file, int index);
/// The file's description text, or null when it has none.
const char* File_1D_Description_Get(Quarn_1D_File* file);
/// Marks the whole file closed, so that regenerating the tree skips it.
void File_1D_Close(Quarn_1D_File* file);
/// Marks the surface closed in every 3D file and tag-file record that lists it.
void Movie_3D_Close(const void* movie);
/// Marks closed, in every 3D file and tag-file record that lists it, the movie a geometry
/// node was made from.
void Geom_3D_Movie_Close(Quarn_3D* geom);

}  // namespace quarn
