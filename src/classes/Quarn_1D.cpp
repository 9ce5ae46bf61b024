// The 1D tree node: the shared tree code with the 1D identity and leaf closing.
#include <quarn/classes/Quarn_1D.h>
#include <quarn/classes/Quarn_1D_Data.h>

#include "classes/File_Links.h"
#include "classes/Tree_Node_Impl.h"
#include "script/Remembered_Variable.h"

namespace quarn {

namespace {
Remembered_Variable g_file_1d_nb{L"$DB_1D_FILE_NB"};
Remembered_Variable g_file_1d_pt{L"$DB_1D_FILE_PT"};
}  // namespace

template <>
struct Tree_Traits<Quarn_1D> {
  static constexpr Label_Text Name{"Quarn_1D"};
  static const Family& Check_Family() { return family::Class_1D; }

  // A deleted curve closes its whole file, so that regenerating the tree skips it; only files
  // still in the host's list are touched.
  static void Close_Leaf(Quarn_1D* child) {
    if (!child || child->Class_A_Get() != 0x1FFF) return;
    Quarn_1D_File* file = static_cast<Quarn_1D_Data*>(child)->File_Get();
    const int* count = g_file_1d_nb.As<int>();
    Quarn_1D_File* const* list = g_file_1d_pt.Table<Quarn_1D_File*>();
    if (!file || !count || !list) return;
    for (int i = 0; i < *count; ++i) {
      if (list[i] == file) {
        File_1D_Close(file);
        return;
      }
    }
  }
};

}  // namespace quarn

template class Tree_Node<Quarn_1D>;

Quarn_1D::Quarn_1D() {
  QUARN_REPORT(quarn::msg::Class, ">>> in  Class: Quarn_1D::Quarn_1D()");
  Class_Magic_Set(0xAFBF);
  QUARN_REPORT(quarn::msg::Class, "<<< out Class: Quarn_1D::Quarn_1D()");
}

Quarn_1D::~Quarn_1D() {
  constexpr const char* label = "Quarn_1D::~Quarn_1D";
  quarn::Trace_In(label, this);
  Children_Destroy();
  quarn::Trace_Out(label);
}

void Quarn_1D::Stool(int message_class, int depth, unsigned char recurse) {
  Stool_Tree(message_class, depth, recurse);
}

int Quarn_1D::Sort(unsigned char recurse) { return Sort_Exchange(recurse); }

int Quarn_1D::Compare(Quarn_1D* other) { return Compare_Keys(other); }

const wchar_t* Quarn_1D::Icon_Name() { return L"icon folder.tga"; }

void Quarn_1D::Flag_Set_On(unsigned char mode, void* window, uint64_t mask) {
  Flag_Walk(quarn::Bit_Op::On, "Quarn_1D::Flag_Set_On", mode, window, mask);
}

void Quarn_1D::Flag_Set_Off(unsigned char mode, void* window, uint64_t mask) {
  Flag_Walk(quarn::Bit_Op::Off, "Quarn_1D::Flag_Set_Off", mode, window, mask);
}

void Quarn_1D::Flag_Toggle(unsigned char mode, void* window, uint64_t mask) {
  Flag_Walk(quarn::Bit_Op::Toggle, "Quarn_1D::Flag_Toggle", mode, window, mask);
}

uint64_t Quarn_1D::Flag_Get_Bit(unsigned char mode, void* window, uint64_t mask) {
  return Flag_Walk(quarn::Bit_Op::Get, "Quarn_1D::Flag_Get_Bit", mode, window, mask);
}
