// Tests of the pixel-access chain: grey and tag reads through the tree and from the layers,
// the special grey values, node transforms, and the rules of the tag write.
#include "frames/Frame_Layers_Host.h"

#include <cmath>

namespace {

using namespace layers_test;

// A 4 x 3 S16 record with two slices: pixel (x, y) of slice s holds 100 s + 10 y + x, except
// the padding value -1000 at (3, 2) of slice 0.
Host_Image_Record* Graded_Record() {
  std::vector<int16_t> v;
  for (int s = 0; s < 2; ++s)
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 4; ++x) v.push_back(int16_t(100 * s + 10 * y + x));
  v[11] = -1000;
  Host_Image_Layout layout;
  layout.pad_value = -1000;
  return Record(4, 3, 2, HOST_PIXEL_S16, v, &layout);
}

using Access = Layers_Test;

TEST_F(Access, GreyReadsThroughTheChainAndFromTheLayerAgree) {
  Frame_Tree tree(Graded_Record());
  Quarn_2D_Frame* f = tree.Frame(1);
  const struct {
    float x, y;
    int expect;
  } cases[] = {
      {0, 0, 100},           // first pixel of slice 1
      {3, 2, 123},           // last pixel
      {-0.5f, 1, 110},       // truncation toward zero: column 0
      {2.99f, 1.99f, 112},   // truncation, not rounding
      {4, 0, GLI_NONE},      // one column past the edge
      {0, 3, GLI_NONE},      // one row past the edge
      {-1, 0, GLI_NONE},     // left of the frame
      {1e10f, 0, GLI_NONE},  // far off: not wrapped into the image
      {NAN, 0, GLI_NONE},    // not a coordinate
  };
  for (const auto& c : cases) EXPECT_EQ(Grey(f, c.x, c.y), c.expect) << c.x << "," << c.y;
  ASSERT_NE(f->Work_GLI_Get(), nullptr);
  for (const auto& c : cases) EXPECT_EQ(Grey(f, c.x, c.y), c.expect) << "layer " << c.x << "," << c.y;
}

TEST_F(Access, RootSortsOutPaddingAndMarkerValues) {
  const struct {
    const char* what;
    int kind;
    int32_t pad;
    uint32_t stored;
    int expect;
  } cases[] = {
      {"ordinary S32", HOST_PIXEL_S32, -5, 42, 42},
      {"S32 padding", HOST_PIXEL_S32, -5, uint32_t(-5), GLI_PAD},
      {"stored no-value marker", HOST_PIXEL_S32, -5, uint32_t(GLI_NONE), GLI_MISSING},
      {"stored padding marker", HOST_PIXEL_S32, -5, uint32_t(GLI_PAD), GLI_MISSING},
      {"no padding declared", HOST_PIXEL_S32, HOST_IMAGE_NO_PAD, uint32_t(GLI_NONE), GLI_MISSING},
      {"U16 padding", HOST_PIXEL_U16, 7, 7, GLI_PAD},
      {"U8 knows no padding", HOST_PIXEL_U8, 7, 7, 7},
      {"colour with alpha", HOST_PIXEL_RGBA, 0, 0x01030201, 0x01030201},
      {"colour alpha 0", HOST_PIXEL_RGBA, 0, 0x00FFFFFF, GLI_PAD},
  };
  for (const auto& c : cases) {
    Host_Image_Layout layout;
    layout.pad_value = c.pad;
    const int size = Host_Image_Kind_Size(c.kind);
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    std::memcpy(bytes.data(), &c.stored, size_t(size));
    Frame_Tree tree(Host_Image_Create(1, 1, 1, 1, c.kind, bytes.data(), &layout));
    EXPECT_EQ(Grey(tree.Frame(), 0, 0), c.expect) << c.what;
  }
}

// Translates by (dx, dy) on the way to the parent.
Mat4* Shift(float dx, float dy) {
  auto* m = new Mat4;
  m->init();
  (*m)[3][0] = dx;
  (*m)[3][1] = dy;
  return m;
}

TEST_F(Access, NodeMatricesMoveThePointOnItsWayUp) {
  Frame_Tree tree(Graded_Record());
  Quarn_2D_Frame* f = tree.Frame(0);
  Record_Tag_Ref(tree.Record(), 2, 1) = 9;
  tree.group->mat_child_to_parent = Shift(1, 1);  // grey and tags both move
  EXPECT_EQ(Grey(f, 1, 0), 12);
  EXPECT_EQ(Tag(f, 1, 0), 9);
  f->mat_tag = Shift(1, 0);  // only the tags move further
  EXPECT_EQ(Grey(f, 1, 0), 12);
  EXPECT_EQ(Tag(f, 0, 0), 9);
  EXPECT_EQ(Write(f, 0, 0, 4), 1);
  EXPECT_EQ(Record_Tag(tree.Record(), 2, 1), 4);
}

TEST_F(Access, DetachedNodesReadNothingAndWriteNothing) {
  Frame_Tree tree(Graded_Record());
  Quarn_2D_Frame* f = tree.Frame(0);
  tree.group->Parent_Set_Pt(nullptr);  // the chain ends above the group
  EXPECT_EQ(Grey(f, 1, 1), GLI_NONE);
  EXPECT_EQ(Tag(f, 1, 1), 0);
  tree.group->Parent_Set_Pt(&tree.root);
  tree.group->fct_read_gli = nullptr;  // a node without slots ends it as well
  tree.group->fct_read_tag = nullptr;
  tree.group->fct_write_tag = nullptr;
  EXPECT_EQ(Grey(f, 1, 1), GLI_NONE);
  EXPECT_EQ(Tag(f, 1, 1), 0);
  EXPECT_EQ(Write(f, 1, 1, 5), 0);
  EXPECT_EQ(Record_Tag(tree.Record(), 1, 1), 0);
}

using Tag_Write = Layers_Test;

TEST_F(Tag_Write, LocksAndUnchangedPixelsRefuseTheWrite) {
  const struct {
    const char* what;
    int current;      // tag in the pixel before the write
    int tag;          // tag written
    int locked;       // tag locked in $TAG_LOCK, 0 for none
    float x;          // column written (the frame is 4 wide)
    int expect;       // write result
  } cases[] = {
      {"new tag", 0, 3, 0, 1, 1},
      {"over another tag", 5, 3, 0, 1, 1},
      {"same tag", 3, 3, 0, 1, 0},
      {"current tag locked", 5, 3, 5, 1, 0},
      {"written tag locked", 5, 3, 3, 1, 0},
      {"unrelated lock", 5, 3, 7, 1, 1},
      {"outside the frame", 0, 3, 0, 4, 0},
      {"not a tag", 0, 256, 0, 1, 0},
  };
  // Each case on a frame whose working layer is loaded, and on one that never made it: the
  // write then reads the pixel's tag through the chain and leaves the layer unmade.
  for (const bool loaded : {true, false})
  for (const auto& c : cases) {
    Variables() = Layer_Variables{};
    if (c.locked) Variables().tag_lock[c.locked] = 1;
    Frame_Tree tree(Graded_Record());
    Quarn_2D_Frame* f = tree.Frame(0);
    Record_Tag_Ref(tree.Record(), 1, 2) = uint8_t(c.current);
    if (loaded) ASSERT_NE(f->Work_TAG_Get(), nullptr);
    if (c.tag < 256) f->tag_used[c.tag] = 0;
    const uint32_t flags_before = tree.Record()->flags;
    EXPECT_EQ(Write(f, c.x, 2, c.tag), c.expect) << c.what;
    EXPECT_EQ(f->work_tag != nullptr, loaded) << c.what;
    const int now = c.expect == 1 ? c.tag : c.current;
    EXPECT_EQ(Record_Tag(tree.Record(), 1, 2), now) << c.what;
    EXPECT_EQ(Tag(f, 1, 2), now) << c.what;  // the working layer follows the record
    EXPECT_EQ(tree.Record()->flags & HOST_IMAGE_TAG_EDITED,
              c.expect == 1 ? HOST_IMAGE_TAG_EDITED : (flags_before & HOST_IMAGE_TAG_EDITED))
        << c.what;
    EXPECT_EQ(Variables().cuda_flag, c.expect == 1 ? uint64_t(1) << 32 : 0u) << c.what;
    if (c.tag < 256) {
      EXPECT_EQ(f->tag_used[c.tag], 1) << c.what;  // marked even when refused
    }
  }
}

TEST_F(Tag_Write, KeepsTheHighByteOfTheWorkingCellAndReportsATagBelowZero) {
  Frame_Tree tree(Graded_Record());
  Quarn_2D_Frame* f = tree.Frame(0);
  Host_Report_Capture capture;
  EXPECT_EQ(Write(f, 0, 0, -1), 0);
  EXPECT_TRUE(capture.Contains("Invalid tag -1 in Quarn_2D_Frame::Tag_Write"));
  uint16_t** cells = f->Work_TAG_Get();
  ASSERT_NE(cells, nullptr);
  cells[0][0] = 0xAB00;
  EXPECT_EQ(Write(f, 0, 0, 6), 1);
  EXPECT_EQ(cells[0][0], 0xAB06);
  EXPECT_EQ(Tag(f, 0, 0), 6);
}

// Regression: the lock table was read from the variable's storage itself, but a table variable
// (as the host kit defines $TAG_LOCK) keeps a pointer to its entries there: every write was
// refused by the pointer's bytes.
TEST_F(Tag_Write, TableValuedLockVariableIsReadThroughItsPointer) {
  static uint8_t locks[256] = {};
  static uint8_t* table = locks;
  locks[3] = 1;
  Fct_Main_Var_Get = [](const wchar_t* name, int* count, uint16_t* flags, Host_Var_Update* update) -> void* {
    if (std::wcscmp(name, L"$TAG_LOCK")) return Lookup(name, count, flags, update);
    if (count) *count = 256;
    if (flags) *flags = VARIABLE_CHAR | VARIABLE_UNSIGNED | VARIABLE_ARRAY;
    if (update) *update = nullptr;
    return &table;
  };
  Frame_Tree tree(Record(4, 4, 1, HOST_PIXEL_U16, std::vector<uint16_t>(16)));
  Quarn_2D_Frame* f = tree.Frame();
  EXPECT_EQ(Write(f, 1, 1, 2), 1) << "tag 2 is free";
  EXPECT_EQ(Write(f, 2, 1, 3), 0) << "tag 3 is locked";
  EXPECT_EQ(Tag(f, 1, 1), 2);
  EXPECT_EQ(Tag(f, 2, 1), 0);
}

}  // namespace
