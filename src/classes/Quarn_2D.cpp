// The 2D tree node: four per-window bit words with propagation, inside regions, visibility,
// user buffers and the tree dump.
#include <quarn/classes/Quarn_2D.h>
#include <quarn/display/Scene_Draw.h>
#include <quarn/core/Quarn_Buffer.h>
#include <quarn/display/Update.h>

#include "classes/Node_Kinds.h"
#include "classes/Tree_Node_Impl.h"
#include "classes/User_Buffer_Style.h"
#include "display/Window_Area.h"
#include "frames/Pixel_Chain.h"
#include "script/Remembered_Variable.h"

namespace quarn {

template <>
struct Tree_Traits<Quarn_2D> {
  static constexpr Label_Text Name{"Quarn_2D"};
  static const Family& Check_Family() { return family::Class_2D; }
  static void Close_Leaf(Quarn_2D*) {}
};

}  // namespace quarn

template class Tree_Node<Quarn_2D>;

using quarn::Bit_Op;

namespace {


quarn::Remembered_Variable g_db_2d_index{L"$DB_2D_INDEX", true};

// Labels of the bit-word operations by word and action (update and redraw words have no toggle).
constexpr const char* Word_Labels[4][4] = {
    {"Quarn_2D::Update_A_Set_On", "Quarn_2D::Update_A_Set_Off", nullptr, "Quarn_2D::Update_A_Get_Bit"},
    {"Quarn_2D::Update_B_Set_On", "Quarn_2D::Update_B_Set_Off", nullptr, "Quarn_2D::Update_B_Get_Bit"},
    {"Quarn_2D::Redraw_Set_On", "Quarn_2D::Redraw_Set_Off", nullptr, "Quarn_2D::Redraw_Get_Bit"},
    {"Quarn_2D::Flag_Set_On", "Quarn_2D::Flag_Set_Off", "Quarn_2D::Flag_Toggle", "Quarn_2D::Flag_Get_Bit"},
};

// A frame keeps direct views of these layers; they must go with the buffer.
bool Is_Layer_With_View(uint32_t id) {
  switch (id) {
    case 1: case 2: case 3: case 5: case 6: case 10: case 11: case 12: return true;
    default: return false;
  }
}

void Drop_Layer_View(Quarn* owner, uint32_t id) {
  auto* node = static_cast<Quarn_2D*>(owner);
  if (node->Class_A_Get() == quarn::Class_A_Frame && Is_Layer_With_View(id) && node->fct_layer_drop)
    node->fct_layer_drop(node, id);
}

const quarn::User_Buffer_Style User_Style{
    "Buffer",
    ",",
    "Quarn_2D::User_Set",
    "Quarn_2D::User_Get",
    "Quarn_2D::User_Delete",
    "Quarn_2D::User_Cleanup",
    "Quarn_2D::User_Memory",
    "Quarn_2D::User_Stool",
    &Fct_Update_Direct,
    &Drop_Layer_View,
};

#define CHECK_2D(object, label) QUARN_CHECK(quarn::Object_Of(object), Class_2D, label)

}  // namespace

Quarn_2D::Quarn_2D() {
  QUARN_REPORT(quarn::msg::Class, ">>> in  Class: Quarn_2D::Quarn_2D()");
  Class_Magic_Set(0xAABA);
  if (uint32_t* counter = g_db_2d_index.As<uint32_t>()) db_index = ++*counter;
  for (int i = 0; i < quarn::Window_Max; ++i) {
    flag_[i] = CLASS_FLAG_EXPAND;
    inside_[i] = Region_2D(7, 0, 0, 0, 0);
    loop_rate[i] = 15;
  }
  quarn::Node_Pixel_Slots_Install(this);
  fct_draw_base[0] = &Class_Class_Draw_Base;
  fct_draw_highlight = &Class_Class_Draw_Base;
  QUARN_REPORT(quarn::msg::Class, "<<< out Class: Quarn_2D::Quarn_2D()");
}

Quarn_2D::~Quarn_2D() {
  constexpr const char* label = "Quarn_2D::~Quarn_2D";
  quarn::Trace_In(label, this);
  CHECK_2D(this, label);
  Children_Destroy();
  users_.Destroy_All();
  delete mat_parent_to_child;
  delete mat_child_to_parent;
  delete mat_tag;
  mat_parent_to_child = mat_child_to_parent = mat_tag = nullptr;
  quarn::Trace_Out(label);
}

// ---- bit words ---------------------------------------------------------------------------------

uint64_t* Quarn_2D::Word_Of(Word word) {
  switch (word) {
    case Word_Update_A: return update_a_;
    case Word_Update_B: return update_b_;
    case Word_Redraw: return redraw_;
    case Word_Flag: break;
  }
  return flag_;
}

uint64_t Quarn_2D::Word_Step(Word word, Bit_Op op, const char* label, uint8_t mode, void* window,
                             uint64_t mask) {
  // Flag set-on and set-off go through the virtual operations, so that a kind overriding them
  // sees every node of the walk.
  if (word == Word_Flag && op == Bit_Op::On) {
    Flag_Set_On(mode, window, mask);
    return 0;
  }
  if (word == Word_Flag && op == Bit_Op::Off) {
    Flag_Set_Off(mode, window, mask);
    return 0;
  }
  return Word_Walk(word, op, label, mode, window, mask);
}

bool Quarn_2D::Conditions_Met(uint8_t mode, Quarn_Window* window) {
  // Read through Flag_Get_Bit with the window itself: for selector 8 that is the null selector,
  // so the condition then holds when any window of the list has the bit.
  if ((mode & quarn::mode::If_Selected) && !Flag_Get_Bit(quarn::mode::Self, window, quarn::flag::Selected))
    return false;
  if ((mode & quarn::mode::If_Visible) && !Flag_Get_Bit(quarn::mode::Self, window, quarn::flag::Visible))
    return false;
  if ((mode & quarn::mode::If_Current) && !Flag_Get_Bit(quarn::mode::Self, window, quarn::flag::Current))
    return false;
  return true;
}

uint64_t Quarn_2D::Word_Walk(Word word, Bit_Op op, const char* label, uint8_t mode, void* window,
                             uint64_t mask) {
  quarn::Trace_In_Mask(label, this, mask);
  if (!CHECK_2D(this, label)) return 0;
  uint64_t found = 0;
  // Unlike the 1D and 3D trees, conditions only decide whether a node's own word changes: the
  // walk goes on through nodes that fail them.
  if ((mode & quarn::mode::Ancestors) && parent_)
    found |= parent_->Word_Step(word, op, label, quarn::Mode_Up(mode), window, mask);
  if (mode & quarn::mode::Subtree)
    for (int i = 0; i < child_nb_; ++i)
      found |= child_pt_[i]->Word_Step(word, op, label, quarn::Mode_Down(mode), window, mask);
  if (mode & quarn::mode::Self) {
    uint64_t* words = Word_Of(word);
    const bool conditional = mode & (quarn::mode::If_Selected | quarn::mode::If_Visible | quarn::mode::If_Current);
    quarn::For_Each_Window(window, label, [&](Quarn_Window* w, int index) {
      if (conditional && !Conditions_Met(mode, w)) return;
      found |= quarn::Bit_Apply(words[index], op, mask);
    });
  }
  quarn::Trace_Out(label);
  return found;
}

void Quarn_2D::Flag_Set_On(unsigned char mode, void* window, uint64_t mask) {
  Word_Walk(Word_Flag, Bit_Op::On, Word_Labels[Word_Flag][0], mode, window, mask);
}

void Quarn_2D::Flag_Set_Off(unsigned char mode, void* window, uint64_t mask) {
  Word_Walk(Word_Flag, Bit_Op::Off, Word_Labels[Word_Flag][1], mode, window, mask);
}

void Quarn_2D::Flag_Toggle(unsigned char mode, void* window, uint64_t mask) {
  Word_Walk(Word_Flag, Bit_Op::Toggle, Word_Labels[Word_Flag][2], mode, window, mask);
}

uint64_t Quarn_2D::Flag_Get_Bit(unsigned char mode, void* window, uint64_t mask) {
  return Word_Walk(Word_Flag, Bit_Op::Get, Word_Labels[Word_Flag][3], mode, window, mask);
}

void Quarn_2D::Redraw_Set_On(unsigned char mode, void* window, uint64_t mask) {
  Word_Walk(Word_Redraw, Bit_Op::On, Word_Labels[Word_Redraw][0], mode, window, mask);
}

void Quarn_2D::Redraw_Set_Off(unsigned char mode, void* window, uint64_t mask) {
  Word_Walk(Word_Redraw, Bit_Op::Off, Word_Labels[Word_Redraw][1], mode, window, mask);
}

uint64_t Quarn_2D::Redraw_Get_Bit(unsigned char mode, void* window, uint64_t mask) {
  return Word_Walk(Word_Redraw, Bit_Op::Get, Word_Labels[Word_Redraw][3], mode, window, mask);
}

void Quarn_2D::Update_A_Set_On(unsigned char mode, void* window, uint64_t mask) {
  Word_Walk(Word_Update_A, Bit_Op::On, Word_Labels[Word_Update_A][0], mode, window, mask);
}

void Quarn_2D::Update_A_Set_Off(unsigned char mode, void* window, uint64_t mask) {
  Word_Walk(Word_Update_A, Bit_Op::Off, Word_Labels[Word_Update_A][1], mode, window, mask);
}

uint64_t Quarn_2D::Update_A_Get_Bit(unsigned char mode, void* window, uint64_t mask) {
  return Word_Walk(Word_Update_A, Bit_Op::Get, Word_Labels[Word_Update_A][3], mode, window, mask);
}

void Quarn_2D::Update_B_Set_On(unsigned char mode, void* window, uint64_t mask) {
  Word_Walk(Word_Update_B, Bit_Op::On, Word_Labels[Word_Update_B][0], mode, window, mask);
}

void Quarn_2D::Update_B_Set_Off(unsigned char mode, void* window, uint64_t mask) {
  Word_Walk(Word_Update_B, Bit_Op::Off, Word_Labels[Word_Update_B][1], mode, window, mask);
}

uint64_t Quarn_2D::Update_B_Get_Bit(unsigned char mode, void* window, uint64_t mask) {
  return Word_Walk(Word_Update_B, Bit_Op::Get, Word_Labels[Word_Update_B][3], mode, window, mask);
}

// ---- updates -----------------------------------------------------------------------------------

int Quarn_2D::Update_A(uint64_t mask) {
  constexpr const char* label = "Quarn_2D::Update_A";
  quarn::Trace_In(label, this);
  if (!CHECK_2D(this, label)) return 0;
  quarn::Trace_Out(label);
  return 1;
}

int Quarn_2D::Update_B(uint64_t mask) {
  constexpr const char* label = "Quarn_2D::Update_B";
  quarn::Trace_In(label, this);
  if (!CHECK_2D(this, label)) return 0;
  quarn::Trace_Out(label);
  return 1;
}

void Quarn_2D::Update_Child_A(uint64_t mask, void* window, void* image, Region_4D* region) {
  constexpr const char* label = "Quarn_2D::Update_Child_A";
  quarn::Trace_In(label, this);
  if (!CHECK_2D(this, label)) return;
  for (int i = 0; i < child_nb_; ++i) child_pt_[i]->Update_Child_A(mask, window, image, region);
  quarn::Trace_Out(label);
}

// ---- sorting, identity, placeholders of the event and metric chains ----------------------------

int Quarn_2D::Sort(unsigned char recurse) { return Sort_Exchange(recurse); }

int Quarn_2D::Compare(Quarn_2D* other) { return Compare_Keys(other); }

const wchar_t* Quarn_2D::Icon_Name() { return L"icon folder.tga"; }

uint32_t Quarn_2D::Class_AB_Get() {
  quarn::Trace_In("Quarn_2D::Class_AB_Get", this);
  if (!CHECK_2D(this, "Quarn_2D::Class_AB_Get")) return 0;
  return (uint32_t(Class_A_Get()) << 16) | Class_B_Get();
}

// The tree-list layout and the event handlers of class nodes live with the event routing.

// A node maps a point through its own matrices on the way: child-to-parent going up to patient
// space, parent-to-child coming back down; the root answers from the image record.
namespace {

void Trace_Metrics_Out(const char* label, const Point_4D& p) {
  QUARN_REPORT(quarn::msg::Class, "<<< out Class: %s(%.2f,%.2f,%.2f)", label, double(p.x), double(p.y),
               double(p.z));
}

}  // namespace

Point_2D Quarn_2D::Metrics_Get_Res(char ask_parent, Quarn_2D* who, void** image, Point_2D point) {
  constexpr const char* label = "Quarn_2D::Metrics_Get_Res";
  quarn::Trace_In(label, this);
  if (ask_parent && parent_) point = parent_->Metrics_Get_Res(ask_parent, who, image, point);
  QUARN_REPORT(quarn::msg::Class, "<<< out Class: %s(%.2f,%.2f)", label, double(point.x), double(point.y));
  return point;
}

Point_4D Quarn_2D::Metrics_Get_Org(char ask_parent, Quarn_2D* who, void** image, Point_4D point) {
  constexpr const char* label = "Quarn_2D::Metrics_Get_Org";
  quarn::Trace_In(label, this);
  if (mat_child_to_parent) point *= *mat_child_to_parent;
  if (ask_parent && parent_) point = parent_->Metrics_Get_Org(ask_parent, who, image, point);
  Trace_Metrics_Out(label, point);
  return point;
}

Point_4D Quarn_2D::Metrics_Get_Frm(char ask_parent, Quarn_2D* who, void** image, Point_4D point) {
  constexpr const char* label = "Quarn_2D::Metrics_Get_Frm";
  quarn::Trace_In(label, this);
  if (ask_parent && parent_) point = parent_->Metrics_Get_Frm(ask_parent, who, image, point);
  if (mat_parent_to_child) point *= *mat_parent_to_child;
  Trace_Metrics_Out(label, point);
  return point;
}

// ---- children in windows, inside regions, visibility --------------------------------------------

int Quarn_2D::Child_Get_Cur(Quarn_Window* window) {
  constexpr const char* label = "Quarn_2D::Child_Get_Cur";
  if (!CHECK_2D(this, label)) return 0;
  const int index = quarn::Window_Slot(window, label);
  if (index < 0) return 0;
  for (int i = 0; i < child_nb_; ++i)
    if (child_pt_[i]->flag_[index] & quarn::flag::Current) return i;
  return 0;
}

void Quarn_2D::Inside_Set(Quarn_Window* window, int x0, int y0, int x1, int y1) {
  const int index = quarn::Window_Slot(window, "Quarn_2D::Inside_Set");
  if (index >= 0) inside_[index] = Region_2D(7, x0, y0, x1, y1);
}

void Quarn_2D::Inside_Set(Quarn_Window* window, Region_2D region) {
  const int index = quarn::Window_Slot(window, "Quarn_2D::Inside_Set");
  if (index >= 0) inside_[index] = region;
}

void Quarn_2D::Inside_Add(Quarn_Window* window, Region_2D region) {
  const int index = quarn::Window_Slot(window, "Quarn_2D::Inside_Add");
  if (index >= 0) inside_[index].Add(region);
}

void Quarn_2D::Inside_Clear(Quarn_Window* window) {
  const int index = quarn::Window_Slot(window, "Quarn_2D::Inside_Clear");
  if (index >= 0) inside_[index].Clear();
}

Region_2D Quarn_2D::Inside_Get(Quarn_Window* window) {
  const int index = quarn::Window_Slot(window, "Quarn_2D::Inside_Get");
  return index >= 0 ? inside_[index] : Region_2D(7);
}

int Quarn_2D::Inside_Pt(Quarn_Window* window, Point_2D point) {
  constexpr const char* label = "Quarn_2D::Inside_Pt";
  quarn::Trace_In(label, this);
  if (!CHECK_2D(this, label)) return 0;
  const int index = quarn::Window_Slot(window, label);
  const int inside = index >= 0 && inside_[index].Inside(point);
  quarn::Trace_Out(label);
  return inside;
}

int Quarn_2D::Inside_Range(Quarn_Window* window, Region_2D region) {
  constexpr const char* label = "Quarn_2D::Inside_Range";
  quarn::Trace_In(label, this);
  if (!CHECK_2D(this, label)) return 0;
  const int index = quarn::Window_Slot(window, label);
  const int overlap = index >= 0 && inside_[index].Inside(region);
  quarn::Trace_Out(label);
  return overlap;
}

void Quarn_2D::Visibility_Clear(Quarn_Window* window, const char* why) {
  Flag_Set_Off(quarn::mode::Self | quarn::mode::Subtree, window, quarn::flag::Visible);
  quarn::Trace_Out("Quarn_2D::Visibility_Set", why);
}

void Quarn_2D::Visibility_Set(Quarn_Window* window, unsigned char recurse) {
  constexpr const char* label = "Quarn_2D::Visibility_Set";
  quarn::Trace_In(label, this);
  if (!CHECK_2D(this, label)) return;
  // Visibility is a question about one real window: its surface and mode are needed.
  if (reinterpret_cast<uintptr_t>(window) < 16) {
    quarn::Window_Bad(reinterpret_cast<uintptr_t>(window), label);
    return;
  }
  const int index = quarn::Window_Slot(window, label);
  if (index < 0) return;
  if (!Inside_Range(window, quarn::Window_Area_Inf(window))) return Visibility_Clear(window, "outside range");
  if (parent_) {
    const uint64_t parent_mode = parent_->flag_[index] & quarn::flag::Display_Mode;
    if (parent_mode == 0) return Visibility_Clear(window, "not visible");
    const bool is_current = parent_->Child_Get_Pt(parent_->Child_Get_Cur(window)) == this;
    if ((parent_mode & (CLASS_FLAG_LOOP | CLASS_FLAG_ONE)) && !is_current)
      return Visibility_Clear(window, "not visible");
    if (quarn::Window_Mode_Of(window) == WINDOW_MODE_2D_ONE && !is_current)
      return Visibility_Clear(window, "WINDOW_MODE_2D_ONE");
  }
  Flag_Set_On(quarn::mode::Self, window, quarn::flag::Visible);
  if (recurse)
    for (int i = 0; i < child_nb_; ++i) child_pt_[i]->Visibility_Set(window, recurse);
  quarn::Trace_Out(label);
}

// ---- user buffers ------------------------------------------------------------------------------

int Quarn_2D::User_Set(uint32_t id, Quarn_Buffer* buffer) {
  if (!CHECK_2D(this, User_Style.set_label)) return 0;
  return users_.Set(*this, User_Style, id, buffer);
}

Quarn_Buffer* Quarn_2D::User_Get(uint32_t id) {
  if (!CHECK_2D(this, User_Style.get_label)) return nullptr;
  return users_.Get(*this, User_Style, id);
}

int Quarn_2D::User_Delete(uint32_t id) {
  if (!CHECK_2D(this, User_Style.delete_label)) return 0;
  return users_.Delete(*this, User_Style, id);
}

uint64_t Quarn_2D::User_Cleanup(uint16_t level) {
  if (!CHECK_2D(this, User_Style.cleanup_label)) return 0;
  return users_.Cleanup(*this, User_Style, level);
}

uint64_t Quarn_2D::User_Memory() {
  if (!CHECK_2D(this, User_Style.memory_label)) return 0;
  return users_.Memory(*this, User_Style);
}

void Quarn_2D::User_Stool(int message_class, int depth, uint32_t id) {
  if (!CHECK_2D(this, User_Style.stool_label)) return;
  users_.Stool(*this, User_Style, message_class, depth, id);
}

// ---- dump --------------------------------------------------------------------------------------

void Quarn_2D::Stool(int message_class, int depth, unsigned char recurse) {
  if (!CHECK_2D(this, "Quarn_2D::Stool")) return;
  Stool_Header(message_class, depth);
  if (Host_Report_Enabled(uint32_t(message_class))) {
    char indent[quarn::Stool_Indent_Size];
    quarn::Stool_Indent(indent, depth);
    Quarn_Window* current = quarn::Window_Current();
    const int index = current ? quarn::Window_Index_Of(current) : -1;
    if (index < 0 || index >= quarn::Window_Max || !(flag_[index] & quarn::flag::Visible)) {
      Host_Report(Host_Main_Window, uint32_t(message_class), "%s       not visible", indent);
    } else {
      const Point_2D lo = inside_[index].Get_Min();
      const Point_2D hi = inside_[index].Get_Max();
      Host_Report(Host_Main_Window, uint32_t(message_class), "%s       inside: %.2f, %.2f, %.2f, %.2f",
                  indent, double(lo.x), double(lo.y), double(hi.x), double(hi.y));
    }
  }
  User_Stool(message_class, depth, 0);
  if (recurse)
    for (int i = 0; i < child_nb_; ++i) child_pt_[i]->Stool(message_class, depth + 1, recurse);
}
