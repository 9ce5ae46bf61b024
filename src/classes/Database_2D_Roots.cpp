// The 2D database root: clean-up with the user's confirmation, release and tree generation.
#include <quarn/algorithms/Geom.h>
#include <quarn/classes/Database_Roots.h>
#include <quarn/classes/Quarn_2D_File.h>
#include <quarn/classes/Quarn_2D_Root.h>

#include "classes/Database_Dimension.h"
#include "core/Check.h"
#include "classes/Window_Selector.h"
#include "interaction/Database_Vars.h"

#include <new>

namespace {

using quarn::Remembered_Variable;

constexpr uint32_t Trace = quarn::msg::DB_Cleanup;
constexpr uint64_t Update_Kept_On_Free = 0x10202ull;

Remembered_Variable g_frame_ovr{L"$FRAME_OVR", true};
Remembered_Variable g_window_nb{L"$WINDOW_NB"};
Remembered_Variable g_flag_update{L"$FLAG_UPDATE", true};
Remembered_Variable g_flag_redraw{L"$FLAG_REDRAW", true};

quarn::db::Dimension& Dim() { return quarn::db::Dim(1); }

void Frame_Ovr_Clear() {
  if (Quarn_2D** overlay = g_frame_ovr.As<Quarn_2D*>()) *overlay = nullptr;
}

void Frame_Cur_Clear() {
  const int* count = g_window_nb.As<int>();
  for (int i = 0; count && i < *count; ++i) quarn::Frame_Cur_Set(i, nullptr);
}

}  // namespace

int Database_2D_Cleanup() {
  if (!quarn::db::Tree_Cleanup<Quarn_2D_Root, Quarn_2D>(Dim(), "Database_2D_Cleanup", Database_2D_Free))
    return 0;
  Frame_Ovr_Clear();
  Frame_Cur_Clear();
  QUARN_REPORT(Trace, "<<< out Fct: Database_2D_Cleanup()");
  return 1;
}

void Database_2D_Free() {
  QUARN_REPORT(Trace, ">>> in  Fct: Database_2D_Free()");
  Database_Geom_Cleanup();  // points must not keep frames of the tree that goes
  quarn::db::Root_Delete<Quarn_2D>(Dim());
  if (uint64_t* redraw = g_flag_redraw.As<uint64_t>()) *redraw = 0;
  if (uint64_t* update = g_flag_update.As<uint64_t>()) *update &= Update_Kept_On_Free;
  QUARN_REPORT(Trace, "<<< out Fct: Database_2D_Free()");
}

int Database_2D_Tree_Generate() {
  static const char* const label = "Database_2D_Tree_Generate";
  const auto fill = [] {
    Quarn_2D_File* const* files = nullptr;
    const int count = Dim().Files(&files);
    Fct_Progress_Start(4 * count);
    Frame_Ovr_Clear();
    return quarn::db::Generate_Files(
        label, files, count, [](Quarn_2D_File* file) { return Database_2D_File_Add(file); },
        [](Quarn_2D_File* file) { return file ? file->Path_Get() : L"null"; });
  };
  const auto finish = [] {
    Database_2D_Stool(static_cast<int>(Trace));
    Fct_Update(0x102);
    Fct_Update(0x200000);
    Fct_Update(0x402);
    Fct_Redraw(0xFFFF);
  };
  return quarn::db::Tree_Generate(label, Database_2D_Cleanup, fill, finish);
}
