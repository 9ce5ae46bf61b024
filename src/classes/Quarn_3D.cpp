// The 3D tree node: the shared tree code with user buffers, the 3D identity and leaf closing.
#include <quarn/classes/Quarn_3D.h>
#include <quarn/core/Quarn_Buffer.h>
#include <quarn/display/Update.h>

#include "classes/File_Links.h"
#include "classes/Node_Kinds.h"
#include "classes/Tree_Node_Impl.h"
#include "classes/User_Buffer_Style.h"

namespace quarn {

template <>
struct Tree_Traits<Quarn_3D> {
  static constexpr Label_Text Name{"Quarn_3D"};
  static const Family& Check_Family() { return family::Class_3D; }

  // A deleted geometry closes its movie in the file records, so that regenerating the tree
  // skips it.
  static void Close_Leaf(Quarn_3D* child) {
    if (child && child->Class_A_Get() == Class_A_Geom) Geom_3D_Movie_Close(child);
  }
};

}  // namespace quarn

template class Tree_Node<Quarn_3D>;

namespace {

const quarn::User_Buffer_Style User_Style{
    "Class",
    ", ",
    "Quarn_3D::User_Set",
    "Quarn_3D::User_Get",
    "Quarn_3D::User_Delete",
    "Quarn_3D::User_Cleanup",
    "Quarn_3D::User_Memory",
    "Quarn_3D::User_Stool",
    [](uint64_t mask) { Fct_Update(mask); },
    nullptr,
};

#define CHECK_3D(object, label) QUARN_CHECK(quarn::Object_Of(object), Class_3D, label)

}  // namespace

Quarn_3D::Quarn_3D() {
  QUARN_REPORT(quarn::msg::Class, ">>> in  Class: Quarn_3D::Quarn_3D()");
  Class_Magic_Set(0xAEBD);
  QUARN_REPORT(quarn::msg::Class, "<<< out Class: Quarn_3D::Quarn_3D()");
}

Quarn_3D::~Quarn_3D() {
  QUARN_REPORT(quarn::msg::Class, ">>> in  Class: Quarn_3D::~Quarn_3D(%ls)", Name_Get());
  Children_Destroy();
  users_.Destroy_All();
  quarn::Trace_Out("Quarn_3D::~Quarn_3D");
}

void Quarn_3D::Stool(int message_class, int depth, unsigned char recurse) {
  Stool_Tree(message_class, depth, recurse);
}

int Quarn_3D::Sort(unsigned char recurse) { return Sort_Exchange(recurse); }

int Quarn_3D::Compare(Quarn_3D* other) { return Compare_Keys(other); }

const wchar_t* Quarn_3D::Icon_Name() { return L"icon folder.tga"; }

int Quarn_3D::Update_A(uint64_t mask) {
  constexpr const char* label = "Quarn_3D::Update_A";
  quarn::Trace_In(label, this);
  if (!CHECK_3D(this, label)) return 0;
  quarn::Trace_Out(label);
  return 1;
}

int Quarn_3D::Update_B(uint64_t mask) {
  constexpr const char* label = "Quarn_3D::Update_B";
  quarn::Trace_In(label, this);
  if (!CHECK_3D(this, label)) return 0;
  quarn::Trace_Out(label);
  return 1;
}

Point_4D Quarn_3D::Metrics_Transfo(char ask_parent, Point_4D point) {
  constexpr const char* label = "Quarn_3D::Metrics_Transfo";
  quarn::Trace_In(label, this);
  if (!CHECK_3D(this, label)) return point;
  if (ask_parent && parent_) point = parent_->Metrics_Transfo(ask_parent, point);
  quarn::Trace_Out(label);
  return point;
}

void Quarn_3D::Flag_Set_On(unsigned char mode, void* window, uint64_t mask) {
  Flag_Walk(quarn::Bit_Op::On, "Quarn_3D::Flag_Set_On", mode, window, mask);
}

void Quarn_3D::Flag_Set_Off(unsigned char mode, void* window, uint64_t mask) {
  Flag_Walk(quarn::Bit_Op::Off, "Quarn_3D::Flag_Set_Off", mode, window, mask);
}

void Quarn_3D::Flag_Toggle(unsigned char mode, void* window, uint64_t mask) {
  Flag_Walk(quarn::Bit_Op::Toggle, "Quarn_3D::Flag_Toggle", mode, window, mask);
}

uint64_t Quarn_3D::Flag_Get_Bit(unsigned char mode, void* window, uint64_t mask) {
  return Flag_Walk(quarn::Bit_Op::Get, "Quarn_3D::Flag_Get_Bit", mode, window, mask);
}

int Quarn_3D::User_Set(uint32_t id, Quarn_Buffer* buffer) {
  if (!CHECK_3D(this, User_Style.set_label)) return 0;
  return users_.Set(*this, User_Style, id, buffer);
}

Quarn_Buffer* Quarn_3D::User_Get(uint32_t id) {
  if (!CHECK_3D(this, User_Style.get_label)) return nullptr;
  return users_.Get(*this, User_Style, id);
}

int Quarn_3D::User_Delete(uint32_t id) {
  if (!CHECK_3D(this, User_Style.delete_label)) return 0;
  return users_.Delete(*this, User_Style, id);
}

uint64_t Quarn_3D::User_Cleanup(uint16_t level) {
  if (!CHECK_3D(this, User_Style.cleanup_label)) return 0;
  return users_.Cleanup(*this, User_Style, level);
}

uint64_t Quarn_3D::User_Memory() {
  if (!CHECK_3D(this, User_Style.memory_label)) return 0;
  return users_.Memory(*this, User_Style);
}

void Quarn_3D::User_Stool(int message_class, int depth, uint32_t id) {
  if (!CHECK_3D(this, User_Style.stool_label)) return;
  users_.Stool(*this, User_Style, message_class, depth, id);
}
