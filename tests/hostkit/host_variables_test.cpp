// The host variable table (definition, replacement, counts, stable storage, threads) and the
// default configuration that the kit installs.
#include <hostkit/HostReport.h>
#include <hostkit/HostVariables.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

int Int_At(const wchar_t* name) {
  void* p = Host_Var_Get(name, nullptr, nullptr, nullptr);
  return p ? *static_cast<int*>(p) : -1;
}

// Every variable the library reads by name.
const wchar_t* const kLibraryNames[] = {
    L"$COLORMAP_GLI_CUR", L"$COLORMAP_GLI_FILL", L"$COLORMAP_GLI_INVALID", L"$COLORMAP_GLI_PT",
    L"$COLORMAP_GLI_SIZE", L"$COLOR_CLASIC", L"$COLOR_SCHEME", L"$COLOR_VAL_MAX", L"$COLOR_VAL_MIN",
    L"$COMPUTER_THREAD_ID", L"$COMPUTER_THREAD_NB", L"$COMPUTER_TIMEOUT", L"$CUDA_FLAG", L"$CUDA_GROUP",
    L"$CUDA_LOC_SAV", L"$CUDA_ROI_MAX", L"$CUDA_ROI_MIN", L"$DB_1D_FILE_NB", L"$DB_1D_FILE_PT",
    L"$DB_1D_INDEX", L"$DB_1D_ROOT_PT", L"$DB_1D_TREE_NB", L"$DB_1D_TREE_PT", L"$DB_2D_FILE_NB",
    L"$DB_2D_FILE_PT", L"$DB_2D_INDEX", L"$DB_2D_ROOT_PT", L"$DB_2D_TREE_NB", L"$DB_2D_TREE_PT",
    L"$DB_3D_FILE_NB", L"$DB_3D_FILE_PT", L"$DB_3D_INDEX", L"$DB_3D_ROOT_PT", L"$DB_3D_TAG_NB",
    L"$DB_3D_TAG_PT", L"$DB_3D_TREE_NB", L"$DB_3D_TREE_PT", L"$DEFAULT_FILE_PATH",
    L"$DEFAULT_ICON_PATH", L"$FLAG_REDRAW", L"$FLAG_UPDATE", L"$FRAME_CUR", L"$FRAME_OVR",
    L"$GLI_COLOR_COMPONENT", L"$GLI_COLOR_DISPLAY", L"$GLI_HISTO_BINS_MAX", L"$INTERFACE_ANONYMOUS",
    L"$INTERFACE_BORDER_DIM", L"$INTERFACE_BUTTON_DIM_BIG", L"$INTERFACE_BUTTON_DIM_SML",
    L"$INTERFACE_CURSOR_DIM", L"$INTERFACE_HELP_INDEX", L"$INTERFACE_HELP_LOCAL",
    L"$INTERFACE_LIST_DIM_ARROW", L"$INTERFACE_LIST_DIM_BIG", L"$INTERFACE_LIST_DIM_SML",
    L"$INTERFACE_LOCK_ACTION", L"$INTERFACE_LOCK_FOCUS", L"$INTERFACE_NUM_BIG", L"$INTERFACE_NUM_SML",
    L"$INTERFACE_SELECT_DIM_BIG", L"$INTERFACE_SIZE", L"$INTERFACE_SPACE_DIM",
    L"$INTERFACE_TITLE_DIM_BIG", L"$INTERFACE_TITLE_DIM_SML", L"$INTERFACE_TITLE_FONT_NAME",
    L"$INTERFACE_TITLE_FONT_SCALE", L"$INTERFACE_TITLE_FONT_WEIGHT", L"$INTERFACE_TOOL_FONT_NAME",
    L"$INTERFACE_TOOL_FONT_SCALE", L"$INTERFACE_TOOL_FONT_WEIGHT", L"$INTERFACE_VAL_DIM_BIG",
    L"$INTERFACE_VAL_DIM_MID", L"$INTERFACE_VAL_DIM_SML", L"$KEY_NAME", L"$MARKER_CUR",
    L"$MARKER_LABEL", L"$MARKER_NB", L"$MORPHO_MERGE_NB", L"$MOUSE_FRM", L"$MOUSE_INF", L"$MOUSE_WND",
    L"$OPENGL_CONTEXT", L"$OPENGL_FLAG", L"$OPENGL_STATE", L"$POINT_CUR", L"$POINT_LABEL", L"$POINT_NB",
    L"$POINT_PT", L"$REGIONAL_FILLER", L"$REGIONAL_FRACTION", L"$REGIONAL_LANGUAGE",
    L"$REGIONAL_SEPARATOR", L"$TAG_ALPHA", L"$TAG_BLU", L"$TAG_CUR", L"$TAG_ENABLE", L"$TAG_GRN",
    L"$TAG_LABEL", L"$TAG_LOCK", L"$TAG_MIX", L"$TAG_NB", L"$TAG_RED", L"$UNDO_FLUSH", L"$UNDO_NB",
    L"$UNDO_SIZE", L"$UNDO_TAG", L"$UNITS_DIST", L"$UNITS_FACTOR", L"$UNITS_LABEL", L"$UNITS_POWER",
    L"$UNITS_SURF", L"$UNITS_VOL", L"$VERT_LABEL_MAX", L"$WINDOW_CUR", L"$WINDOW_MAX", L"$WINDOW_NB",
    L"$WINDOW_PT",
};

// Read by the library as well, though no list names them.
const wchar_t* const kAlsoRead[] = {L"$FCT_REDRAW", L"$VERT_LABEL_NAME"};

// Each test starts from an empty table; owned blocks of earlier tests stay parked for reuse.
class HostVarTable : public ::testing::Test {
protected:
  void SetUp() override { Host_Var_Clear(); }
  void TearDown() override { Host_Var_Clear(); }
};

TEST_F(HostVarTable, UnknownOrNearlyMatchingNameGivesNullAndClearsOuts) {
  int count = 5;
  uint16_t flags = 5;
  Host_Var_Update update = [] { return 1; };
  EXPECT_EQ(Host_Var_Get(L"$NOPE", &count, &flags, &update), nullptr);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(flags, 0);
  EXPECT_EQ(update, nullptr);
  EXPECT_EQ(Host_Var_Get(nullptr, &count, &flags, &update), nullptr);
  // Names are compared exactly.
  int value = 1;
  ASSERT_EQ(Host_Var_Define(L"$TAG_NB", VARIABLE_INT, 1, &value), 1);
  const wchar_t* const near_misses[] = {
      L"$tag_nb",    // case differs
      L"$TAG_NB ",   // trailing blank
      L"TAG_NB",     // without the "$"
      L"$TAG_N",     // prefix
      L"$TAG_NB2",   // longer
  };
  for (const wchar_t* n : near_misses)
    EXPECT_EQ(Host_Var_Get(n, nullptr, nullptr, nullptr), nullptr) << "name " << n;
  EXPECT_EQ(Host_Var_Get(L"$TAG_NB", nullptr, nullptr, nullptr), &value);
}

TEST_F(HostVarTable, BadDefinitionsAreRefusedAndReported) {
  int value = 0;
  struct Case { const wchar_t* name; uint16_t flags; int count; void* storage; };
  const Case cases[] = {
      {nullptr, VARIABLE_INT, 1, &value},  // no name
      {L"", VARIABLE_INT, 1, &value},      // empty name
      {L"$", VARIABLE_INT, 1, &value},     // only the "$"
      {L"X", VARIABLE_INT, 1, &value},     // host variables begin with "$"
      {L"$X", VARIABLE_INT, -1, &value},   // negative count
      {L"$X", VARIABLE_PROGRAM, 1, &value},  // access bits but no type
      {L"$X", VARIABLE_INT, 1, nullptr},   // no storage
  };
  for (const Case& c : cases) {
    Host_Report_Capture capture;
    EXPECT_EQ(Host_Var_Define(c.name, c.flags, c.count, c.storage), 0);
    EXPECT_EQ(capture.Count(2), 1u) << "flags " << c.flags << " count " << c.count;
    if (c.storage) {
      EXPECT_EQ(Host_Var_Define_Owned(c.name, c.flags, c.count, &value, sizeof value), nullptr);
    }
  }
  EXPECT_EQ(Host_Var_Count(), 0);
}

TEST_F(HostVarTable, RedefinitionReplacesInPlaceAndRemoveDropsIt) {
  int a = 1, b = 2, c = 3;
  Host_Var_Define(L"$FIRST", VARIABLE_INT, 1, &a);
  Host_Var_Define(L"$SECOND", VARIABLE_INT, 1, &b);
  Host_Var_Define(L"$FIRST", VARIABLE_SHORT, 4, &c);
  ASSERT_EQ(Host_Var_Count(), 2);
  EXPECT_STREQ(Host_Var_Name(0), L"$FIRST");  // keeps its place in the order
  EXPECT_STREQ(Host_Var_Name(1), L"$SECOND");
  EXPECT_EQ(Host_Var_Name(2), nullptr);
  EXPECT_EQ(Host_Var_Name(-1), nullptr);
  int count = 0;
  uint16_t flags = 0;
  EXPECT_EQ(Host_Var_Get(L"$FIRST", &count, &flags, nullptr), &c);
  EXPECT_EQ(count, 4);
  EXPECT_EQ(flags, VARIABLE_SHORT);
  EXPECT_EQ(Host_Var_Remove(L"$FIRST"), 1);
  EXPECT_EQ(Host_Var_Remove(L"$FIRST"), 0);
  ASSERT_EQ(Host_Var_Count(), 1);
  EXPECT_STREQ(Host_Var_Name(0), L"$SECOND");
}

TEST_F(HostVarTable, OwnedValueIsCopiedAndZeroFilled) {
  const int16_t v = -3;
  auto* p = static_cast<unsigned char*>(
      Host_Var_Define_Owned(L"$S", VARIABLE_SHORT, 1, &v, sizeof v));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(*reinterpret_cast<int16_t*>(p), -3);
  // A reader that takes the variable wider than its type still sees only the value.
  for (int i = 2; i < 32; ++i) EXPECT_EQ(p[i], 0) << "byte " << i;
  EXPECT_EQ(Host_Var_Get(L"$S", nullptr, nullptr, nullptr), p);
  // No value gives zeros.
  auto* z = static_cast<unsigned char*>(
      Host_Var_Define_Owned(L"$Z", VARIABLE_VECT, 1, nullptr, 12));
  ASSERT_NE(z, nullptr);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(z[i], 0);
}

// Callers keep looked-up addresses in statics: every later definition of the name must be seen
// through them, and they must never point at released memory.
TEST_F(HostVarTable, OwnedAddressSurvivesRedefinitionRemoveAndClear) {
  int v = 10;
  auto* cached =
      static_cast<int*>(Host_Var_Define_Owned(L"$UNDO_NB", VARIABLE_INT, 1, &v, sizeof v));
  ASSERT_NE(cached, nullptr);
  v = 11;
  EXPECT_EQ(Host_Var_Define_Owned(L"$UNDO_NB", VARIABLE_INT, 1, &v, sizeof v), cached);
  EXPECT_EQ(*cached, 11);
  Host_Var_Remove(L"$UNDO_NB");
  EXPECT_EQ(*cached, 0);  // parked, zeroed, still readable
  v = 12;
  EXPECT_EQ(Host_Var_Define_Owned(L"$UNDO_NB", VARIABLE_INT, 1, &v, sizeof v), cached);
  Host_Var_Clear();
  v = 13;
  EXPECT_EQ(Host_Var_Define_Owned(L"$UNDO_NB", VARIABLE_INT, 1, &v, sizeof v), cached);
  EXPECT_EQ(*cached, 13);
  // Caller storage in between parks the block; the next owned definition takes it back.
  int mine = 99;
  Host_Var_Define(L"$UNDO_NB", VARIABLE_INT, 1, &mine);
  EXPECT_EQ(*cached, 0);
  EXPECT_EQ(Host_Var_Get(L"$UNDO_NB", nullptr, nullptr, nullptr), &mine);
  EXPECT_EQ(Host_Var_Define_Owned(L"$UNDO_NB", VARIABLE_INT, 1, &v, sizeof v), cached);
}

TEST_F(HostVarTable, OutgrownBlockMovesButStaysReadable) {
  // A name never used before: a parked block of an earlier run could already be large.
  static int run = 0;
  const std::wstring name = L"$GROWN_" + std::to_wstring(run++);
  int v = 5;
  auto* small =
      static_cast<int*>(Host_Var_Define_Owned(name.c_str(), VARIABLE_INT, 1, &v, sizeof v));
  std::vector<int> big(100, 7);
  auto* large = static_cast<int*>(Host_Var_Define_Owned(name.c_str(), VARIABLE_INT, 100, big.data(),
                                                        big.size() * sizeof(int)));
  ASSERT_NE(large, nullptr);
  EXPECT_NE(large, small);
  EXPECT_EQ(large[99], 7);
  EXPECT_EQ(*small, 5);  // a stale address reads old data, never freed memory
}

TEST_F(HostVarTable, ValueMayComeFromTheBlockItReplaces) {
  const int16_t v[2] = {4, 5};
  auto* p = static_cast<int16_t*>(Host_Var_Define_Owned(L"$P", VARIABLE_SHORT, 2, v, sizeof v));
  ASSERT_EQ(Host_Var_Define_Owned(L"$P", VARIABLE_SHORT, 2, p, sizeof v), p);
  EXPECT_EQ(p[0], 4);
  EXPECT_EQ(p[1], 5);
}

// The library replaces a text by freeing the old one and storing a malloc'd copy; the table must
// free what it holds on replacement and removal, and nothing twice (checked by the sanitizers).
TEST_F(HostVarTable, OwnedTextIsTakenOverAndFreed) {
  wchar_t* text = wcsdup(L"first");
  auto* slot = static_cast<wchar_t**>(
      Host_Var_Define_Owned(L"$PATH", VARIABLE_STRING, 1, &text, sizeof text));
  ASSERT_NE(slot, nullptr);
  EXPECT_EQ(*slot, text);
  // A write the way scripts do it.
  std::free(*slot);
  *slot = wcsdup(L"second");
  // Handing back the text the variable already holds keeps it.
  wchar_t* same = *slot;
  ASSERT_EQ(Host_Var_Define_Owned(L"$PATH", VARIABLE_STRING, 1, &same, sizeof same), slot);
  EXPECT_STREQ(*slot, L"second");
  wchar_t* third = wcsdup(L"third");
  Host_Var_Define_Owned(L"$PATH", VARIABLE_STRING, 1, &third, sizeof third);
  EXPECT_STREQ(*slot, L"third");
  char* narrow = strdup("narrow");
  Host_Var_Define_Owned(L"$PATH", VARIABLE_STRING | VARIABLE_CHAR, 1, &narrow, sizeof narrow);
  Host_Var_Remove(L"$PATH");
  EXPECT_EQ(*slot, nullptr);
}

TEST_F(HostVarTable, LinkedCountFollowsItsCountVariable) {
  uint16_t nb = 3;
  void* items[8] = {};
  void* list = items;
  Host_Var_Define(L"$ITEM_NB", VARIABLE_SHORT | VARIABLE_UNSIGNED, 1, &nb);
  Host_Var_Define(L"$ITEM_PT", VARIABLE_POINTER | VARIABLE_ARRAY, 0, &list);
  float not_a_count = 1;
  Host_Var_Define(L"$F", VARIABLE_FLOAT, 1, &not_a_count);
  EXPECT_EQ(Host_Var_Count_Link(L"$ITEM_PT", L"$F"), 0);        // a float is no count
  EXPECT_EQ(Host_Var_Count_Link(L"$ITEM_PT", L"$MISSING"), 0);  // both must exist
  ASSERT_EQ(Host_Var_Count_Link(L"$ITEM_PT", L"$ITEM_NB", 8), 1);
  struct Case { uint16_t nb; int expected; };
  const Case cases[] = {
      {3, 3},      // follows
      {0, 0},      // empty list
      {8, 8},      // at the limit
      {9, 8},      // clamped to the limit
      {65535, 8},  // large unsigned stays positive, then clamped
  };
  for (const Case& c : cases) {
    nb = c.nb;
    int count = -1;
    Host_Var_Get(L"$ITEM_PT", &count, nullptr, nullptr);
    EXPECT_EQ(count, c.expected) << "nb " << c.nb;
  }
  // No array behind the variable: no elements, whatever the count says.
  nb = 3;
  list = nullptr;
  int count = -1;
  Host_Var_Get(L"$ITEM_PT", &count, nullptr, nullptr);
  EXPECT_EQ(count, 0);
  // A redefinition drops the link.
  list = items;
  Host_Var_Define(L"$ITEM_PT", VARIABLE_POINTER | VARIABLE_ARRAY, 2, &list);
  Host_Var_Get(L"$ITEM_PT", &count, nullptr, nullptr);
  EXPECT_EQ(count, 2);
}

// The host defines variables from its own threads while workers look others up.
TEST_F(HostVarTable, DefinitionsAndLookupsFromSeveralThreads) {
  int fixed = 77;
  Host_Var_Define(L"$FIXED", VARIABLE_INT, 1, &fixed);
  std::atomic<bool> stop{false};
  std::atomic<int> wrong{0};
  std::thread writer([&] {
    for (int i = 0; i < 2000; ++i) {
      const std::wstring name = L"$W" + std::to_wstring(i % 50);
      Host_Var_Define_Owned(name.c_str(), VARIABLE_INT, 1, &i, sizeof i);
      if (i % 7 == 0) Host_Var_Remove(name.c_str());
    }
    stop = true;
  });
  std::vector<std::thread> readers;
  for (int t = 0; t < 3; ++t)
    readers.emplace_back([&] {
      while (!stop) {
        int count = 0;
        if (Int_At(L"$FIXED") != 77) ++wrong;
        Host_Var_Get(L"$W3", &count, nullptr, nullptr);
        Host_Var_Count();
      }
    });
  writer.join();
  for (auto& r : readers) r.join();
  EXPECT_EQ(wrong, 0);
}

// ---- default configuration ------------------------------------------------------------------

class HostVarDefaults : public ::testing::Test {
protected:
  void SetUp() override {
    Host_Var_Clear();
    Host_Var_Default_Install();
  }
  void TearDown() override { Host_Var_Default_Install(); }

  template <class T>
  static T* Array(const wchar_t* name, int* count = nullptr) {
    void* slot = Host_Var_Get(name, count, nullptr, nullptr);
    return slot ? *static_cast<T**>(slot) : nullptr;
  }
  template <class T>
  static T Scalar(const wchar_t* name) {
    void* p = Host_Var_Get(name, nullptr, nullptr, nullptr);
    return p ? *static_cast<T*>(p) : T{};
  }
};

TEST_F(HostVarDefaults, EveryNameTheLibraryReadsIsDefinedWithAType) {
  std::vector<const wchar_t*> names(std::begin(kLibraryNames), std::end(kLibraryNames));
  names.insert(names.end(), std::begin(kAlsoRead), std::end(kAlsoRead));
  for (const wchar_t* name : names) {
    uint16_t flags = 0;
    int count = -1;
    void* p = Host_Var_Get(name, &count, &flags, nullptr);
    EXPECT_NE(p, nullptr) << "missing " << name;
    EXPECT_NE(flags & VARIABLE_TYPE_MASK, 0) << "no type for " << name;
    EXPECT_EQ(flags & VARIABLE_READ_ONLY, 0) << "the library writes through lookups: " << name;
    EXPECT_GE(count, 0) << name;
  }
  EXPECT_EQ(Host_Var_Count(), int(names.size()));  // and nothing else
}

// Element types the readers take the variables as.
TEST_F(HostVarDefaults, TypesAreWhatTheReadersTakeThemAs) {
  struct Case { const wchar_t* name; uint16_t type; };
  const uint16_t U16 = VARIABLE_SHORT | VARIABLE_UNSIGNED;
  const Case cases[] = {
      {L"$TAG_NB", U16},                                             // 16-bit tag count
      {L"$TAG_RED", U16 | VARIABLE_ARRAY},                           // 16-bit per tag
      {L"$TAG_ALPHA", VARIABLE_FLOAT | VARIABLE_ARRAY},              // float per tag
      {L"$TAG_LOCK", VARIABLE_CHAR | VARIABLE_UNSIGNED | VARIABLE_ARRAY},  // byte table
      {L"$COLORMAP_GLI_PT", VARIABLE_POINTER | VARIABLE_ARRAY},      // table of map pointers
      {L"$FLAG_UPDATE", VARIABLE_INT64 | VARIABLE_UNSIGNED},         // 64-bit masks
      {L"$CUDA_FLAG", VARIABLE_INT64 | VARIABLE_UNSIGNED},           // bit 32 is set in it
      {L"$DB_2D_INDEX", VARIABLE_INT | VARIABLE_UNSIGNED},           // 32-bit serial counter
      {L"$DB_2D_ROOT_PT", VARIABLE_POINTER},                         // holds the root pointer
      {L"$COMPUTER_THREAD_ID", VARIABLE_INT | VARIABLE_UNSIGNED | VARIABLE_ARRAY},
      {L"$REGIONAL_FILLER", VARIABLE_STRING | VARIABLE_CHAR},        // narrow text
      {L"$TAG_LABEL", VARIABLE_STRING | VARIABLE_ARRAY},
      {L"$MOUSE_INF", VARIABLE_RECORD},                              // a point value
      {L"$KEY_NAME", VARIABLE_RECORD | VARIABLE_ARRAY},
  };
  for (const Case& c : cases) {
    uint16_t flags = 0;
    Host_Var_Get(c.name, nullptr, &flags, nullptr);
    EXPECT_EQ(flags & VARIABLE_TYPE_MASK, c.type) << c.name;
  }
}

TEST_F(HostVarDefaults, TagTablesCoverEveryTagAndTheClampedIndexWithADistinctPalette) {
  const int nb = Scalar<uint16_t>(L"$TAG_NB");
  ASSERT_GE(nb, 2);
  for (const wchar_t* name : {L"$TAG_RED", L"$TAG_GRN", L"$TAG_BLU", L"$TAG_ALPHA",
                              L"$TAG_LABEL", L"$TAG_ENABLE"}) {
    int count = 0;
    EXPECT_NE(Array<void>(name, &count), nullptr) << name;
    EXPECT_EQ(count, nb) << name;
  }
  // Readers clamp a tag to $TAG_NB and index with it: that entry exists and repeats the last.
  EXPECT_EQ(Array<uint16_t>(L"$TAG_RED")[nb], Array<uint16_t>(L"$TAG_RED")[nb - 1]);
  EXPECT_EQ(Array<float>(L"$TAG_ALPHA")[nb], Array<float>(L"$TAG_ALPHA")[nb - 1]);
  // The palette: distinct colours over a transparent background.
  const uint16_t* r = Array<uint16_t>(L"$TAG_RED");
  const uint16_t* g = Array<uint16_t>(L"$TAG_GRN");
  const uint16_t* b = Array<uint16_t>(L"$TAG_BLU");
  const float* alpha = Array<float>(L"$TAG_ALPHA");
  // The overlay's alpha test passes alpha below 1 only.
  EXPECT_FLOAT_EQ(alpha[0], 1.0f);
  std::set<uint32_t> colours;
  for (int t = 1; t < nb; ++t) {
    EXPECT_GT(alpha[t], 0.0f) << t;
    EXPECT_LT(alpha[t], 1.0f) << t;
    colours.insert(uint32_t(r[t] >> 8) | uint32_t(g[t] >> 8) << 8 | uint32_t(b[t] >> 8) << 16);
  }
  EXPECT_GE(colours.size(), size_t(nb - 1) * 9 / 10);  // nearly every tag its own colour
  EXPECT_EQ(r[1] >> 8, 255);  // the components are in the high byte
  EXPECT_EQ(g[1] >> 8, 0);
}

TEST_F(HostVarDefaults, ColourMapsHaveTheStatedSizeAndAGreyRamp) {
  int maps = 0;
  uint32_t** table = Array<uint32_t*>(L"$COLORMAP_GLI_PT", &maps);
  ASSERT_NE(table, nullptr);
  ASSERT_GE(maps, 1);
  const int size = Scalar<uint16_t>(L"$COLORMAP_GLI_SIZE");
  ASSERT_GE(size, 2);
  EXPECT_LT(Scalar<uint16_t>(L"$COLORMAP_GLI_CUR"), maps);
  for (int k = 0; k < maps; ++k) ASSERT_NE(table[k], nullptr) << k;
  const uint32_t* grey = table[Scalar<uint16_t>(L"$COLORMAP_GLI_CUR")];
  EXPECT_EQ(grey[0] & 0xFFFFFF, 0u);
  EXPECT_EQ(grey[size - 1] & 0xFFFFFF, 0xFFFFFFu);
  for (int i = 1; i < size; ++i) {
    EXPECT_GE(grey[i] & 0xFF, grey[i - 1] & 0xFF) << i;                // rising
    EXPECT_EQ(grey[i] & 0xFF, (grey[i] >> 8) & 0xFF) << i;             // grey
  }
}

TEST_F(HostVarDefaults, WindowTablesHoldOneEntryPerWindowIndex) {
  const int max = Scalar<int>(L"$WINDOW_MAX");
  ASSERT_GT(max, 0);
  for (const wchar_t* name : {L"$WINDOW_PT", L"$FRAME_CUR"}) {
    int count = 0;
    void** table = Array<void*>(name, &count);
    ASSERT_NE(table, nullptr) << name;
    EXPECT_EQ(count, max) << name;
    for (int i = 0; i < count; ++i) EXPECT_EQ(table[i], nullptr) << name << i;
  }
  EXPECT_EQ(Scalar<int>(L"$WINDOW_NB"), 0);
}

TEST_F(HostVarDefaults, GrowingListsReportTheirCountVariable) {
  struct Case { const wchar_t* list; const wchar_t* nb; };
  const Case cases[] = {
      {L"$DB_1D_FILE_PT", L"$DB_1D_FILE_NB"}, {L"$DB_2D_FILE_PT", L"$DB_2D_FILE_NB"},
      {L"$DB_3D_FILE_PT", L"$DB_3D_FILE_NB"}, {L"$DB_3D_TAG_PT", L"$DB_3D_TAG_NB"},
      {L"$DB_2D_TREE_PT", L"$DB_2D_TREE_NB"}, {L"$POINT_PT", L"$POINT_NB"},
  };
  void* records[3] = {};
  for (const Case& c : cases) {
    void** slot = static_cast<void**>(Host_Var_Get(c.list, nullptr, nullptr, nullptr));
    int* nb = static_cast<int*>(Host_Var_Get(c.nb, nullptr, nullptr, nullptr));
    ASSERT_TRUE(slot && nb) << c.list;
    EXPECT_EQ(*slot, nullptr) << c.list;  // empty until the host reads files
    // Grown the way the library grows it.
    *slot = records;
    *nb = 3;
    int count = 0;
    Host_Var_Get(c.list, &count, nullptr, nullptr);
    EXPECT_EQ(count, 3) << c.list;
    *slot = nullptr;
    *nb = 0;
  }
}

TEST_F(HostVarDefaults, TextsAreMallocedSoScriptsCanReplaceThem) {
  const wchar_t* const texts[] = {L"$DEFAULT_FILE_PATH", L"$DEFAULT_ICON_PATH",
                                  L"$INTERFACE_TITLE_FONT_NAME", L"$REGIONAL_LANGUAGE"};
  for (const wchar_t* name : texts) {
    void** slot = static_cast<void**>(Host_Var_Get(name, nullptr, nullptr, nullptr));
    ASSERT_NE(slot, nullptr) << name;
    ASSERT_NE(*slot, nullptr) << name;
    if (std::wcsstr(name, L"_PATH")) {  // folders are joined with file names as they are
      const wchar_t* folder = static_cast<wchar_t*>(*slot);
      EXPECT_EQ(folder[std::wcslen(folder) - 1], L'/') << name;
    }
    std::free(*slot);  // a sanitizer stops here on a literal
    *slot = strdup("x");
  }
  wchar_t** labels = Array<wchar_t*>(L"$TAG_LABEL");
  std::free(labels[3]);
  labels[3] = wcsdup(L"Liver");
  Host_Var_Default_Install();  // frees what the writes left, without a double free
  EXPECT_STREQ(Array<wchar_t*>(L"$TAG_LABEL")[3], L"Tag3");
  EXPECT_STREQ(Array<wchar_t*>(L"$TAG_LABEL")[0], L"Background");
  EXPECT_STREQ(Scalar<char*>(L"$REGIONAL_LANGUAGE"), "Eng");
}

TEST_F(HostVarDefaults, ReinstallKeepsAddressesAndRestoresValues) {
  auto* undo_nb = static_cast<uint16_t*>(Host_Var_Get(L"$UNDO_NB", nullptr, nullptr, nullptr));
  const uint16_t original = *undo_nb;
  *undo_nb = 39;
  Array<uint16_t>(L"$TAG_RED")[5] = 1;
  Host_Var_Default_Install();
  EXPECT_EQ(Host_Var_Get(L"$UNDO_NB", nullptr, nullptr, nullptr), undo_nb);
  EXPECT_EQ(*undo_nb, original);
  EXPECT_NE(Array<uint16_t>(L"$TAG_RED")[5], 1);
}

TEST_F(HostVarDefaults, ListsAgreeWithTheirCountsAndIndexes) {
  const uint16_t undo = Scalar<uint16_t>(L"$UNDO_NB");
  EXPECT_GE(undo, 1);   // undo enabled
  EXPECT_LE(undo, 40);  // the ring holds at most 40
  int units = 0, labels = 0, powers = 0, markers = 0, vertebrae = 0;
  Array<float>(L"$UNITS_FACTOR", &units);
  Array<char*>(L"$UNITS_LABEL", &labels);
  Array<char*>(L"$UNITS_POWER", &powers);
  EXPECT_EQ(units, labels);
  EXPECT_EQ(powers, 3);  // powers 1, 2, 3
  for (const wchar_t* name : {L"$UNITS_DIST", L"$UNITS_SURF", L"$UNITS_VOL"})
    EXPECT_LT(Scalar<uint16_t>(name), units) << name;
  Array<char*>(L"$MARKER_LABEL", &markers);
  EXPECT_EQ(markers, Scalar<uint16_t>(L"$MARKER_NB"));
  Array<char*>(L"$VERT_LABEL_NAME", &vertebrae);
  EXPECT_EQ(vertebrae, Scalar<int>(L"$VERT_LABEL_MAX"));
}

TEST_F(HostVarDefaults, KeyNamesAreUniqueAndUseVirtualKeyCodes) {
  int count = 0;
  const Host_Key_Name* keys = Array<Host_Key_Name>(L"$KEY_NAME", &count);
  ASSERT_NE(keys, nullptr);
  std::set<std::wstring> names;
  for (int i = 0; i < count; ++i) {
    ASSERT_NE(keys[i].name, nullptr);
    EXPECT_TRUE(names.insert(keys[i].name).second) << "twice: " << keys[i].name;
  }
  auto code = [&](const wchar_t* name) {
    for (int i = 0; i < count; ++i)
      if (std::wcscmp(keys[i].name, name) == 0) return keys[i].code;
    return 0;
  };
  struct Case { const wchar_t* name; int code; };
  const Case cases[] = {
      {L"Escape", 27},  // named key
      {L"Z", 90},       // letter
      {L"9", 57},       // digit
      {L"F12", 123},    // function key
      {L"Num0", 96},    // numeric pad
  };
  for (const Case& c : cases) EXPECT_EQ(code(c.name), c.code) << c.name;
}

}  // namespace
