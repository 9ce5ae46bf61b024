// A host for the frame tests: the 2D root, the 2D file list and the merge count as host
// variables beside the tree tests' windows, and records built in memory or read from phantoms.
#pragma once

#include "classes/Tree_Host.h"
#include "support/Host_Fixture.h"

#include <quarn/quarn.h>

#include <hostkit/HostDicom.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace frame_test {

/// The host variables the frames read; storage stays put for the whole run.
struct Frame_Vars {
  Quarn_2D_Root* root = nullptr;
  int file_nb = 0;
  Quarn_2D_File* file_storage[64] = {};
  Quarn_2D_File** files = file_storage;
  uint16_t morpho_merge_nb = 2;
};

inline Frame_Vars& Vars() {
  static Frame_Vars vars;
  return vars;
}

inline void* Lookup(const wchar_t* name, int* count, uint16_t* flags, Host_Var_Update* update) {
  Frame_Vars& v = Vars();
  return test_support::Var_Lookup({{L"$DB_2D_ROOT_PT", &v.root},
                                   {L"$DB_2D_FILE_NB", &v.file_nb},
                                   {L"$DB_2D_FILE_PT", &v.files, 1, test_support::kTableFlags},
                                   {L"$MORPHO_MERGE_NB", &v.morpho_merge_nb}},
                                  tree_test::Lookup, name, count, flags, update);
}

/// A grey record of 16-bit pixels, value x + 10 y + 100 slice + 1000 time.
inline Host_Image_Record* Ramp(int columns, int rows, int slices = 1, int times = 1,
                               const Host_Image_Layout* layout = nullptr) {
  std::vector<uint16_t> pixels;
  for (int t = 0; t < times; ++t)
    for (int k = 0; k < slices; ++k)
      for (int y = 0; y < rows; ++y)
        for (int x = 0; x < columns; ++x) pixels.push_back(uint16_t(x + 10 * y + 100 * k + 1000 * t));
  return Host_Image_Create(columns, rows, slices, times, HOST_PIXEL_U16, pixels.data(), layout);
}

/// Windows of 800 x 600 pixels, the frame variables and a root in $DB_2D_ROOT_PT.
class Frame_Test : public ::testing::Test {
protected:
  void SetUp() override {
    Fct_Main_Var_Get = &Lookup;
    tree_test::Host_State& h = tree_test::Host();
    h.window_nb = 3;
    h.window_cur = tree_test::Window(1);
    for (int i = 0; i < 10; ++i) {
      h.window[i]->Class_A_Set(WINDOW_MODE_2D_ALL);
      h.window[i]->Class_B_Set(uint16_t(i));
      h.window[i]->width = 800;
      h.window[i]->height = 600;
    }
    Vars().root = &root_;
  }

  void TearDown() override {
    files_.clear();  // files delete their frames from the root, so they go first
    Vars().file_nb = 0;
    Vars().root = nullptr;
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }

  /// A file record over the records, listed in $DB_2D_FILE_PT and released with the test.
  Quarn_2D_File* Add_File(const wchar_t* path, std::vector<Host_Image_Record*> records) {
    files_.push_back(test_support::File_Of(path, records));
    Vars().file_storage[Vars().file_nb++ % 64] = files_.back().get();
    return files_.back().get();
  }

  /// Frame frame_number of record image_index of file, inserted under parent (the root if null).
  Quarn_2D_Frame* Insert(Quarn_2D_File* file, int image_index = 0, int frame_number = 0,
                         Quarn_2D* parent = nullptr) {
    Quarn_2D* under = parent ? parent : &root_;
    Class_2D_Frame_Insert(under, file, 0, image_index, frame_number);
    return static_cast<Quarn_2D_Frame*>(under->Child_Get_Pt(-1));
  }

  /// Writes a phantom series into a folder of the test's own and reads it back as a file record.
  Quarn_2D_File* Phantom_File(const std::string& name, const Host_Phantom_Options& o) {
    if (dir_.empty())
      dir_ = std::filesystem::temp_directory_path() /
             ("quarn_frames_" + std::to_string(getpid()) + "_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    const std::wstring folder = Host_Char_To_Wide((dir_ / name).string().c_str());
    int count = 0;
    Host_Image_Record** list = nullptr;
    if (Host_Dicom_Write_Phantom(folder.c_str(), &o) > 0)
      list = Host_Dicom_Read_Series(folder.c_str(), &count);
    if (count != 1) {
      Host_Dicom_Free_Series(list);
      return nullptr;
    }
    Quarn_2D_File* file = Add_File((folder + L"/series.dcm").c_str(), {list[0]});
    std::free(list);  // the file record holds the record now
    return file;
  }

  Quarn_2D_Root root_;
  std::vector<std::unique_ptr<Quarn_2D_File>> files_;
  std::filesystem::path dir_;
};

}  // namespace frame_test
