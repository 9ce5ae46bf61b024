// File-record links of the tree leaves: what a 1D curve reads from its file, and closing.
#include "classes/File_Links.h"

#include <quarn/classes/Quarn_1D_File.h>
#include <quarn/classes/Quarn_3D_File.h>
#include <quarn/classes/Quarn_3D_Geom.h>

#include "classes/Node_Kinds.h"
#include "script/Remembered_Variable.h"

namespace quarn {

namespace {

Remembered_Variable g_file_3d_nb{L"$DB_3D_FILE_NB"};
Remembered_Variable g_file_3d_pt{L"$DB_3D_FILE_PT"};
Remembered_Variable g_tag_3d_nb{L"$DB_3D_TAG_NB"};
Remembered_Variable g_tag_3d_pt{L"$DB_3D_TAG_PT"};

void Close_In(Remembered_Variable& nb, Remembered_Variable& pt, const void* movie) {
  const int* count = nb.As<int>();
  Quarn_3D_File* const* list = pt.Table<Quarn_3D_File*>();
  if (!count || !list) return;
  for (int i = 0; i < *count; ++i) {
    Quarn_3D_File* file = list[i];
    if (!file || !file->movie_marks) continue;
    for (int k = 0; k < file->Movie_Count(); ++k)
      if (file->Movie_Get(k) == movie) file->movie_marks[k] |= Quarn_3D_File::State_Closed;
  }
}

}  // namespace

int File_1D_Curves_Get(Quarn_1D_File* file) { return file ? file->Has_Curves() : 0; }

void* File_1D_Curve_Get(Quarn_1D_File* file, int index) { return file ? file->Curve_Get(index) : nullptr; }

const char* File_1D_Description_Get(Quarn_1D_File* file) { return file ? file->Description_Get() : nullptr; }

void File_1D_Close(Quarn_1D_File* file) {
  if (file) file->state |= Quarn_1D_File::State_Closed;
}

void Movie_3D_Close(const void* movie) {
  if (!movie) return;
  Close_In(g_file_3d_nb, g_file_3d_pt, movie);
  Close_In(g_tag_3d_nb, g_tag_3d_pt, movie);
}

void Geom_3D_Movie_Close(Quarn_3D* node) {
  // A node of another class, or a geometry without surface, has nothing to close.
  if (Quarn_3D_Geom* geom = Geom_If(node)) Movie_3D_Close(geom->movie);
}

}  // namespace quarn
