// Groups of frames tested for regular volumes, the tag census over the current window, and grey
// values interpolated between slices.
#include "Memory_Cap.h"
#include "frames/Frame_Host.h"

#include <quarn/algorithms/Volume_Test.h>

#include <cwchar>

namespace {

using namespace frame_test;
namespace group = quarn::group;

constexpr int Tags = 6;
constexpr int Enable_Entries = 65536;  // room for every $TAG_NB a 16-bit count can give

// $TAG_NB and $TAG_ENABLE beside the frame variables; the table is held either in place or, as
// the host kit keeps arrays, through a pointer.
struct Census_Vars {
  uint16_t tag_nb = Tags;
  uint8_t enable[Enable_Entries] = {};
  int enable_count = Enable_Entries;  // the element count the lookup tells
  uint8_t* enable_pt = nullptr;  // set at each lookup: the variables are copied per test
  bool through_pointer = false;
  bool present = true;
};

Census_Vars& Census() {
  static Census_Vars v;
  return v;
}

void* Lookup(const wchar_t* name, int* count, uint16_t* flags, Host_Var_Update* update) {
  Census_Vars& v = Census();
  if (!std::wcscmp(name, L"$TAG_NB")) {
    if (count) *count = 1;
    if (flags) *flags = 0;
    return &v.tag_nb;
  }
  if (!std::wcscmp(name, L"$TAG_ENABLE")) {
    if (!v.present) return nullptr;
    if (count) *count = v.enable_count;
    if (flags) *flags = v.through_pointer ? VARIABLE_ARRAY : 0;
    v.enable_pt = v.enable;
    return v.through_pointer ? static_cast<void*>(&v.enable_pt) : static_cast<void*>(v.enable);
  }
  return frame_test::Lookup(name, count, flags, update);
}

class Volume_Test : public Frame_Test {
protected:
  void SetUp() override {
    Frame_Test::SetUp();
    Fct_Main_Var_Get = &Lookup;
    Census() = Census_Vars{};
  }

  /// A group under the root holding one frame per entry of numbers (frames of record 0 of file).
  Quarn_2D* Group_Of(Quarn_2D_File* file, std::initializer_list<int> numbers) {
    auto* g = new tree_test::Group<Quarn_2D>(L"series");
    root_.Child_Add(g);
    for (int n : numbers) Insert(file, 0, n, g);
    return g;
  }
  /// A group with one frame of record 0 of each file.
  Quarn_2D* Group_Of(std::initializer_list<Quarn_2D_File*> files) {
    auto* g = new tree_test::Group<Quarn_2D>(L"series");
    root_.Child_Add(g);
    for (Quarn_2D_File* f : files) Insert(f, 0, 0, g);
    return g;
  }
  /// OR of the frame_type words of the frames under g.
  static uint32_t Types(Quarn_2D* g) {
    uint32_t t = 0;
    for (int i = 0; i < g->Child_Get_Nb(); ++i) t |= static_cast<Quarn_2D_Frame*>(g->Child_Get_Pt(i))->frame_type;
    return t;
  }
};

Host_Image_Layout Spaced(float slice_spacing) {
  Host_Image_Layout l;
  l.slice_spacing = l.slice_thickness = slice_spacing;
  return l;
}

TEST_F(Volume_Test, EvenSlicesAtOneTimeFormAVolume) {
  // Three slices 2 mm apart in one series: only the frames' own words, no vertebra labels and
  // steps that all take no time.
  const Host_Image_Layout l = Spaced(2);
  Quarn_2D* g = Group_Of(Add_File(L"/s/even.dcm", {Ramp(4, 4, 3, 1, &l)}), {0, 1, 2});
  EXPECT_EQ(Fct_Group_Test(g), Types(g) | group::No_Vertebra | group::Time_Smallest_Zero | group::Time_Largest_Zero);
}

TEST_F(Volume_Test, SwappedSlicesAreOutOfOrderAndUneven) {
  // Positions 0, 4, 2: one step back, and steps of 4 and 2 mm.
  const Host_Image_Layout l = Spaced(2);
  Quarn_2D* g = Group_Of(Add_File(L"/s/swap.dcm", {Ramp(4, 4, 3, 1, &l)}), {0, 2, 1});
  EXPECT_EQ(Fct_Group_Test(g), Types(g) | group::No_Vertebra | group::Time_Smallest_Zero |
                                   group::Time_Largest_Zero | group::Out_Of_Order | group::Slice_Uneven);
}

TEST_F(Volume_Test, EachDifferenceOfTheSecondFrameHasItsFlag) {
  struct Case {
    const char* what;
    void (*change)(Host_Image_Layout&);
    int columns;
    uint32_t expect;  // besides the words every pair of single-slice records gives
  } const cases[] = {
      {"same", [](Host_Image_Layout&) {}, 4, 0},
      {"wider", [](Host_Image_Layout&) {}, 5, group::Size_Differs},
      {"pixel spacing 2 % larger", [](Host_Image_Layout& l) { l.spacing_x = 1.02f; }, 4, group::Spacing_Differs},
      {"pixel spacing 0.5 % larger", [](Host_Image_Layout& l) { l.spacing_y = 1.005f; }, 4, 0},
      {"thicker", [](Host_Image_Layout& l) { l.slice_thickness = 3; }, 4, group::Thickness_Differs},
      {"shifted sideways 0.2 mm (0.1 diagonal is 0.141)",
       [](Host_Image_Layout& l) { l.position.x += 0.2f; }, 4, group::Off_Line},
      {"shifted sideways 0.1 mm", [](Host_Image_Layout& l) { l.position.y += 0.1f; }, 4, 0},
      // Tilted about the shared corner: the 2 mm step leans 2 sin 5 = 0.17 mm off the normal too.
      {"tilted 5 degrees",
       [](Host_Image_Layout& l) { l.dir_row = Vec4(std::cos(0.0873f), 0.0f, std::sin(0.0873f), 0.0f); }, 4,
       group::Not_Parallel | group::Off_Line},
      {"tilted 1 degree",
       [](Host_Image_Layout& l) { l.dir_row = Vec4(std::cos(0.01745f), 0.0f, std::sin(0.01745f), 0.0f); }, 4, 0},
  };
  for (const Case& c : cases) {
    Host_Image_Layout first = Spaced(2), second = Spaced(2);
    second.position.z = 2;
    c.change(second);
    Quarn_2D* g = Group_Of({Add_File(L"/s/a.dcm", {Ramp(4, 4, 1, 1, &first)}),
                            Add_File(L"/s/b.dcm", {Ramp(c.columns, 4, 1, 1, &second)})});
    const uint32_t base = Types(g) | group::No_Vertebra | group::Time_Smallest_Zero | group::Time_Largest_Zero;
    EXPECT_EQ(Fct_Group_Test(g), base | c.expect) << c.what;
    root_.Child_Delete(g);
  }
}

TEST_F(Volume_Test, SliceStepsEarnTheirFlags) {
  // Axial frames at the given heights, all at one time: the flags beyond those every such group
  // has. The step range is taken over |steps|; the 1 % test divides by the largest step.
  const struct {
    const char* why;
    std::vector<float> z;
    uint32_t expect;
  } rows[] = {
      {"even 2 mm", {0, 2, 4}, 0},
      {"reversed: every step back, still even", {4, 2, 0}, group::Out_Of_Order},
      {"back and forth by the same step", {0, 2, 4, 2}, group::Out_Of_Order},
      {"a repeated slice, then a step", {0, 0, 2}, group::Slice_Smallest_Zero | group::Slice_Uneven},
      {"all in one place: zero over zero is not uneven", {0, 0, 0},
       group::Slice_Smallest_Zero | group::Slice_Largest_Zero},
      {"a step below the zero limit", {0, 0.000004f, 2}, group::Slice_Smallest_Zero | group::Slice_Uneven},
      {"steps 0.95 % apart", {0, 2, 4.019f}, 0},
      {"steps 1.5 % apart", {0, 2, 4.03f}, group::Slice_Uneven},
  };
  for (const auto& r : rows) {
    auto* g = new tree_test::Group<Quarn_2D>(L"series");
    root_.Child_Add(g);
    for (float z : r.z) {
      Host_Image_Layout l = Spaced(2);
      l.position.z = z;
      Insert(Add_File(L"/s/z.dcm", {Ramp(4, 4, 1, 1, &l)}), 0, 0, g);
    }
    const uint32_t base = Types(g) | group::No_Vertebra | group::Time_Smallest_Zero | group::Time_Largest_Zero;
    EXPECT_EQ(Fct_Group_Test(g), base | r.expect) << r.why;
    root_.Child_Delete(g);
  }
}

// A direction or place from any numbers (the time coordinate 0).
Vec4 V(double x, double y, double z) { return Vec4(float(x), float(y), float(z), 0.0f); }

TEST_F(Volume_Test, OffLineToleranceGrowsWithTheStepCountAndFollowsTheNormal) {
  // Pixel spacing 1 mm: 0.1 pixel diagonal is 0.141 mm per step from the first frame. Series
  // of three frames 2 mm apart along the normal, the last one moved aside by `aside`.
  const Vec4 x = V(1, 0, 0), y = V(0, 1, 0), z = V(0, 0, 1);
  const float h = std::sqrt(0.5f);
  const struct {
    const char* why;
    Vec4 row, col, step, aside;
    uint32_t expect;
  } rows[] = {
      {"axial, third 0.2 mm aside: within 2 x 0.141", x, y, V(0, 0, 2), V(0.2f, 0, 0), 0},
      {"axial, third 0.3 mm aside", x, y, V(0, 0, 2), V(0.3f, 0, 0), group::Off_Line},
      // The normal's largest component is x: measured in the y-z plane.
      {"sagittal, third 0.3 mm aside", y, z, V(2, 0, 0), V(0, 0, 0.3f), group::Off_Line},
      {"sagittal, third 0.2 mm aside", y, z, V(2, 0, 0), V(0, 0.2f, 0), 0},
      // The normal (0, -1, 0): its largest component is y, measured in the x-z plane.
      {"coronal, third 0.3 mm aside", x, z, V(0, -2, 0), V(0.3f, 0, 0), group::Off_Line},
      {"coronal, third 0.2 mm aside", x, z, V(0, -2, 0), V(0, 0, 0.2f), 0},
      // Normal (h, h, 0): no component is the strict largest and z is 0, so there is no test.
      {"oblique between x and y, 5 mm aside", z, V(h, -h, 0), V(2 * h, 2 * h, 0),
       V(0, 0, 5), 0},
  };
  for (const auto& r : rows) {
    auto* g = new tree_test::Group<Quarn_2D>(L"series");
    root_.Child_Add(g);
    for (int k = 0; k < 3; ++k) {
      Host_Image_Layout l = Spaced(2);
      l.dir_row = r.row;
      l.dir_col = r.col;
      l.position = V(k * r.step.x, k * r.step.y, k * r.step.z);
      if (k == 2) l.position = V(l.position.x + r.aside.x, l.position.y + r.aside.y, l.position.z + r.aside.z);
      Insert(Add_File(L"/s/o.dcm", {Ramp(4, 4, 1, 1, &l)}), 0, 0, g);
    }
    EXPECT_EQ(Fct_Group_Test(g) & (group::Off_Line | group::Not_Parallel | group::Slice_Uneven |
                                   group::Out_Of_Order),
              r.expect)
        << r.why;
    root_.Child_Delete(g);
  }
}

TEST_F(Volume_Test, FramesOfSubgroupsAreVisitedInTreeOrder) {
  // Two subgroups of two frames each: heights 0, 2 | 4, 6 form one even series; with the
  // subgroups swapped the walk goes 4, 6, 0, 2: one step back and steps of 2 and 6 mm.
  auto build = [&](bool swapped) {
    auto* g = new tree_test::Group<Quarn_2D>(L"study");
    root_.Child_Add(g);
    auto* low = new tree_test::Group<Quarn_2D>(L"low");
    auto* high = new tree_test::Group<Quarn_2D>(L"high");
    g->Child_Add(swapped ? high : low);
    g->Child_Add(swapped ? low : high);
    for (int k = 0; k < 4; ++k) {
      Host_Image_Layout l = Spaced(2);
      l.position.z = float(2 * k);
      Insert(Add_File(L"/s/n.dcm", {Ramp(4, 4, 1, 1, &l)}), 0, 0, k < 2 ? low : high);
    }
    return g;
  };
  const uint32_t slices = group::Out_Of_Order | group::Slice_Uneven | group::Slice_Smallest_Zero | group::Slice_Largest_Zero;
  Quarn_2D* even = build(false);
  EXPECT_EQ(Fct_Group_Test(even) & slices, 0u);
  Quarn_2D* swapped = build(true);
  EXPECT_EQ(Fct_Group_Test(swapped) & slices, group::Out_Of_Order | group::Slice_Uneven);
}

TEST_F(Volume_Test, TimeStepsOfOneSliceAreCoincidentSlices) {
  // One slice at time points 0, 1, 2 (3600 s apart), then 0, 1, 3: the same place every time.
  const struct {
    std::initializer_list<int> times;
    uint32_t expect;
  } cases[] = {
      {{0, 1, 2}, group::Slice_Smallest_Zero | group::Slice_Largest_Zero},
      {{0, 1, 3}, group::Slice_Smallest_Zero | group::Slice_Largest_Zero | group::Time_Uneven},
  };
  for (const auto& c : cases) {
    Quarn_2D* g = Group_Of(Add_File(L"/s/time.dcm", {Ramp(4, 4, 1, 4)}), c.times);
    EXPECT_EQ(Fct_Group_Test(g), Types(g) | group::No_Vertebra | c.expect);
    root_.Child_Delete(g);
  }
}

TEST_F(Volume_Test, LabelsAndCurvedGeometryShowInTheWord) {
  const Host_Image_Layout l = Spaced(2);
  Host_Image_Record* labelled = Ramp(4, 4, 2, 1, &l);
  labelled->flags |= HOST_IMAGE_VERT_LABEL;
  Quarn_2D* g = Group_Of(Add_File(L"/s/labels.dcm", {labelled}), {0, 1});
  EXPECT_EQ(Fct_Group_Test(g) & (group::No_Vertebra | group::Curved), 0u);
  labelled->geometry |= 0x0004;
  EXPECT_NE(Fct_Group_Test(g) & group::Curved, 0u);
}

TEST_F(Volume_Test, GroupsWithoutTwoChildrenAndMissingGroups) {
  auto* empty = new tree_test::Group<Quarn_2D>(L"empty");
  root_.Child_Add(empty);
  EXPECT_EQ(Fct_Group_Test(empty), group::No_Frame);
  Quarn_2D* one = Group_Of(Add_File(L"/s/one.dcm", {Ramp(4, 4)}), {0});
  EXPECT_EQ(Fct_Group_Test(one), group::One_Frame);
  Host_Report_Capture capture;
  EXPECT_EQ(Fct_Group_Test(nullptr), group::No_Frame);
  EXPECT_GT(capture.Count(quarn::msg::Invalid), 0u);
}

// Frames with working tag layers over a record whose tag plane holds the given tags.
Host_Image_Record* Tagged(int columns, int rows, std::initializer_list<uint8_t> tags) {
  Host_Image_Record* r = Ramp(columns, rows);
  std::copy(tags.begin(), tags.end(), r->tags);
  return r;
}

TEST_F(Volume_Test, CensusEnablesTagsCountedOftenEnough) {
  // Two 3 x 2 frames: tag 1 five times, 2 twice, 3 once, 9 and 7 (beyond $TAG_NB - 1 = 5) once
  // each, so 5 counts twice; a third frame without tag layer adds nothing.
  Quarn_2D_Frame* a = Insert(Add_File(L"/s/t1.dcm", {Tagged(3, 2, {1, 1, 1, 2, 0, 9})}));
  Quarn_2D_Frame* b = Insert(Add_File(L"/s/t2.dcm", {Tagged(3, 2, {1, 1, 3, 7, 0, 2})}));
  Insert(Add_File(L"/s/t3.dcm", {Tagged(3, 2, {4, 4, 4, 4, 4, 4})}));
  a->Work_TAG_Get();
  b->Work_TAG_Get();
  const struct {
    unsigned short minimum;
    bool through_pointer;
    int enabled;
    const char* flags;  // E[0] ... E[5]
  } cases[] = {
      {1, false, 4, "011101"},  // every tag seen
      {2, true, 3, "011001"},   // the table reached through its pointer
      {3, false, 1, "010000"},
      {0, false, 5, "011111"},  // no minimum: every tag but 0
  };
  for (const auto& c : cases) {
    Census().through_pointer = c.through_pointer;
    std::fill(std::begin(Census().enable), std::end(Census().enable), 7);
    EXPECT_EQ(Fct_Tag_Enable(c.minimum), c.enabled) << c.minimum;
    std::string flags;
    for (int t = 0; t < Tags; ++t) flags += char('0' + Census().enable[t]);
    EXPECT_EQ(flags, c.flags) << c.minimum;
    EXPECT_EQ(Census().enable[Tags], 7) << "written beyond $TAG_NB";
  }
}

TEST_F(Volume_Test, CensusCountsEveryFrameWhateverItsFlagsInTheCurrentWindow) {
  // The census walks the frames without a filter: a frame that is neither selected, shown nor on
  // the current path in any window still counts. Tag 2 occurs only in such a frame.
  Quarn_2D_Frame* shown = Insert(Add_File(L"/s/c1.dcm", {Tagged(3, 2, {1, 1, 1, 1, 1, 1})}));
  Quarn_2D_Frame* hidden = Insert(Add_File(L"/s/c2.dcm", {Tagged(3, 2, {2, 2, 0, 0, 0, 0})}));
  shown->Work_TAG_Get();
  hidden->Work_TAG_Get();
  hidden->Flag_Set_Off(0x10, nullptr, 0x700);
  ASSERT_EQ(hidden->Flag_Get_Bit(0x10, nullptr, 0x700), 0u);
  EXPECT_EQ(Fct_Tag_Enable(2), 2);
  EXPECT_EQ(Census().enable[1], 1);
  EXPECT_EQ(Census().enable[2], 1);
}

TEST_F(Volume_Test, CensusWithFewTagsOrNoTable) {
  Census().tag_nb = 1;
  Census().enable[0] = 5;
  Census().enable[1] = 5;
  EXPECT_EQ(Fct_Tag_Enable(1), 0);
  EXPECT_EQ(Census().enable[0], 0);
  EXPECT_EQ(Census().enable[1], 5);
  Census().present = false;
  Host_Report_Capture capture;
  EXPECT_EQ(Fct_Tag_Enable(1), 0);
  EXPECT_TRUE(capture.Contains("<<< out Fct: Fct_Tag_Enable(! TAG_Enable)"));
}

TEST_F(Volume_Test, CensusFoldsHighTagsIntoTheLastAndChecksTheTable) {
  // One 4 x 2 frame with tags 0, 1, 2, 3, 200, 255, 1, 0.
  Quarn_2D_Frame* f = Insert(Add_File(L"/s/t.dcm", {Tagged(4, 2, {0, 1, 2, 3, 200, 255, 1, 0})}));
  f->Work_TAG_Get();
  const struct {
    const char* why;
    uint16_t tag_nb;
    int enable_count;
    unsigned short minimum;
    int answer;
    const char* flags;  // E[0] ... E[4]; '7' untouched
  } rows[] = {
      {"two tags: everything from 1 up counts as 1", 2, Enable_Entries, 6, 1, "01777"},
      {"two tags, one count short", 2, Enable_Entries, 7, 0, "00777"},
      {"three tags: 2, 3, 200 and 255 fold into 2", 3, Enable_Entries, 4, 1, "00177"},
      {"a table shorter than $TAG_NB is refused untouched", 5, 4, 1, 0, "77777"},
      {"a table of unknown length is trusted", 5, 0, 1, 4, "01111"},
  };
  for (const auto& r : rows) {
    Census().tag_nb = r.tag_nb;
    Census().enable_count = r.enable_count;
    std::fill_n(Census().enable, 8, 7);
    EXPECT_EQ(Fct_Tag_Enable(r.minimum), r.answer) << r.why;
    std::string flags;
    for (int t = 0; t < 5; ++t) flags += char('0' + Census().enable[t]);
    EXPECT_EQ(flags, r.flags) << r.why;
  }
}

TEST_F(Volume_Test, CensusReportsACountTableItCannotAllocate) {
#ifdef MEMORY_CAP_SANITIZED
  GTEST_SKIP() << "the sanitizers reserve their address space up front";
#endif
  // 65535 tags need a 512 KB count table; the child may map only 64 KB more.
  Insert(Add_File(L"/s/m.dcm", {Tagged(2, 2, {1, 1, 2, 2})}))->Work_TAG_Get();
  Census().tag_nb = 65535;
  const int code = memory_cap::In_Child([] {
    Host_Report_Capture capture;
    int answer;
    {
      memory_cap::Address_Limit limit(64 << 10);
      if (!memory_cap::Cap_Holds(512 << 10, 512 << 10)) return memory_cap::Not_Capped;
      answer = Fct_Tag_Enable(1);
    }
    if (answer != 0) return memory_cap::Fail("census", "answered without its count table");
    if (!capture.Contains("memory error in new")) return memory_cap::Fail("census", "no memory report");
    if (capture.Count(quarn::msg::Memory) == 0) return memory_cap::Fail("census", "not reported as memory");
    if (Fct_Tag_Enable(1) != 2) return memory_cap::Fail("census", "no census once memory is back");
    return 0;
  });
  if (code == memory_cap::Not_Capped) GTEST_SKIP() << "free heap of earlier tests serves the allocations; run alone";
  EXPECT_EQ(code, 0);
}

// Records of 4 x 4 pixels and 3 slices; pad marks padding.
Host_Image_Record* Grid(int base, int32_t pad = HOST_IMAGE_NO_PAD) {
  std::vector<int16_t> v;
  for (int s = 0; s < 3; ++s)
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) v.push_back(int16_t(base + 100 * s + 10 * y + x));
  Host_Image_Layout l;
  l.pad_value = pad;
  return Host_Image_Create(4, 4, 3, 1, HOST_PIXEL_S16, v.data(), &l);
}

double W(double u) {
  u = std::fabs(u);
  return 2 * u * u * u - 3 * u * u + 1;
}

TEST_F(Volume_Test, InterpolationWeighsTheEightNeighbours) {
  Host_Image_Record* a = Grid(1000);
  Host_Image_Record* b = Grid(5000);
  Add_File(L"/s/a.dcm", {a});
  Add_File(L"/s/b.dcm", {b});
  auto value = [](int base, int x, int y, int z) { return base + 100 * z + 10 * y + x; };
  // At whole positions: the pixel of a.
  EXPECT_EQ(Fct_GLI_Interpolate(&root_, a, b, Vec4(2.0f, 1.0f, 1.0f, 0.0f)), value(1000, 2, 1, 1));
  // Elsewhere: the eight weighted terms, each truncated; b's slice after the last is its first.
  const float points[][3] = {{1.25f, 2.5f, 0.3f}, {0.5f, 0.5f, 1.9f}, {2.75f, 0.1f, 2.5f}};
  for (const auto& p : points) {
    const int z0 = int(p[2]), z1 = (z0 + 1) % 3;
    long long expect = 0;
    for (int i = int(p[0]); i <= int(p[0]) + 1; ++i)
      for (int j = int(p[1]); j <= int(p[1]) + 1; ++j) {
        const double wx = W(p[0] - i), wy = W(p[1] - j);
        const int va = i < 4 && j < 4 ? value(1000, i, j, z0) : GLI_NONE;
        const int vb = i < 4 && j < 4 ? value(5000, i, j, z1) : GLI_NONE;
        if (va < 0x7FFFFFFE) expect += (long long)std::trunc(va * wx * wy * W(p[2] - z0));
        if (vb < 0x7FFFFFFE) expect += (long long)std::trunc(vb * wx * wy * W(p[2] - (z0 + 1)));
      }
    EXPECT_EQ(Fct_GLI_Interpolate(&root_, a, b, Vec4(p[0], p[1], p[2], 0.0f)), expect) << p[0] << " " << p[1] << " " << p[2];
  }
}

TEST_F(Volume_Test, InterpolationLeavesOutPaddingAndRefusesMissingInput) {
  Host_Image_Record* a = Grid(1000, 1000);  // pixel (0, 0) of slice 0 is padding
  Host_Image_Record* b = Grid(5000);
  Add_File(L"/s/a.dcm", {a});
  Add_File(L"/s/b.dcm", {b});
  // Halfway to slice 1 of b at pixel (0, 0): only b's term, 5100 * w(0.5) = 2550.
  EXPECT_EQ(Fct_GLI_Interpolate(&root_, a, b, Vec4(0.0f, 0.0f, 0.5f, 0.0f)), 2550);
  const struct {
    const char* what;
    Quarn_2D* object;
    bool a, b;
    Vec4 p;
  } refused[] = {
      {"no record a", &root_, false, true, Vec4(1.0f, 1.0f, 0.0f, 0.0f)},
      {"no record b", &root_, true, false, Vec4(1.0f, 1.0f, 0.0f, 0.0f)},
      {"no object", nullptr, true, true, Vec4(1.0f, 1.0f, 0.0f, 0.0f)},
      {"not a number", &root_, true, true, Vec4(NAN, 1.0f, 0.0f, 0.0f)},
      {"far out", &root_, true, true, Vec4(1.0f, -3e12f, 0.0f, 0.0f)},
  };
  for (const auto& r : refused)
    EXPECT_EQ(Fct_GLI_Interpolate(r.object, r.a ? a : nullptr, r.b ? b : nullptr, r.p), GLI_NONE) << r.what;
}

}  // namespace
