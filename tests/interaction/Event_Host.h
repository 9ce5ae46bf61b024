// A host for the event tests: the frame tests' windows and root, plus the pointer variables,
// the current-frame table and the interface size, and a plain group node.
#pragma once

#include "frames/Frame_Host.h"
#include "support/Host_Fixture.h"

#include <quarn/quarn.h>

#include <string>

namespace event_test {

/// The pointer and current-frame variables; storage stays put for the whole run.
struct Event_Vars {
  Quarn_2D* frame_cur[10] = {};
  Quarn_2D** frame_cur_pt = frame_cur;
  Quarn_2D* frame_ovr = nullptr;
  Point_2D mouse_inf{7}, mouse_frm{6}, mouse_wnd{8};
  uint8_t interface_size = 1;

  /// Back to the start values; the table pointer keeps naming this object's own table.
  void Reset() {
    for (auto*& f : frame_cur) f = nullptr;
    frame_cur_pt = frame_cur;
    frame_ovr = nullptr;
    mouse_inf = Point_2D(7), mouse_frm = Point_2D(6), mouse_wnd = Point_2D(8);
    interface_size = 1;
  }
};

inline Event_Vars& Vars() {
  static Event_Vars vars;
  return vars;
}

inline void* Lookup(const wchar_t* name, int* count, uint16_t* flags, Host_Var_Update* update) {
  Event_Vars& v = Vars();
  return test_support::Var_Lookup({{L"$FRAME_CUR", &v.frame_cur_pt, 1, test_support::kTableFlags},
                                   {L"$FRAME_OVR", &v.frame_ovr},
                                   {L"$MOUSE_INF", &v.mouse_inf},
                                   {L"$MOUSE_FRM", &v.mouse_frm},
                                   {L"$MOUSE_WND", &v.mouse_wnd},
                                   {L"$INTERFACE_SIZE", &v.interface_size}},
                                  frame_test::Lookup, name, count, flags, update);
}

using Group = test_support::Group_2D;

/// Window 0 in the tiled mode, an empty root, released keys and cleared pointer variables.
class Event_Test : public frame_test::Frame_Test {
protected:
  void SetUp() override {
    Frame_Test::SetUp();
    Fct_Main_Var_Get = &Lookup;
    Iterator_Create();
    Vars().Reset();
    Host_Key_State_Reset();
    w_ = tree_test::Window(0);
    w_->pan_x.value = w_->pan_y.value = 0;
  }
  void TearDown() override {
    Host_Key_State_Reset();
    Frame_Test::TearDown();
  }

  /// A group under parent (the root if null) with n plain group children.
  Group* Make_Group(int n, Quarn_2D* parent = nullptr) {
    auto* group = new Group();
    (parent ? parent : &root_)->Child_Add(group);
    for (int i = 0; i < n; ++i) group->Child_Add(new Group((L"c" + std::to_wstring(i)).c_str()));
    return group;
  }

  /// n frames of width x height pixels under parent, each at zoom z in both window modes.
  std::vector<Quarn_2D_Frame*> Make_Frames(Quarn_2D* parent, int n, int width, int height, float z = 1) {
    Quarn_2D_File* file = Add_File(L"/scans/events.img", {frame_test::Ramp(width, height, n)});
    std::vector<Quarn_2D_Frame*> frames;
    for (int i = 0; i < n; ++i) {
      frames.push_back(Insert(file, 0, i, parent));
      frames.back()->zoom[0][0] = frames.back()->zoom[0][1] = z;
    }
    return frames;
  }

  /// Marks the whole tree shown in window 0.
  void Show_All() { root_.Flag_Set_On(0x30, w_, 0x0400); }

  /// The display mode of node in window 0.
  uint64_t Mode(Quarn_2D* node) { return node->Flag_Get_Bit(0x10, w_, 0x000F); }
  /// Sets the display mode of node in window 0.
  void Set_Mode(Quarn_2D* node, uint64_t mode) {
    node->Flag_Set_Off(0x10, w_, 0x000F);
    if (mode) node->Flag_Set_On(0x10, w_, mode);
  }
  /// True when node is selected in window 0.
  bool Picked(Quarn_2D* node) { return node->Flag_Get_Bit(0x10, w_, 0x0200) != 0; }

  Quarn_Window* w_ = nullptr;
};

}  // namespace event_test
