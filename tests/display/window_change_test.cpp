// Tests of window changes and cine loops: modes, current window, loop table and ticks.
#include "display/Display_Host.h"

#include <platform/PlatformClock.h>
#include <platform/PlatformTimer.h>

#include <cstdlib>

namespace {

using display_test::Group;

class Window_Change_Test : public display_test::Display_Host {
public:
  void SetUp() override {
    Display_Host::SetUp();
    Platform_Clock_Manual(1);
  }
  void TearDown() override {
    files_.clear();  // files take their frames out of the tree, so they go while it exists
    Display_Host::TearDown();
  }
  /// A group of n children under the root: groups named c0, c1 ..., or with `frames` the slices
  /// of one 4 x 4 record.
  Group* Make_Group(int n, bool frames = false) {
    auto* group = new Group(L"group");
    root_->Child_Add(group);
    if (!frames) {
      for (int i = 0; i < n; ++i) group->Child_Add(new Group((L"c" + std::to_wstring(i)).c_str()));
      return group;
    }
    std::vector<uint16_t> pixels(size_t(16 * n), 1);
    files_.push_back(test_support::File_Of(L"/scans/window.img", {Host_Image_Create(4, 4, n, 1, HOST_PIXEL_U16, pixels.data())}));
    test_support::Insert_Frames(group, files_.back().get());
    return group;
  }
  std::vector<std::unique_ptr<Quarn_2D_File>> files_;
  /// Advances the clock by ms and runs what is due on the main window.
  void Run(uint32_t ms) {
    Platform_Clock_Advance(ms);
    Platform_Pump(Host_Main_Window, [](Platform_Window*, const Platform_Message*) {});
  }
};

TEST_F(Window_Change_Test, LoopTicksStepTheCurrentChildAndWrap) {
  Group* group = Make_Group(3, true);
  group->loop_rate[0] = 10;  // one step every 100 ms
  group->Flag_Set_On(0x10, W(0), CLASS_FLAG_LOOP);
  ASSERT_EQ(Fct_Loop_Start(W(0), group, 0), 1);
  EXPECT_EQ(group->loop_timer[0], 1u);
  const int expected[] = {1, 2, 0, 1};
  for (int step : expected) {
    Run(100);
    EXPECT_EQ(group->Child_Get_Cur(W(0)), step);
  }
  Run(50);  // half a period: no step
  EXPECT_EQ(group->Child_Get_Cur(W(0)), 1);
  EXPECT_EQ(Fct_Loop_Stop(W(0), group, 0), 1);
  EXPECT_EQ(Fct_Loop_Count(), 0);
  Run(500);
  EXPECT_EQ(group->Child_Get_Cur(W(0)), 1);
}

TEST_F(Window_Change_Test, TickAfterTheLoopBitWentStopsTheLoop) {
  Group* group = Make_Group(2);
  group->Flag_Set_On(0x10, W(0), CLASS_FLAG_LOOP);
  ASSERT_EQ(Fct_Loop_Start(W(0), group, 0), 1);
  group->Flag_Set_Off(0x10, W(0), CLASS_FLAG_LOOP);
  Host_Report_Capture capture;
  Run(1000);
  EXPECT_TRUE(capture.Contains("ABORT!"));
  EXPECT_EQ(Fct_Loop_Count(), 0);
  EXPECT_EQ(group->loop_timer[0], 0u);
}

TEST_F(Window_Change_Test, HundredthLoopFailsAndLeavesTheOthersRunning) {
  Group* group = Make_Group(MAX_LOOP);
  group->Flag_Set_On(0x30, W(0), CLASS_FLAG_LOOP);
  Host_Report_Capture capture;
  EXPECT_EQ(Fct_Loop_Start(W(0), group, 1), 0);  // the group and 98 children fit, the 99th child not
  EXPECT_EQ(Fct_Loop_Count(), MAX_LOOP - 1);
  EXPECT_TRUE(capture.Contains("To many active loops! (max=100)"));
  EXPECT_EQ(group->Child_Get_Pt(98)->loop_timer[0], 0u);
  EXPECT_NE(group->Child_Get_Pt(97)->loop_timer[0], 0u);
  // Restarting a running loop keeps its id.
  const uint64_t id = group->loop_timer[0];
  EXPECT_EQ(Fct_Loop_Start(W(0), group, 0), 1);
  EXPECT_EQ(group->loop_timer[0], id);
  EXPECT_EQ(Fct_Loop_Stop(W(0), group, 1), 1);
  EXPECT_EQ(Fct_Loop_Count(), 0);
}

TEST_F(Window_Change_Test, SingleFrameModeFallsBackWithoutFrames) {
  Make_Group(2);  // groups only: there is no frame to show alone
  Fct_Change_Mode(W(0), WINDOW_MODE_2D_ONE);
  EXPECT_EQ(W(0)->Class_A_Get(), WINDOW_MODE_2D_ALL);
  EXPECT_EQ(root_->Flag_Get_Bit(0x30, W(0), 0x200), 0x200u);
}

TEST_F(Window_Change_Test, SingleFrameModeShowsTheFirstFrameThenTheChosenOne) {
  Group* group = Make_Group(3, true);
  W(0)->pan_x.value = W(0)->pan_y.value = 5;
  W(0)->module_2d = 7;
  Fct_Change_Mode(W(0), WINDOW_MODE_2D_ONE);
  EXPECT_EQ(W(0)->Class_A_Get(), WINDOW_MODE_2D_ONE);
  Quarn_2D* first = group->Child_Get_Pt(0);
  void** frames = *Var<void**>(L"$FRAME_CUR");
  EXPECT_EQ(frames[0], first);
  EXPECT_EQ(first->Flag_Get_Bit(0x10, W(0), 0x3300), 0x3300u);  // current path and selected
  EXPECT_EQ(group->Child_Get_Pt(1)->Flag_Get_Bit(0x10, W(0), 0x200), 0u);
  EXPECT_EQ(W(0)->pan_x.value, 0.0f);
  EXPECT_EQ(W(0)->Module_Get(), 7u);
  EXPECT_EQ(Quarn_Module_Cur, 7u);
  EXPECT_EQ(Quarn_Module_Wind, W(0));
  // Changing the child moves the current frame.
  Fct_Change_Child(W(0), group->Child_Get_Pt(2));
  frames = *Var<void**>(L"$FRAME_CUR");
  EXPECT_EQ(frames[0], group->Child_Get_Pt(2));
  EXPECT_EQ(group->Child_Get_Cur(W(0)), 2);
  EXPECT_EQ(first->Flag_Get_Bit(0x10, W(0), 0x300), 0u);  // neither current nor selected
  EXPECT_EQ(group->Child_Get_Pt(2)->Flag_Get_Bit(0x10, W(0), 0x300), 0x300u);
}

TEST_F(Window_Change_Test, ChangeWindowMovesTheCurrentWindowAndModules) {
  W(2)->Module_Set(3);
  W(0)->Module_Set(4);
  Fct_Change_Window(W(0));
  EXPECT_EQ(*Var<Quarn_Window*>(L"$WINDOW_CUR"), W(0));
  EXPECT_EQ(Quarn_Module_Prev, 3u);
  EXPECT_EQ(Quarn_Module_Cur, 4u);
  EXPECT_EQ(W(0)->update_a & 0x1008, 0x1008u);  // the modules differ: every window is told
}

}  // namespace
