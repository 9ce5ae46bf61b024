// Tests of update and redraw requests: delay batching, window and object marking, host messages.
#include "display/Display_Host.h"

#include <cstdio>

namespace {

using Update_Test = display_test::Display_Host;

TEST_F(Update_Test, DelayedUpdateMarksAtOnceAndPostsOnceOnTheLastEnable) {
  Fct_Update(UPDATE_DELAY_ON);
  Fct_Update(UPDATE_DELAY_ON);
  Fct_Update(UPDATE_DATA_GLI, UPDATE_NO_WINDOW, root_.get());
  EXPECT_EQ(root_->Update_A_Get_Bit(0x10, nullptr, ~0ull), UPDATE_DATA_GLI);  // marked at once
  EXPECT_TRUE(Messages().empty());
  Fct_Update(UPDATE_DELAY_OFF);
  EXPECT_TRUE(Messages().empty());
  Fct_Update(UPDATE_DELAY_OFF);
  const auto m = Messages();
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].id, UPDATE_MESSAGE);
  EXPECT_EQ(m[0].a, 0u);
  EXPECT_EQ(m[0].b, UPDATE_DATA_GLI);
  EXPECT_EQ(*Var<uint64_t>(L"$FLAG_UPDATE"), UPDATE_DATA_GLI);
}

TEST_F(Update_Test, NegativeDelayBlocksUntilBalanced) {
  Fct_Update(UPDATE_DELAY_OFF);  // an enable with nothing held: the counter goes below zero
  Fct_Update(0x100, W(0));
  EXPECT_EQ(W(0)->update_a, 0u);
  EXPECT_TRUE(Messages().empty());
  Fct_Update(UPDATE_DELAY_ON);  // back to zero
  Fct_Update(0x100, W(0));
  EXPECT_EQ(W(0)->update_a, 0x100u);
  EXPECT_EQ(Messages().size(), 1u);
}

TEST_F(Update_Test, TenDisablesWarnOnce) {
  Host_Report_Capture capture;
  for (int i = 0; i < 12; ++i) Fct_Update(UPDATE_DELAY_ON);
  int warnings = 0;
  for (const auto& t : capture.Texts(2)) warnings += t.find("Unbalanced UPDATE_DELAY messages") != std::string::npos;
  EXPECT_EQ(warnings, 1);
  for (int i = 0; i < 12; ++i) Fct_Update(UPDATE_DELAY_OFF);  // the delay outlives the test
}

TEST_F(Update_Test, WindowSelectorsReachTheirWindows) {
  struct Case {
    uintptr_t selector;  // 0-7 list, 4 current, 8 none, 16+ a window (index in the table)
    uint64_t mask;
    bool update;  // Fct_Update, else Fct_Redraw
    std::vector<bool> marked;
  };
  const Case cases[] = {
      {0, 0x100, true, {true, true, true}},     // every listed window
      {2, 0x100, true, {true, false, true}},    // bit 0x2 skips the hidden window
      {4, 0x100, true, {false, false, true}},   // the current window
      {8, 0x100, true, {false, false, false}},  // no window
      {1, 0x200, true, {false, false, false}},  // a bit that does not concern windows
      {0, 0x2, false, {true, true, true}},      // redraw of every window
      {3, 0x10000, false, {true, false, true}}, // redraw of the shown windows
      {8, 0x2, false, {false, false, false}},   // redraw of no window
  };
  for (const Case& c : cases) {
    for (auto& w : windows_) w->update_a = w->update_b = w->redraw = 0;
    if (c.update) Fct_Update(c.mask, Sel(c.selector));
    else Fct_Redraw(c.mask, Sel(c.selector));
    for (int i = 0; i < 3; ++i) {
      const uint64_t word = c.update ? W(i)->update_a : W(i)->redraw;
      EXPECT_EQ(word != 0, c.marked[i]) << "selector " << c.selector << " window " << i;
      if (c.update) {
        EXPECT_EQ(W(i)->update_b, W(i)->update_a);
      }
    }
  }
}

TEST_F(Update_Test, UpdateSplitsTheMaskAndRedrawKeepsTheLowWord) {
  Fct_Update(0x100000002ull);  // over the two message arguments
  Fct_Redraw(0xFF00000000ull, W(0));  // nothing in the low word: no message
  Fct_Redraw(0x1FF00000002ull, W(0));
  const auto m = Messages();
  ASSERT_EQ(m.size(), 2u);
  EXPECT_EQ(m[0].a, 1u);
  EXPECT_EQ(m[0].b, 2u);
  EXPECT_EQ(m[1].id, REDRAW_MESSAGE);
  EXPECT_EQ(m[1].b, 2u);
  EXPECT_EQ(*Var<uint64_t>(L"$FLAG_REDRAW"), 2u);
}

TEST_F(Update_Test, ObjectSelectorMarksTheWholeTreeAndTagDataSetsFlags) {
  auto* child = new Quarn_2D_Root();  // any node kind will do as a child
  root_->Child_Add(child);
  Fct_Update(UPDATE_DATA_TAG, W(0), reinterpret_cast<Quarn_2D*>(uintptr_t(0)));
  EXPECT_EQ(child->Update_A_Get_Bit(0x10, W(0), ~0ull), UPDATE_DATA_TAG);
  EXPECT_EQ(child->Update_B_Get_Bit(0x10, W(0), ~0ull), UPDATE_DATA_TAG);
  EXPECT_EQ(child->Flag_Get_Bit(0x10, W(0), 0x260000), 0x260000u);
  EXPECT_EQ(child->Update_A_Get_Bit(0x10, W(2), ~0ull), 0u);  // only the window asked for

  Fct_Redraw(0x80, W(2), child);
  EXPECT_EQ(child->Redraw_Get_Bit(0x10, W(2), ~0ull), 0x80u);
  EXPECT_EQ(root_->Redraw_Get_Bit(0x10, W(2), ~0ull), 0u);  // the object's subtree only
}

int g_redraw_calls = 0;
uint64_t* g_redraw_args[2];
void Host_Redraw(uint64_t* update, uint64_t* redraw) {
  ++g_redraw_calls;
  g_redraw_args[0] = update;
  g_redraw_args[1] = redraw;
}

TEST_F(Update_Test, ImmediateRedrawCallsTheHostWithTheFlagVariables) {
  g_redraw_calls = 0;
  *Var<Fct_Redraw_Host>(L"$FCT_REDRAW") = Host_Redraw;
  Fct_Redraw(REDRAW_IMMEDIATE | 0x2, W(0));
  EXPECT_EQ(g_redraw_calls, 1);
  EXPECT_EQ(g_redraw_args[0], Var<uint64_t>(L"$FLAG_UPDATE"));
  EXPECT_EQ(g_redraw_args[1], Var<uint64_t>(L"$FLAG_REDRAW"));
  Fct_Redraw(0x2, W(0));
  EXPECT_EQ(g_redraw_calls, 1);
  *Var<Fct_Redraw_Host>(L"$FCT_REDRAW") = nullptr;
}

TEST_F(Update_Test, FailedPostsAreReportedEvery256th) {
  Platform_Window_Destroy(Host_Main_Window);
  Host_Report_Capture capture;
  // The failure count lives as long as the process, so earlier failed posts shift the phase:
  // 512 failures hold exactly two multiples of 256, reported with their count.
  for (int i = 0; i < 512; ++i) Fct_Update_Direct(0x1);
  const auto texts = capture.Texts(0x80000001);
  ASSERT_EQ(texts.size(), 2u);
  unsigned first = 1, second = 1;
  EXPECT_EQ(std::sscanf(texts[0].c_str(), "Fct_Redraw: Unable to post message [%u]", &first), 1);
  EXPECT_EQ(std::sscanf(texts[1].c_str(), "Fct_Redraw: Unable to post message [%u]", &second), 1);
  EXPECT_EQ(first % 256, 0u);
  EXPECT_EQ(second, first + 256);
  Host_Main_Window = Platform_Window_Create(L"main", 100, 100, nullptr);
}

}  // namespace
