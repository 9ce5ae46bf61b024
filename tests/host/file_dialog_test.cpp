// File and folder dialogs as the host and modules use them: filters, the remembered folder, the
// focus lock, what a dialog's failure or absence reports, folders checked and created, files
// opened through the script language and dropped from the lists.
#include "host/Services_Host.h"
#include "platform/Fake_Program.h"

#include <platform/PlatformDialog.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace services_test {
namespace {

namespace fs = std::filesystem;

/// The filter text up to and with its closing double NUL.
std::wstring Filter_Of(const wchar_t* filter) {
  size_t end = 0;
  while (filter[end] || filter[end + 1]) ++end;
  return std::wstring(filter, end + 2);
}

std::wstring Nul(const wchar_t* text, size_t n) { return std::wstring(text, n); }

class Filter : public Services_Host {
protected:
  static void List(const wchar_t* name, const wchar_t* value) {
    wchar_t* text = wcsdup(value);
    Host_Var_Define_Owned(name, VARIABLE_STRING, 1, &text, sizeof text);
  }
};

TEST_F(Filter, EachPairGivesItsLabelListAndPatternList) {
  struct Row {
    const wchar_t* extensions;
    const wchar_t* label_part;
    const wchar_t* pattern_part;
  };
  const Row rows[] = {
      {L"dcm,ima", L"Images (*.dcm,*.ima)", L"*.dcm;*.ima"},
      {L"dcm ima", L"Images (*.dcm,*.ima)", L"*.dcm;*.ima"},
      {L"dcm;ima", L"Images (*.dcm,*.ima)", L"*.dcm;*.ima"},
      {L"  dcm   ima ", L"Images (*.dcm,*.ima)", L"*.dcm;*.ima"},
      {L"dcm,ima,img", L"Images (*.dcm,*.ima,img)", L"*.dcm;*.ima,img"},  // only the first ends at a comma
      {L"dcm", L"Images (*.dcm)", L"*.dcm"},
  };
  for (const Row& row : rows) {
    List(L"$EXT_IMAGES", row.extensions);
    const std::wstring expected = row.label_part + std::wstring(1, L'\0') + row.pattern_part + Nul(L"\0\0", 2);
    EXPECT_EQ(Filter_Of(Fct_Create_szFilter(1, L"Images", "$EXT_IMAGES")), expected) << row.extensions;
  }
  // Regression: a list without extensions gave an empty pattern list, whose NUL and the one
  // after it read as the end of the filter, so that the pairs after it were lost.
  List(L"$EXT_NONE", L"  ");
  List(L"$EXT_IMAGES", L"dcm");
  EXPECT_EQ(Filter_Of(Fct_Create_szFilter(2, L"None", "$EXT_NONE", L"Images", "$EXT_IMAGES")),
            Nul(L"Images (*.dcm)\0*.dcm\0\0", 22));
}

TEST_F(Filter, PairsFollowEachOtherAndAMissingVariableGivesNothing) {
  List(L"$EXT_IMAGES", L"dcm,ima");
  Set_Text(L"$INTERFACE_HELP_INDEX", L"txt");  // any wide text serves
  char* narrow = strdup("csv");
  Host_Var_Define_Owned(L"$EXT_TABLES", VARIABLE_STRING | VARIABLE_CHAR, 1, &narrow, sizeof narrow);
  const wchar_t* filter = Fct_Create_szFilter(3, L"Images", "$EXT_IMAGES", L"None", "$EXT_ABSENT", L"Tables",
                                              "$EXT_TABLES");
  EXPECT_EQ(Filter_Of(filter), Nul(L"Images (*.dcm,*.ima)\0*.dcm;*.ima\0Tables (*.csv)\0*.csv\0\0", 55));
  EXPECT_EQ(Filter_Of(Fct_Create_szFilter(0)), Nul(L"\0\0", 2));
}

TEST_F(Filter, WhatDoesNotFitIsReportedAndLeftOut) {
  Host_Report_Capture capture;
  // Pattern lists hold 79 characters: 15 extensions of 3 letters take 15 * 5 + 14 = 89.
  std::wstring many;
  for (int i = 0; i < 15; ++i) many += L"e" + std::to_wstring(10 + i) + L" ";
  List(L"$EXT_MANY", many.c_str());
  const std::wstring kept = Filter_Of(Fct_Create_szFilter(1, L"Many", "$EXT_MANY"));
  const std::wstring patterns = kept.substr(kept.find(L'\0') + 1);
  EXPECT_EQ(patterns.find(L"*.e23"), std::wstring::npos);
  EXPECT_NE(patterns.find(L"*.e22"), std::wstring::npos);  // 13 * 6 - 1 = 77 characters
  EXPECT_TRUE(capture.Contains("the pattern list with \"*.e23\" is longer than 79 characters"));
  // A pair holds 255 characters.
  List(L"$EXT_IMAGES", L"dcm");
  const std::wstring label(260, L'L');
  EXPECT_EQ(Filter_Of(Fct_Create_szFilter(1, label.c_str(), "$EXT_IMAGES")), Nul(L"\0\0", 2));
  EXPECT_TRUE(capture.Contains("is longer than 255 characters"));
  // The whole holds 2048: pairs of 250 characters, eight fit.
  const std::wstring big(250 - 15, L'B');  // label + " (*.dcm)" NUL "*.dcm" NUL = 250
  const wchar_t* b = big.c_str();
  const std::wstring all = Filter_Of(Fct_Create_szFilter(10, b, "$EXT_IMAGES", b, "$EXT_IMAGES", b, "$EXT_IMAGES", b,
                                                         "$EXT_IMAGES", b, "$EXT_IMAGES", b, "$EXT_IMAGES", b,
                                                         "$EXT_IMAGES", b, "$EXT_IMAGES", b, "$EXT_IMAGES", b,
                                                         "$EXT_IMAGES"));
  EXPECT_EQ(all.size(), 8u * 250u + 1u);
  EXPECT_TRUE(capture.Contains("do not fit its 2048 characters; 2 of 10 pairs are left out"));
}

/// A folder with files the dialogs are answered with; no dialog program.
class Dialogs : public Services_Host {
protected:
  void SetUp() override {
    Services_Host::SetUp();
    Platform_Dialog_Answers_Clear();
    Platform_Dialog_Program_Set("");
    dir_ = fs::temp_directory_path() / ("quarn_dialogs_" + std::to_string(::getpid()));
    fs::create_directories(dir_ / "sub");
    for (const char* name : {"a.dcm", "b.dcm", "c.dcm", "sub/d.dcm"}) std::ofstream(dir_ / name) << "x";
    folder_ = dir_.wstring() + L"/";
    Set_Text(L"$DEFAULT_FILE_PATH", folder_.c_str());
  }
  void TearDown() override {
    Platform_Dialog_Answers_Clear();
    fs::remove_all(dir_);
    Services_Host::TearDown();
  }
  void Answer(std::vector<std::wstring> paths, int filter = 0) {
    std::vector<const wchar_t*> p;
    for (auto& s : paths) p.push_back(s.c_str());
    ASSERT_EQ(Platform_Dialog_Answer_Paths(p.data(), int(p.size()), filter), 1);
  }
  std::wstring Remembered() {
    const wchar_t* folder = *Var<wchar_t*>(L"$DEFAULT_FILE_PATH");
    return folder ? folder : L"<none>";
  }
  uint8_t Focus() { return *Var<uint8_t>(L"$INTERFACE_LOCK_FOCUS"); }
  std::wstring P(const char* name) { return (dir_ / name).wstring(); }

  fs::path dir_;
  std::wstring folder_;
  wchar_t paths_[4][FILE_PATH_MAX] = {};
};

TEST_F(Dialogs, OpenWritesEachChosenPathAndRemembersItsFolder) {
  Answer({P("sub/d.dcm")});
  EXPECT_EQ(Fct_Open_FileName("Open", nullptr, 4, paths_, 0), 1);
  EXPECT_EQ(std::wstring(paths_[0]), P("sub/d.dcm"));
  EXPECT_EQ(Remembered(), P("sub") + L"/");
  EXPECT_EQ(Focus(), 0);
  const Platform_Dialog_Seen seen = Platform_Dialog_Last();
  EXPECT_EQ(seen.title, L"Open");
  EXPECT_EQ(seen.folder, folder_);  // started in the folder remembered before
  EXPECT_EQ(seen.options, 0x281A04u);
  EXPECT_EQ(seen.buffer_size, 4 * FILE_PATH_MAX);
  // Several: the common folder, ending with its separator, and each name joined to it.
  Answer({P("a.dcm"), P("sub/d.dcm")});
  EXPECT_EQ(Fct_Open_FileName("Open", nullptr, 4, paths_, DIALOG_HIDE_READ_ONLY), 2);
  EXPECT_EQ(std::wstring(paths_[1]), P("sub/d.dcm"));
  EXPECT_EQ(Remembered(), folder_);
  EXPECT_EQ(Platform_Dialog_Last().options, 0x281A00u);  // the option switched off
}

TEST_F(Dialogs, MoreFilesThanAllowedWriteTheAllowedOnesAndWarn) {
  Host_Report_Capture capture;
  Answer({P("a.dcm"), P("b.dcm"), P("c.dcm")});
  EXPECT_EQ(Fct_Open_FileName("Open", nullptr, 2, paths_, 0), 2);
  EXPECT_EQ(std::wstring(paths_[1]), P("b.dcm"));
  EXPECT_TRUE(capture.Contains("WARNING: To many file at once"));
  EXPECT_TRUE(capture.Contains("You can not open more than 2 files at once"));
  EXPECT_EQ(capture.Count(quarn::msg::Invalid), 2u);
}

TEST_F(Dialogs, CancellingAnyDialogLeavesTheFolderAndUnlocksTheFocus) {
  Host_Report_Capture capture;
  Platform_Dialog_Answer_Cancel();
  EXPECT_EQ(Fct_Open_FileName("Open", nullptr, 1, paths_, 0), 0);
  Platform_Dialog_Answer_Cancel();
  EXPECT_EQ(Fct_Save_FileName("Save", nullptr, L"x", L"txt", paths_[0], 0), 0);
  Platform_Dialog_Answer_Cancel();
  EXPECT_EQ(Fct_Open_DirName("Folder", paths_[0]), 0);
  EXPECT_EQ(Remembered(), folder_);
  EXPECT_EQ(Focus(), 0);
  EXPECT_TRUE(capture.Contains("out Fct_Open_FileName: return without files"));
  EXPECT_EQ(capture.Count(quarn::msg::Invalid), 0u);
}

TEST_F(Dialogs, FailuresAreReportedByTheirNumber) {
  struct Row {
    uint32_t code;
    const char* text;
  };
  const Row rows[] = {
      {1, "\"Struct Size\" in GetOpenFileName()!"},         {2, "\"Initialization\" in GetOpenFileName()!"},
      {3, "\"No Template\" in GetOpenFileName()!"},         {4, "\"No Hinstance\" in GetOpenFileName()!"},
      {5, "\"Load Str. Failure\" in GetOpenFileName()!"},   {6, "\"Find Res. Failure\" in GetOpenFileName()!"},
      {7, "\"Load Res. Failure\" in GetOpenFileName()!"},   {8, "\"Lock Res. Failure\" in GetOpenFileName()!"},
      {9, "\"Mem. Alloc. Failure\" in GetOpenFileName()!"}, {10, "\"Mem. Lock Failure\" in GetOpenFileName()!"},
      {11, "\"No Hook\" in GetOpenFileName()!"},            {0x3001, "\"Sub-Class Failure\" in GetOpenFileName()!"},
      {0x3002, "\"Invalid File name\" in GetOpenFileName()!"}, {0x3003, "\"Buffer to Small\" in GetOpenFileName()!"},
      {0xFFFF, "\"Dialog Failure\" in GetOpenFileName()!"}, {12, "\"Unknown error\" in GetOpenFileName()!"},
  };
  for (const Row& row : rows) {
    Host_Report_Capture capture;
    Platform_Dialog_Answer_Error(row.code);
    EXPECT_EQ(Fct_Open_FileName("Open", nullptr, 1, paths_, 0), 0);
    ASSERT_GE(capture.Texts(quarn::msg::Invalid).size(), 1u);
    EXPECT_EQ(capture.Texts(quarn::msg::Invalid)[0], std::string("WARNING: ") + row.text);
    EXPECT_EQ(Focus(), 0);
  }
}

TEST_F(Dialogs, AnAnswerNamingAMissingFileIsAnInvalidNameThatNamesIt) {
  Host_Report_Capture capture;
  Answer({P("a.dcm"), P("gone.dcm")});
  EXPECT_EQ(Fct_Open_FileName("Open", nullptr, 2, paths_, 0), 0);
  EXPECT_TRUE(capture.Contains("\"Invalid File name\" in GetOpenFileName()!"));
  EXPECT_TRUE(capture.Contains(dir_.string() + "/gone.dcm"));
  EXPECT_EQ(Remembered(), folder_);
}

TEST_F(Dialogs, PathsBeyond770CharactersAreReportedNeverCut) {
  Host_Report_Capture capture;
  // A path of 771 characters; the file need not exist once the caller says so.
  const std::wstring long_name(771 - folder_.size(), L'n');
  Answer({folder_ + long_name, P("a.dcm")});
  EXPECT_EQ(Fct_Open_FileName("Open", nullptr, 3, paths_, DIALOG_FILE_MUST_EXIST), 1);
  EXPECT_EQ(std::wstring(paths_[0]), P("a.dcm"));
  EXPECT_TRUE(capture.Contains("a path longer than 770 characters is left out"));
  // One path alone does not fit a dialog of one and fails as the dialog fails.
  Answer({folder_ + long_name});
  EXPECT_EQ(Fct_Open_FileName("Open", nullptr, 1, paths_, DIALOG_FILE_MUST_EXIST), 0);
  EXPECT_TRUE(capture.Contains("\"Buffer to Small\" in GetOpenFileName()!"));
  // The longest that fits.
  const std::wstring fits = folder_ + std::wstring(770 - folder_.size(), L'f');
  Answer({fits});
  EXPECT_EQ(Fct_Open_FileName("Open", nullptr, 1, paths_, DIALOG_FILE_MUST_EXIST), 1);
  EXPECT_EQ(std::wstring(paths_[0]), fits);
  EXPECT_EQ(Fct_Open_FileName("Open", nullptr, 0, paths_, 0), 0);
}

// The save and folder dialogs hold one path of 771 characters: the extension the save dialog
// adds and the separator a folder gets count too, and what no longer fits is reported whole.
TEST_F(Dialogs, SaveAndFolderAnswersAtThePathLimit) {
  Host_Report_Capture capture;
  // Save: 766 characters and ".csv" are the longest that fit; one more fails as the dialog fails.
  const std::wstring name_766 = folder_ + std::wstring(766 - folder_.size(), L's');
  Answer({name_766});
  EXPECT_EQ(Fct_Save_FileName("Save", nullptr, nullptr, L"csv", paths_[0], 0), 1);
  EXPECT_EQ(std::wstring(paths_[0]), name_766 + L".csv");
  Answer({name_766 + L"s"});
  EXPECT_EQ(Fct_Save_FileName("Save", nullptr, nullptr, L"csv", paths_[0], 0), 0);
  EXPECT_TRUE(capture.Contains("\"Buffer to Small\" in GetOpenFileName()!"));
  EXPECT_TRUE(capture.Contains("772 characters needed, 771 given"));
  EXPECT_EQ(std::wstring(paths_[0]), name_766 + L".csv");  // the caller's path is left alone
  EXPECT_EQ(Focus(), 0);
  // Folder: one of 769 characters gets its separator; one of 770 would need 771 with it.
  auto nested = [this](size_t length) {
    std::wstring path = folder_.substr(0, folder_.size() - 1);
    while (path.size() < length) path += L"/" + std::wstring(std::min<size_t>(200, length - path.size() - 1), L'd');
    fs::create_directories(fs::path(path));
    return path;
  };
  const std::wstring folder_769 = nested(769), folder_770 = nested(770);
  ASSERT_EQ(folder_769.size(), 769u);
  ASSERT_EQ(folder_770.size(), 770u);
  Answer({folder_769});
  EXPECT_EQ(Fct_Open_DirName("Folder", paths_[0]), 1);
  EXPECT_EQ(std::wstring(paths_[0]), folder_769 + L"/");
  capture.Clear();
  Answer({folder_770});
  EXPECT_EQ(Fct_Open_DirName("Folder", paths_[0]), 0);
  EXPECT_TRUE(capture.Contains("Fct_Open_DirName: a path longer than 770 characters is left out"));
  EXPECT_TRUE(capture.Contains(fs::path(folder_770).string() + "/"));  // named whole
  EXPECT_EQ(std::wstring(paths_[0]), folder_769 + L"/");
  EXPECT_EQ(Focus(), 0);
}

TEST_F(Dialogs, WithoutAnswerOrProgramNoDialogIsAvailable) {
  Host_Report_Capture capture;
  EXPECT_EQ(Fct_Open_FileName("Open", nullptr, 1, paths_, 0), 0);
  EXPECT_EQ(Fct_Open_DirName("Folder", paths_[0]), 0);
  EXPECT_TRUE(capture.Contains("WARNING: Fct_Open_FileName: no dialog available"));
  EXPECT_TRUE(capture.Contains("WARNING: Fct_Open_DirName: no dialog available"));
  EXPECT_EQ(Focus(), 0);
  EXPECT_EQ(Remembered(), folder_);
}

TEST_F(Dialogs, ADialogProgramAnswersWhenOneIsSet) {
  fake::Program zenity("zenity");
  Platform_Dialog_Program_Set(zenity.Path().c_str());
  zenity.Reply(dir_.string() + "/b.dcm\n");
  const std::wstring filter = Nul(L"Images (*.dcm)\0*.dcm\0\0", 22);
  EXPECT_EQ(Fct_Open_FileName("Pick one", filter.c_str(), 1, paths_, 0), 1);
  EXPECT_EQ(std::wstring(paths_[0]), P("b.dcm"));
  EXPECT_TRUE(zenity.Has_Arg("--title=Pick one"));
  Platform_Dialog_Program_Set("");
}

TEST_F(Dialogs, SaveProposesTheNameAddsTheExtensionAndGivesTheFilterChosen) {
  Answer({L"report"}, 2);
  EXPECT_EQ(Fct_Save_FileName("Save", nullptr, L"proposed", L"csv", paths_[0], 0), 2);
  EXPECT_EQ(std::wstring(paths_[0]), folder_ + L"report.csv");
  EXPECT_EQ(Platform_Dialog_Last().name, L"proposed");
  EXPECT_EQ(Platform_Dialog_Last().options, 0x280006u);
  EXPECT_EQ(Remembered(), folder_);
  Answer({P("sub/x.txt")});
  EXPECT_EQ(Fct_Save_FileName("Save", nullptr, nullptr, nullptr, paths_[0], DIALOG_OVERWRITE_PROMPT), 1);
  EXPECT_EQ(Remembered(), P("sub") + L"/");
  EXPECT_EQ(Platform_Dialog_Last().options, 0x280004u);
  // A proposed name too long to propose is reported and the dialog starts empty.
  Host_Report_Capture capture;
  const std::wstring too_long(FILE_PATH_MAX, L'n');
  Answer({P("a.dcm")});
  EXPECT_EQ(Fct_Save_FileName("Save", nullptr, too_long.c_str(), nullptr, paths_[0], 0), 1);
  EXPECT_EQ(Platform_Dialog_Last().name, L"");
  EXPECT_TRUE(capture.Contains("Fct_Save_FileName: a path longer than 770 characters is left out"));
}

TEST_F(Dialogs, AFolderIsWrittenWithItsClosingSeparator) {
  Answer({P("sub")});
  EXPECT_EQ(Fct_Open_DirName("Folder", paths_[0]), 1);
  EXPECT_EQ(std::wstring(paths_[0]), P("sub") + L"/");
  Host_Report_Capture capture;
  Answer({P("a.dcm")});  // a file is no folder
  EXPECT_EQ(Fct_Open_DirName("Folder", paths_[0]), 0);
  EXPECT_TRUE(capture.Contains("\"Invalid File name\" in GetOpenFileName()!"));
}

TEST_F(Dialogs, DirTestPointsAtTheLastSeparatorOrWarnsTheUser) {
  const std::wstring sub = P("sub") + L"/";
  EXPECT_EQ(Fct_Dir_Test(sub.c_str(), ""), sub.c_str() + sub.size() - 1);
  Host_Popup_Reset();
  Host_Report_Capture capture;
  const std::wstring gone = P("gone");
  EXPECT_EQ(Fct_Dir_Test(gone.c_str(), " (for the export)"), nullptr);
  EXPECT_TRUE(capture.Contains("Directory \"" + dir_.string() + "/gone\" does not exist!"));
  const std::vector<Host_Popup_Entry> popups = Host_Popup_History();
  ASSERT_EQ(popups.size(), 1u);
  EXPECT_EQ(popups[0].title, L"WARNING!");
  EXPECT_EQ(popups[0].heading, L"Openning directory");
  EXPECT_EQ(popups[0].body, L"Directory: \n\"\x01" + gone + L"\x02\"\ndoes not exist! (for the export)");
  EXPECT_EQ(Fct_Dir_Test(nullptr, nullptr), nullptr);
}

TEST_F(Dialogs, DirInputCreatesAMissingFolderOnlyWhenTheUserAgrees) {
  Host_Popup_Reset();
  const std::wstring made = P("made/deeper");
  Host_Popup_Answer_Push(0);  // Cancel
  EXPECT_EQ(Fct_Dir_Input(made.c_str(), ""), nullptr);
  EXPECT_FALSE(fs::exists(dir_ / "made"));
  Host_Popup_Answer_Push(1);  // Create
  EXPECT_EQ(Fct_Dir_Input(made.c_str(), ""), made.c_str() + made.rfind(L'/'));
  EXPECT_TRUE(fs::is_directory(dir_ / "made/deeper"));
  const std::vector<Host_Popup_Entry> popups = Host_Popup_History();
  ASSERT_EQ(popups.size(), 2u);
  EXPECT_EQ(popups[0].title, L"Querry");
  EXPECT_EQ(popups[0].heading, L"Invalid Directory");
  EXPECT_NE(popups[0].body.find(L"Do you wish to create it ?"), std::wstring::npos);
  EXPECT_EQ(popups[0].buttons.size(), 2u);
}

TEST_F(Dialogs, AFolderThatCannotBeCreatedIsReportedWithItsReason) {
  Host_Popup_Reset();
  Host_Report_Capture capture;
  const std::wstring under_file = P("a.dcm/inside");
  Host_Popup_Answer_Push(1);
  EXPECT_EQ(Fct_Dir_Input(under_file.c_str(), " (export)"), nullptr);
  EXPECT_TRUE(capture.Contains("ERROR:\t Unable to create directory!"));
  EXPECT_TRUE(capture.Contains("Not a directory"));
  const std::vector<Host_Popup_Entry> popups = Host_Popup_History();
  ASSERT_EQ(popups.size(), 2u);
  EXPECT_EQ(popups[1].title, L"ERROR!");
  EXPECT_EQ(popups[1].heading, L"Creating directory");
  EXPECT_EQ(popups[1].body, L"Unable to create directory:\n\x01" + under_file + L"\x02\nNot a directory (export)");
}

/// The statements the script language hands to the host.
struct Dispatched {
  std::wstring prefix;
  std::vector<std::wstring> args;
};
std::vector<Dispatched> g_dispatched;

int Record(const wchar_t* prefix, int* nb_arg, wchar_t*** pt_arg) {
  Dispatched d{prefix ? prefix : L"", {}};
  for (int i = 0; i < *nb_arg; ++i) d.args.push_back((*pt_arg)[i]);
  g_dispatched.push_back(d);
  return 1;
}

TEST_F(Dialogs, OpeningAFileIsTheScriptLineReadImage) {
  g_dispatched.clear();
  auto* saved = Fct_Script_Dispatch;
  Fct_Script_Dispatch = Record;
  // In quotes "/" and "-" are no operators; a blank splits the quoted words, which the host
  // joins again.
  EXPECT_EQ(Fct_File_Open(L"/data/CT 2024/a-1.dcm"), 1);
  ASSERT_EQ(g_dispatched.size(), 1u);
  EXPECT_EQ(g_dispatched[0].prefix, L"read:");
  EXPECT_EQ(g_dispatched[0].args, (std::vector<std::wstring>{L"image", L"\"/data/CT", L"2024/a-1.dcm\""}));
  Host_Report_Capture capture;
  EXPECT_EQ(Fct_File_Open(L"/data/say \"hi\".dcm"), 0);
  EXPECT_EQ(Fct_File_Open(L"/data/two  blanks.dcm"), 0);
  EXPECT_EQ(Fct_File_Open(L"/data/tab\t.dcm"), 0);
  EXPECT_EQ(Fct_File_Open(std::wstring(FILE_PATH_MAX, L'p').c_str()), 0);
  EXPECT_EQ(Fct_File_Open(L""), 0);
  EXPECT_EQ(g_dispatched.size(), 1u);
  EXPECT_TRUE(capture.Contains("a name holding a double quote, a tab, a line end or two blanks in a row"));
  EXPECT_TRUE(capture.Contains("a path longer than 770 characters is not opened"));
  Fct_Script_Dispatch = saved;
}

/// The host's four file lists, filled with records made here.
class Drop_Files : public Services_Host {
protected:
  template <class File>
  void Publish(const wchar_t* nb, const wchar_t* pt, std::vector<File*>& list) {
    *Var<File**>(pt) = list.data();
    *Var<int>(nb) = int(list.size());
  }
  void TearDown() override {
    Database_2D_Free();
    for (auto* f : two_) delete f;  // what the test left in the lists
    two_.clear();
    *Var<int>(L"$DB_2D_FILE_NB") = 0;
    *Var<int>(L"$DB_1D_FILE_NB") = 0;
    *Var<int>(L"$DB_3D_FILE_NB") = 0;
    *Var<int>(L"$DB_3D_TAG_NB") = 0;
    Services_Host::TearDown();
  }
  static Quarn_2D_File* File_2D(const wchar_t* path) {
    return test_support::File_Of(path, {Host_Image_Create(4, 4, 2, 1, HOST_PIXEL_U16, nullptr)}).release();
  }
  std::vector<Quarn_2D_File*> two_;
};

TEST_F(Drop_Files, EveryRecordOfTheNameGoesFromEveryListAndTheGapsClose) {
  std::vector<Quarn_1D_File*> one = {new Quarn_1D_File(L"/a/liver.spc", nullptr), new Quarn_1D_File(L"/a/other.spc", nullptr)};
  two_ = {File_2D(L"/a/liver"), File_2D(L"/b/liver"), File_2D(L"/c/spleen")};  // two adjacent of one name
  std::vector<Quarn_3D_File*> three = {new Quarn_3D_File(L"/a/liver", 0, nullptr)};
  std::vector<Quarn_3D_File*> tags = {new Quarn_3D_File(L"Bone", 0, nullptr), new Quarn_3D_File(L"liver", 0, nullptr)};
  Publish(L"$DB_1D_FILE_NB", L"$DB_1D_FILE_PT", one);
  Publish(L"$DB_2D_FILE_NB", L"$DB_2D_FILE_PT", two_);
  Publish(L"$DB_3D_FILE_NB", L"$DB_3D_FILE_PT", three);
  Publish(L"$DB_3D_TAG_NB", L"$DB_3D_TAG_PT", tags);
  ASSERT_EQ(Database_2D_Tree_Generate(), 1);
  Quarn_2D* root = *Var<Quarn_2D*>(L"$DB_2D_ROOT_PT");
  auto frames = [root] {
    int n = 0;
    std::vector<Quarn_2D*> stack = {root};
    while (!stack.empty()) {
      Quarn_2D* node = stack.back();
      stack.pop_back();
      n += node->Class_A_Get() == Quarn_2D_Frame::Class_A;
      for (int i = 0; i < node->Child_Get_Nb(); ++i) stack.push_back(node->Child_Get_Pt(i));
    }
    return n;
  };
  ASSERT_EQ(frames(), 6);
  Host_Report_Capture capture;
  // Records are named by the base name of their path: "liver" names one record of every list
  // and two adjacent ones of the 2D list.
  EXPECT_EQ(Fct_File_Delete(L"liver"), 5);
  ASSERT_EQ(*Var<int>(L"$DB_1D_FILE_NB"), 1);
  EXPECT_STREQ(one[0]->Name_Get(), L"other");  // closed up to the front
  ASSERT_EQ(*Var<int>(L"$DB_2D_FILE_NB"), 1);
  EXPECT_STREQ(two_[0]->Name_Get(), L"spleen");
  EXPECT_EQ(*Var<int>(L"$DB_3D_FILE_NB"), 0);
  ASSERT_EQ(*Var<int>(L"$DB_3D_TAG_NB"), 1);
  EXPECT_STREQ(tags[0]->Name_Get(), L"Bone");
  EXPECT_EQ(frames(), 2);  // the frames of the dropped files went with them
  EXPECT_TRUE(capture.Contains("in Fct_File_Delete(liver) (unicode)"));
  EXPECT_EQ(Fct_File_Delete(L"liver"), 0);
  EXPECT_EQ(Fct_File_Delete(nullptr), 0);
  two_.resize(1);
  delete one[0];
  delete tags[0];
}

// Each list's update goes out after that list changed, even when nothing of the name was in it,
// and the progress bar steps once at the end.
TEST_F(Drop_Files, TheListsAreUpdatedInTheirOrderAndTheProgressStepsOnce) {
  Host_Report_Capture capture;
  EXPECT_EQ(Fct_File_Delete(L"absent"), 0);
  std::vector<std::string> order;
  for (const std::string& line : capture.Texts())
    if (line.rfind(">>> in  Fct: Fct_Update(", 0) == 0 || line.rfind("Fct: Fct_Progress_Inc(") != std::string::npos ||
        line.rfind("in Fct_File_Delete(", 0) == 0)
      order.push_back(line);
  EXPECT_EQ(order, (std::vector<std::string>{"in Fct_File_Delete(absent) (unicode)",
                                             ">>> in  Fct: Fct_Update(0000000000000201)",
                                             ">>> in  Fct: Fct_Update(0000000000000202)",
                                             ">>> in  Fct: Fct_Update(0000000000000204)",
                                             "<<< out Fct: Fct_Progress_Inc(! Progress_Quarn.wnd)"}));  // no bar here
}

}  // namespace
}  // namespace services_test
