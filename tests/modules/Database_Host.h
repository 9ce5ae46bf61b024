// A host for the database tests: the default variable table, three windows, in-memory image
// records with patient and series texts, and the file and tree-module lists the database reads.
#pragma once

#include "support/Host_Fixture.h"

#include <quarn/quarn.h>

#include <hostkit/HostTreeModule2D.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace database_test {

/// A record of slices x times frames of 4 x 4 pixels for patient id, series description.
inline Host_Image_Record* Record(const char* patient, const char* series, int slices = 1,
                                 int times = 1) {
  std::vector<uint16_t> pixels(size_t(16 * slices * times), 7);
  Host_Image_Record* r = Host_Image_Create(4, 4, slices, times, HOST_PIXEL_U16, pixels.data());
  if (r) {
    r->patient_id = strdup(patient);
    r->description = strdup(series);
  }
  return r;
}

class Database_Host : public test_support::Host_Fixture {
public:
  void SetUp() override {
    // Installed once and kept across tests, unless another test emptied the table meanwhile.
    if (!Var<void*>(L"$WINDOW_PT")) Install();
    Fct_Main_Var_Get = Host_Var_Get;
    Open_Windows(3);
    for (int i = 0; i < 3; ++i) W(i)->Class_A_Set(i == 0 ? 0x100 : 0x101);
    *Var<void*>(L"$WINDOW_CUR") = W(1);
    Files_Publish();
    Modules_Set({});
    Host_Popup_Reset();
  }

  void TearDown() override {
    Database_2D_Free();
    files_.clear();
    Files_Publish();
    Modules_Set({});
    Host_Fixture::TearDown();
  }

  static Quarn_2D* Root() { return *Var<Quarn_2D*>(L"$DB_2D_ROOT_PT"); }

  /// A file record over the records, appended to $DB_2D_FILE_PT.
  Quarn_2D_File* Add_File(const wchar_t* path, std::vector<Host_Image_Record*> records) {
    files_.push_back(test_support::File_Of(path, records));
    Files_Publish();
    return files_.back().get();
  }

  /// Lists the 2D tree modules in level order.
  void Modules_Set(std::vector<Module_Functions*> modules) {
    modules_ = std::move(modules);
    *Var<Module_Functions**>(L"$DB_2D_TREE_PT") = modules_.data();
    *Var<int>(L"$DB_2D_TREE_NB") = int(modules_.size());
  }

  /// Number of frames in the subtree of node.
  static int Frames(Quarn_2D* node) {
    if (!node) return 0;
    int n = node->Class_A_Get() == Quarn_2D_Frame::Class_A;
    for (int i = 0; i < node->Child_Get_Nb(); ++i) n += Frames(node->Child_Get_Pt(i));
    return n;
  }

  std::vector<std::unique_ptr<Quarn_2D_File>> files_;
  std::vector<Quarn_2D_File*> file_list_;
  std::vector<Module_Functions*> modules_;

private:
  void Files_Publish() {
    file_list_.clear();
    for (auto& f : files_) file_list_.push_back(f.get());
    *Var<Quarn_2D_File**>(L"$DB_2D_FILE_PT") = file_list_.data();
    *Var<int>(L"$DB_2D_FILE_NB") = int(file_list_.size());
  }
};

}  // namespace database_test
