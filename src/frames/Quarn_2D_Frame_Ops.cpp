// Operations of the frame in the tree: update bits, tag reloads, layout in a window, ordering,
// icon and dump.
#include <quarn/frames/Quarn_2D_Frame.h>

#include <quarn/classes/Class_Flag.h>
#include <quarn/display/Quarn_Window.h>
#include <quarn/display/Update.h>

#include "classes/Node_Kinds.h"
#include "classes/Tree_Trace.h"
#include "classes/Window_Selector.h"
#include "script/Remembered_Variable.h"

#include <hostkit/HostImage.h>
#include <hostkit/HostRecords.h>

#include <algorithm>
#include <cmath>

namespace {

void* const Index_0 = reinterpret_cast<void*>(uintptr_t(8));
constexpr uint64_t Redraw_Frame = 8;

quarn::Remembered_Variable g_morpho_merge_nb{L"$MORPHO_MERGE_NB"};


// Stamp of a record for ordering: the primary one when it was recorded, else the secondary.
int Stamp_Of(const Host_Image_Record* r) {
  return r->date[0].set || r->time[0].set ? 0 : 1;
}

int Sign_Beyond(float difference, float tolerance, int value) {
  if (difference > tolerance) return value;
  if (difference < -tolerance) return -value;
  return 0;
}

}  // namespace

// ---- update bits -------------------------------------------------------------------------------

int Quarn_2D_Frame::Update_A(uint64_t mask) {
  constexpr const char* label_text = "Quarn_2D_Frame::Update_A";
  QUARN_REPORT(quarn::msg::Class, ">>> in  Class: Quarn_2D_Frame::Update_A(%ls,flag=%016llx)",
               quarn::Name_Of(quarn::Object_Of(this)), static_cast<unsigned long long>(mask));
  if (!QUARN_CHECK_FRAME(this, label_text)) return 1;

  struct Row {
    uint64_t bit;
    const char* message;
  };
  static constexpr Row Rows[] = {
      {0x1000000, "-> flag = UPDATE_DATA_GLI (bit=%d)"},
      {0x4000000, "-> flag = UPDATE_DISPLAY_GLI (bit=%d)"},
      {0x2000000, "-> flag = UPDATE_DATA_TAG (bit=%d)"},
      {0x2000008000000, "-> flag = UPDATE_DISPLAY_TAG (bit=%d)"},
  };
  for (int row = 0; row < 4; ++row) {
    if (!(mask & Rows[row].bit)) continue;
    const bool pending = Update_A_Get_Bit(quarn::mode::Self, Index_0, Rows[row].bit) != 0;
    QUARN_REPORT(quarn::msg::Class, Rows[row].message, pending ? 1 : 0);
    if (!pending) continue;
    switch (row) {
      case 0: {
        // Everything derived from the grey values goes; the grey layer itself is only reloaded.
        for (uint32_t id : {8u, 10u, 11u, 12u}) User_Delete(id);
        const uint16_t* merges = g_morpho_merge_nb.As<uint16_t>();
        if (merges && *merges) {
          User_Delete(14);
          for (uint32_t id = 20; id <= 19u + *merges; ++id) User_Delete(id);
        }
        work_gli = nullptr;
        break;
      }
      case 1: disp_gli = nullptr; break;
      case 2: work_tag = nullptr; break;
      default: disp_tag = nullptr; break;
    }
    Redraw_Set_On(quarn::mode::Self, Index_0, Redraw_Frame);
  }
  quarn::Trace_Out(label_text);
  return 1;
}

void Quarn_2D_Frame::Update_Child_A(uint64_t mask, void* window, void* record, Region_4D* region) {
  constexpr const char* label_text = "Quarn_2D_Frame::Update_Child_A";
  quarn::Trace_In(label_text, this);
  if (!QUARN_CHECK_FRAME(this, label_text)) return;
  if (record && record != image) return quarn::Trace_Out(label_text, "wrong ima");
  Region_2D rect(6);
  const Region_2D* changed = nullptr;
  if (region) {
    if (z_index < int(region->z_min) || z_index > int(region->z_max))
      return quarn::Trace_Out(label_text, "wrong z");
    if (t_index < int(region->t_min) || t_index > int(region->t_max))
      return quarn::Trace_Out(label_text, "wrong t");
    rect = Region_2D(region->code, region->x_min, region->y_min, region->x_max, region->y_max);
    changed = &rect;
  }
  auto* target = static_cast<Quarn_Window*>(window);
  Fct_Update(0xA000000, target, this, changed);
  Work_TAG_Load();
  Fct_Redraw(Redraw_Frame, target, this, changed);
  quarn::Trace_Out(label_text);
}

// ---- layout ------------------------------------------------------------------------------------

float Quarn_2D_Frame::Zoom_Get(Quarn_Window* window) {
  if (reinterpret_cast<uintptr_t>(window) < 16 || !zoom) return 1.0f;
  const int index = quarn::Window_Index_Of(window);
  if (index >= quarn::Window_Max || !zoom[index]) return 1.0f;
  return zoom[index][quarn::Window_Mode_Of(window) == WINDOW_MODE_2D_ONE ? 1 : 0];
}

int Quarn_2D_Frame::Resize(Quarn_Window* window, Region_2D* corner) {
  constexpr const char* label_text = "Quarn_2D_Frame::Resize";
  quarn::Trace_In(label_text, this);
  if (!QUARN_CHECK_FRAME(this, label_text)) return 1;
  if (reinterpret_cast<uintptr_t>(window) < 16) {
    quarn::Window_Bad(reinterpret_cast<uintptr_t>(window), label_text);
    return 1;
  }
  int x = 100000, y = 100000;  // off screen
  const uint16_t mode = quarn::Window_Mode_Of(window);
  if (corner) {
    x = int(corner->x_min);
    y = int(corner->y_min);
  } else if (mode == WINDOW_MODE_2D_ONE) {
    x = y = 0;
  } else if (mode == WINDOW_MODE_2D_ALL) {
    x = std::min<int>(window->width, 6);
    y = std::min<int>(window->height, 6);
  }
  const float z = Zoom_Get(window);
  Inside_Set(window, x, y, x + int(float(width) * z), y + int(float(height) * z * aspect));
  quarn::Trace_Out(label_text);
  return 1;
}

// ---- ordering, icon, dump ----------------------------------------------------------------------

int Quarn_2D_Frame::Compare(Quarn_2D* other_node) {
  if (!QUARN_CHECK_FRAME(this, "Quarn_2D_Frame::Compare")) return 0;
  // Frames sort after nodes that are no frames; those compare among themselves by their keys.
  auto* other = quarn::Frame_If(other_node);
  if (!other) return image ? 6 : Quarn_2D::Compare(other_node);
  if (image && !other->image) return 6;
  if (!image && other->image) return -6;

  Point_4D mine = Frm_2_Org(0.0f, 0.0f, 0.0f, float(t_index));
  Point_4D theirs = other->Frm_2_Org(0.0f, 0.0f, 0.0f, float(other->t_index));
  if (int along = Sign_Beyond(Get_Pos_D(&mine) - other->Get_Pos_D(&theirs), 0.01f, 2)) return along;

  if (image && other->image) {
    const int a = Stamp_Of(image), b = Stamp_Of(other->image);
    if (int stamps = Host_Time_Compare(&image->date[a], &image->time[a], &other->image->date[b],
                                       &other->image->time[b]))
      return stamps;
    if (t_number != other->t_number) return t_number > other->t_number ? 4 : -4;
    if (z_number != other->z_number) return z_number > other->z_number ? 3 : -3;
  }
  return Sign_Beyond(mine.t - theirs.t, 0.01f, 1);
}

const wchar_t* Quarn_2D_Frame::Icon_Name() {
  if (!QUARN_CHECK_FRAME(this, "Quarn_2D_Frame::Icon_Name")) return nullptr;
  const uint16_t bits = image ? image->orientation : 0;
  if (bits & HOST_ORIENT_SCOUT) return L"icon scout.tga";
  if (bits & HOST_ORIENT_AXIAL) return L"icon axial.tga";
  if (bits & HOST_ORIENT_SAGITTAL) return L"icon sagittal.tga";
  if (bits & HOST_ORIENT_CORONAL) return L"icon coronal.tga";
  if (bits & HOST_ORIENT_OBLIQUE) return L"icon oblique.tga";
  return L"icon page.tga";
}

void Quarn_2D_Frame::Stool(int message_class, int depth, unsigned char recurse) {
  if (!QUARN_CHECK_FRAME(this, "Quarn_2D_Frame::Stool")) return;
  Quarn_2D::Stool(message_class, depth, recurse);
}
