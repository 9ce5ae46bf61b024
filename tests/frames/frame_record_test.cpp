// Tests of what a frame takes from its record and file: value range, names, vertebra labels,
// indices, icon, insertion; and of its update bits, tag reloads, ordering and volume nodes.
#include "frames/Frame_Host.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace {

using frame_test::Frame_Test;
using frame_test::List;
using frame_test::Ramp;

// ---- value range -------------------------------------------------------------------------------

TEST_F(Frame_Test, ValueRangeComesFromStoredRangesWindowOrPixels) {
  struct Case {
    const char* what;
    std::function<Host_Image_Record*()> make;
    float gli_min, gli_max, val_min, val_max;
  };
  // Ramp pixels of slice 1 (the frame shown) run from 100 to 134.
  auto ramp = [](std::function<void(Host_Image_Record*)> edit) {
    return [edit] {
      Host_Image_Record* r = Ramp(5, 4, 2);
      r->float_min = r->float_max = 0;
      r->int_min = r->int_max = 0;
      edit(r);
      return r;
    };
  };
  const Case cases[] = {
      {"real range", ramp([](auto* r) { r->float_min = -2.5f, r->float_max = 7.5f; }), -2.5f, 7.5f, -2.5f, 7.5f},
      {"no real range: the integer one", ramp([](auto* r) { r->int_min = 3, r->int_max = 40; }), 3, 40, 3, 40},
      {"display window c 40, w 200",
       ramp([](auto* r) { r->float_min = -1000, r->float_max = 3000, r->window_c = 40, r->window_w = 200; }),
       -1000, 3000, -160, 240},
      {"a window of width 0 is none",
       ramp([](auto* r) { r->int_min = 1, r->int_max = 9, r->window_c = 40, r->window_w = 0; }), 1, 9, 1, 9},
      {"no range stored: the frame's pixels are read", ramp([](auto*) {}), 100, 134, 0, 0},
      {"no range stored: padding is no grey level", ramp([](auto* r) { r->pad_value = 100; }), 101, 134, 0, 0},
      {"colour without range: 0 ... 256 unread",
       [] {
         std::vector<uint32_t> rgba(5 * 4 * 2, 0xFF8040C0u);
         return Host_Image_Create(5, 4, 2, 1, HOST_PIXEL_RGBA, rgba.data());
       },
       0, 256, 0, 0},
      {"no pixel data", [] { return Host_Image_Create(5, 4, 2, 1, HOST_PIXEL_S16, nullptr); }, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    Quarn_2D_File* file = Add_File(L"/scans/range.img", List({c.make()}));
    Quarn_2D_Frame* f = Insert(file, 0, 1);
    EXPECT_FLOAT_EQ(f->gli_min, c.gli_min) << c.what;
    EXPECT_FLOAT_EQ(f->gli_max, c.gli_max) << c.what;
    EXPECT_FLOAT_EQ(f->val_min, c.val_min) << c.what;
    EXPECT_FLOAT_EQ(f->val_max, c.val_max) << c.what;
  }
}

// ---- names, indices, labels, icon --------------------------------------------------------------

TEST_F(Frame_Test, NamesTellFrameSliceOrTimeNumbers) {
  struct Case {
    const char* what;
    int slices, times, frame;
    int slice_number, time_number;
    const wchar_t* name;
    int z_index, t_index, z_number, t_number;
  };
  const Case cases[] = {
      {"one image: the generic name", 1, 1, 0, -1, -1, L"chest", 0, 0, 0, 0},
      {"one image numbered 0", 1, 1, 0, 0, 0, L"chest", 0, 0, 0, 0},
      {"several frames: the frame number", 3, 2, 4, -1, -1, L"chest #4", 1, 1, 1, 1},
      {"a slice number", 3, 1, 2, 12, -1, L"chest z=12", 2, 0, 12, 0},
      {"a time number wins over the slice number", 1, 1, 0, 7, 3, L"chest t=3", 0, 0, 7, 3},
  };
  for (const Case& c : cases) {
    Host_Image_Record* r = Ramp(2, 2, c.slices, c.times);
    r->slice_number = c.slice_number;
    r->time_number = c.time_number;
    Quarn_2D_Frame* f = Insert(Add_File(L"/scans/study/chest.dcm", List({r})), 0, c.frame);
    EXPECT_STREQ(f->Name_Get(), c.name) << c.what;
    EXPECT_EQ(f->z_index, c.z_index) << c.what;
    EXPECT_EQ(f->t_index, c.t_index) << c.what;
    EXPECT_EQ(f->z_number, c.z_number) << c.what;
    EXPECT_EQ(f->t_number, c.t_number) << c.what;
    EXPECT_STREQ(f->Title_Get(), "Frame");
  }
}

TEST_F(Frame_Test, VertebraLabelsIndexTheHostsList) {
  struct Case {
    const char* label;
    bool flagged;
    uint16_t index;
    uint8_t upper;
  };
  // The host's list: C1, L3, S1.
  const Case cases[] = {
      {"L3", true, 2, 1},       // exact
      {"l3", true, 2, 0},       // any case, lower-case first letter
      {"s1", true, 3, 0},       // last entry
      {"T9", true, 0, 0},       // not listed
      {"X2", true, 65535, 1},   // an extra vertebra
      {"x2", true, 0, 0},       // only a capital X marks one
      {"L3", false, 0, 0},      // the record does not flag its label
  };
  for (const Case& c : cases) {
    Host_Image_Record* r = Ramp(2, 2);
    Host_Image_Text_Set(&r->vert_label, c.label);
    if (c.flagged) r->flags |= HOST_IMAGE_VERT_LABEL;
    Quarn_2D_Frame* f = Insert(Add_File(L"/scans/spine.dcm", List({r})));
    EXPECT_EQ(f->vert_label, c.index) << c.label << " " << c.flagged;
    EXPECT_EQ(f->vert_upper, c.upper) << c.label << " " << c.flagged;
  }
}

TEST_F(Frame_Test, RecordValuesAndLinksReachTheFrame) {
  Host_Image_Layout l;
  l.spacing_x = 0.5f;
  l.spacing_y = 0.75f;
  l.slope = 2.0f;
  l.intercept = -100.0f;
  l.pad_value = -7;
  Host_Image_Record* a = Ramp(6, 3, 1, 1, &l);
  Host_Image_Record* b = Ramp(6, 3, 2, 1, &l);
  Host_Image_Text_Set(&b->description, "T1 axial");
  b->flags |= 0x18000000;
  Quarn_2D_File* file = Add_File(L"/scans/pair.dcm", List({a, b}));
  Quarn_2D_Frame* f = Insert(file, 1, 1);
  EXPECT_EQ(f->image, b);
  EXPECT_EQ(b->frame, f);  // the record knows the frame that shows it
  EXPECT_EQ(f->image_index, 1);
  EXPECT_EQ(f->frame_number, 1);
  EXPECT_EQ(f->file, file);
  EXPECT_STREQ(f->label, "T1 axial");
  EXPECT_NE(f->label, b->description);  // a copy of its own
  EXPECT_FLOAT_EQ(f->aspect, 1.5f);
  EXPECT_FLOAT_EQ(f->conv_a, -100.0f);
  EXPECT_FLOAT_EQ(f->conv_b, 2.0f);
  EXPECT_EQ(f->pad_value, -7);
  EXPECT_EQ(f->pixel_kind, HOST_PIXEL_U16);
  EXPECT_EQ(f->frame_type, 0x18000000u | 0u);  // kind bits; the file's class A is 0x80
  EXPECT_EQ(f->Flag_Get_Bit(0x10, reinterpret_cast<void*>(8), 0x203000Full), 0x2030000ull);
  EXPECT_EQ(f->Flag_Get_Bit(0x10, tree_test::Window(3), ~0ull), 0ull);  // no child display mode
  EXPECT_EQ(f->reg_redraw, Region_2D(6, 0, 0, 5, 2));
  EXPECT_EQ(f->reg_update.x_max, -100000.0f);  // empty
  EXPECT_TRUE(std::all_of(std::begin(f->tag_used), std::end(f->tag_used), [](uint8_t u) { return u == 1; }));
  for (int w = 0; w < 10; ++w) EXPECT_TRUE(f->zoom[w][0] == 1.0f && f->zoom[w][1] == 1.0f) << w;
  EXPECT_TRUE(f->work_gli == nullptr && f->work_tag == nullptr && f->erase == nullptr && f->disp_gli == nullptr);
}

TEST_F(Frame_Test, IconFollowsTheFirstOrientationBitInOrder) {
  struct Case {
    uint16_t bits;
    const wchar_t* icon;
  };
  const Case cases[] = {
      {HOST_ORIENT_SCOUT | HOST_ORIENT_AXIAL, L"icon scout.tga"},
      {HOST_ORIENT_AXIAL | HOST_ORIENT_OBLIQUE, L"icon axial.tga"},
      {HOST_ORIENT_SAGITTAL, L"icon sagittal.tga"},
      {HOST_ORIENT_CORONAL | HOST_ORIENT_OBLIQUE, L"icon coronal.tga"},
      {HOST_ORIENT_OBLIQUE, L"icon oblique.tga"},
      {0, L"icon page.tga"},
  };
  Quarn_2D_Frame* f = Insert(Add_File(L"/scans/icon.dcm", List({Ramp(2, 2)})));
  for (const Case& c : cases) {
    f->image->orientation = c.bits;
    EXPECT_STREQ(f->Icon_Name(), c.icon) << c.bits;
  }
}

TEST_F(Frame_Test, InsertAppendsAndAskForTheFourLayerUpdates) {
  Quarn_2D_File* file = Add_File(L"/scans/insert.dcm", List({Ramp(2, 2, 3)}));
  Host_Report_Capture capture;
  EXPECT_EQ(Class_2D_Frame_Insert(&root_, file, 99, 0, 2), 1);
  EXPECT_EQ(Class_2D_Frame_Insert(&root_, file, 99, 0, 0), 1);
  ASSERT_EQ(root_.Child_Get_Nb(), 2);
  EXPECT_EQ(static_cast<Quarn_2D_Frame*>(root_.Child_Get_Pt(0))->frame_number, 2);
  EXPECT_EQ(root_.Child_Get_Pt(1)->Parent_Get_Pt(), &root_);
  EXPECT_TRUE(capture.Contains(">>> in  Class_2D_Frame_Insert(parent:Root:Root 2D, file:insert, slice:2)"));
  EXPECT_TRUE(capture.Contains(">>> in  Fct: Fct_Update(000000000f000000)"));
  // Without a parent nothing is added, and nothing is left behind.
  EXPECT_EQ(Class_2D_Frame_Insert(nullptr, file, 0, 0, 1), 1);
}

// ---- update bits and tag reloads ---------------------------------------------------------------

TEST_F(Frame_Test, UpdateDropsOnlyTheLayersWhoseBitsArePending) {
  struct Case {
    const char* what;
    uint64_t pending, mask;
    bool gli, disp_gli, tag, disp_tag;  // which views remain
    bool derived;                       // histogram, gradient and merge buffers remain
    bool redraw;
  };
  const Case cases[] = {
      {"grey data pending and asked", 0x1000000, 0x1000000, false, true, true, true, false, true},
      {"asked but not pending: nothing changes", 0, 0x1000000, true, true, true, true, true, false},
      {"pending but not asked", 0x1000000, 0x4000000, true, true, true, true, true, false},
      {"grey display", 0x4000000, 0xF000000, true, false, true, true, true, true},
      {"tag data", 0x2000000, 0x2000000, true, true, false, true, true, true},
      {"tag display by bit 27", 0x8000000, 0x8000000, true, true, true, false, true, true},
      {"tag display by bit 49", 0x2000000000000, 0x2000000000000, true, true, true, false, true, true},
      {"all four", 0xF000000, 0xF000000, false, false, false, false, false, true},
  };
  frame_test::Vars().morpho_merge_nb = 2;
  Quarn_2D_Frame* f = Insert(Add_File(L"/scans/update.dcm", List({Ramp(3, 3)})));
  static int32_t gli_row[3];
  static int32_t* gli_rows[1] = {gli_row};
  static uint16_t tag_row[3];
  static uint16_t* tag_rows[1] = {tag_row};
  static uint8_t disp[36];
  const uint32_t derived_ids[] = {8, 10, 11, 12, 14, 20, 21};
  for (const Case& c : cases) {
    f->work_gli = gli_rows;
    f->work_tag = tag_rows;
    f->disp_gli = disp;
    f->disp_tag = disp;
    // A buffer filed again under its id would be replaced, not freed: file only the missing.
    for (uint32_t id : derived_ids)
      if (!f->User_Get(id)) f->User_Set(id, new Quarn_Buffer());
    if (!f->User_Get(22)) f->User_Set(22, new Quarn_Buffer());  // beyond the merge count: kept
    f->Update_A_Set_Off(0x10, reinterpret_cast<void*>(8), ~0ull);
    f->Update_A_Set_On(0x10, reinterpret_cast<void*>(8), c.pending);
    f->Redraw_Set_Off(0x10, reinterpret_cast<void*>(8), ~0ull);

    EXPECT_EQ(f->Update_A(c.mask), 1);
    EXPECT_EQ(f->work_gli != nullptr, c.gli) << c.what;
    EXPECT_EQ(f->disp_gli != nullptr, c.disp_gli) << c.what;
    EXPECT_EQ(f->work_tag != nullptr, c.tag) << c.what;
    EXPECT_EQ(f->disp_tag != nullptr, c.disp_tag) << c.what;
    for (uint32_t id : derived_ids) EXPECT_EQ(f->User_Get(id) != nullptr, c.derived) << c.what << " " << id;
    EXPECT_NE(f->User_Get(22), nullptr) << c.what;
    EXPECT_EQ(f->Redraw_Get_Bit(0x10, reinterpret_cast<void*>(8), 8) != 0, c.redraw) << c.what;
  }
  f->work_gli = nullptr;
  f->work_tag = nullptr;
  f->disp_gli = f->disp_tag = nullptr;
}

TEST_F(Frame_Test, UpdateTracesEachAskedBitWithWhetherItIsPending) {
  Quarn_2D_Frame* f = Insert(Add_File(L"/scans/trace.dcm", List({Ramp(3, 3)})));
  f->Update_A_Set_Off(0x10, reinterpret_cast<void*>(8), ~0ull);  // insertion asked for every layer
  f->Update_A_Set_On(0x10, reinterpret_cast<void*>(8), 0x4000000);
  Host_Report_Capture capture;
  f->Update_A(0x5000000);
  const std::vector<std::string> lines = capture.Texts(quarn::msg::Class);
  const std::vector<std::string> want = {
      ">>> in  Class: Quarn_2D_Frame::Update_A(trace,flag=0000000005000000)",
      "-> flag = UPDATE_DATA_GLI (bit=0)",
      "-> flag = UPDATE_DISPLAY_GLI (bit=1)",
  };
  std::vector<std::string> got;
  for (const std::string& line : lines)
    if (line.rfind("-> flag", 0) == 0 || line.rfind(">>> in  Class: Quarn_2D_Frame::Update_A", 0) == 0)
      got.push_back(line);
  EXPECT_EQ(got, want);
}

TEST_F(Frame_Test, TagReloadRequestsOnlyFramesInsideTheRegion) {
  struct Case {
    const char* what;
    float z0, z1;
    int t0, t1;
    bool other_image;
    int reloaded;  // frames of slices 2 ... 6 of time point 1 that reload
  };
  const Case cases[] = {
      {"slice bounds truncate: 3.9 ... 5.2 holds slices 3 to 5", 3.9f, 5.2f, 0, 3, false, 3},
      {"one slice", 4.0f, 4.0f, 1, 1, false, 1},
      {"slices beyond the record", 7.0f, 9.0f, 0, 3, false, 0},
      {"time point outside", 0.0f, 9.0f, 2, 3, false, 0},
      {"another record", 0.0f, 9.0f, 0, 3, true, 0},
  };
  Host_Image_Record* other = Ramp(2, 2);
  Quarn_2D_File* file = Add_File(L"/scans/reload.dcm", List({Ramp(4, 4, 7, 2), other}));
  for (int n = 9; n <= 13; ++n) Insert(file, 0, n);
  for (const Case& c : cases) {
    Region_4D region(6, 3.0f, 1.0f, c.z0, float(c.t0), 0.0f, 2.0f, c.z1, float(c.t1));
    Host_Report_Capture capture;
    root_.Update_Child_A(0, nullptr, c.other_image ? other : file->Record_Get(0), &region);
    int done = 0, requests = 0, wrong_z = 0, wrong_t = 0, wrong_ima = 0;
    for (const std::string& line : capture.Texts()) {
      done += line == "<<< out Class: Quarn_2D_Frame::Update_Child_A()";
      wrong_z += line == "<<< out Class: Quarn_2D_Frame::Update_Child_A(wrong z)";
      wrong_t += line == "<<< out Class: Quarn_2D_Frame::Update_Child_A(wrong t)";
      wrong_ima += line == "<<< out Class: Quarn_2D_Frame::Update_Child_A(wrong ima)";
      requests += line == ">>> in  Fct: Fct_Update(000000000a000000)";
    }
    EXPECT_EQ(done, c.reloaded) << c.what;
    EXPECT_EQ(requests, c.reloaded) << c.what;
    EXPECT_EQ(done + wrong_z + wrong_t + wrong_ima, 5) << c.what;
    EXPECT_EQ(wrong_ima, c.other_image ? 5 : 0) << c.what;
  }
}

// ---- ordering ----------------------------------------------------------------------------------

TEST_F(Frame_Test, CompareOrdersByRecordPositionStampAndNumbers) {
  struct Side {
    bool record;
    float z;          // patient z of the frame's origin (axial: the position along the normal)
    const char* time; // primary time stamp, or null
    int t_number, z_number;
  };
  struct Case {
    const char* what;
    Side a, b;
    int want;
  };
  const Case cases[] = {
      {"only this one has a record", {true, 0, nullptr, 0, 0}, {false, 0, nullptr, 0, 0}, 6},
      {"only the other has a record", {false, 0, nullptr, 0, 0}, {true, 0, nullptr, 0, 0}, -6},
      {"further along the normal", {true, 2.0f, nullptr, 0, 0}, {true, 1.0f, nullptr, 0, 0}, 2},
      {"nearer along the normal", {true, -1.0f, nullptr, 0, 0}, {true, 1.0f, nullptr, 0, 0}, -2},
      {"0.005 apart falls through to the numbers", {true, 0.005f, nullptr, 5, 0}, {true, 0, nullptr, 3, 0}, 4},
      {"later stamp", {true, 0, "101500", 0, 0}, {true, 0, "093000", 9, 9}, 1},
      {"earlier stamp", {true, 0, "081500", 9, 9}, {true, 0, "093000", 0, 0}, -1},
      {"smaller time number", {true, 0, nullptr, 1, 9}, {true, 0, nullptr, 2, 0}, -4},
      {"larger slice number", {true, 0, nullptr, 1, 7}, {true, 0, nullptr, 1, 6}, 3},
      {"all equal", {true, 0, nullptr, 1, 6}, {true, 0, nullptr, 1, 6}, 0},
      {"neither has a record", {false, 0, nullptr, 0, 0}, {false, 0, nullptr, 0, 0}, 0},
  };
  for (const Case& c : cases) {
    Quarn_2D_Frame* frames[2];
    const Side* sides[2] = {&c.a, &c.b};
    for (int i = 0; i < 2; ++i) {
      Host_Image_Layout l;
      l.position = Vec4(0.0f, 0.0f, sides[i]->z + 0.0f, 0.0f);
      Host_Image_Record* r = Ramp(2, 2, 1, 1, &l);
      if (sides[i]->time) Host_Time_Set(&r->time[0], sides[i]->time);
      frames[i] = Insert(Add_File(L"/scans/order.dcm", List({r})));
      frames[i]->t_number = uint16_t(sides[i]->t_number);
      frames[i]->z_number = uint16_t(sides[i]->z_number);
      if (!sides[i]->record) frames[i]->image = nullptr;
    }
    EXPECT_EQ(frames[0]->Compare(frames[1]), c.want) << c.what;
    EXPECT_EQ(frames[1]->Compare(frames[0]), -c.want) << c.what;
  }
}

TEST_F(Frame_Test, SortPutsSlicesInOrderAlongTheNormal) {
  Host_Image_Layout l;
  l.dir_row = Vec4(0.0f, 1.0f, 0.0f, 0.0f);
  l.dir_col = Vec4(0.0f, 0.0f, -1.0f, 0.0f);  // sagittal: the normal runs along -x
  Quarn_2D_File* file = Add_File(L"/scans/sort.dcm", List({Ramp(3, 3, 5)}));
  Quarn_2D_File* tilted = Add_File(L"/scans/sagittal.dcm", List({Ramp(3, 3, 4, 1, &l)}));
  for (int n : {3, 0, 4, 1, 2}) Insert(file, 0, n);
  ASSERT_EQ(root_.Sort(0), 1);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(static_cast<Quarn_2D_Frame*>(root_.Child_Get_Pt(i))->z_index, i);
  root_.Child_Delete();
  for (int n : {1, 3, 0, 2}) Insert(tilted, 0, n);
  root_.Sort(0);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(static_cast<Quarn_2D_Frame*>(root_.Child_Get_Pt(i))->z_index, i);
}

// ---- device volumes ----------------------------------------------------------------------------

TEST_F(Frame_Test, VolumeCutsTakeTheirPlaneFromTheDirection) {
  struct Case {
    unsigned char dir;
    const wchar_t* group_name;
    uint16_t width, height;
  };
  const Case cases[] = {
      {0, L"dir X-Y", 40, 30},
      {1, L"dir X-Z", 40, 20},
      {2, L"dir Z-Y", 20, 30},
  };
  Host_Image_Record* r = Ramp(40, 30, 20);
  r->flags |= 0x38000000;
  Quarn_2D_File* file = Add_File(L"/scans/volume.dcm", List({r}));
  for (const Case& c : cases) {
    auto* group = new Quarn_2D_Volume(&root_, c.dir);
    root_.Child_Add(group);
    EXPECT_STREQ(group->Name_Get(), c.group_name);
    EXPECT_EQ(group->Class_A_Get(), 0x2FFD);
    EXPECT_STREQ(group->Title_Get(), "Cuda_Volume");
    auto* cut = new Quarn_2D_Frame(group, file, c.dir, 7, 40, 30, 20);
    group->Child_Add(cut);
    EXPECT_STREQ(cut->Title_Get(), "Frame CUDA");
    EXPECT_EQ(cut->volume_cut, 1u);
    EXPECT_EQ(cut->cut_dir, c.dir);
    EXPECT_EQ(cut->width, c.width);
    EXPECT_EQ(cut->height, c.height);
    EXPECT_EQ(cut->z_index, 7);
    EXPECT_EQ(cut->frame_number, 7);
    EXPECT_EQ(cut->frame_type, 0x30000000u);
    EXPECT_EQ(cut->reg_redraw, Region_2D(6, 0, 0, 39, 29));  // the record's plane
  }
  EXPECT_EQ(r->frame, nullptr);  // cuts leave the record's back pointer alone
  Quarn_2D_Volume odd(nullptr, 3);
  EXPECT_STREQ(odd.Name_Get(), L"no name");
}

}  // namespace
