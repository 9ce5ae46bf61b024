// Tests of tree-wide walks over real frames: the rectangles requests mark, the colour filter.
#include "frames/Frame_Host.h"

namespace {

using frame_test::Frame_Test;

struct Group : Quarn_2D {
  Group() { Class_A_Set(0x2001); }
};

TEST_F(Frame_Test, RequestsMarkTheRectanglesOfTheFramesUnderTheObject) {
  Quarn_2D_File* file = Add_File(L"/x/marks.dcm", {frame_test::Ramp(20, 10), frame_test::Ramp(20, 10)});
  auto* group = new Group();
  root_.Child_Add(group);
  Quarn_2D_Frame* inside = Insert(file, 0, 0, group);
  Quarn_2D_Frame* outside = Insert(file, 1, 0);
  const Region_2D box(6, 2, 3, 5, 7);
  for (Quarn_2D_Frame* f : {inside, outside})  // new frames start wholly pending
    f->Region_Update_Clear(), f->Region_Redraw_Clear();

  Fct_Update(UPDATE_DATA_TAG, UPDATE_NO_WINDOW, group, &box);
  EXPECT_EQ(inside->reg_update.x_min, 2.0f);
  EXPECT_EQ(inside->reg_update.y_max, 7.0f);
  EXPECT_TRUE(outside->reg_update.x_min > outside->reg_update.x_max);  // still empty

  Fct_Redraw(0x80, tree_test::Window(0), outside, nullptr);  // a frame marks itself, whole
  EXPECT_EQ(outside->reg_redraw.x_min, 0.0f);
  EXPECT_GT(outside->reg_redraw.x_max, 18.0f);
  EXPECT_TRUE(inside->reg_redraw.x_min > inside->reg_redraw.x_max);

  Fct_Redraw(0x1, tree_test::Window(0), inside, &box);  // a bit that marks no object
  EXPECT_TRUE(inside->reg_redraw.x_min > inside->reg_redraw.x_max);
}

// Regression: the 2D iterator's colour filter read no frame's element kind and so kept none.
TEST_F(Frame_Test, ColourFilterKeepsColourFramesOnly) {
  std::vector<uint8_t> rgba(4 * 3 * 4, 7);
  Quarn_2D_File* file = Add_File(L"/x/colour.dcm", {frame_test::Ramp(4, 3),
                                                     Host_Image_Create(4, 3, 1, 1, HOST_PIXEL_RGBA, rgba.data())});
  Insert(file, 0);
  Quarn_2D_Frame* colour = Insert(file, 1);
  ASSERT_LT(colour->pixel_kind, 0);
  const uint16_t id = Iterator_Init("colour filter", nullptr);
  EXPECT_EQ(Iterator_Class_2D(id, Quarn_2D_Frame::Class_A, nullptr, 0x08), colour);
  EXPECT_EQ(Iterator_Class_2D(id, Quarn_2D_Frame::Class_A, nullptr, 0x08), nullptr);
  Iterator_End(id);
}

// Regression: a node that carries the frame's class word without being a frame (a module's own
// node, or a test's) was marked as a frame, writing past the end of the object.
TEST_F(Frame_Test, NodeWithTheFrameClassWordIsNotMarkedAsAFrame) {
  Quarn_2D_File* file = Add_File(L"/x/impostor.dcm", {frame_test::Ramp(20, 10)});
  auto* group = new Group();
  root_.Child_Add(group);
  auto* impostor = new Group();
  impostor->Class_A_Set(Quarn_2D_Frame::Class_A);
  group->Child_Add(impostor);
  Quarn_2D_Frame* frame = Insert(file, 0, 0, group);
  frame->Region_Update_Clear();
  const Region_2D box(6, 2, 3, 5, 7);
  Fct_Update(UPDATE_DATA_TAG, UPDATE_NO_WINDOW, group, &box);  // walks over both
  Fct_Update(UPDATE_DATA_TAG, UPDATE_NO_WINDOW, impostor, &box);  // names it directly
  EXPECT_EQ(frame->reg_update.x_min, 2.0f);
  EXPECT_NE(impostor->Update_A_Get_Bit(0x10, nullptr, ~0ull), 0u);  // still marked as a node
}

}  // namespace
