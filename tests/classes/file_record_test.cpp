// File records: sequence numbers per kind, key order by code units, generic names, 1D curves
// copied with their bounds, 3D surfaces taken over and replaced, and the sorted tag-surface list.
#include "support/Host_Vars.h"

#include <quarn/quarn.h>

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

Host_Movie_Record* Triangle(float z) {
  const float xyz[] = {0, 0, z, 2, 0, z, 0, 3, z};
  const int corners[] = {0, 1, 2};
  return Host_Movie_Create(3, xyz, 1, 3, corners);
}

// A malloc'd list of surfaces, as the records take them over.
void** Movie_List(std::initializer_list<Host_Movie_Record*> movies) {
  auto** list = static_cast<void**>(std::malloc(sizeof(void*) * (movies.size() + 1)));
  size_t i = 0;
  for (Host_Movie_Record* m : movies) list[i++] = m;
  return list;
}

/// Names keep only the characters the locale prints; letters beyond ASCII need a UTF-8 locale.
class Utf8_Locale {
public:
  Utf8_Locale() : saved_(std::setlocale(LC_CTYPE, nullptr)) { std::setlocale(LC_CTYPE, "C.UTF-8"); }
  ~Utf8_Locale() { std::setlocale(LC_CTYPE, saved_.c_str()); }

private:
  std::string saved_;
};

// ---- what every kind shares --------------------------------------------------------------------

TEST(FileRecord, EachKindCountsItsOwnSequence) {
  Quarn_1D_File a(L"a.dat", nullptr);
  Quarn_3D_File x(L"x.stl", 0, nullptr);
  const uint16_t first_2d = Quarn_2D_File::Counter_Get();
  Quarn_2D_File image(L"/scans/i.dcm", nullptr);
  Quarn_1D_File b(L"b.dat", nullptr);
  Quarn_3D_File y(L"y.stl", 0, nullptr);
  Quarn_2D_File image_2(L"/scans/j.dcm", nullptr);
  Quarn_1D_File c(L"c.dat", nullptr);
  EXPECT_EQ(uint16_t(b.Class_B_Get() - a.Class_B_Get()), 1);  // the others took none of them
  EXPECT_EQ(uint16_t(c.Class_B_Get() - b.Class_B_Get()), 1);
  EXPECT_EQ(uint16_t(y.Class_B_Get() - x.Class_B_Get()), 1);
  EXPECT_EQ(image.Class_B_Get(), first_2d);
  EXPECT_EQ(image_2.Class_B_Get(), uint16_t(first_2d + 1));
  EXPECT_EQ(image.Class_Magic_Get(), 0xABBB);
  EXPECT_EQ(Quarn_1D_File::Counter_Get(), uint16_t(c.Class_B_Get() + 1));
  EXPECT_EQ(Quarn_3D_File::Counter_Get(), uint16_t(y.Class_B_Get() + 1));
}

TEST(FileRecord, NameIsTheBaseNameOfThePath) {
  // Folder and extension dropped; a dot in the folder is no extension.
  for (const auto& [path, name] : {std::pair{L"C:\\scans\\Liver.stl", L"Liver"},
                                   {L"/data/run.2/spectrum.dat", L"spectrum"}, {L"/scans/head/ct_01.dcm", L"ct_01"}}) {
    EXPECT_STREQ(Quarn_1D_File(path, nullptr).Name_Get(), name) << path;
    EXPECT_STREQ(Quarn_3D_File(path, 0, nullptr).Name_Get(), name) << path;
    EXPECT_STREQ(Quarn_2D_File(path, nullptr).Name_Get(), name) << path;
  }
}

// An image file's key is its whole path, compared by unsigned code units as well.
TEST(FileRecord, ImageFileMatchComparesThePath) {
  Quarn_2D_File f(L"/scans/head/ct_01.dcm", nullptr);
  EXPECT_STREQ(f.Path_Get(), L"/scans/head/ct_01.dcm");
  EXPECT_EQ(f.Match(L"/scans/head/ct_01.dcm"), 0);
  EXPECT_EQ(f.Match(L"ct_01"), -1);               // '/' sorts before 'c'
  EXPECT_EQ(f.Match(L"/scans/head/ct_01.dc"), 1);  // a prefix is smaller
  EXPECT_EQ(f.Match(L"/scans/head/ct_01.dcm\x8000"), -1);
}

TEST(FileRecord, MatchComparesTheNameByUnsignedCodeUnits) {
  Utf8_Locale utf8;
  struct Case {
    const wchar_t* name;
    const wchar_t* text;
    int want;
  };
  const Case cases[] = {
      {L"Liver", L"Liver", 0},
      {L"Liver", L"Live", 1},                   // a longer key is larger
      {L"Live", L"Liver", -1},
      {L"Bone", L"bone", -1},                   // case counts: 'B' < 'b'
      {L"\u8000", L"z", 1},                     // above 0x7FFF: still larger, not negative
      {L"z", L"\uFFFF", -1},
      {L"\uFFFD", L"\U0001F600", 1},            // 0xFFFD sorts after the lead unit 0xD83D
      {L"\U0001F600", L"\uD7FF", 1},            // but the lead unit sorts after 0xD7FF
      {L"\U0001F600", L"\U0001F601", -1},       // two pairs: by their trail units
      {L"", nullptr, 0},                        // no text is an empty text
      {L"a", nullptr, 1},
  };
  for (const Case& c : cases) {
    std::wstring path = std::wstring(L"/scans/") + c.name + (*c.name ? L".dat" : L"");
    Quarn_1D_File one(path.c_str(), nullptr);
    Quarn_3D_File three(path.c_str(), 0, nullptr);
    EXPECT_EQ(one.Match(c.text), c.want) << path;
    EXPECT_EQ(three.Match(c.text), c.want) << path;
    EXPECT_NE(one.Match(path.c_str()), 0) << "the key is the name, not the path";
  }
}

TEST(FileRecord, MatchReportsAMissingOrForeignRecord) {
  Host_Report_Capture cap;
  Quarn_1D_File* volatile none = nullptr;  // volatile: the compiler must not see the null
  Quarn_3D_File* volatile none_3d = nullptr;
  EXPECT_EQ(none->Match(L"x"), -1);  // never equal to anything
  EXPECT_TRUE(cap.Contains("Invalid 1D file pointer in Quarn_1D_File::Match"));
  EXPECT_EQ(none_3d->Match(L"x"), -1);
  EXPECT_TRUE(cap.Contains("Invalid 3D file pointer in Quarn_3D_File::Match"));

  Quarn_3D_File file(L"Liver", 0, nullptr);
  file.Class_Magic_Set(0xABBA);
  EXPECT_EQ(file.Match(L"Liver"), 0);  // reported, then compared all the same
  EXPECT_TRUE(cap.Contains("Invalid 3D file structure in Quarn_3D_File::Match"));
  file.Class_Magic_Set(0xABBC);
  Quarn_2D_File image(L"/x/w.dcm", nullptr);
  image.Class_Magic_Set(0x1234);
  image.Match(L"/x/w.dcm");
  EXPECT_TRUE(cap.Contains("Invalid 2D file structure in Quarn_2D_File::Match"));
  image.Class_Magic_Set(0xABBB);
}

// ---- 1D files ------------------------------------------------------------------------------------

const char* const kTexts[HOST_1D_TEXT_COUNT] = {"ppm", "amplitude", "phase", "Hz", "a.u.", "rad"};

TEST(File1D, CurvesAreCopiedWithTheirBounds) {
  const float geometry[6] = {10, 20, 30, 4, 6, 8};
  Host_1D_Record* rec = Host_1D_Record_Create("Spectrum of voxel 3", geometry);
  ASSERT_NE(rec, nullptr);
  const float x0[] = {3, -1, 2}, y0[] = {5, 7, 6};
  const float x1[] = {1, 2}, y1[] = {-4, 4}, z1[] = {9, -9};
  ASSERT_EQ(Host_1D_Record_Add_Curve(rec, 3, x0, y0, nullptr, kTexts), 1);
  ASSERT_EQ(Host_1D_Record_Add_Curve(rec, 2, x1, y1, z1, kTexts), 1);
  auto* file = new Quarn_1D_File(L"/mrs/voxel3.spc", rec);
  // The copies stand on their own: the host may change its record afterwards.
  rec->curves[0].values[0][0] = 100;
  rec->curves[0].text[0][0] = 'X';

  EXPECT_EQ(file->Has_Curves(), 1);
  EXPECT_EQ(file->Record_Get(), rec);
  EXPECT_STREQ(file->Description_Get(), "Spectrum of voxel 3");
  ASSERT_EQ(file->Curve_Count(), 2);
  EXPECT_EQ(file->Curve_Get(2), nullptr);
  EXPECT_EQ(file->Curve_Get(-1), nullptr);
  struct Case {
    std::vector<float> samples;  // triplets
    std::vector<float> bounds;   // minimum of each value, then maximum of each
    std::vector<const char*> texts;
  };
  const Case cases[] = {
      // two arrays: the third value is 0, texts 6 and 9 are left out
      {{3, 5, 0, -1, 7, 0, 2, 6, 0}, {-1, 5, 0, 3, 7, 0}, {"ppm", "amplitude", nullptr, "Hz", "a.u.", nullptr}},
      // three arrays: all six texts
      {{1, -4, 9, 2, 4, -9}, {1, -4, -9, 2, 4, 9}, {"ppm", "amplitude", "phase", "Hz", "a.u.", "rad"}},
  };
  for (int k = 0; k < 2; ++k) {
    const Quarn_1D_Curve& c = *file->Curve_Get(k);
    EXPECT_EQ(file->curve_marks[k], 0) << k;
    EXPECT_EQ(c.word, 0u);
    ASSERT_EQ(c.count * 3, cases[k].samples.size());
    EXPECT_EQ(std::vector<float>(c.samples, c.samples + 3 * c.count), cases[k].samples) << k;
    EXPECT_EQ(std::vector<float>(c.bounds, c.bounds + 6), cases[k].bounds) << k;
    for (int t = 0; t < HOST_1D_TEXT_COUNT; ++t) {
      if (cases[k].texts[t]) {
        EXPECT_STREQ(c.text[t], cases[k].texts[t]) << k << " text " << t + HOST_1D_TEXT_FIRST;
      } else {
        EXPECT_EQ(c.text[t], nullptr) << k << " text " << t + HOST_1D_TEXT_FIRST;
      }
    }
  }
  delete file;  // the record is the host's and outlives the file
  EXPECT_EQ(rec->curve_count, 2);
  Host_1D_Record_Free(rec);
}

TEST(File1D, BoundsFollowTheSixGeometryFloats) {
  struct Case {
    float r[6];
    float min[4], max[4];  // x, y, z, t
  };
  const Case cases[] = {
      // x: 10 - 2 and 20 + 3; y: 20 - 3 and 30 + 4; z: 30 - 4 and 0; t: 10 + 2 and 1
      {{10, 20, 30, 4, 6, 8}, {8, 17, 0, 1}, {23, 34, 26, 12}},
      // negative places: every pair is put in order
      {{-10, -20, -30, 2, 2, 2}, {-19, -29, -31, -9}, {-11, -21, 0, 1}},
      {{0, 0, 0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 1}},
  };
  const float x[] = {1}, y[] = {1};
  for (const Case& c : cases) {
    Host_1D_Record* rec = Host_1D_Record_Create(nullptr, c.r);
    Host_1D_Record_Add_Curve(rec, 1, x, y, nullptr, nullptr);
    Quarn_1D_File file(L"f.dat", rec);
    const Region_4D& b = file.Bounds_Get();
    EXPECT_EQ(b.code, 2);
    EXPECT_EQ((std::vector<float>{b.x_min, b.y_min, b.z_min, b.t_min}),
              std::vector<float>(c.min, c.min + 4)) << c.r[0];
    EXPECT_EQ((std::vector<float>{b.x_max, b.y_max, b.z_max, b.t_max}),
              std::vector<float>(c.max, c.max + 4)) << c.r[0];
    Host_1D_Record_Free(rec);
  }
}

TEST(File1D, WithoutTheCurveFlagNothingIsCopied) {
  const float geometry[6] = {1, 2, 3, 4, 5, 6};
  const float x[] = {1, 2}, y[] = {3, 4};
  Host_1D_Record* rec = Host_1D_Record_Create("plain data", geometry);
  Host_1D_Record_Add_Curve(rec, 2, x, y, nullptr, kTexts);
  rec->flags &= ~HOST_1D_CURVES;
  Quarn_1D_File file(L"plain.dat", rec);
  EXPECT_EQ(file.Has_Curves(), 0);
  EXPECT_EQ(file.Curve_Count(), 0);
  EXPECT_EQ(file.Curve_Get(0), nullptr);
  EXPECT_EQ(file.Bounds_Get().code, 0);  // still empty
  EXPECT_STREQ(file.Description_Get(), "plain data");
  Host_1D_Record_Free(rec);
}

// A data leaf reads its file; deleting it from the tree closes the file while the host lists it.
TEST(File1D, TreeLeavesReadTheFileAndCloseIt) {
  test_support::Var_Restore saved;
  saved.Save(&Fct_Main_Var_Get);
  Fct_Main_Var_Get = Host_Var_Get;
  Host_Var_Default_Install();
  const float x[] = {1, 2}, y[] = {3, 4};
  Host_1D_Record* rec = Host_1D_Record_Create("Voxel 7", nullptr);
  Host_1D_Record_Add_Curve(rec, 2, x, y, nullptr, kTexts);
  Quarn_1D_File listed(L"/mrs/v7.spc", rec), unlisted(L"/mrs/v8.spc", rec);
  Quarn_1D_File* list[] = {&listed};
  saved.Set<int>(L"$DB_1D_FILE_NB", 1);
  saved.Set<Quarn_1D_File**>(L"$DB_1D_FILE_PT", list);

  Quarn_1D_Root root;
  for (Quarn_1D_File* file : {&listed, &unlisted}) {
    auto* leaf = new Quarn_1D_Data(&root, file, 0);
    ASSERT_EQ(root.Child_Add(leaf), 1);
    EXPECT_STREQ(leaf->Name_Get(), L"Voxel 7");
    EXPECT_STREQ(leaf->Icon_Name(), L"icon spectro.tga");
    EXPECT_EQ(leaf->Curve_Get(), file->Curve_Get(0));
    EXPECT_EQ(root.Child_Delete(leaf), 1);
  }
  EXPECT_EQ(listed.state, 0x40u);
  EXPECT_EQ(unlisted.state, 0u);  // no longer the host's: left alone

  saved.Restore();
  Host_1D_Record_Free(rec);
}

// ---- 3D files ------------------------------------------------------------------------------------

TEST(File3D, SurfacesArePreparedWhenTakenAndReplacedByAssign) {
  Host_Movie_Record* first = Triangle(1);
  first->nodes[1].pos.set(5, 0, 1, 0);  // moved after creation: extent and normals are stale
  EXPECT_EQ(Quarn_3D_File(L"none.stl", 5, nullptr).Movie_Count(), 0);  // a count lists nothing alone
  Quarn_3D_File file(L"/geo/heart.stl", 1, Movie_List({first}));
  ASSERT_EQ(file.Movie_Count(), 1);
  EXPECT_EQ(file.Movie_Get(0), first);
  EXPECT_EQ(file.movie_marks[0], 0);
  EXPECT_EQ(first->box_max[0], 5.f);

  file.movie_marks[0] = Quarn_3D_File::State_Closed;
  Host_Movie_Record* a = Triangle(-2);
  Host_Movie_Record* b = Triangle(7);
  b->nodes[2].pos.set(0, 0, 8, 0);  // tilted: the normal must be recomputed
  Host_Report_Capture cap;
  EXPECT_EQ(file.assign(2, Movie_List({a, b})), 1);  // the first surface is released
  EXPECT_TRUE(cap.Contains(">>> in  Class: Quarn_3D_File::assign()"));
  EXPECT_TRUE(cap.Contains("<<< out Class: Quarn_3D_File::assign()"));
  ASSERT_EQ(file.Movie_Count(), 2);
  EXPECT_EQ(file.Movie_Get(1), b);
  EXPECT_EQ(file.Movie_Get(2), nullptr);
  EXPECT_EQ(file.movie_marks[0], 0);  // new surfaces start open
  EXPECT_EQ(file.movie_marks[1], 0);
  EXPECT_EQ(b->box_max[2], 8.f);
  EXPECT_NEAR(b->polys[0].normal[1], -1.f, 1e-6);
  EXPECT_GT(file.Time_Get(), 0);

  EXPECT_EQ(file.assign(0, nullptr), 1);  // everything released, nothing listed
  EXPECT_EQ(file.Movie_Count(), 0);
}

/// Installs the host's variables and empties the tag-surface list afterwards.
class Tag_Files : public ::testing::Test {
protected:
  void SetUp() override {
    saved_.Save(&Fct_Main_Var_Get);
    Fct_Main_Var_Get = Host_Var_Get;
    Host_Var_Default_Install();
  }
  void TearDown() override {
    for (const std::wstring& name : Names()) File_3D_Del(name.c_str());
    EXPECT_EQ(Count(), 0);
    EXPECT_EQ(List(), nullptr);
    saved_.Restore();
  }

  static int Count() { return *test_support::Var<int>(L"$DB_3D_TAG_NB"); }
  static Quarn_3D_File** List() { return *test_support::Var<Quarn_3D_File**>(L"$DB_3D_TAG_PT"); }
  static std::vector<std::wstring> Names() {
    std::vector<std::wstring> names;
    for (int i = 0; i < Count(); ++i) names.push_back(List()[i]->Name_Get());
    return names;
  }

  test_support::Var_Restore saved_;
};

TEST_F(Tag_Files, SameNameReplacesTheSurfaceOfTheOneRecord) {
  Host_Report_Capture cap;
  Host_Movie_Record* first = Triangle(0);
  Quarn_3D_File* liver = File_3D_Add(L"Liver", first);
  ASSERT_NE(liver, nullptr);
  EXPECT_TRUE(cap.Contains("-> We now have 1 3D files"));
  EXPECT_TRUE(cap.Contains("<<< out Class: Quarn_3D_File: File_3D_Add(add)"));
  Host_Movie_Record* second = Triangle(4);
  EXPECT_EQ(File_3D_Add(L"Liver", second), liver);  // the first surface is released with it
  EXPECT_TRUE(cap.Contains("<<< out Class: Quarn_3D_File: File_3D_Add(replace)"));
  EXPECT_EQ(Count(), 1);
  ASSERT_EQ(liver->Movie_Count(), 1);
  EXPECT_EQ(liver->Movie_Get(0), second);
  EXPECT_NE(File_3D_Add(L"liver", Triangle(1)), liver);  // names are exact
  EXPECT_EQ(Count(), 2);
}

TEST_F(Tag_Files, ListStaysInCodeUnitOrder) {
  Utf8_Locale utf8;
  struct Case {
    const wchar_t* add;
    std::vector<std::wstring> after;
  };
  const Case cases[] = {
      {L"Liver", {L"Liver"}},
      {L"Bone", {L"Bone", L"Liver"}},                        // placed before Liver
      {L"Spleen", {L"Bone", L"Liver", L"Spleen"}},           // at the end
      {L"Kidney", {L"Bone", L"Kidney", L"Liver", L"Spleen"}},  // in the middle
      {L"\u00C9paule", {L"Bone", L"Kidney", L"Liver", L"Spleen", L"\u00C9paule"}},  // above ASCII
      {L"Bone", {L"Bone", L"Kidney", L"Liver", L"Spleen", L"\u00C9paule"}},  // replaced in place
      {L"Aorta", {L"Aorta", L"Bone", L"Kidney", L"Liver", L"Spleen", L"\u00C9paule"}},
  };
  for (const Case& c : cases) {
    ASSERT_NE(File_3D_Add(c.add, Triangle(0)), nullptr) << c.add;
    EXPECT_EQ(Names(), c.after) << c.add;
  }
}

TEST_F(Tag_Files, DelRemovesOnlyTheNamedRecord) {
  for (const wchar_t* name : {L"Bone", L"Liver", L"Spleen"}) File_3D_Add(name, Triangle(0));
  Quarn_3D_File** before = List();
  struct Case {
    const wchar_t* del;
    std::vector<std::wstring> after;
  };
  const Case cases[] = {
      {L"Heart", {L"Bone", L"Liver", L"Spleen"}},  // not there: 1, nothing changes
      {L"liver", {L"Bone", L"Liver", L"Spleen"}},  // names are exact
      {nullptr, {L"Bone", L"Liver", L"Spleen"}},
      {L"Liver", {L"Bone", L"Spleen"}},            // the gap is closed
      {L"Bone", {L"Spleen"}},
      {L"Bone", {L"Spleen"}},                      // gone already
      {L"Spleen", {}},
  };
  for (const Case& c : cases) {
    Host_Report_Capture cap;
    EXPECT_EQ(File_3D_Del(c.del), 1);
    EXPECT_EQ(Names(), c.after) << (c.del ? c.del : L"null");
    EXPECT_TRUE(cap.Contains("<<< out Class: Quarn_3D_File: File_3D_Del()"));
    if (c.after.size() == 3) {
      EXPECT_EQ(List(), before);  // untouched
    }
  }
  EXPECT_EQ(List(), nullptr);
}

}  // namespace
