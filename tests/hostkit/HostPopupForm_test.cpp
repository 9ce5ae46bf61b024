// Pop-up forms: check boxes and a choice list beside the buttons, answered from a script.
#include <hostkit/HostReport.h>
#include <hostkit/HostWidgets.h>

#include <gtest/gtest.h>

namespace {

const wchar_t* const kButtons[] = {L"Abort", L"Continue", nullptr};
const wchar_t* const kChecks[] = {L"first", L"second", L""};
const wchar_t* const kChoices[] = {L"1", L"2", L"5", nullptr};

class HostPopupForm : public ::testing::Test {
protected:
  void SetUp() override { Host_Popup_Reset(); }
  void TearDown() override { Host_Popup_Reset(); }

  int Ask() {
    Host_Popup_Form form;
    form.checks = kChecks;
    form.check_values = checks;
    form.choice_label = L"size";
    form.choices = kChoices;
    form.choice = &choice;
    form.font_face = L"Arial";
    form.font_weight = L"bold";
    return Host_Popup_Query_Form(nullptr, L"title", L"heading", L"body", kButtons, &form, 0, 0, 0);
  }

  int checks[2] = {0, 1};
  int choice = 2;
};

TEST_F(HostPopupForm, ScriptedControlsAreWrittenBackAndLogged) {
  Host_Popup_Answer_Push(1);
  Host_Popup_Form_Answer_Push(0x1, 0);
  Host_Report_Capture capture;
  EXPECT_EQ(Ask(), 1);
  EXPECT_EQ(checks[0], 1);
  EXPECT_EQ(checks[1], 0);
  EXPECT_EQ(choice, 0);
  const Host_Popup_Entry e = Host_Popup_History().back();
  EXPECT_EQ(e.checks, (std::vector<std::wstring>{L"first", L"second"}));
  EXPECT_EQ(e.check_values, (std::vector<int>{1, 0}));
  EXPECT_EQ(e.choice_label, L"size");
  EXPECT_EQ(e.choice, 0);
  EXPECT_EQ(e.font, L"Arial bold");
  EXPECT_TRUE(capture.Contains("-> 1 (Continue) [x] first [ ] second size 1"));
}

TEST_F(HostPopupForm, WithoutAScriptedAnswerTheControlsKeepWhatWasShown) {
  EXPECT_EQ(Ask(), 0);  // the default button
  EXPECT_EQ(checks[0], 0);
  EXPECT_EQ(checks[1], 1);
  EXPECT_EQ(choice, 2);
  Host_Popup_Form_Answer_Push(0, 7);  // no such entry: the shown one stays
  Ask();
  EXPECT_EQ(choice, 2);
  EXPECT_EQ(checks[1], 0);
}

}  // namespace
