// File-record links of the tree leaves; the records do not exist yet, so there is nothing to read or mark.
#include "classes/File_Links.h"

namespace quarn {

int File_1D_Curves_Get(Quarn_1D_File*) { return 0; }

void* File_1D_Curve_Get(Quarn_1D_File*, int) { return nullptr; }

const char* File_1D_Description_Get(Quarn_1D_File*) { return nullptr; }

void File_1D_Close(Quarn_1D_File*) {}

void Geom_3D_Movie_Close(Quarn_3D*) {}

}  // namespace quarn
