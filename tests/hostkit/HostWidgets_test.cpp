// Pop-ups answered from a script, the busy pointer, key states, colours and fonts.
#include <hostkit/HostReport.h>
#include <hostkit/HostWidgets.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace {

const wchar_t* const kConfirm[] = {L"Go ahead", L"Cancel", L""};
const wchar_t* const kThree[] = {L"Yes", L"No", L"Maybe", nullptr};

int Ask(const wchar_t* const* buttons = kConfirm) {
  return Host_Popup_Query(nullptr, L"Update DB Confirmation", L"Are you sure?", L"body", buttons, 0, 0, 0);
}

void Popup_Clear() {
  Host_Popup_Reset();
  Host_Popup_Handler_Set(nullptr);
}

class HostPopup : public ::testing::Test {
protected:
  void SetUp() override { Popup_Clear(); }
  void TearDown() override { Popup_Clear(); }
};

TEST_F(HostPopup, QueryAnswersScriptedButtonsInOrderThenTheDefault) {
  Host_Popup_Answer_Push(1);
  Host_Popup_Answer_Push(2);
  Host_Popup_Answer_Push(0);
  EXPECT_EQ(Host_Popup_Answers_Pending(), 3u);
  EXPECT_EQ(Ask(kThree), 1);
  EXPECT_EQ(Ask(kThree), 2);
  EXPECT_EQ(Ask(kThree), 0);
  EXPECT_EQ(Ask(kThree), 0);  // the queue is empty: the default, 0 at start
  Host_Popup_Answer_Default(1);
  EXPECT_EQ(Ask(kThree), 1);
  EXPECT_EQ(Ask(kThree), 1);  // the default is not used up
  EXPECT_EQ(Host_Popup_Answers_Pending(), 0u);
  EXPECT_EQ(Host_Popup_Count(), 6u);
}

TEST_F(HostPopup, HistoryAndLogRecordWhatWasAskedAndAnswered) {
  Host_Report_Capture cap;
  Host_Popup_Message(nullptr, L"ERROR!", L"Thread Start failure", L"Unable to start thread", 350, 170, 3);
  Host_Popup_Answer_Push(1);
  EXPECT_EQ(Ask(), 1);
  std::vector<Host_Popup_Entry> h = Host_Popup_History();
  ASSERT_EQ(h.size(), 2u);
  EXPECT_FALSE(h[0].query);
  EXPECT_EQ(h[0].title, L"ERROR!");
  EXPECT_EQ(h[0].heading, L"Thread Start failure");
  EXPECT_EQ(h[0].width, 350);
  EXPECT_EQ(h[0].height, 170);
  EXPECT_EQ(h[0].key, 3);
  EXPECT_TRUE(h[1].query);
  EXPECT_EQ(h[1].buttons, (std::vector<std::wstring>{L"Go ahead", L"Cancel"}));
  EXPECT_EQ(h[1].answer, 1);
  std::vector<std::string> lines = cap.Texts(HOST_POPUP_REPORT_CLASS);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].find("Unable to start thread"), std::string::npos);
  EXPECT_NE(lines[1].find("-> 1 (Cancel)"), std::string::npos);
}

TEST_F(HostPopup, HistoryKeepsOnlyTheLatest) {
  for (size_t i = 0; i < HOST_POPUP_HISTORY + 5; ++i)
    Host_Popup_Message(nullptr, L"t", L"h", std::to_wstring(i).c_str(), 0, 0, 0);
  std::vector<Host_Popup_Entry> h = Host_Popup_History();
  ASSERT_EQ(h.size(), HOST_POPUP_HISTORY);
  EXPECT_EQ(h.front().body, L"5");
  EXPECT_EQ(h.back().body, std::to_wstring(HOST_POPUP_HISTORY + 4));
}

TEST_F(HostPopup, AnswerNamingNoButtonFallsToTheLastButtonAndIsReported) {
  struct Case { int scripted; int want; };
  const Case cases[] = {{2, 1}, {-1, 1}, {99, 1}};
  for (const Case& c : cases) {
    Host_Report_Capture cap;
    Host_Popup_Answer_Push(c.scripted);
    EXPECT_EQ(Ask(), c.want) << c.scripted;
    EXPECT_EQ(cap.Count(2), 2u) << c.scripted;
  }
}

TEST_F(HostPopup, QueryWithoutButtonsAnswersMinusOneAndKeepsTheScript) {
  Host_Report_Capture cap;
  Host_Popup_Answer_Push(0);
  const wchar_t* const none[] = {L""};
  EXPECT_EQ(Ask(none), -1);
  EXPECT_EQ(Ask(nullptr), -1);
  EXPECT_EQ(cap.Count(2), 4u);
  EXPECT_EQ(Host_Popup_Answers_Pending(), 1u);
}

TEST_F(HostPopup, HandlerAnswersFirstAndANegativeAnswerFallsBackToTheScript) {
  static std::atomic<int> reply;
  reply = 2;  // also when the test runs again in the same process
  Host_Popup_Handler_Set([](Host_Window, const Host_Popup_Entry& e) { return e.query ? reply.load() : 0; });
  Host_Popup_Answer_Push(1);
  EXPECT_EQ(Ask(kThree), 2);
  EXPECT_EQ(Host_Popup_Answers_Pending(), 1u);  // the script was not consulted
  reply = -1;
  EXPECT_EQ(Ask(kThree), 1);
  EXPECT_EQ(Host_Popup_Answers_Pending(), 0u);
}

TEST_F(HostPopup, NarrowFormsConvertFromUtf8) {
  const char* const buttons[] = {"Oui", "Non", ""};
  Host_Popup_Answer_Push(1);
  EXPECT_EQ(Host_Popup_Query(nullptr, "Titre", "\xC3\x89tes-vous s\xC3\xBBr ?", "", buttons, 0, 0, 0), 1);
  EXPECT_EQ(Host_Popup_Message(nullptr, "a", "b", "c", 0, 0, 0), 1);
  std::vector<Host_Popup_Entry> h = Host_Popup_History();
  ASSERT_EQ(h.size(), 2u);
  EXPECT_EQ(h[0].heading, L"\u00C9tes-vous s\u00FBr ?");
  EXPECT_EQ(h[0].buttons[1], L"Non");
}

TEST_F(HostPopup, ConcurrentQueriesUseEveryScriptedAnswerExactlyOnce) {
  const int kThreads = 4, kEach = 50;
  std::vector<int> pushed;
  for (int i = 0; i < kThreads * kEach; ++i) pushed.push_back(i % 3);
  for (int a : pushed) Host_Popup_Answer_Push(a);
  Host_Popup_Answer_Default(2);
  std::vector<std::vector<int>> got(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < kEach; ++i) got[t].push_back(Ask(kThree));
    });
  for (auto& th : threads) th.join();
  std::vector<int> all;
  for (auto& g : got) all.insert(all.end(), g.begin(), g.end());
  std::sort(all.begin(), all.end());
  std::sort(pushed.begin(), pushed.end());
  EXPECT_EQ(all, pushed);
  EXPECT_EQ(Host_Popup_Count(), uint64_t(kThreads * kEach));
}

TEST(HostWidgets, WaitCursorNestsNeverGoesBelowZeroAndBalancesAcrossThreads) {
  while (Host_Wait_Cursor_Depth() > 0) Host_Wait_Cursor_Off(nullptr);
  Host_Wait_Cursor_Off(nullptr);  // extra release ignored
  EXPECT_EQ(Host_Wait_Cursor_Depth(), 0);
  Host_Wait_Cursor_On(nullptr);
  Host_Wait_Cursor_On(nullptr);
  EXPECT_EQ(Host_Wait_Cursor_Depth(), 2);
  Host_Wait_Cursor_Off(nullptr);
  EXPECT_EQ(Host_Wait_Cursor_Depth(), 1);
  Host_Wait_Cursor_Off(nullptr);
  Host_Wait_Cursor_Off(nullptr);
  EXPECT_EQ(Host_Wait_Cursor_Depth(), 0);
  // Balanced pairs from several threads leave it at zero.
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([] {
      for (int i = 0; i < 1000; ++i) {
        Host_Wait_Cursor_On(nullptr);
        Host_Wait_Cursor_Off(nullptr);
      }
    });
  for (auto& th : threads) th.join();
  EXPECT_EQ(Host_Wait_Cursor_Depth(), 0);
}

TEST(HostWidgets, KeyStateTableAnswersKeyDown) {
  Host_Key_State_Reset();
  EXPECT_EQ(Host_Key_Down(16), 0);
  Host_Key_State_Set(16, true);  // Shift
  EXPECT_NE(Host_Key_Down(16), 0);
  EXPECT_EQ(Host_Key_Down(17), 0);  // Control is a key of its own
  Host_Key_State_Set(17, true);
  Host_Key_State_Set(16, false);
  EXPECT_EQ(Host_Key_Down(16), 0);
  EXPECT_NE(Host_Key_Down(17), 0);
  Host_Key_State_Set(256, true);  // outside the table: ignored
  Host_Key_State_Set(-1, true);
  EXPECT_EQ(Host_Key_Down(256), 0);
  EXPECT_EQ(Host_Key_Down(-1), 0);
  Host_Key_State_Reset();
  EXPECT_EQ(Host_Key_Down(17), 0);
}

TEST(HostWidgets, ColorKeepsRedInTheLowByte) {
  Host_Color c(0xFF332211u);
  EXPECT_EQ(c.get(), 0x00332211u);  // the top byte is no colour
  EXPECT_EQ(c.red(), 0x11);
  EXPECT_EQ(c.blue(), 0x33);
  EXPECT_EQ(Host_Color(0x11, 0x22, 0x33).get(), 0x00332211u);
}

TEST(HostWidgets, FontRecordKeepsItsDescription) {
  Host_Font f = Host_Create_Font(nullptr, "Arial", 700, 1, 12);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->face, L"Arial");  // the narrow form converts the face name
  EXPECT_EQ(f->size, 12);
  Host_Delete_Font(f);
  Host_Report_Capture cap;
  EXPECT_EQ(Host_Create_Font(nullptr, L"", 0, 0, 12), nullptr);
  EXPECT_EQ(Host_Create_Font(nullptr, L"Arial", 0, 0, 0), nullptr);
  EXPECT_EQ(cap.Count(2), 4u);
}

TEST(HostWidgets, BoxFillIsCutToTheBoxAndEveryCallCounts) {
  struct Case { int left, top, right, bottom; int want_left, want_top, want_right, want_bottom; };
  const Case cases[] = {
      {2, 2, 28, 8, 2, 2, 28, 8},        // inside: as asked
      {-5, -1, 40, 20, 0, 0, 30, 10},    // larger than the box: cut to it
      {20, 6, 10, 3, 20, 6, 20, 6},      // inverted: nothing painted
      {35, 12, 50, 15, 30, 10, 30, 10},  // wholly outside
  };
  Host_Widget_Box box;
  box.width = 30;
  box.height = 10;
  Host_Widget_Draw_Reset();
  for (const Case& c : cases) {
    Host_Widget_Box_Fill(&box, c.left, c.top, c.right, c.bottom, Host_Color(0x123456));
    Host_Widget_Draw d = Host_Widget_Draw_Last();
    EXPECT_EQ(d.kind, HOST_DRAW_FILL);
    EXPECT_EQ(d.box, &box);
    EXPECT_EQ((std::vector<int>{d.left, d.top, d.right, d.bottom}),
              (std::vector<int>{c.want_left, c.want_top, c.want_right, c.want_bottom})) << c.left;
    EXPECT_EQ(d.color.get(), 0x123456u);
  }
  box.color.set(0x00FF00);
  Host_Widget_Box_Redraw(&box);
  Host_Widget_Box_Redraw(nullptr);  // ignored, not counted
  Host_Widget_Box_Fill(nullptr, 0, 0, 1, 1, Host_Color());
  Host_Widget_Draw d = Host_Widget_Draw_Last();
  EXPECT_EQ(d.kind, HOST_DRAW_BOX);
  EXPECT_EQ(d.right, 30);
  EXPECT_EQ(d.bottom, 10);
  EXPECT_EQ(d.color.get(), 0x00FF00u);
  EXPECT_EQ(Host_Widget_Draw_Count(), std::size(cases) + 1);
  Host_Widget_Draw_Reset();
  EXPECT_EQ(Host_Widget_Draw_Count(), 0u);
  EXPECT_EQ(Host_Widget_Draw_Last().kind, HOST_DRAW_NONE);
}

}  // namespace
