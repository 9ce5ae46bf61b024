// Every overridden operation of the frame and the 1D data leaf validates its object: a null
// object is reported and left alone, a damaged one is reported and the operation goes on.
#include "frames/Frame_Host.h"

#include <quarn/classes/Quarn_1D_Data.h>

#include <functional>

namespace {

using frame_test::Frame_Test;
using frame_test::Ramp;
using tree_test::Window;

/// One operation called on a frame (or null), with the label its reports carry; the result is
/// its return value folded to an int (pointers: 1 when non-null).
struct Frame_Op {
  const char* label;
  std::function<int(Quarn_2D_Frame*)> call;
};

const Frame_Op* Frame_Ops() {
  static Point_2D point(7, 1.0f, 1.0f);
  static Region_2D region(7, 0, 0, 1, 1);
  static const Frame_Op ops[] = {
      {"Quarn_2D_Frame::Icon_Name", [](Quarn_2D_Frame* f) { return f->Quarn_2D_Frame::Icon_Name() ? 1 : 0; }},
      {"Quarn_2D_Frame::Interface_Click",
       [](Quarn_2D_Frame* f) { return f->Quarn_2D_Frame::Interface_Click(Window(0), 0, &point); }},
      {"Quarn_2D_Frame::Interface_Motion",
       [](Quarn_2D_Frame* f) { return f->Quarn_2D_Frame::Interface_Motion(Window(0), 0, &point); }},
      {"Quarn_2D_Frame::Interface_Scroll",
       [](Quarn_2D_Frame* f) { return f->Quarn_2D_Frame::Interface_Scroll(Window(0), 0, &point); }},
      {"Quarn_2D_Frame::Interface_Key",
       [](Quarn_2D_Frame* f) { return f->Quarn_2D_Frame::Interface_Key(Window(0), 0, &point); }},
      {"Quarn_2D_Frame::Interface_Select",
       [](Quarn_2D_Frame* f) { return f->Quarn_2D_Frame::Interface_Select(Window(0), &region); }},
      {"Quarn_2D_Frame::Compare", [](Quarn_2D_Frame* f) { return f->Quarn_2D_Frame::Compare(nullptr); }},
      {"Quarn_2D_Frame::Stool",
       [](Quarn_2D_Frame* f) { f->Quarn_2D_Frame::Stool(0x80000087, 0, 0); return 0; }},
      {nullptr, {}},
  };
  return ops;
}

// Regression: Icon_Name read the record of a null frame (a crash) and said nothing of a damaged one.
TEST_F(Frame_Test, EveryOverriddenOperationReportsANullFrameAndLeavesIt) {
  for (const Frame_Op* op = Frame_Ops(); op->label; ++op) {
    Host_Report_Capture capture;
    EXPECT_EQ(op->call(nullptr), 0) << op->label;
    EXPECT_TRUE(capture.Contains(std::string("Invalid frame class pointer in ") + op->label)) << op->label;
  }
}

TEST_F(Frame_Test, EveryOverriddenOperationReportsADamagedFrameAndGoesOn) {
  Quarn_2D_Frame* f = Insert(Add_File(L"/scans/damaged.dcm", {Ramp(3, 3)}));
  ASSERT_NE(f, nullptr);
  f->Class_A_Set(0x2001);  // a class word of a plain node
  for (const Frame_Op* op = Frame_Ops(); op->label; ++op) {
    Host_Report_Capture capture;
    op->call(f);
    EXPECT_TRUE(capture.Contains(std::string("Invalid frame structure in ") + op->label)) << op->label;
    EXPECT_TRUE(capture.Contains(std::string("-> type:") + f->Title_Get())) << op->label;
  }
  f->Class_A_Set(Quarn_2D_Frame::Class_A);
  Host_Report_Capture capture;
  EXPECT_STREQ(f->Icon_Name(), L"icon axial.tga");  // the ramp lies in the axial plane
  EXPECT_EQ(capture.Count(quarn::msg::Invalid), 0u);
}

TEST(Data_1D_Validation, IconNameReportsANullOrDamagedLeaf) {
  Host_Report_Capture capture;
  Quarn_1D_Data* none = nullptr;
  asm("" : "+r"(none));  // a null the compiler cannot see: the call is made as a caller would
  EXPECT_EQ(none->Quarn_1D_Data::Icon_Name(), nullptr);
  EXPECT_TRUE(capture.Contains("Invalid 1D class pointer in Quarn_1D_Data::Icon_Name"));
  Quarn_1D_Data leaf(nullptr, nullptr, 0);
  leaf.Class_A_Set(0x1001);
  capture.Clear();
  EXPECT_STREQ(leaf.Icon_Name(), L"icon folder.tga");
  EXPECT_TRUE(capture.Contains("Invalid 1D data structure in Quarn_1D_Data::Icon_Name"));
}

}  // namespace
