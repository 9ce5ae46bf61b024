// A host for the frame tests: the 2D root, the 2D file list, vertebra names and merge count as
// host variables beside the tree tests' windows, records built in memory and phantom series
// written to a folder of the test's own.
#pragma once

#include "classes/Tree_Host.h"

#include <quarn/quarn.h>

#include <hostkit/HostDicom.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cwchar>
#include <filesystem>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace frame_test {

namespace fs = std::filesystem;

/// The host variables the frames read; storage stays put for the whole run.
struct Frame_Vars {
  Quarn_2D_Root* root = nullptr;
  int file_nb = 0;
  Quarn_2D_File* file_storage[64] = {};
  Quarn_2D_File** files = file_storage;
  int vert_max = 3;
  char* vert_storage[3] = {const_cast<char*>("C1"), const_cast<char*>("L3"), const_cast<char*>("S1")};
  char** vert_names = vert_storage;
  uint16_t morpho_merge_nb = 0;
};

inline Frame_Vars& Vars() {
  static Frame_Vars vars;
  return vars;
}

inline void* Lookup(const wchar_t* name, int* count, uint16_t* flags, Host_Var_Update* update) {
  Frame_Vars& v = Vars();
  void* found = nullptr;
  if (!std::wcscmp(name, L"$DB_2D_ROOT_PT")) found = &v.root;
  else if (!std::wcscmp(name, L"$DB_2D_FILE_NB")) found = &v.file_nb;
  else if (!std::wcscmp(name, L"$DB_2D_FILE_PT")) found = &v.files;
  else if (!std::wcscmp(name, L"$VERT_LABEL_MAX")) found = &v.vert_max;
  else if (!std::wcscmp(name, L"$VERT_LABEL_NAME")) found = &v.vert_names;
  else if (!std::wcscmp(name, L"$MORPHO_MERGE_NB")) found = &v.morpho_merge_nb;
  else return tree_test::Lookup(name, count, flags, update);
  if (count) *count = 1;
  if (flags) *flags = 0;
  if (update) *update = nullptr;
  return found;
}

/// A reader-style null-terminated list holding the given records.
inline void** List(std::initializer_list<Host_Image_Record*> records) {
  auto** list = static_cast<Host_Image_Record**>(std::calloc(records.size() + 1, sizeof(void*)));
  int i = 0;
  for (Host_Image_Record* r : records) list[i++] = r;
  return reinterpret_cast<void**>(list);
}

/// A grey record of 16-bit pixels, value x + 10 y + 100 slice + 1000 time.
inline Host_Image_Record* Ramp(int columns, int rows, int slices = 1, int times = 1,
                               const Host_Image_Layout* layout = nullptr) {
  std::vector<uint16_t> pixels(size_t(columns) * rows * slices * times);
  size_t at = 0;
  for (int t = 0; t < times; ++t)
    for (int k = 0; k < slices; ++k)
      for (int y = 0; y < rows; ++y)
        for (int x = 0; x < columns; ++x) pixels[at++] = uint16_t(x + 10 * y + 100 * k + 1000 * t);
  return Host_Image_Create(columns, rows, slices, times, HOST_PIXEL_U16, pixels.data(), layout);
}

/// Windows of the tree tests, the frame variables, a root in $DB_2D_ROOT_PT and a folder.
class Frame_Test : public ::testing::Test {
protected:
  void SetUp() override {
    Fct_Main_Var_Get = &Lookup;
    tree_test::Host_State& h = tree_test::Host();
    h.window_nb = 3;
    h.window_list = h.window_pt;
    h.window_cur = tree_test::Window(1);
    for (int i = 0; i < 10; ++i) {
      h.window[i]->Class_A_Set(WINDOW_MODE_2D_ALL);
      h.window[i]->Class_B_Set(uint16_t(i));
      h.window[i]->width = 800;
      h.window[i]->height = 600;
      h.window[i]->pan_x.value = h.window[i]->pan_y.value = 0;
    }
    Frame_Vars& v = Vars();
    v.root = &root_;
    v.file_nb = 0;
    v.morpho_merge_nb = 0;
  }

  void TearDown() override {
    // Files delete their frames from the root, so they go first.
    files_.clear();
    Vars().file_nb = 0;
    Vars().root = nullptr;
    if (!dir_.empty()) fs::remove_all(dir_);
  }

  /// A file record over records, listed in $DB_2D_FILE_PT and released with the test.
  Quarn_2D_File* Add_File(const wchar_t* path, void** records) {
    files_.push_back(std::make_unique<Quarn_2D_File>(path, records));
    Frame_Vars& v = Vars();
    if (v.file_nb < int(std::size(v.file_storage))) v.file_storage[v.file_nb++] = files_.back().get();
    else ADD_FAILURE() << "the test host lists at most 64 files";
    return files_.back().get();
  }

  /// Frame frame_number of record image_index of file, inserted under parent (the root if null).
  Quarn_2D_Frame* Insert(Quarn_2D_File* file, int image_index = 0, int frame_number = 0,
                         Quarn_2D* parent = nullptr) {
    Quarn_2D* under = parent ? parent : &root_;
    Class_2D_Frame_Insert(under, file, 0, image_index, frame_number);
    return static_cast<Quarn_2D_Frame*>(under->Child_Get_Pt(-1));
  }

  /// A new empty folder of the test's own.
  fs::path Folder(const std::string& name) {
    if (dir_.empty()) {
      const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
      dir_ = fs::temp_directory_path() / ("quarn_frames_" + std::to_string(getpid()) + "_" + info->name());
      fs::remove_all(dir_);
    }
    fs::path folder = dir_ / name;
    fs::create_directories(folder);
    return folder;
  }

  /// Writes a phantom series and reads it back as one file record; null when that fails.
  Quarn_2D_File* Phantom_File(const std::string& name, const Host_Phantom_Options& o) {
    const fs::path folder = Folder(name);
    const std::wstring wide = Host_Char_To_Wide(folder.string().c_str());
    if (Host_Dicom_Write_Phantom(wide.c_str(), &o) <= 0) return nullptr;
    int count = 0;
    Host_Image_Record** list = Host_Dicom_Read_Series(wide.c_str(), &count);
    if (!list || count != 1) {
      Host_Dicom_Free_Series(list);
      return nullptr;
    }
    return Add_File((wide + L"/" + Host_Char_To_Wide(name.c_str()) + L".dcm").c_str(),
                    reinterpret_cast<void**>(list));
  }

  Quarn_2D_Root root_;
  std::vector<std::unique_ptr<Quarn_2D_File>> files_;
  fs::path dir_;
};

}  // namespace frame_test
