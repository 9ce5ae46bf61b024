// The 1D database root: clean-up, release, tree generation and file adds of curve files.
#include <quarn/classes/Database_Roots.h>
#include <quarn/classes/Quarn_1D_Data.h>
#include <quarn/classes/Quarn_1D_File.h>
#include <quarn/classes/Quarn_1D_Root.h>

#include "classes/Database_Dimension.h"
#include "classes/Leaf_Insert.h"
#include "classes/Window_Selector.h"
#include "core/Check.h"

#include <new>

namespace {

constexpr uint32_t Trace = quarn::msg::DB_Cleanup;

quarn::db::Dimension& Dim() { return quarn::db::Dim(0); }

}  // namespace

int Class_1D_Data_Insert(Quarn_1D* parent, Quarn_1D_File* file, uint16_t, int index) {
  return quarn::Leaf_Insert<Quarn_1D_Data>("Class_1D_Data_Insert", parent, file, index);
}

int Database_1D_Cleanup() {
  if (!quarn::db::Tree_Cleanup<Quarn_1D_Root, Quarn_1D>(Dim(), "Database_1D_Cleanup", Database_1D_Free))
    return 0;
  QUARN_REPORT(Trace, "<<< out Fct: Database_1D_Cleanup()");
  return 1;
}

void Database_1D_Free() { quarn::db::Root_Delete<Quarn_1D>(Dim()); }

int Database_1D_Tree_Generate() {
  static const char* const label = "Database_1D_Tree_Generate";
  const auto fill = [] {
    Quarn_1D_File* const* files = nullptr;
    const int count = Dim().Files(&files);
    Fct_Progress_Start(4 * count);
    return quarn::db::Generate_Files(
        label, files, count, [](Quarn_1D_File* file) { return Database_1D_File_Add(file); },
        [](Quarn_1D_File* file) { return quarn::Name_Of(file); });
  };
  const auto finish = [] {
    Database_1D_Stool(static_cast<int>(Trace));
    Fct_Update(0x401);
  };
  return quarn::db::Tree_Generate(label, Database_1D_Cleanup, fill, finish);
}

int Database_1D_File_Add(Quarn_1D_File* file) {
  if (!QUARN_CHECK(file, File_1D, "Database_1D_File_Add")) return 0;
  QUARN_REPORT(Trace, ">>> in  Fct: Database_1D_File_Add(%ls)", quarn::Name_Of(file));
  Quarn_1D* root = Dim().Root<Quarn_1D>();
  if (file->state & Quarn_1D_File::State_Closed) {
    QUARN_REPORT(Trace, "<<< out Fct: Database_1D_File_Add(file is CLOSED!)");
    return 0;
  }
  if (!root) {
    QUARN_REPORT(Trace, "<<< out Fct: Database_1D_File_Add(no root)");
    return 0;
  }
  const Module_Insert_1D insert = Fct_Class_Get_Insert_1D(0);
  for (int k = 0; k < file->Curve_Count(); ++k) {
    if (file->curve_marks && (file->curve_marks[k] & Quarn_1D_File::State_Closed)) {
      QUARN_REPORT(Trace, "--> Database_1D_File_Add(k:%d is CLOSED!)", k);
      continue;
    }
    if (insert) insert(root, file, 0, k);
  }
  root->Sort(1);
  root->Flag_Set_On(quarn::mode::Self | quarn::mode::Subtree, nullptr, quarn::flag::Selected);
  Fct_Update(0x102);
  Fct_Update(0x401);
  Fct_Update(0x201);
  Fct_Redraw(0x3FFFFFFF);
  QUARN_REPORT(Trace, "<<< out Fct: Database_1D_File_Add()");
  return 1;
}
