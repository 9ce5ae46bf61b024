// The database roots: clean-up, tree generation from the file lists, whole-tree passes, dumps.
#pragma once

#include <quarn/Export.h>
#include <quarn/modules/Module_Functions.h>

#include <cstdint>

class Quarn_1D;
class Quarn_1D_File;
class Quarn_2D;
class Quarn_2D_File;
class Quarn_3D;
class Quarn_3D_File;

/// An insert function of some dimension; cast it to Module_Insert_1D, _2D or _3D.
using Module_Insert = void (*)();

/// The insert function of a tree chain: dimension "1D", "2D" or "3D" (first two characters, any
/// case); the module at level, or the built-in leaf insert once level reaches the module count.
/// Null for any other dimension.
QUARN_API Module_Insert Fct_Class_Get_Insert(const char* dimension, int level);
/// How often the module at level already occurs below level in the dimension's module list
/// (0 for its first use, and 0 for a bad dimension or level).
QUARN_API int Fct_Class_Get_Id(const char* dimension, int level);

/// The 2D insert of the chain at level (Fct_Class_Get_Insert cast to its type).
inline Module_Insert_2D Fct_Class_Get_Insert_2D(int level) {
  return reinterpret_cast<Module_Insert_2D>(Fct_Class_Get_Insert("2D", level));
}
/// The 1D insert of the chain at level (Fct_Class_Get_Insert cast to its type).
inline Module_Insert_1D Fct_Class_Get_Insert_1D(int level) {
  return reinterpret_cast<Module_Insert_1D>(Fct_Class_Get_Insert("1D", level));
}
/// The 3D insert of the chain at level (Fct_Class_Get_Insert cast to its type).
inline Module_Insert_3D Fct_Class_Get_Insert_3D(int level) {
  return reinterpret_cast<Module_Insert_3D>(Fct_Class_Get_Insert("3D", level));
}

/// Creates the data leaf for curve index of file and adds it to parent; returns 1.
QUARN_API int Class_1D_Data_Insert(Quarn_1D* parent, Quarn_1D_File* file, uint16_t level, int index);

/// Replaces the 2D tree by an empty root; 0 when the user keeps unsaved edits (root modified).
QUARN_API int Database_2D_Cleanup();
/// Destroys the 2D tree; the root variable becomes null and the pending masks are cleared.
QUARN_API void Database_2D_Free();
/// Rebuilds the 2D tree from $DB_2D_FILE_PT through the tree modules; 1 built, 0 failed/cancelled.
QUARN_API int Database_2D_Tree_Generate();
/// Inserts the frames of one file's open records and shows the latest frame; 0 when none exists.
QUARN_API int Database_2D_File_Add(Quarn_2D_File* file);
/// Calls Update_A(mask) on node (null: the root) and its subtree in pre-order.
QUARN_API void Database_2D_Update_A(uint64_t mask, Quarn_2D* node);
/// Calls Update_B(mask) on node (null: the root) and its subtree in pre-order.
QUARN_API void Database_2D_Update_B(uint64_t mask, Quarn_2D* node);
/// Dumps the whole 2D tree with the message class, or says it is empty.
QUARN_API void Database_2D_Stool(int message_class);

/// Replaces the 1D tree by an empty root; 0 when the user keeps unsaved edits (root modified).
QUARN_API int Database_1D_Cleanup();
/// Destroys the 1D tree; the root variable becomes null.
QUARN_API void Database_1D_Free();
/// Rebuilds the 1D tree from $DB_1D_FILE_PT through the tree modules; 1 built, 0 failed/cancelled.
QUARN_API int Database_1D_Tree_Generate();
/// Inserts the open curves of an open file and sorts the tree; 0 for a closed file.
QUARN_API int Database_1D_File_Add(Quarn_1D_File* file);
/// Dumps the whole 1D tree with the message class, or says it is empty.
QUARN_API void Database_1D_Stool(int message_class);

/// Replaces the 3D tree by an empty root; 0 when the user keeps unsaved edits (root modified).
QUARN_API int Database_3D_Cleanup();
/// Destroys the 3D tree; the root variable becomes null.
QUARN_API void Database_3D_Free();
/// Rebuilds the 3D tree from the read files and then the tag files; 1 built, 0 failed/cancelled.
QUARN_API int Database_3D_Tree_Generate();
/// Inserts the open surfaces of an open file and selects the tree; 0 for a closed file.
QUARN_API int Database_3D_File_Add(Quarn_3D_File* file);
/// Calls Update_A(mask) on node (null: the root) and its subtree in pre-order.
QUARN_API void Database_3D_Update_A(uint64_t mask, Quarn_3D* node);
/// Calls Update_B(mask) on node (null: the root) and its subtree in pre-order.
QUARN_API void Database_3D_Update_B(uint64_t mask, Quarn_3D* node);
/// Dumps the whole 3D tree with the message class, or says it is empty.
QUARN_API void Database_3D_Stool(int message_class);
