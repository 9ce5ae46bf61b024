// The insert chain of the tree modules: which insert function serves a level of a tree.
#include <quarn/classes/Database_Roots.h>
#include <quarn/classes/Quarn_3D_Geom.h>
#include <quarn/frames/Quarn_2D_Frame.h>

#include "classes/Database_Dimension.h"
#include "core/Trace.h"

namespace {

/// The built-in leaf insert of each tree and its name in the exit trace.
struct Leaf {
  Module_Insert insert;
  const char* name;
};

Leaf Leaf_Of(int dim) {
  switch (dim) {
    case 0: return {reinterpret_cast<Module_Insert>(&Class_1D_Data_Insert), "Data"};
    case 1: return {reinterpret_cast<Module_Insert>(&Class_2D_Frame_Insert), "Frame"};
    default: return {reinterpret_cast<Module_Insert>(&Class_3D_Geom_Insert), "Geom"};
  }
}

Module_Insert Insert_Of(const Module_Functions* module, int dim) {
  if (!module) return nullptr;
  switch (dim) {
    case 0: return reinterpret_cast<Module_Insert>(module->insert_1d);
    case 1: return reinterpret_cast<Module_Insert>(module->insert_2d);
    default: return reinterpret_cast<Module_Insert>(module->insert_3d);
  }
}

}  // namespace

Module_Insert Fct_Class_Get_Insert(const char* dimension, int level) {
  QUARN_REPORT(quarn::msg::Class, ">>> in  Fct: Fct_Class_Get_Insert(%s,%d)", dimension ? dimension : "null",
               level);
  const int dim = quarn::db::Dim_Index(dimension);
  if (dim < 0) {
    QUARN_REPORT(quarn::msg::Class, "<<< out Fct: Fct_Class_Get_Insert(error)");
    return nullptr;
  }
  Module_Functions* const* modules = nullptr;
  const int count = quarn::db::Dim(dim).Modules(&modules);
  if (level >= count || level < 0) {
    const Leaf leaf = Leaf_Of(dim);
    QUARN_REPORT(quarn::msg::Class, "<<< out Fct: Fct_Class_Get_Insert(%s)", leaf.name);
    return leaf.insert;
  }
  const Module_Functions* module = modules[level];
  if (module && module->name)
    QUARN_REPORT(quarn::msg::Class, "<<< out Fct: Fct_Class_Get_Insert(%ls)", module->name(0));
  else
    QUARN_REPORT(quarn::msg::Class, "<<< out Fct: Fct_Class_Get_Insert(none)");
  return Insert_Of(module, dim);
}

int Fct_Class_Get_Id(const char* dimension, int level) {
  const int dim = quarn::db::Dim_Index(dimension);
  Module_Functions* const* modules = nullptr;
  const int count = dim < 0 ? 0 : quarn::db::Dim(dim).Modules(&modules);
  if (level < 0 || level >= count) {
    QUARN_REPORT(quarn::msg::Class, "<<< out Fct: Fct_Class_Get_Id(error)");
    return 0;
  }
  int uses = 0;
  for (int i = 0; i < level; ++i) uses += modules[i] == modules[level];
  return uses;
}
