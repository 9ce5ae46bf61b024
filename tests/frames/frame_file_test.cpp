// Tests of the link between 2D file records and frames: destroying a file record removes every
// frame made from its records, wherever it hangs, and no other.
#include "frames/Frame_Host.h"

#include <string>

namespace {

using frame_test::Frame_Test;
using frame_test::List;
using frame_test::Ramp;

// Names of the frames under node, depth first, joined by blanks.
std::string Frame_Names(Quarn_2D* node) {
  std::string out;
  for (int i = 0; i < node->Child_Get_Nb(); ++i) {
    Quarn_2D* child = node->Child_Get_Pt(i);
    if (child->Class_A_Get() == Quarn_2D_Frame::Class_A) {
      if (!out.empty()) out += ' ';
      out += Host_Wide_To_Char(child->Name_Get());
    }
    const std::string below = Frame_Names(child);
    if (!below.empty()) out += (out.empty() ? "" : " ") + below;
  }
  return out;
}

TEST_F(Frame_Test, DestroyingAFileRemovesItsFramesEverywhereAndNoOthers) {
  // Two files of two records each; their frames interleaved at the root and in nested groups.
  Quarn_2D_File* a = Add_File(L"/scans/a.dcm", List({Ramp(2, 2, 2), Ramp(2, 2)}));
  Quarn_2D_File* b = Add_File(L"/scans/b.dcm", List({Ramp(2, 2, 3), Ramp(2, 2)}));
  auto* group = new tree_test::Group<Quarn_2D>(L"group");
  auto* inner = new tree_test::Group<Quarn_2D>(L"inner");
  root_.Child_Add(group);
  group->Child_Add(inner);
  Insert(a, 0, 0);
  Insert(b, 0, 0);
  Insert(a, 0, 1, group);
  Insert(a, 1, 0, group);
  Insert(b, 0, 2, group);
  Insert(a, 0, 1, inner);
  Insert(b, 1, 0, inner);
  Insert(a, 1, 0, inner);
  // Depth first: the inner group, then the group, then the root.
  ASSERT_EQ(Frame_Names(&root_), "a #1 b a a #1 a b #2 a #0 b #0");

  // The file leaves the host's list and is destroyed, as the host removes a file.
  frame_test::Vars().file_storage[0] = b;
  frame_test::Vars().file_nb = 1;
  files_.erase(files_.begin());
  EXPECT_EQ(Frame_Names(&root_), "b b #2 b #0");
  // Groups emptied of frames stay; only frames go.
  EXPECT_EQ(root_.Child_Get_Nb(), 2);
  EXPECT_EQ(group->Child_Get_Nb(), 2);
  EXPECT_EQ(inner->Child_Get_Nb(), 1);
}

TEST_F(Frame_Test, FileNamedAfterItsPathKeepsItsFrames) {
  // A file whose generic name is its whole path was never split into frames of its own.
  Quarn_2D_File* f = Add_File(L"plain", List({Ramp(2, 2)}));
  ASSERT_STREQ(f->Name_Get(), f->Path_Get());
  Quarn_2D_Frame* frame = Insert(f);
  frame->image = nullptr;  // the frame outlives the records it would point into
  files_.clear();
  EXPECT_EQ(root_.Child_Get_Nb(), 1);
}

TEST_F(Frame_Test, FilesWithoutARootDeleteNothing) {
  Quarn_2D_File* f = Add_File(L"/scans/c.dcm", List({Ramp(2, 2)}));
  Insert(f);
  frame_test::Vars().root = nullptr;
  Quarn_2D_Frame* frame = static_cast<Quarn_2D_Frame*>(root_.Child_Get_Pt(0));
  frame->image = nullptr;
  files_.clear();
  EXPECT_EQ(root_.Child_Get_Nb(), 1);
}

}  // namespace
