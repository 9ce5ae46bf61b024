// The small services: key names, interface text files, the help address and its browser, the
// interface dimension pointers, the version text and the clipboard copy.
#include "host/Services_Host.h"
#include "platform/Fake_Program.h"

#include <platform/PlatformClipboard.h>
#include <platform/PlatformShell.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace services_test {
namespace {

namespace fs = std::filesystem;

class Key_Names : public Services_Host {};

TEST_F(Key_Names, NamesGiveTheirCodesExactlyAndQuotesAreIgnored) {
  struct Row {
    const char* name;
    int code;
  };
  const Row rows[] = {
      {"Escape", 27}, {"F1", 112}, {"F12", 123}, {"A", 65}, {"7", 55}, {"Num0", 96},
      {"\"Space\"", 32},  // quoted as a script writes it
      {"escape", 0},      // case counts
      {"Esc", 0},         // no prefix match
      {"", 0},
  };
  for (const Row& row : rows) EXPECT_EQ(Fct_Key_From_Name(row.name), row.code) << row.name;
  EXPECT_EQ(Fct_Key_From_Name(nullptr), 0);
}

TEST_F(Key_Names, AnEmptyOrMissingTableKnowsNoName) {
  Host_Var_Define_Owned(L"$KEY_NAME", VARIABLE_RECORD | VARIABLE_ARRAY, 0, nullptr, sizeof(void*));
  EXPECT_EQ(Fct_Key_From_Name("Escape"), 0);
  Host_Var_Remove(L"$KEY_NAME");
  EXPECT_EQ(Fct_Key_From_Name("Escape"), 0);
}

/// An installation folder of its own, holding interface text files.
class Tool_Texts : public Services_Host {
protected:
  void SetUp() override {
    Services_Host::SetUp();
    saved_.Save(&Host_Install_Dir);
    dir_ = fs::temp_directory_path() / ("quarn_texts_" + std::to_string(::getpid()));
    fs::create_directories(dir_ / "Quarn_Interface" / "Eng");
    install_ = dir_.wstring() + L"/";
    Host_Install_Dir = install_.c_str();
  }
  void TearDown() override {
    fs::remove_all(dir_);
    Services_Host::TearDown();
  }
  void File(const char* tool, const std::string& text) {
    std::ofstream(dir_ / "Quarn_Interface" / "Eng" / (std::string(tool) + ".txt")) << text;
  }
  std::vector<std::wstring> Read(const char* tool) {
    wchar_t** entries = nullptr;
    const int n = Fct_Tool_Text_Read(tool, &entries);
    std::vector<std::wstring> out;
    for (int i = 0; i < n; ++i) out.push_back(entries[i]);
    Fct_Tool_Text_Cleanup(n, entries);
    return out;
  }

  fs::path dir_;
  std::wstring install_;
};

TEST_F(Tool_Texts, EntriesGoToTheirIndexWithCommentsAndBlanksStripped) {
  File("paint",
       "\xEF\xBB\xBF; the paint tool\n"
       "1: Brush\n"
       "3 :  Fill  ; a comment\n"
       "\n"
       "no entry on this line\n"
       "2:Caf\xC3\xA9\r\n"
       "5:\n"
       "4: a:b\n");
  const std::vector<std::wstring> e = Read("paint");
  ASSERT_EQ(e.size(), 5u);
  EXPECT_EQ(e[0], L"Brush");
  EXPECT_EQ(e[1], L"Caf\u00E9");
  EXPECT_EQ(e[2], L"Fill");
  EXPECT_EQ(e[3], L"a:b");  // only the first colon splits
  EXPECT_EQ(e[4], L"");
}

TEST_F(Tool_Texts, MalformedLinesAreReportedAndSkipped) {
  std::string text = "2: two\nx: bad\n0: zero\n257: too far\n-1: negative\n2: again\n";
  text += "1: " + std::string(TOOL_TEXT_LINE_MAX, 'l') + "\n";  // a line too long
  File("bad", text);
  Host_Report_Capture capture;
  const std::vector<std::wstring> e = Read("bad");
  ASSERT_EQ(e.size(), 2u);
  EXPECT_EQ(e[0], L"");  // the overlong line gave nothing
  EXPECT_EQ(e[1], L"again");
  EXPECT_TRUE(capture.Contains("no entry number in \"x\""));
  EXPECT_TRUE(capture.Contains("entry number outside 1 ... 256: \"0\""));
  EXPECT_TRUE(capture.Contains("entry number outside 1 ... 256: \"257\""));
  EXPECT_TRUE(capture.Contains("entry number outside 1 ... 256: \"-1\""));
  EXPECT_TRUE(capture.Contains("entry given again, the later text kept: \"2\""));
  EXPECT_TRUE(capture.Contains("line longer than 2048 characters skipped"));
}

TEST_F(Tool_Texts, AFileThatCannotBeReadGivesNoEntriesAndSaysWhy) {
  Host_Report_Capture capture;
  wchar_t** entries = reinterpret_cast<wchar_t**>(1);
  EXPECT_EQ(Fct_Tool_Text_Read("absent", &entries), 0);
  EXPECT_EQ(entries, nullptr);
  EXPECT_TRUE(capture.Contains("Quarn_Interface/Eng/absent.txt"));
  EXPECT_TRUE(capture.Contains("No such file or directory"));
  File("empty", "; nothing\n");
  EXPECT_EQ(Fct_Tool_Text_Read("empty", &entries), 0);
  EXPECT_EQ(Fct_Tool_Text_Read(nullptr, &entries), 0);
}

/// A help folder, a scratch folder and an opener that hands over what it was given.
class Help : public Services_Host {
protected:
  void SetUp() override {
    Services_Host::SetUp();
    dir_ = fs::temp_directory_path() / ("quarn_help_" + std::to_string(::getpid()));
    fs::create_directories(dir_ / "pages");
    std::ofstream(dir_ / "pages" / "paint.htm") << "<html/>";
    saved_.Save(&Host_Scratch_Dir);
    scratch_ = dir_.wstring() + L"/";
    Host_Scratch_Dir = scratch_.c_str();
  }
  void TearDown() override {
    Platform_Shell_Program_Set("");
    fs::remove_all(dir_);
    Services_Host::TearDown();
  }
  /// The address the opener was handed for a topic and anchor.
  std::string Opened(const char* topic, const char* anchor) {
    fake::Program opener("xdg-open");
    opener.Expect_Detached();
    Platform_Shell_Program_Set(opener.Path().c_str());
    EXPECT_EQ(Fct_Help(topic, anchor), 1);
    return opener.Await(10000);
  }

  fs::path dir_;
  std::wstring scratch_;
};

TEST_F(Help, TheAddressFollowsTheTopicsKind) {
  Set_Text(L"$INTERFACE_HELP_INDEX", L"https://help.example/");
  const std::string pages = dir_.string() + "/pages/";
  const std::string page = pages + "paint.htm";
  struct Row {
    const wchar_t* local;
    const char* topic;
    const char* anchor;
    std::string address;
  };
  const Row rows[] = {
      {nullptr, nullptr, nullptr, "https://help.example/index.htm"},                  // no topic: the index
      {nullptr, "paint", nullptr, "https://help.example/index.htm?id=paint"},         // an id, online
      {L"/opt/help/", "paint", "brush", "/opt/help/index.htm?id=paint#brush"},        // an id, installed
      {nullptr, page.c_str(), "top", "file://" + page + "#top"},  // an existing page
      {nullptr, "missing.html", nullptr, "https://help.example/topics/missing.html"},  // a page found nowhere
  };
  for (const Row& row : rows) {
    Set_Text(L"$INTERFACE_HELP_LOCAL", row.local);
    EXPECT_EQ(Opened(row.topic, row.anchor), row.address) << (row.topic ? row.topic : "(none)");
  }
  // A page of the installed help folder is found there.
  Set_Text(L"$INTERFACE_HELP_LOCAL", (dir_.wstring() + L"/pages/").c_str());
  EXPECT_EQ(Opened("paint.htm", nullptr), "file://" + pages + "paint.htm");
}

TEST_F(Help, ALocalPageIsAlsoLeftAsAShortcut) {
  const std::string page = dir_.string() + "/pages/paint.htm";
  Opened(page.c_str(), "top");
  std::ifstream shortcut(dir_ / "HelpURL.url");
  std::string text((std::istreambuf_iterator<char>(shortcut)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text, "[InternetShortcut]\nURL=file://" + page + "#top");
}

TEST_F(Help, WithoutABrowserTheReportNamesWhatToOpen) {
  Platform_Shell_Program_Set("");
  Set_Text(L"$INTERFACE_HELP_INDEX", L"https://help.example/");
  Host_Report_Capture capture;
  EXPECT_EQ(Fct_Help("paint", nullptr), 1);
  EXPECT_TRUE(capture.Contains("No browser could be started for the help"));
  EXPECT_TRUE(capture.Contains("Open https://help.example/index.htm?id=paint yourself"));
  const std::string page = dir_.string() + "/pages/paint.htm";
  EXPECT_EQ(Fct_Help(page.c_str(), nullptr), 1);
  EXPECT_TRUE(capture.Contains("Open " + dir_.string() + "/HelpURL.url yourself"));
}

class Interface_Dims : public Services_Host {};

TEST_F(Interface_Dims, PointersReachTheVariablesInBothDirections) {
  EXPECT_EQ(Fct_Interface_Get(), 1);
  ASSERT_NE(DB_Button_Dim_Big, nullptr);
  EXPECT_EQ(*DB_Button_Dim_Big, 32);
  *DB_Border_Dim = 5;  // writing through a pointer changes the variable
  EXPECT_EQ(*Var<uint16_t>(L"$INTERFACE_BORDER_DIM"), 5);
  *Var<uint16_t>(L"$INTERFACE_NUM_SML") = 33;
  EXPECT_EQ(*DB_Num_Sml, 33);
  ASSERT_NE(DB_Tools_Font_Weigth, nullptr);
  EXPECT_STREQ(*DB_Tools_Font_Weigth, L"normal");
  DB_Free(DB_Title_Font_Name);  // the variable is empty then
  EXPECT_EQ(*Var<wchar_t*>(L"$INTERFACE_TITLE_FONT_NAME"), nullptr);
  DB_Free(nullptr);
  DB_Cleanup();
}

TEST_F(Interface_Dims, AMissingOrMistypedVariableLeavesItsPointerEmpty) {
  Host_Var_Remove(L"$INTERFACE_CURSOR_DIM");
  const int wide = 70000;
  Host_Var_Define_Owned(L"$INTERFACE_VAL_DIM_MID", VARIABLE_INT, 1, &wide, sizeof wide);
  Host_Report_Capture capture;
  EXPECT_EQ(Fct_Interface_Get(), 1);
  EXPECT_EQ(DB_Cursor_Dim, nullptr);
  EXPECT_EQ(DB_Val_Dim_Mid, nullptr);  // a 16-bit pointer would write half of it
  EXPECT_NE(DB_Val_Dim_Sml, nullptr);
  EXPECT_TRUE(capture.Contains("$INTERFACE_CURSOR_DIM is not a writable variable of the host"));
  EXPECT_TRUE(capture.Contains("$INTERFACE_VAL_DIM_MID is no 16-bit value"));
}

TEST(Version, TheTextComesFromTheBuildAndTheInterfaceVersionSelectsIt) {
  const std::string text = Get_Version_Quarn(nullptr);
  EXPECT_TRUE(text.rfind("libquarn.so ", 0) == 0) << text;
  EXPECT_NE(text.find(" (rev-"), std::string::npos);
  EXPECT_EQ(std::string(Get_Version_Quarn("")), text);
  // The interface version is the major and minor numbers of the text run together.
  const size_t blank = text.find(' ');
  const std::string version = text.substr(blank + 1, text.find(' ', blank + 1) - blank - 1);
  std::string digits = version;
  digits.erase(digits.find('.'), 1);
  EXPECT_EQ(std::string(Get_Version_Quarn(digits.c_str())), text);
  EXPECT_STREQ(Get_Version_Quarn("61"), "");
  EXPECT_STREQ(Get_Version_Quarn(version.c_str()), "");  // the dotted form is not it
}

class Clipboard : public Services_Host {
protected:
  void SetUp() override {
    Services_Host::SetUp();
    Platform_Clipboard_Helper_Set("");
  }
  static std::wstring Text() {
    wchar_t buffer[64];
    return Platform_Clipboard_Get_Text(buffer, 64) < 0 ? L"<none>" : buffer;
  }
};

TEST_F(Clipboard, ATextIsHandedOverWhole) {
  EXPECT_EQ(Clipboard_Copy(nullptr, L"12,50 mm\u00B2"), 1);
  EXPECT_EQ(Text(), L"12,50 mm\u00B2");
  EXPECT_EQ(Clipboard_Copy(nullptr, L""), 1);
  EXPECT_EQ(Text(), L"");
}

TEST_F(Clipboard, EachFailedStepIsReportedWithItsReasonAndLeavesTheClipboardClosed) {
  Host_Report_Capture capture;
  // Another owner holds it.
  ASSERT_EQ(Platform_Clipboard_Open(nullptr), 1);
  EXPECT_EQ(Clipboard_Copy(nullptr, L"x"), 0);
  Platform_Clipboard_Close();
  EXPECT_TRUE(capture.Contains("Failed in OpenClipboard()"));
  EXPECT_TRUE(capture.Contains("Device or resource busy"));
  // The helper refuses the text.
  fake::Program xclip("xclip");
  xclip.Status(1);
  Platform_Clipboard_Helper_Set(xclip.Path().c_str());
  EXPECT_EQ(Clipboard_Copy(nullptr, L"y"), 0);
  EXPECT_EQ(capture.Count(quarn::msg::Clipboard), 2u);
  EXPECT_TRUE(capture.Contains("Failed in SetClipboardData()"));
  Platform_Clipboard_Helper_Set("");
  EXPECT_EQ(Clipboard_Copy(nullptr, L"z"), 1);  // closed after each failure
  EXPECT_EQ(Clipboard_Copy(nullptr, nullptr), 0);
}

}  // namespace
}  // namespace services_test
