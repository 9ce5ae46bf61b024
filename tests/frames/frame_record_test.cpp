// Tests of what a frame takes from its record (value range, names and numbers), of its update
// bits and tag reloads, and of the order of frames.
#include "frames/Frame_Host.h"

#include <functional>
#include <string>

namespace {

using frame_test::Frame_Test;
using frame_test::Ramp;

void* const Index_0 = reinterpret_cast<void*>(8);

TEST_F(Frame_Test, ValueRangeComesFromStoredRangesWindowOrPixels) {
  struct Case {
    const char* what;
    std::function<void(Host_Image_Record*)> edit;  // of a record whose stored ranges are 0
    float gli_min, gli_max, val_min, val_max;
  };
  // Pixels of slice 1 (the frame shown) run from 100 to 134.
  const Case cases[] = {
      {"real range", [](auto* r) { r->float_min = -2.5f, r->float_max = 7.5f; }, -2.5f, 7.5f, -2.5f, 7.5f},
      {"else the integer range", [](auto* r) { r->int_min = 3, r->int_max = 40; }, 3, 40, 3, 40},
      {"window c 40, w 200", [](auto* r) { r->int_max = 9, r->window_c = 40, r->window_w = 200; },
       0, 9, -160, 240},
      {"window of width 0", [](auto* r) { r->int_max = 9, r->window_c = 40; }, 0, 9, 0, 9},
      {"no range: pixels read", [](auto*) {}, 100, 134, 0, 0},
      {"no range: padding skipped", [](auto* r) { r->pad_value = 100; }, 101, 134, 0, 0},
      {"colour without range: unread", [](auto* r) { r->kind = HOST_PIXEL_RGBA; }, 0, 256, 0, 0},
      {"no pixel data", [](auto* r) { std::free(r->pixels), r->pixels = nullptr; }, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    Host_Image_Record* r = Ramp(5, 4, 2);
    r->float_min = r->float_max = 0, r->int_min = r->int_max = 0;
    c.edit(r);
    Quarn_2D_Frame* f = Insert(Add_File(L"/scans/range.img", {r}), 0, 1);
    EXPECT_EQ((std::vector<float>{f->gli_min, f->gli_max, f->val_min, f->val_max}),
              (std::vector<float>{c.gli_min, c.gli_max, c.val_min, c.val_max})) << c.what;
  }
}

TEST_F(Frame_Test, NamesAndNumbersFollowTheRecordsCounts) {
  const struct {
    int slices, times, frame;
    int slice_number, time_number;
    const wchar_t* name;
    int z_index, t_index, z_number, t_number;
  } cases[] = {
      {1, 1, 0, -1, -1, L"chest", 0, 0, 0, 0},       // one image: the generic name
      {3, 2, 4, -1, -1, L"chest #4", 1, 1, 1, 1},    // several frames: the frame number
      {3, 1, 2, 12, 0, L"chest z=12", 2, 0, 12, 0},  // a slice number
      {1, 1, 0, 7, 3, L"chest t=3", 0, 0, 7, 3},     // a time number wins
  };
  for (const auto& c : cases) {
    Host_Image_Record* r = Ramp(2, 2, c.slices, c.times);
    r->slice_number = c.slice_number, r->time_number = c.time_number;
    Quarn_2D_Frame* f = Insert(Add_File(L"/scans/study/chest.dcm", {r}), 0, c.frame);
    EXPECT_STREQ(f->Name_Get(), c.name);
    EXPECT_EQ((std::vector<int>{f->z_index, f->t_index, f->z_number, f->t_number}),
              (std::vector<int>{c.z_index, c.t_index, c.z_number, c.t_number})) << c.frame;
  }
}

TEST_F(Frame_Test, UpdateDropsOnlyTheLayersWhoseBitsArePending) {
  const struct {
    uint64_t pending, mask;
    const char* left;  // views left, in the order grey data, grey display, tag data, tag display,
                       // and whether the buffers derived from the grey values are left
  } cases[] = {
      {0x1000000, 0x1000000, "-+++-"},  // grey data pending and asked
      {0, 0x1000000, "+++++"},          // asked, not pending: nothing
      {0x1000000, 0x4000000, "+++++"},  // pending, not asked
      {0x4000000, 0xF000000, "+-+++"},  // grey display
      {0x2000000, 0x2000000, "++-++"},  // tag data
      {0x2000000000000, 0x2000000000000, "+++-+"},  // tag display by bit 49
      {0xF000000, 0xF000000, "-----"},  // all four
  };
  Quarn_2D_Frame* f = Insert(Add_File(L"/scans/update.dcm", {Ramp(3, 3)}));
  static int32_t* gli_rows[1];
  static uint16_t* tag_rows[1];
  static uint8_t disp[36];
  for (const auto& c : cases) {
    f->work_gli = gli_rows, f->work_tag = tag_rows, f->disp_gli = f->disp_tag = disp;
    for (uint32_t id : {8u, 10u, 12u, 14u, 21u, 22u})  // 21: last merge buffer of two; 22: beyond
      if (!f->User_Get(id)) f->User_Set(id, new Quarn_Buffer());
    f->Update_A_Set_Off(0x10, Index_0, ~0ull);
    f->Update_A_Set_On(0x10, Index_0, c.pending);
    f->Redraw_Set_Off(0x10, Index_0, ~0ull);
    EXPECT_EQ(f->Update_A(c.mask), 1);
    std::string left;
    const bool derived = f->User_Get(8) && f->User_Get(12) && f->User_Get(14) && f->User_Get(21);
    for (bool kept : {f->work_gli != nullptr, f->disp_gli != nullptr, f->work_tag != nullptr,
                      f->disp_tag != nullptr, derived})
      left += kept ? '+' : '-';
    EXPECT_EQ(left, c.left) << std::hex << c.mask;
    EXPECT_NE(f->User_Get(22), nullptr);
    EXPECT_EQ(f->Redraw_Get_Bit(0x10, Index_0, 8) != 0, (c.pending & c.mask) != 0) << std::hex << c.mask;
  }
  f->work_gli = nullptr, f->work_tag = nullptr, f->disp_gli = f->disp_tag = nullptr;
}

TEST_F(Frame_Test, TagReloadReachesFramesWithinTheTruncatedSliceRange) {
  const struct {
    float z0, z1;
    int t0, t1;
    bool other_image;
    int reloaded;  // frames of slices 2 ... 6 of time point 1 that reload
  } cases[] = {
      {3.9f, 5.2f, 0, 3, false, 3},  // bounds truncate: slices 3 to 5
      {4.0f, 4.0f, 1, 1, false, 1},
      {7.0f, 9.0f, 0, 3, false, 0},  // beyond the record
      {0.0f, 9.0f, 2, 3, false, 0},  // time point outside
      {0.0f, 9.0f, 0, 3, true, 0},   // another record
  };
  Host_Image_Record* other = Ramp(2, 2);
  Quarn_2D_File* file = Add_File(L"/scans/reload.dcm", {Ramp(4, 4, 7, 2), other});
  for (int n = 9; n <= 13; ++n) Insert(file, 0, n);
  for (const auto& c : cases) {
    Region_4D region(6, 3.0f, 1.0f, c.z0, float(c.t0), 0.0f, 2.0f, c.z1, float(c.t1));
    Host_Report_Capture capture;
    root_.Update_Child_A(0, nullptr, c.other_image ? other : file->Record_Get(0), &region);
    int done = 0, requests = 0;
    for (const std::string& line : capture.Texts()) {
      done += line == "<<< out Class: Quarn_2D_Frame::Update_Child_A()";
      requests += line == ">>> in  Fct: Fct_Update(000000000a000000)";
    }
    EXPECT_TRUE(done == c.reloaded && requests == c.reloaded) << c.z0 << " " << c.t0 << ": " << done;
  }
}

TEST_F(Frame_Test, CompareOrdersByRecordPositionStampAndNumbers) {
  struct Side {
    bool record;
    float z;           // patient z of the frame's origin (axial: its position along the normal)
    const char* time;  // primary time stamp, or none
    int t_number, z_number;
  };
  const struct {
    Side a, b;
    int want;
  } cases[] = {
      {{true, 0, nullptr, 0, 0}, {false, 0, nullptr, 0, 0}, 6},     // only this one has a record
      {{true, 2.0f, nullptr, 0, 0}, {true, 1.0f, nullptr, 0, 0}, 2},  // further along the normal
      {{true, 0.005f, nullptr, 5, 0}, {true, 0, nullptr, 3, 0}, 4},   // 0.005 apart: numbers decide
      {{true, 0, "101500", 0, 0}, {true, 0, "093000", 9, 9}, 1},      // later stamp
      {{true, 0, nullptr, 1, 7}, {true, 0, nullptr, 1, 6}, 3},        // larger slice number
      {{true, 0, nullptr, 1, 6}, {true, 0, nullptr, 1, 6}, 0},        // all equal
  };
  for (const auto& c : cases) {
    Quarn_2D_Frame* frames[2];
    const Side* sides[2] = {&c.a, &c.b};
    for (int i = 0; i < 2; ++i) {
      Host_Image_Layout l;
      l.position = Vec4(0.0f, 0.0f, sides[i]->z, 0.0f);
      Host_Image_Record* r = Ramp(2, 2, 1, 1, &l);
      if (sides[i]->time) Host_Time_Set(&r->time[0], sides[i]->time);
      frames[i] = Insert(Add_File(L"/scans/order.dcm", {r}));
      frames[i]->t_number = uint16_t(sides[i]->t_number), frames[i]->z_number = uint16_t(sides[i]->z_number);
      if (!sides[i]->record) frames[i]->image = nullptr;
    }
    EXPECT_EQ(frames[0]->Compare(frames[1]), c.want);
    EXPECT_EQ(frames[1]->Compare(frames[0]), -c.want);
  }
}

TEST_F(Frame_Test, SortPutsSlicesInOrderAlongTheNormal) {
  Host_Image_Layout l;
  l.dir_row = Vec4(0.0f, 1.0f, 0.0f, 0.0f), l.dir_col = Vec4(0.0f, 0.0f, -1.0f, 0.0f);  // normal -x
  const Host_Image_Layout* layouts[] = {nullptr, &l};  // axial, then sagittal
  for (const Host_Image_Layout* layout : layouts) {
    Quarn_2D_File* file = Add_File(L"/scans/sort.dcm", {Ramp(3, 3, 5, 1, layout)});
    for (int n : {3, 0, 4, 1, 2}) Insert(file, 0, n);
    root_.Sort(0);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(static_cast<Quarn_2D_Frame*>(root_.Child_Get_Pt(i))->z_index, i);
    root_.Child_Delete();
  }
}

}  // namespace
