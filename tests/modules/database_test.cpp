// Tests of the database roots: the insert chain, tree generation through tree modules, closed
// records, failing files, the clean-up confirmation, the update passes and the dump.
#include "modules/Database_Host.h"

#include <cmath>

#include <hostkit/HostDicom.h>

#include <cwchar>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace database_test {
namespace {

int Insert_A(Quarn_2D*, Quarn_2D_File*, uint16_t, int, int) { return 1; }
int Insert_B(Quarn_2D*, Quarn_2D_File*, uint16_t, int, int) { return 1; }
const wchar_t* Name_A(int) { return L"Module A"; }
Module_Functions g_a{&Name_A, nullptr, nullptr, &Insert_A, nullptr, nullptr};
Module_Functions g_b{nullptr, nullptr, nullptr, &Insert_B, nullptr, nullptr};

using Chain = Database_Host;

TEST_F(Chain, InsertPicksModuleLeafOrNothing) {
  Modules_Set({&g_a, &g_b});
  const struct {
    const char* dimension;
    int level;
    Module_Insert expected;
    const char* exit_trace;
  } rows[] = {
      {"2D", 0, reinterpret_cast<Module_Insert>(&Insert_A), "Fct_Class_Get_Insert(Module A)"},
      // a module without a name function is still served
      {"2d", 1, reinterpret_cast<Module_Insert>(&Insert_B), "Fct_Class_Get_Insert(none)"},
      // past the module count: the built-in frame leaf, whatever the case of the dimension
      {"2d", 5, reinterpret_cast<Module_Insert>(&Class_2D_Frame_Insert), "Fct_Class_Get_Insert(Frame)"},
      // another tree's list is empty: its leaf at once
      {"1d", 0, reinterpret_cast<Module_Insert>(&Class_1D_Data_Insert), "Fct_Class_Get_Insert(Data)"},
      {"4D", 0, nullptr, "Fct_Class_Get_Insert(error)"},
      {"D", 0, nullptr, "Fct_Class_Get_Insert(error)"},
      {nullptr, 0, nullptr, "Fct_Class_Get_Insert(error)"},
  };
  for (const auto& row : rows) {
    Host_Report_Capture capture;
    EXPECT_EQ(Fct_Class_Get_Insert(row.dimension, row.level), row.expected)
        << (row.dimension ? row.dimension : "null") << " " << row.level;
    EXPECT_TRUE(capture.Contains(std::string("<<< out Fct: ") + row.exit_trace)) << row.exit_trace;
  }
}

TEST_F(Chain, IdCountsEarlierUsesOfTheSameModule) {
  Modules_Set({&g_a, &g_b, &g_a});
  const struct {
    const char* dimension;
    int level;
    int expected;
  } rows[] = {
      {"2D", 0, 0}, {"2D", 1, 0},
      {"2D", 2, 1},  // A's second use
      {"2D", 3, 0},  // not below the count
      {"2D", -1, 0}, {"3D", 0, 0}, {"XD", 0, 0},
  };
  for (const auto& row : rows)
    EXPECT_EQ(Fct_Class_Get_Id(row.dimension, row.level), row.expected) << row.dimension << row.level;
}

using Generate = Database_Host;

TEST_F(Generate, GroupsByPatientThenSeriesAndShowsLatestFrame) {
  Modules_Set({&Host_Tree_Module_2D, &Host_Tree_Module_2D});
  Add_File(L"/data/a.img", {Record("P1", "CT", 3), Record("P1", "MR", 2, 2)});
  Add_File(L"/data/b.img", {Record("P2", "CT", 1), Record("P1", "CT", 2)});
  ASSERT_EQ(Database_2D_Tree_Generate(), 1);
  Quarn_2D* root = Root();
  ASSERT_NE(root, nullptr);
  // Patients in order of first appearance; the series of one patient merge across files.
  ASSERT_EQ(root->Child_Get_Nb(), 2);
  Quarn_2D* p1 = root->Child_Get_Pt(0);
  EXPECT_STREQ(p1->Name_Get(), L"P1");
  EXPECT_STREQ(root->Child_Get_Pt(1)->Name_Get(), L"P2");
  ASSERT_EQ(p1->Child_Get_Nb(), 2);
  EXPECT_EQ(Frames(p1->Child_Get_Pt(0)), 3 + 2);  // CT of both files
  EXPECT_EQ(Frames(p1->Child_Get_Pt(1)), 4);      // MR: 2 slices x 2 times
  EXPECT_EQ(Frames(root), 3 + 4 + 1 + 2);
  // Every frame sits directly under a series group.
  EXPECT_EQ(p1->Child_Get_Pt(1)->Child_Get_Pt(0)->Class_A_Get(), Quarn_2D_Frame::Class_A);
  // The latest record is the last one made: every window shows one of its frames.
  Host_Image_Record* latest = files_[1]->Record_Get(1);
  for (int w = 0; w < 3; ++w) {
    auto* cur = static_cast<Quarn_2D_Frame*>((*Var<Quarn_2D**>(L"$FRAME_CUR"))[w]);
    ASSERT_NE(cur, nullptr) << w;
    EXPECT_EQ(cur->image, latest) << w;
  }
  // A tiled window selects every node of the tree.
  for (Quarn_2D* node : {root, p1, p1->Child_Get_Pt(1), p1->Child_Get_Pt(1)->Child_Get_Pt(3)})
    EXPECT_TRUE(node->Flag_Get_Bit(0x10, W(0), 0x200));
}

TEST_F(Generate, FileAddClearsHighlightsOutsideTheCurrentWindow) {
  Add_File(L"/data/a.img", {Record("P1", "CT", 2)});
  ASSERT_EQ(Database_2D_Tree_Generate(), 1);
  Quarn_2D* root = Root();
  for (int w = 0; w < 3; ++w) root->Flag_Set_On(0x30, W(w), 0x3000);
  Quarn_2D_File* second = Add_File(L"/data/b.img", {Record("P1", "MR", 1)});
  ASSERT_EQ(Database_2D_File_Add(second), 1);
  EXPECT_EQ(Frames(root), 3);
  EXPECT_EQ(root->Flag_Get_Bit(0x30, W(0), 0x7000), 0u);
  // The current window keeps the highlight that showing the latest frame gave its path.
  EXPECT_EQ(root->Child_Get_Pt(-1)->Flag_Get_Bit(0x10, W(1), 0x7000), 0x3000u);
  EXPECT_EQ(root->Flag_Get_Bit(0x30, W(2), 0x7000), 0u);
}

TEST_F(Generate, WithoutModulesFramesHangFromTheRoot) {
  Add_File(L"/data/a.img", {Record("P1", "CT", 4)});
  ASSERT_EQ(Database_2D_Tree_Generate(), 1);
  EXPECT_EQ(Root()->Child_Get_Nb(), 4);
  EXPECT_EQ(Frames(Root()), 4);
}

TEST_F(Generate, ClosedRecordsAreSkipped) {
  const struct {
    uint16_t states[2];
    int frames;
    int result;
  } rows[] = {
      {{0, 0}, 5, 1},
      {{0x40, 0}, 2, 1},       // first record closed
      {{0x41, 0x40}, 0, 0},    // all closed: no latest frame, the generation fails
      {{0x01, 0x02}, 5, 1},    // other state bits do not close
  };
  for (const auto& row : rows) {
    Add_File(L"/data/a.img", {Record("P1", "CT", 3), Record("P1", "MR", 2)});
    files_.back()->state[0] = row.states[0];
    files_.back()->state[1] = row.states[1];
    Host_Report_Capture capture;
    EXPECT_EQ(Database_2D_Tree_Generate(), row.result) << row.states[0];
    EXPECT_EQ(Frames(Root()), row.frames) << row.states[0];
    EXPECT_EQ(capture.Contains("is CLOSED!"), (row.states[0] | row.states[1]) & 0x40 ? true : false);
    Database_2D_Free();
    files_.clear();
  }
}

TEST_F(Generate, FailingFileStopsWithItsPathAndKeepsEarlierFrames) {
  Add_File(L"/data/good.img", {Record("P1", "CT", 2)});
  Add_File(L"/data/closed.img", {Record("P1", "CT", 3)});
  Add_File(L"/data/after.img", {Record("P2", "CT", 4)});
  files_[1]->state[0] = 0x40;
  // The first file gave frames, so the closed one still finds a latest frame: it succeeds.
  EXPECT_EQ(Database_2D_Tree_Generate(), 1);
  EXPECT_EQ(Frames(Root()), 2 + 4);

  files_.erase(files_.begin());  // now the closed file comes first and nothing precedes it
  Add_File(L"/data/unused.img", {});
  Host_Report_Capture capture;
  EXPECT_EQ(Database_2D_Tree_Generate(), 0);
  EXPECT_EQ(Frames(Root()), 0);  // the files after the failing one are not added
  const auto errors = capture.Texts(2);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("ERROR: Failed in setup for file /data/closed.img"), std::string::npos);
  EXPECT_TRUE(capture.Contains("Database_2D_Tree_Generate(failed)"));
  EXPECT_TRUE(capture.Contains("latest_frame not found"));
  EXPECT_EQ(Fct_Critical_Depth(), 0);
}

TEST_F(Generate, ModifiedTreeAsksBeforeItGoes) {
  const struct {
    int answer;
    int result;
    bool same_root;
  } rows[] = {
      {1, 0, true},   // "Cancel": the old tree stays
      {0, 1, false},  // "Go ahead": a fresh root
  };
  for (const auto& row : rows) {
    Add_File(L"/data/a.img", {Record("P1", "CT", 2)});
    ASSERT_EQ(Database_2D_Tree_Generate(), 1);
    Quarn_2D* old = Root();
    old->Flag_Set_On(0x10, reinterpret_cast<void*>(uintptr_t(8)), 0x10000000);
    Host_Popup_Reset();
    Host_Popup_Answer_Push(row.answer);
    Host_Report_Capture capture;
    EXPECT_EQ(Database_2D_Tree_Generate(), row.result);
    ASSERT_EQ(Host_Popup_Count(), 1u);
    EXPECT_EQ(Host_Popup_History()[0].title, L"Update DB Confirmation");
    if (row.same_root) {
      EXPECT_EQ(Root(), old);
    }
    EXPECT_EQ(Root()->Flag_Get_Bit(0x10, reinterpret_cast<void*>(uintptr_t(8)), 0x10000000) != 0,
              row.same_root);
    EXPECT_EQ(Frames(Root()), 2);
    EXPECT_EQ(capture.Contains("Database_2D_Tree_Generate(bad cleanup)"), row.same_root);
    // A fresh root starts without the modified bit: no question next time.
    if (!row.same_root) {
      EXPECT_EQ(Database_2D_Cleanup(), 1);
    }
    EXPECT_EQ(Fct_Critical_Depth(), 0);
    Database_2D_Free();
    files_.clear();
  }
}

TEST_F(Generate, FreeClearsRootAndPendingMasks) {
  ASSERT_EQ(Database_2D_Cleanup(), 1);
  *Var<uint64_t>(L"$FLAG_UPDATE") = ~0ull;
  *Var<uint64_t>(L"$FLAG_REDRAW") = ~0ull;
  Database_2D_Free();
  EXPECT_EQ(Root(), nullptr);
  EXPECT_EQ(*Var<uint64_t>(L"$FLAG_UPDATE"), 0x10202ull);
  EXPECT_EQ(*Var<uint64_t>(L"$FLAG_REDRAW"), 0ull);
}

/// A group that records the passes reaching it.
struct Recorder : Quarn_2D {
  Recorder(const char* name, std::string* log) : name_(name), log_(log) {}
  int Update_A(uint64_t mask) override { return Note('A', mask); }
  int Update_B(uint64_t mask) override { return Note('B', mask); }
  int Note(char pass, uint64_t mask) {
    *log_ += pass + name_ + (mask == 0x42 ? " " : "? ");
    return 1;
  }
  std::string name_;
  std::string* log_;
};

using Passes = Database_Host;

TEST_F(Passes, UpdateWalksPreOrderFromRootOrNode) {
  ASSERT_EQ(Database_2D_Cleanup(), 1);
  std::string log;
  auto* a = new Recorder("a", &log);
  auto* b = new Recorder("b", &log);
  Root()->Child_Add(a);
  Root()->Child_Add(b);
  a->Child_Add(new Recorder("a1", &log));
  a->Child_Add(new Recorder("a2", &log));
  b->Child_Add(new Recorder("b1", &log));
  Database_2D_Update_A(0x42, nullptr);
  EXPECT_EQ(log, "Aa Aa1 Aa2 Ab Ab1 ");
  log.clear();
  Database_2D_Update_B(0x42, a);
  EXPECT_EQ(log, "Ba Ba1 Ba2 ");
}

TEST_F(Passes, DumpOfAnEmptyTreeSaysSo) {
  Host_Report_Capture capture;
  Database_2D_Stool(0x80012002);  // before any root
  ASSERT_EQ(Database_2D_Cleanup(), 1);
  Database_2D_Stool(0x80012002);
  EXPECT_EQ(capture.Texts(0x80012002).size() >= 2, true);
  size_t empty = 0;
  for (const auto& t : capture.Texts(0x80012002)) empty += t == "Database 2D is empty";
  EXPECT_EQ(empty, 2u);
}

}  // namespace
}  // namespace database_test

namespace database_test {
namespace {

using Phantom = Database_Host;

TEST_F(Phantom, TwoSeriesOfOnePatientShareAPatientGroup) {
  const auto dir = std::filesystem::temp_directory_path() /
                   ("quarn_database_" + std::to_string(getpid()));
  Modules_Set({&Host_Tree_Module_2D, &Host_Tree_Module_2D});
  const struct {
    const char* folder;
    const char* description;
    int slices;
  } series[] = {{"ct", "Chest", 5}, {"mr", "Head", 3}};
  for (const auto& s : series) {
    Host_Phantom_Options o;
    o.slices = s.slices;
    o.description = s.description;
    const std::wstring folder = Host_Char_To_Wide((dir / s.folder).string().c_str());
    ASSERT_GT(Host_Dicom_Write_Phantom(folder.c_str(), &o), 0);
    int count = 0;
    Host_Image_Record** list = Host_Dicom_Read_Series(folder.c_str(), &count);
    ASSERT_EQ(count, 1);
    Add_File(folder.c_str(), {list[0]});
    std::free(list);  // the file record holds the record now
  }
  ASSERT_EQ(Database_2D_Tree_Generate(), 1);
  Quarn_2D* root = Root();
  ASSERT_EQ(root->Child_Get_Nb(), 1);
  Quarn_2D* patient = root->Child_Get_Pt(0);
  EXPECT_STREQ(patient->Name_Get(), L"PH-0001");
  ASSERT_EQ(patient->Child_Get_Nb(), 2);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(std::wcsncmp(patient->Child_Get_Pt(i)->Name_Get(),
                           std::wstring(Host_Char_To_Wide(series[i].description)).c_str(),
                           std::strlen(series[i].description)),
              0);
    EXPECT_EQ(Frames(patient->Child_Get_Pt(i)), series[i].slices);
  }
  // The tiled window selects every frame, so its 3D view spans both series: columns from
  // -22 - 0.7 to -22 + 63 x 0.7, rows from -25 - 0.8 to -25 + 63 x 0.8, slices from -30 to
  // -30 + 4 x 2.5 (the frame corners lie half a pixel beyond the outer pixel centres).
  EXPECT_NEAR(W(0)->center_3d.x, -0.3f, 1e-3);
  EXPECT_NEAR(W(0)->center_3d.y, -0.2f, 1e-3);
  EXPECT_NEAR(W(0)->center_3d.z, -25.0f, 1e-3);
  EXPECT_NEAR(W(0)->size_3d, std::sqrt(44.8f * 44.8f + 51.2f * 51.2f + 10.0f * 10.0f), 1e-2);
  std::filesystem::remove_all(dir);
}

TEST(Tree_Keys, PatientAndSeriesTextsFromTheRecord) {
  Host_Image_Record r;
  wchar_t key[64];
  // Nothing recorded: the fallbacks.
  EXPECT_EQ(Host_Tree_Patient_Key(&r, key, 64), 15);
  EXPECT_STREQ(key, L"Unknown patient");
  Host_Tree_Series_Key(&r, key, 64);
  EXPECT_STREQ(key, L"Series");
  // A name without an id; a description with a series stamp.
  std::strcpy(r.patient_name.family, "Doe");
  std::strcpy(r.patient_name.given, "Jane");
  Host_Tree_Patient_Key(&r, key, 64);
  EXPECT_STREQ(key, L"Doe^Jane");
  r.description = strdup("CT chest");
  r.date[1] = {1, 3, 1, 0, 2024};
  r.time[1] = {1, 10, 20, 30, 0};
  Host_Tree_Series_Key(&r, key, 64);
  EXPECT_STREQ(key, L"CT chest 2024-03-01 10:20:30");
  // The id wins over the name; a short buffer cuts the key and still ends it.
  r.patient_id = strdup("ID-123456");
  EXPECT_EQ(Host_Tree_Patient_Key(&r, key, 4), 3);
  EXPECT_STREQ(key, L"ID-");
  EXPECT_EQ(Host_Tree_Patient_Key(&r, key, 0), 0);
}

}  // namespace
}  // namespace database_test
