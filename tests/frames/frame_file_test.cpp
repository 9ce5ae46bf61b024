// Tests of the link between 2D file records and frames: destroying a file record removes every
// frame made from its records, wherever it hangs, and no other.
#include "frames/Frame_Host.h"

#include <string>

namespace {

using frame_test::Frame_Test;
using frame_test::Ramp;

// Names of the frames under node, depth first.
std::string Frame_Names(Quarn_2D* node) {
  std::string out;
  for (int i = 0; i < node->Child_Get_Nb(); ++i) {
    Quarn_2D* child = node->Child_Get_Pt(i);
    if (child->Class_A_Get() == Quarn_2D_Frame::Class_A)
      out += std::string(Host_Wide_To_Char(child->Name_Get())) + " ";
    out += Frame_Names(child);
  }
  return out;
}

TEST_F(Frame_Test, DestroyingAFileRemovesItsFramesEverywhereAndNoOthers) {
  Quarn_2D_File* a = Add_File(L"/scans/a.dcm", {Ramp(2, 2, 2), Ramp(2, 2)});
  Quarn_2D_File* b = Add_File(L"/scans/b.dcm", {Ramp(2, 2, 3), Ramp(2, 2)});
  auto* group = new tree_test::Group<Quarn_2D>(L"group");
  auto* inner = new tree_test::Group<Quarn_2D>(L"inner");
  root_.Child_Add(group);
  group->Child_Add(inner);
  for (Quarn_2D* parent : {static_cast<Quarn_2D*>(inner), static_cast<Quarn_2D*>(group)}) {
    Insert(a, 0, 1, parent);
    Insert(b, 1, 0, parent);
    Insert(a, 1, 0, parent);
  }
  Insert(b, 0, 2);
  ASSERT_EQ(Frame_Names(&root_), "a #1 b a a #1 b a b #2 ");

  frame_test::Vars().file_storage[0] = b;  // the host drops the file from its list ...
  frame_test::Vars().file_nb = 1;
  files_.erase(files_.begin());  // ... and destroys it
  EXPECT_EQ(Frame_Names(&root_), "b b b #2 ");
  EXPECT_EQ(group->Child_Get_Nb(), 2);  // groups emptied of frames stay
  EXPECT_EQ(inner->Child_Get_Nb(), 1);
}

}  // namespace
