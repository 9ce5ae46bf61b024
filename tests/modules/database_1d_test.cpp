// Tests of the 1D database root: closed files and curves, and the generation's failure report.
#include "modules/Database_Host.h"

#include <string>

namespace database_test {
namespace {

/// A 1D file record of curves samples each, listed in $DB_1D_FILE_PT by the fixture.
Quarn_1D_File* Curve_File(const wchar_t* path, int curves) {
  Host_1D_Record* rec = Host_1D_Record_Create("spectra", nullptr);
  const float x[] = {1, 2, 3}, y[] = {4, 5, 6};
  for (int i = 0; i < curves; ++i) Host_1D_Record_Add_Curve(rec, 3, x, y, nullptr, nullptr);
  return new Quarn_1D_File(path, rec);
}

class Database_1D : public Database_Host {
protected:
  void TearDown() override {
    Reset();
    Database_Host::TearDown();
  }
  /// Destroys the 1D tree and the 1D file records.
  void Reset() {
    Database_1D_Free();
    for (Quarn_1D_File* f : files_1d_) {
      Host_1D_Record* rec = static_cast<Host_1D_Record*>(f->Record_Get());
      delete f;
      Host_1D_Record_Free(rec);
    }
    files_1d_.clear();
    Publish();
  }
  void Publish() {
    *Var<Quarn_1D_File**>(L"$DB_1D_FILE_PT") = files_1d_.data();
    *Var<int>(L"$DB_1D_FILE_NB") = int(files_1d_.size());
  }
  static Quarn_1D* Root_1D() { return *Var<Quarn_1D*>(L"$DB_1D_ROOT_PT"); }
  std::vector<Quarn_1D_File*> files_1d_;
};

TEST_F(Database_1D, ClosedFilesAndCurvesAreSkipped) {
  const struct {
    uint32_t file_state;
    uint8_t marks[3];
    int leaves;
    int result;
  } rows[] = {
      {0, {0, 0, 0}, 3, 1},
      {0, {0x40, 0, 0x40}, 1, 1},  // closed curves skipped
      {0, {0x40, 0x40, 0x40}, 0, 1},  // a file of closed curves still counts as added
      {0x40, {0, 0, 0}, 0, 0},     // a closed file is refused
  };
  for (const auto& row : rows) {
    files_1d_.push_back(Curve_File(L"/mrs/voxel.spc", 3));
    files_1d_.back()->state = row.file_state;
    for (int k = 0; k < 3; ++k) files_1d_.back()->curve_marks[k] = row.marks[k];
    Publish();
    Host_Report_Capture capture;
    EXPECT_EQ(Database_1D_Tree_Generate(), row.result) << row.file_state;
    ASSERT_NE(Root_1D(), nullptr);
    EXPECT_EQ(Root_1D()->Child_Get_Nb(), row.leaves) << int(row.marks[0]);
    if (!row.result) {
      EXPECT_TRUE(capture.Contains("Failed in setup for file voxel"));
    }
    EXPECT_EQ(Fct_Critical_Depth(), 0);
    Reset();
  }
}

TEST_F(Database_1D, LeavesAreSelectedInEveryWindow) {
  files_1d_.push_back(Curve_File(L"/mrs/a.spc", 2));
  Publish();
  ASSERT_EQ(Database_1D_Tree_Generate(), 1);
  for (int w = 0; w < 3; ++w)
    EXPECT_EQ(Root_1D()->Child_Get_Pt(1)->Flag_Get_Bit(0x10, W(w), 0x200), 0x200u) << w;
}

}  // namespace
}  // namespace database_test
