// Tests of the working layers (loading, reloading only the update region, clearing), the
// pending rectangles and the erase layer.
#include "frames/Frame_Layers_Host.h"

#include <atomic>

namespace {

using namespace layers_test;

// Counts the reads that reach the group node on their way to the root.
std::atomic<int> g_reads{0};
Quarn_2D_Pixel_Read g_forward = nullptr;

int Counting_Read(Quarn_2D* node, void* image, Vec4 point) {
  g_reads.fetch_add(1, std::memory_order_relaxed);
  return g_forward(node, image, point);
}
// Puts the counter in front of one of the group's readers.
void Count_Reads(Quarn_2D_Pixel_Read& slot) { g_forward = slot, slot = &Counting_Read, g_reads = 0; }

// A 30 x 30 U16 record: pixel (x, y) holds 1000 + 30 y + x, every tag 1.
Host_Image_Record* Square_Record() {
  std::vector<uint16_t> v;
  for (int i = 0; i < 900; ++i) v.push_back(uint16_t(1000 + i));
  Host_Image_Record* r = Record(30, 30, 1, HOST_PIXEL_U16, v);
  std::memset(r->tags, 1, 900);
  return r;
}

using Work_Layers = Layers_Test;

TEST_F(Work_Layers, TagReloadReadsOnlyTheUpdateRegion) {
  const struct {
    const char* what;
    Region_2D region;  // given to Region_Update_Set after clearing; code 0 = leave it empty
    bool raw;          // stored as it is, as a module writing reg_update itself would
    int reads;
    Region_2D reloaded;  // pixels that must show the new tags
  } cases[] = {
      {"square", Region_2D(6, 10, 10, 20, 20), false, 121, Region_2D(6, 10, 10, 20, 20)},
      {"empty region: whole frame", Region_2D(), false, 900, Region_2D(6, 0, 0, 29, 29)},
      {"half-pixel steps", Region_2D(6, 10.5f, 3.0f, 12.5f, 3.0f), false, 3, Region_2D(6, 10, 3, 12, 3)},
      {"clamped to the frame", Region_2D(6, 25, 25, 40, 40), false, 25, Region_2D(6, 25, 25, 29, 29)},
      {"far beyond the frame", Region_2D(6, -1e6f, 3.0f, 1e6f, 3.0f), true, 30, Region_2D(6, 0, 3, 29, 3)},
  };
  for (const auto& c : cases) {
    Frame_Tree tree(Square_Record());
    Quarn_2D_Frame* f = tree.Frame();
    Count_Reads(tree.group->fct_read_tag);
    ASSERT_NE(f->Work_TAG_Get(), nullptr);
    EXPECT_EQ(g_reads, 900) << c.what << ": a new layer is read whole";
    uint16_t** first = f->work_tag;

    std::memset(tree.Record()->tags, 2, 900);
    f->Region_Update_Clear();
    if (c.raw)
      f->reg_update = c.region;
    else if (c.region.code)
      f->Region_Update_Set(&c.region);
    f->work_tag = nullptr;  // what Update_A does with UPDATE_DATA_TAG
    g_reads = 0;
    ASSERT_EQ(f->Work_TAG_Get(), first) << c.what << ": reloaded into the same storage";
    EXPECT_EQ(g_reads, c.reads) << c.what;
    int wrong = 0;
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 30; ++x) {
        const Region_2D& in = c.reloaded;
        wrong += Tag(f, float(x), float(y)) !=
                 (x >= in.x_min && x <= in.x_max && y >= in.y_min && y <= in.y_max ? 2 : 1);
      }
    EXPECT_EQ(wrong, 0) << c.what;
  }
}

TEST_F(Work_Layers, TagLoadOfAPresentLayerReadsTheRecordNotItself) {
  Frame_Tree tree(Square_Record());
  Quarn_2D_Frame* f = tree.Frame();
  ASSERT_NE(f->Work_TAG_Get(), nullptr);
  Record_Tag_Ref(tree.Record(), 4, 5) = 7;  // changed behind the frame's back
  const Region_2D changed(6, 4, 5, 4, 5);
  f->Region_Update_Clear();
  f->Region_Update_Set(&changed);
  ASSERT_NE(f->Work_TAG_Load(), nullptr);
  EXPECT_EQ(Tag(f, 4, 5), 7);
}

TEST_F(Work_Layers, LayersLoadOnceReloadInPlaceAndClearKeepingTheView) {
  Frame_Tree tree(Square_Record());
  Quarn_2D_Frame* f = tree.Frame();
  Count_Reads(tree.group->fct_read_gli);
  int32_t** rows = f->Work_GLI_Get();
  ASSERT_NE(rows, nullptr);
  EXPECT_EQ(g_reads, 900);
  EXPECT_EQ(rows[29][29], 1899);
  EXPECT_EQ(f->Work_GLI_Get(), rows);
  EXPECT_EQ(g_reads, 900) << "a present layer is not read again";
  char name[40];
  std::snprintf(name, sizeof name, "Work GLI %016llX", (unsigned long long)(uintptr_t)f->image);
  EXPECT_EQ(Host_Wide_To_Char(f->User_Get(6)->Name_Get()), std::string(name));
  f->Work_TAG_Clear();  // nothing to clear yet
  EXPECT_EQ(f->User_Get(5), nullptr);  // the tag layer is still absent

  static_cast<uint16_t*>(tree.Record()->pixels)[31] = 7;
  f->work_gli = nullptr;  // what Update_A does with UPDATE_DATA_GLI
  EXPECT_EQ(f->Work_GLI_Get(), rows);
  EXPECT_EQ(g_reads, 1800);
  EXPECT_EQ(Grey(f, 1, 1), 7);

  f->Work_GLI_Clear();
  EXPECT_EQ(f->work_gli, rows) << "clearing keeps the view";
  EXPECT_EQ(Grey(f, 1, 1), 0);
  EXPECT_EQ(rows[29][29], 0);

  uint16_t** tags = f->Work_TAG_Get();
  ASSERT_NE(tags, nullptr);
  EXPECT_STREQ(f->User_Get(5)->Name_Get(), L"Work TAG");
  f->Work_TAG_Clear();
  EXPECT_EQ(f->work_tag, tags);
  EXPECT_EQ(Tag(f, 3, 3), 0);
  EXPECT_EQ(Record_Tag(tree.Record(), 3, 3), 1) << "the record keeps its tags";
}

using Pending_Regions = Layers_Test;

TEST_F(Pending_Regions, GrowAndStayInsideTheFrame) {
  const struct {
    const char* what;
    void (Quarn_2D_Frame::*set)(const Region_2D*);
    void (Quarn_2D_Frame::*clear)();
    Region_2D* (Quarn_2D_Frame::*get)();
  } ops[] = {
      {"redraw", &Quarn_2D_Frame::Region_Redraw_Set, &Quarn_2D_Frame::Region_Redraw_Clear,
       &Quarn_2D_Frame::Region_Redraw_Get},
      {"update", &Quarn_2D_Frame::Region_Update_Set, &Quarn_2D_Frame::Region_Update_Clear,
       &Quarn_2D_Frame::Region_Update_Get},
  };
  const struct {
    const char* what;
    bool clear_first;
    Region_2D given;  // code 0xFF: pass none
    Region_2D expect;
  } steps[] = {
      {"none: the whole frame", false, Region_2D(0xFF), Region_2D(6, 0, 0, 29, 29)},
      {"from empty", true, Region_2D(6, 2, 2, 3, 3), Region_2D(6, 2, 2, 3, 3)},
      {"union", false, Region_2D(6, 5, 1, 6, 2), Region_2D(6, 2, 1, 6, 3)},
      {"clamped", true, Region_2D(6, -4.5f, 10.0f, 35.0f, 31.0f), Region_2D(6, 0, 10, 29, 29)},
  };
  Frame_Tree tree(Square_Record());
  Quarn_2D_Frame* f = tree.Frame();
  for (const auto& op : ops) {
    for (const auto& s : steps) {
      if (s.clear_first) (f->*op.clear)();
      (f->*op.set)(s.given.code == 0xFF ? nullptr : &s.given);
      EXPECT_EQ(*(f->*op.get)(), s.expect) << op.what << ": " << s.what;
    }
    (f->*op.clear)();
    const Region_2D* r = (f->*op.get)();
    EXPECT_LT(r->x_max, r->x_min) << op.what << ": cleared means empty";
  }
}

using Erase_Layer = Layers_Test;

TEST_F(Erase_Layer, SavesAndRestoresTagsThroughTheTagWrite) {
  Frame_Tree tree(Square_Record());
  Quarn_2D_Frame* f = tree.Frame();
  Record_Tag_Ref(tree.Record(), 0, 0) = 4;
  Record_Tag_Ref(tree.Record(), 1, 0) = 5;
  uint8_t** saved = f->Erase_Load();
  ASSERT_NE(saved, nullptr);
  EXPECT_EQ(f->erase, saved);
  EXPECT_STREQ(f->User_Get(1)->Name_Get(), L"Erase Buffer");
  EXPECT_EQ(saved[0][0], 4);
  EXPECT_EQ(saved[0][2], 1);

  // The user paints over everything; tag 5 pixels are then locked against the restore.
  for (int x = 0; x < 3; ++x) EXPECT_EQ(Write(f, float(x), 0, 9), 1);
  Variables().tag_lock[9] = 0;
  Variables().tag_lock[5] = 1;
  f->Flag_Set_On(0x10, tree_test::Selector(8), 0x80000);
  f->Erase_Restore();
  EXPECT_EQ(Record_Tag(tree.Record(), 0, 0), 4);
  EXPECT_EQ(Record_Tag(tree.Record(), 1, 0), 9) << "a locked tag is not written back";
  EXPECT_EQ(Record_Tag(tree.Record(), 2, 0), 1);
  EXPECT_EQ(Tag(f, 0, 0), 4);
  EXPECT_EQ(f->Flag_Get_Bit(0x10, tree_test::Selector(8), 0x80000), 0u);
}

TEST_F(Erase_Layer, ClearGivesZeroesAndGetMakesAClearedLayer) {
  Frame_Tree tree(Square_Record());
  Quarn_2D_Frame* f = tree.Frame();
  f->Erase_Restore();  // nothing saved: nothing changes
  EXPECT_EQ(Record_Tag(tree.Record(), 7, 7), 1);
  EXPECT_EQ(f->erase, nullptr);
  uint8_t** rows = f->Erase_Get();
  ASSERT_NE(rows, nullptr);
  EXPECT_EQ(rows[29][29], 0);
  ASSERT_EQ(f->Erase_Load(), rows) << "the same storage serves every fill";
  EXPECT_EQ(rows[29][29], 1);
  EXPECT_EQ(f->Erase_Get(), rows);
  EXPECT_EQ(rows[29][29], 1) << "a present layer is handed out as it is";
  EXPECT_EQ(f->Erase_Clear(), rows);
  EXPECT_EQ(rows[29][29], 0);
}

}  // namespace
