// Adding one image file to the 2D tree: its open records' frames, then the latest frame shown.
#include <quarn/classes/Database_Roots.h>
#include <quarn/classes/Iterator.h>
#include <quarn/classes/Quarn_2D_File.h>
#include <quarn/display/Window_Change.h>
#include <quarn/frames/Quarn_2D_Frame.h>

#include "classes/Database_Dimension.h"
#include "classes/Node_Kinds.h"
#include "classes/Window_Selector.h"
#include "core/Check.h"

#include <hostkit/HostImage.h>
#include <hostkit/HostUtil.h>

namespace {

constexpr uint32_t Trace = quarn::msg::DB_Cleanup;
constexpr uint16_t Mode_All_Frames = 0x100;

void Record_Insert(Quarn_2D* root, Quarn_2D_File* file, Module_Insert_2D insert, int b) {
  if (Host_Progress_Hook) Host_Progress_Hook(0.1f);
  QUARN_REPORT(Trace, "-> Database_2D_File_Add(bunch:%d)", b);
  if (file->state && (file->state[b] & Quarn_2D_File::State_Closed)) {
    QUARN_REPORT(Trace, "--> Database_2D_File_Add(bunch:%d is CLOSED!)", b);
    return;
  }
  const Host_Image_Record* record = file->Record_Get(b);
  const int frames = record ? int(record->slices) * int(record->times) : 0;
  for (int s = 0; s < frames; ++s) {
    QUARN_REPORT(Trace, "--> Database_2D_File_Add(slice:%d)", s);
    if (insert) insert(root, file, 0, b, s);
  }
}

/// The frame whose record has the largest ordering value; the first one on a tie.
Quarn_2D_Frame* Latest_Frame() {
  const uint16_t id = Iterator_Init("Database_2D_File_Add", nullptr);
  Quarn_2D_Frame* latest = nullptr;
  while (Quarn_2D* node = Iterator_Class_2D(id, Quarn_2D_Frame::Class_A, nullptr, 0)) {
    Quarn_2D_Frame* frame = quarn::Frame_If(node);
    if (!frame || !frame->image) continue;
    if (!latest || frame->image->order > latest->image->order) latest = frame;
  }
  Iterator_End(id);
  return latest;
}

void Windows_Show(Quarn_2D* root, Quarn_2D_Frame* latest) {
  Quarn_Window* current = quarn::Window_Current();
  quarn::For_Each_Window(nullptr, "Database_2D_File_Add", [&](Quarn_Window* window, int) {
    Fct_Change_Child(window, latest, nullptr);
    if (window != current) {
      root->Flag_Set_Off(quarn::mode::Self | quarn::mode::Subtree, window, quarn::flag::Highlight);
      Fct_Update(0x20000000000ull, window);
    }
    if (quarn::Window_Mode_Of(window) == Mode_All_Frames)
      root->Flag_Set_On(quarn::mode::Self | quarn::mode::Subtree, window, quarn::flag::Selected);
    Fct_3D_Center(window);
  });
}

}  // namespace

int Database_2D_File_Add(Quarn_2D_File* file) {
  if (!QUARN_CHECK(file, File_2D, "Database_2D_File_Add")) return 0;
  QUARN_REPORT(Trace, ">>> in  Fct: Database_2D_File_Add(%ls)", file->Path_Get());
  Quarn_2D* root = quarn::db::Dim(1).Root<Quarn_2D>();
  if (!root) {
    QUARN_REPORT(Trace, "<<< out Fct: Database_2D_File_Add(no root)");
    return 0;
  }
  const Module_Insert_2D insert = Fct_Class_Get_Insert_2D(0);
  for (int b = 0; b < file->Record_Count(); ++b) Record_Insert(root, file, insert, b);
  Quarn_2D_Frame* latest = Latest_Frame();
  if (!latest) {
    QUARN_REPORT(Trace, "<<< out Fct: Database_2D_File_Add(latest_frame not found)");
    return 0;
  }
  Windows_Show(root, latest);
  Fct_Update(0x100000000ull);
  Fct_Update(0x702);
  Fct_Redraw(0x3FFFFFFF);
  QUARN_REPORT(Trace, "<<< out Fct: Database_2D_File_Add()");
  return 1;
}
