// The 3D database root: clean-up, release, generation from read and tag files, file adds.
#include <quarn/classes/Database_Roots.h>
#include <quarn/classes/Quarn_3D_File.h>
#include <quarn/classes/Quarn_3D_Root.h>

#include "classes/Database_Dimension.h"
#include "classes/Window_Selector.h"
#include "core/Check.h"

#include <new>

namespace {

using quarn::Remembered_Variable;

constexpr uint32_t Trace = quarn::msg::DB_Cleanup;

Remembered_Variable g_tag_nb{L"$DB_3D_TAG_NB"};
Remembered_Variable g_tag_pt{L"$DB_3D_TAG_PT"};

quarn::db::Dimension& Dim() { return quarn::db::Dim(2); }

int Tag_Files(Quarn_3D_File* const** list) { return quarn::db::List_Of(g_tag_nb, g_tag_pt, list); }

int Add_All(const char* label, Quarn_3D_File* const* files, int count) {
  return quarn::db::Generate_Files(
      label, files, count, [](Quarn_3D_File* file) { return Database_3D_File_Add(file); },
      [](Quarn_3D_File* file) { return quarn::Name_Of(file); });
}

}  // namespace

int Database_3D_Cleanup() {
  if (!quarn::db::Tree_Cleanup<Quarn_3D_Root, Quarn_3D>(Dim(), "Database_3D_Cleanup", Database_3D_Free, true))
    return 0;
  QUARN_REPORT(Trace, "<<< out Fct: Database_3D_Cleanup()");
  return 1;
}

void Database_3D_Free() { quarn::db::Root_Delete<Quarn_3D>(Dim()); }

int Database_3D_Tree_Generate() {
  static const char* const label = "Database_3D_Tree_Generate";
  const auto fill = [] {
    Quarn_3D_File* const* files = nullptr;
    Quarn_3D_File* const* tags = nullptr;
    const int count = Dim().Files(&files);
    const int tag_count = Tag_Files(&tags);
    Fct_Progress_Start(4 * (count + tag_count));
    QUARN_REPORT(Trace, "-> Database_3D_Tree_Generate(add read files)");
    if (!Add_All(label, files, count)) return 0;
    QUARN_REPORT(Trace, "-> Database_3D_Tree_Generate(add generated files)");
    return Add_All(label, tags, tag_count);
  };
  const auto finish = [] {
    Fct_Update(0x404);
    Fct_Update(0x40000000000ull);
    Fct_Update(0x40000000);
    Fct_Redraw(0x3FFF0000);
  };
  return quarn::db::Tree_Generate(label, Database_3D_Cleanup, fill, finish);
}

int Database_3D_File_Add(Quarn_3D_File* file) {
  if (!QUARN_CHECK(file, File_3D, "Database_3D_File_Add")) return 0;
  QUARN_REPORT(Trace, "-> Database_3D_File_Add (file:%ls)", quarn::Name_Of(file));
  if (file->state & Quarn_3D_File::State_Closed) {
    QUARN_REPORT(Trace, "--> Database_3D_File_Add(file is CLOSED!)");
    return 0;
  }
  Quarn_3D* root = Dim().Root<Quarn_3D>();
  if (!root) {
    QUARN_REPORT(Trace, "<<< out Fct: Database_3D_File_Add(no root)");
    return 0;
  }
  const Module_Insert_3D insert = Fct_Class_Get_Insert_3D(0);
  for (int k = 0; k < file->Movie_Count(); ++k) {
    if (file->movie_marks && (file->movie_marks[k] & Quarn_3D_File::State_Closed)) {
      QUARN_REPORT(Trace, "--> Database_3D_File_Add(k:%d is CLOSED!)", k);
      continue;
    }
    if (insert) insert(root, file, 0, k);
  }
  root->Flag_Set_On(quarn::mode::Self | quarn::mode::Subtree, nullptr, quarn::flag::Selected);
  Fct_Update(0x104);
  Fct_Update(0x404);
  Fct_Update(0x40000000000ull);
  Fct_Redraw(0x3FFF0000);
  return 1;
}
