// Module_Functions: the record through which a plug-in module describes itself to the library.
#pragma once

#include <cstdint>

class Quarn_1D;
class Quarn_1D_File;
class Quarn_2D;
class Quarn_2D_File;
class Quarn_3D;
class Quarn_3D_File;

/// The module's display name; called with 0.
using Module_Name_Fct = const wchar_t* (*)(int);
/// The module's group text ("name[:order]", "*..." when unlisted).
using Module_Group_Fct = const wchar_t* (*)();
/// Places curve index of file under parent at level of the 1D tree chain; returns 1 done.
using Module_Insert_1D = int (*)(Quarn_1D* parent, Quarn_1D_File* file, uint16_t level, int index);
/// Places frame frame_number of record image_index of file under parent at level; returns 1 done.
using Module_Insert_2D = int (*)(Quarn_2D* parent, Quarn_2D_File* file, uint16_t level,
                                 int image_index, int frame_number);
/// Places movie index of file under parent at level of the 3D tree chain; returns 1 done.
using Module_Insert_3D = int (*)(Quarn_3D* parent, Quarn_3D_File* file, uint16_t level, int index);

/// A module's registration record. The library reads the name and group entries of every module
/// and, for the tree modules listed in $DB_1D_TREE_PT, $DB_2D_TREE_PT and $DB_3D_TREE_PT, the
/// insert entry of that dimension; the rest of the record is the module's own.
struct Module_Functions {
  Module_Name_Fct name = nullptr;         ///< Display name, or null.
  Module_Group_Fct group = nullptr;       ///< Group text, or null.
  Module_Insert_1D insert_1d = nullptr;   ///< Insert of the 1D tree chain, or null.
  Module_Insert_2D insert_2d = nullptr;   ///< Insert of the 2D tree chain, or null.
  Module_Insert_3D insert_3d = nullptr;   ///< Insert of the 3D tree chain, or null.
  void* user = nullptr;                   ///< The module's own data.
};
