// The working grey layer read straight from the record must hold exactly what the access chain
// reads pixel by pixel, for every element kind, marker value and frame shape.
#include "frames/Frame_Layers_Host.h"

#include <climits>
#include <cmath>

namespace {

using namespace layers_test;

constexpr const char* Direct_Trace = "-> Work_GLI_Load: rows read straight from the record";

// Six values per slice over a 3 x 2 frame; a second slice holds the same values plus one.
template <class T>
Host_Image_Record* Two_Slices(int kind, std::vector<T> values, int32_t pad) {
  const size_t n = values.size();
  for (size_t i = 0; i < n; ++i) values.push_back(T(values[i] + T(1)));
  Host_Image_Layout layout;
  layout.pad_value = pad;
  return Record(3, 2, 2, kind, values, &layout);
}

struct Case {
  const char* what;
  Host_Image_Record* (*make)();
};

const Case Cases[] = {
    {"U8", [] { return Two_Slices<uint8_t>(HOST_PIXEL_U8, {0, 1, 7, 128, 200, 254}, 7); }},
    {"S8", [] { return Two_Slices<int8_t>(HOST_PIXEL_S8, {-128, -1, 0, 5, 100, 126}, 5); }},
    {"U16 padded",
     [] { return Two_Slices<uint16_t>(HOST_PIXEL_U16, {0, 1, 999, 65534, 4000, 3}, 999); }},
    {"S16 padded",
     [] { return Two_Slices<int16_t>(HOST_PIXEL_S16, {-1000, -32768, 0, 32766, 12, -1000}, -1000); }},
    {"S32 markers",
     [] {
       return Two_Slices<int32_t>(HOST_PIXEL_S32, {INT_MIN, -7, 0x7FFFFFFC, 0x7FFFFFFD, 0x7FFFFFFE - 1, 12}, -7);
     }},
    {"S32 unpadded",
     [] {
       return Two_Slices<int32_t>(HOST_PIXEL_S32, {0x7FFFFFFE, 0x7FFFFFFD, 1, 2, 3, 4}, HOST_IMAGE_NO_PAD);
     }},
    {"float", [] { return Two_Slices<float>(HOST_PIXEL_FLOAT, {-2.5f, NAN, 0.0f, 1e3f, 7.25f, -2.5f}, 0); }},
    {"colour", [] {
       return Two_Slices<uint32_t>(HOST_PIXEL_RGBA,
                                   {0xFF000000, 0x00FFFFFF, 0x7FFFFFFE, 0x7FFFFFFC, 0x01020304, 0x80808080}, 0);
     }},
};

using Grey_Direct = Layers_Test;

TEST_F(Grey_Direct, HoldsWhatTheChainReadsForEveryKind) {
  for (const Case& c : Cases) {
    for (int slice = 0; slice < 2; ++slice) {
      Frame_Tree tree(c.make());
      Quarn_2D_Frame* f = tree.Frame(slice);
      const std::vector<int> expect = Chain_Reads(f);
      Host_Report_Capture capture;
      ASSERT_NE(f->Work_GLI_Load(), nullptr) << c.what;
      EXPECT_TRUE(capture.Contains(Direct_Trace)) << c.what;
      EXPECT_EQ(Layer_Cells(f), expect) << c.what << " slice " << slice;
    }
  }
}

TEST_F(Grey_Direct, FramePixelsBeyondTheRecordReadNoValue) {
  Frame_Tree tree(Cases[3].make());
  Quarn_2D_Frame* f = tree.Frame(1);
  f->width = 5;  // wider and taller than the record
  f->height = 4;
  const std::vector<int> expect = Chain_Reads(f);
  ASSERT_NE(f->Work_GLI_Load(), nullptr);
  EXPECT_EQ(Layer_Cells(f), expect);
  EXPECT_EQ(f->work_gli[3][4], GLI_NONE);
}

TEST_F(Grey_Direct, RecordWithoutPixelsFillsNoValue) {
  Frame_Tree tree(Host_Image_Create(3, 2, 1, 1, HOST_PIXEL_S16, nullptr));
  Quarn_2D_Frame* f = tree.Frame();
  EXPECT_EQ(Grey(f, 1, 1), GLI_NONE);
  ASSERT_NE(f->Work_GLI_Load(), nullptr);
  EXPECT_EQ(Layer_Cells(f), std::vector<int>(6, GLI_NONE));
}

TEST_F(Grey_Direct, AnyTransformOrHookOnTheChainIsHonoured) {
  const struct {
    const char* what;
    void (*apply)(Frame_Tree&);
  } changes[] = {
      {"matrix on the group",
       [](Frame_Tree& t) {
         t.group->mat_child_to_parent = new Mat4;
         t.group->mat_child_to_parent->init();
         (*t.group->mat_child_to_parent)[3][0] = 1;  // one column to the right
       }},
      {"matrix on the frame", [](Frame_Tree& t) { (t.Frame(1)->mat_child_to_parent = new Mat4)->init(); }},
      {"reader hooked on the group",
       [](Frame_Tree& t) {
         t.group->fct_read_gli = [](Quarn_2D*, void*, Vec4 p) { return int(p.x * 100 + p.y); };
       }},
  };
  for (const auto& change : changes) {
    Frame_Tree tree(Cases[4].make());
    change.apply(tree);
    Quarn_2D_Frame* f = tree.Frame(1);
    const std::vector<int> expect = Chain_Reads(f);
    Host_Report_Capture capture;
    ASSERT_NE(f->Work_GLI_Load(), nullptr) << change.what;
    EXPECT_FALSE(capture.Contains(Direct_Trace)) << change.what;
    EXPECT_EQ(Layer_Cells(f), expect) << change.what;
  }
}

}  // namespace
