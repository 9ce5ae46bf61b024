// The common test host: the host kit's default variables, a main window with window records
// listed in the host's table, variables put back when a test ends, plain 2D groups and series of
// frames over one image record.
#pragma once

#include "support/Host_Vars.h"

#include <quarn/quarn.h>

#include <platform/PlatformMessage.h>
#include <platform/PlatformWindow.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

namespace test_support {

/// A plain group node of the 2D tree.
struct Group_2D : Quarn_2D {
  explicit Group_2D(const wchar_t* name = L"group", uint16_t class_a = 0x2001) {
    Name_Set(L"%ls", name);
    Class_A_Set(class_a);
  }
};

/// A file record at path over image records (taken over).
inline std::unique_ptr<Quarn_2D_File> File_Of(const wchar_t* path, const std::vector<Host_Image_Record*>& records) {
  auto** list = static_cast<void**>(std::calloc(records.size() + 1, sizeof(void*)));
  std::copy(records.begin(), records.end(), list);
  return std::make_unique<Quarn_2D_File>(path, list);
}

/// One frame per slice (and time) of record 0 of file, inserted under group.
inline std::vector<Quarn_2D_Frame*> Insert_Frames(Quarn_2D* group, Quarn_2D_File* file) {
  const Host_Image_Record* record = file->Record_Get(0);
  std::vector<Quarn_2D_Frame*> frames;
  for (int n = 0; n < record->slices * record->times; ++n) {
    Class_2D_Frame_Insert(group, file, 0, 0, n);
    frames.push_back(static_cast<Quarn_2D_Frame*>(group->Child_Get_Pt(-1)));
  }
  return frames;
}

/// parent -> group -> one frame per slice of one image record, which a file record holds.
class Frame_Series {
public:
  /// Puts group (taken over) under parent, its frames over record (taken over) in a file at path.
  Frame_Series(Quarn_2D* parent, Quarn_2D* group, const wchar_t* path, Host_Image_Record* record)
      : group(group), file_(File_Of(path, {record})) {
    parent->Child_Add(group);
    frames = Insert_Frames(group, file_.get());
  }
  Frame_Series(const Frame_Series&) = delete;
  Frame_Series& operator=(const Frame_Series&) = delete;

  /// The record behind every frame.
  Host_Image_Record* Record() const { return file_->Record_Get(0); }
  /// Frame n (slice n).
  Quarn_2D_Frame* Frame(int n = 0) const { return frames[size_t(n)]; }
  /// The record's tag byte at pixel (x, y) of slice n.
  uint8_t& Tag(int n, int x, int y) const {
    return *static_cast<uint8_t*>(Host_Image_Pixel(nullptr, Record(), Record()->tags, HOST_PIXEL_TAG, x, y, n, 0));
  }

  Quarn_2D* group;
  std::vector<Quarn_2D_Frame*> frames;

private:
  std::unique_ptr<Quarn_2D_File> file_;
};

/// A 2D root that a series under it can name before it is built (a base ahead of Frame_Series).
struct Root_Holder {
  Quarn_2D_Root root;
};

/// The host kit's variables; window records drawn on a main window whose queue the test reads;
/// slots saved in saved_ put back after the test.
class Host_Fixture : public ::testing::Test {
public:
  /// The storage of a host kit variable, as T.
  template <class T>
  static T* Var(const wchar_t* name) {
    return test_support::Var<T>(name);
  }
  /// Takes every queued message off the main window.
  static std::vector<Platform_Message> Messages() {
    std::vector<Platform_Message> out;
    Platform_Message m;
    while (Platform_Peek_Message(Host_Main_Window, &m, 1)) out.push_back(m);
    return out;
  }
  /// Takes every queued message off the main window; returns how many had the id.
  static int Messages(uint32_t id) {
    int n = 0;
    for (const Platform_Message& m : Messages()) n += m.id == id;
    return n;
  }
  /// Window record i.
  Quarn_Window* W(int i) const { return windows_[size_t(i)].get(); }

protected:
  /// The host kit's default variables as the library's lookup.
  static void Install() {
    Host_Var_Default_Install();
    Fct_Main_Var_Get = Host_Var_Get;
  }
  /// Opens the main window and lists n window records in $WINDOW_PT and $WINDOW_NB, record i
  /// with index and class B i, drawn on the main window.
  void Open_Windows(int n) {
    Host_Main_Window = Platform_Window_Create(L"main", 100, 100, nullptr);
    void** list = *Var<void**>(L"$WINDOW_PT");
    for (int i = 0; i < n; ++i) {
      windows_.push_back(std::make_unique<Quarn_Window>(i));
      windows_[size_t(i)]->Class_B_Set(uint16_t(i));
      windows_[size_t(i)]->hwnd = Host_Main_Window;
      list[i] = W(i);
    }
    *Var<int>(L"$WINDOW_NB") = n;
  }
  void TearDown() override {
    saved_.Restore();
    if (windows_.empty()) return;
    // Later tests of the process must not reach these windows through the host's list.
    if (void*** list = Var<void**>(L"$WINDOW_PT"); list && *list)
      for (size_t i = 0; i < windows_.size(); ++i) (*list)[i] = nullptr;
    if (int* nb = Var<int>(L"$WINDOW_NB")) *nb = 0;
    Platform_Window_Destroy(Host_Main_Window);
    Host_Main_Window = nullptr;
  }

  std::vector<std::unique_ptr<Quarn_Window>> windows_;
  Var_Restore saved_;
};

}  // namespace test_support
