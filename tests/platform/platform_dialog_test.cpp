// File and folder dialogs of the platform layer: answers from the queue checked and laid out as
// the common dialog lays them out, and the dialog program's command line and reply.
#include "platform/Fake_Program.h"

#include <platform/PlatformDialog.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kBuffer = 771;

std::wstring W(const fs::path& p) { return p.wstring(); }

/// A folder with two files and a subfolder holding a third; no dialog program.
class Platform_Dialog : public ::testing::Test {
protected:
  void SetUp() override {
    Platform_Dialog_Answers_Clear();
    Platform_Dialog_Program_Set("");
    dir_ = fs::temp_directory_path() / ("quarn_dialog_" + std::to_string(::getpid()));
    fs::create_directories(dir_ / "sub");
    for (const char* name : {"a.dcm", "b.ima", "sub/c.dcm"}) std::ofstream(dir_ / name) << "x";
  }
  void TearDown() override {
    Platform_Dialog_Answers_Clear();
    Platform_Dialog_Program_Set("");
    fs::remove_all(dir_);
  }

  /// Shows one dialog into buffer_.
  int Show(int kind, uint32_t options, int size = kBuffer, const wchar_t* ext = nullptr) {
    buffer_.assign(size_t(std::max(size, 1)), L'#');
    buffer_[0] = L'\0';
    Platform_Dialog_Request r;
    r.kind = kind;
    r.title = L"Pick";
    r.folder = folder_.c_str();
    r.filter = L"Images (*.dcm)\0*.dcm\0Other (*.ima)\0*.ima;*.img\0";
    r.default_ext = ext;
    r.options = options;
    r.buffer = buffer_.data();
    r.buffer_size = size;
    return Platform_Dialog_Show(&r, &result_);
  }
  void Answer(std::vector<std::wstring> paths, int filter = 0) {
    std::vector<const wchar_t*> p;
    for (auto& s : paths) p.push_back(s.c_str());
    ASSERT_EQ(Platform_Dialog_Answer_Paths(p.data(), int(p.size()), filter), 1);
  }
  /// The buffer up to its double NUL (one path: up to its NUL).
  std::wstring Written() const {
    size_t end = 0;
    while (end + 1 < buffer_.size() && (buffer_[end] || buffer_[end + 1])) ++end;
    return std::wstring(buffer_.data(), end + 1);
  }

  fs::path dir_;
  std::wstring folder_ = L"";
  std::vector<wchar_t> buffer_;
  Platform_Dialog_Result result_;
};

constexpr uint32_t kOpen = PLATFORM_DIALOG_ALLOW_MULTI | PLATFORM_DIALOG_FILE_MUST_EXIST | PLATFORM_DIALOG_PATH_MUST_EXIST;

TEST_F(Platform_Dialog, OneFileIsWrittenWholeWithTheNameOffset) {
  Answer({W(dir_ / "a.dcm")}, 2);
  ASSERT_EQ(Show(PLATFORM_DIALOG_OPEN, kOpen), PLATFORM_DIALOG_CHOSEN);
  EXPECT_EQ(std::wstring(buffer_.data()), W(dir_ / "a.dcm"));
  EXPECT_EQ(result_.file_offset, int(W(dir_).size()) + 1);
  EXPECT_EQ(result_.filter_index, 2);
  EXPECT_STREQ(Platform_Dialog_Last().answered_by, "queue");
}

TEST_F(Platform_Dialog, SeveralFilesAreTheirCommonFolderThenNamesRelativeToIt) {
  // The files of one folder, and files in a folder and its subfolder.
  Answer({W(dir_ / "a.dcm"), W(dir_ / "b.ima")});
  ASSERT_EQ(Show(PLATFORM_DIALOG_OPEN, kOpen), PLATFORM_DIALOG_CHOSEN);
  EXPECT_EQ(Written(), W(dir_) + std::wstring(L"\0a.dcm\0b.ima\0", 13));
  EXPECT_EQ(result_.file_offset, int(W(dir_).size()) + 1);
  EXPECT_EQ(result_.filter_index, 1);

  Answer({W(dir_ / "sub/c.dcm"), W(dir_ / "a.dcm")});
  ASSERT_EQ(Show(PLATFORM_DIALOG_OPEN, kOpen), PLATFORM_DIALOG_CHOSEN);
  EXPECT_EQ(Written(), W(dir_) + std::wstring(L"\0sub/c.dcm\0a.dcm\0", 17));
}

TEST_F(Platform_Dialog, RelativeAnswersAreTakenInTheStartFolder) {
  folder_ = W(dir_ / "sub");
  Answer({L"c.dcm"});
  ASSERT_EQ(Show(PLATFORM_DIALOG_OPEN, kOpen), PLATFORM_DIALOG_CHOSEN);
  EXPECT_EQ(std::wstring(buffer_.data()), W(dir_ / "sub/c.dcm"));
  Answer({L"../a.dcm"});
  ASSERT_EQ(Show(PLATFORM_DIALOG_OPEN, kOpen), PLATFORM_DIALOG_CHOSEN);
  EXPECT_EQ(std::wstring(buffer_.data()), W(dir_ / "a.dcm"));
}

TEST_F(Platform_Dialog, AnswersADialogWouldRefuseFailWithTheNameAtFault) {
  struct Row {
    const char* why;
    int kind;
    uint32_t options;
    std::vector<std::wstring> paths;
    uint32_t error;
  };
  const std::wstring missing = W(dir_ / "missing.dcm");
  const Row rows[] = {
      // a file that must exist does not
      {"missing file", PLATFORM_DIALOG_OPEN, kOpen, {W(dir_ / "a.dcm"), missing}, PLATFORM_DIALOG_ERR_INVALID_NAME},
      // a folder is no file
      {"folder as file", PLATFORM_DIALOG_OPEN, kOpen, {W(dir_ / "sub")}, PLATFORM_DIALOG_ERR_INVALID_NAME},
      // the folder of a path that must exist does not
      {"missing folder", PLATFORM_DIALOG_SAVE, PLATFORM_DIALOG_PATH_MUST_EXIST, {W(dir_ / "no/x.dcm")}, PLATFORM_DIALOG_ERR_INVALID_NAME},
      // a folder dialog takes folders only
      {"file as folder", PLATFORM_DIALOG_FOLDER, 0, {W(dir_ / "a.dcm")}, PLATFORM_DIALOG_ERR_INVALID_NAME},
      // two files for a dialog of one
      {"two for one", PLATFORM_DIALOG_OPEN, PLATFORM_DIALOG_FILE_MUST_EXIST, {W(dir_ / "a.dcm"), W(dir_ / "b.ima")}, PLATFORM_DIALOG_ERR_INVALID_NAME},
      // an empty answer
      {"empty", PLATFORM_DIALOG_OPEN, kOpen, {L""}, PLATFORM_DIALOG_ERR_INVALID_NAME},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    Answer(row.paths);
    EXPECT_EQ(Show(row.kind, row.options), PLATFORM_DIALOG_FAILED);
    EXPECT_EQ(result_.error, row.error);
  }
  Answer({missing});
  Show(PLATFORM_DIALOG_OPEN, kOpen);
  EXPECT_EQ(result_.detail, missing);
  // Without the must-exist options the same file is fine.
  Answer({missing});
  EXPECT_EQ(Show(PLATFORM_DIALOG_OPEN, 0), PLATFORM_DIALOG_CHOSEN);
}

TEST_F(Platform_Dialog, ResultsThatDoNotFitTheBufferFailAndLeaveItAlone) {
  const std::wstring path = W(dir_ / "a.dcm");
  Answer({path});
  EXPECT_EQ(Show(PLATFORM_DIALOG_OPEN, kOpen, int(path.size())), PLATFORM_DIALOG_FAILED);
  EXPECT_EQ(result_.error, PLATFORM_DIALOG_ERR_BUFFER_TOO_SMALL);
  EXPECT_EQ(buffer_[1], L'#');
  // The terminator is the one character more that fits.
  Answer({path});
  EXPECT_EQ(Show(PLATFORM_DIALOG_OPEN, kOpen, int(path.size()) + 1), PLATFORM_DIALOG_CHOSEN);
}

TEST_F(Platform_Dialog, SaveAddsTheDefaultExtensionToANameWithoutOne) {
  struct Row {
    const wchar_t* answer;
    const wchar_t* ext;
    const wchar_t* written;
  };
  const Row rows[] = {
      {L"out", L"txt", L"out.txt"},         // no extension: added
      {L"out.csv", L"txt", L"out.csv"},     // its own extension stays
      {L"out", L".txt", L"out.txt"},        // a leading dot is not doubled
      {L"out", nullptr, L"out"},            // no default: as typed
      {L"v1.2/out", L"txt", L"v1.2/out.txt"},  // a dot in the folder does not count
  };
  folder_ = W(dir_);
  for (const Row& row : rows) {
    Answer({row.answer});
    ASSERT_EQ(Show(PLATFORM_DIALOG_SAVE, PLATFORM_DIALOG_OVERWRITE_PROMPT, kBuffer, row.ext), PLATFORM_DIALOG_CHOSEN);
    EXPECT_EQ(std::wstring(buffer_.data()), W(dir_) + L"/" + row.written);
  }
}

TEST_F(Platform_Dialog, CancelAndErrorAnswersComeBackAsTheyWereQueued) {
  Platform_Dialog_Answer_Cancel();
  Platform_Dialog_Answer_Error(0x3001);
  EXPECT_EQ(Platform_Dialog_Answers_Pending(), 2);
  EXPECT_EQ(Show(PLATFORM_DIALOG_OPEN, kOpen), PLATFORM_DIALOG_CANCELLED);
  EXPECT_EQ(Show(PLATFORM_DIALOG_OPEN, kOpen), PLATFORM_DIALOG_FAILED);
  EXPECT_EQ(result_.error, 0x3001u);
  EXPECT_EQ(Platform_Dialog_Answers_Pending(), 0);
  EXPECT_EQ(Platform_Dialog_Answer_Paths(nullptr, 1, 0), 0);
}

TEST_F(Platform_Dialog, WithoutAnswerOrProgramNoDialogIsAvailable) {
  EXPECT_EQ(Show(PLATFORM_DIALOG_FOLDER, 0), PLATFORM_DIALOG_UNAVAILABLE);
  EXPECT_FALSE(result_.detail.empty());
  EXPECT_STREQ(Platform_Dialog_Last().answered_by, "none");
  // A program named but not found is no program either.
  Platform_Dialog_Program_Set("/nonexistent/zenity");
  EXPECT_EQ(Show(PLATFORM_DIALOG_OPEN, kOpen), PLATFORM_DIALOG_UNAVAILABLE);
}

TEST_F(Platform_Dialog, TheProgramGetsTheRequestAsAZenityCommandLine) {
  fake::Program zenity("zenity");
  Platform_Dialog_Program_Set(zenity.Path().c_str());
  folder_ = W(dir_);
  zenity.Reply(dir_.string() + "/b.ima\n" + dir_.string() + "/a.dcm\n");
  ASSERT_EQ(Show(PLATFORM_DIALOG_OPEN, kOpen), PLATFORM_DIALOG_CHOSEN);
  EXPECT_EQ(Written(), W(dir_) + std::wstring(L"\0b.ima\0a.dcm\0", 13));
  // The filter matching the first name is the one reported chosen.
  EXPECT_EQ(result_.filter_index, 2);
  const std::vector<std::string> args = zenity.Args();
  ASSERT_GE(args.size(), 2u);
  EXPECT_EQ(args[0], "--file-selection");
  EXPECT_TRUE(zenity.Has_Arg("--title=Pick"));
  EXPECT_TRUE(zenity.Has_Arg("--multiple"));
  EXPECT_TRUE(zenity.Has_Arg("--filename=" + dir_.string() + "/"));
  EXPECT_TRUE(zenity.Has_Arg("--file-filter=Images (*.dcm) | *.dcm"));
  EXPECT_TRUE(zenity.Has_Arg("--file-filter=Other (*.ima) | *.ima *.img"));
  EXPECT_STREQ(Platform_Dialog_Last().answered_by, "program");
}

TEST_F(Platform_Dialog, SaveAndFolderCommandLinesAndTheProgramsExitStatus) {
  fake::Program zenity("zenity");
  Platform_Dialog_Program_Set(zenity.Path().c_str());
  folder_ = W(dir_);
  zenity.Reply(dir_.string() + "/report\n");
  ASSERT_EQ(Show(PLATFORM_DIALOG_SAVE, PLATFORM_DIALOG_OVERWRITE_PROMPT, kBuffer, L"txt"), PLATFORM_DIALOG_CHOSEN);
  EXPECT_EQ(std::wstring(buffer_.data()), W(dir_ / "report.txt"));
  EXPECT_TRUE(zenity.Has_Arg("--save"));
  EXPECT_TRUE(zenity.Has_Arg("--confirm-overwrite"));
  EXPECT_FALSE(zenity.Has_Arg("--multiple"));

  zenity.Reply(dir_.string() + "/sub\n");
  ASSERT_EQ(Show(PLATFORM_DIALOG_FOLDER, 0), PLATFORM_DIALOG_CHOSEN);
  EXPECT_EQ(std::wstring(buffer_.data()), W(dir_ / "sub"));
  EXPECT_TRUE(zenity.Has_Arg("--directory"));

  // Status 1 is the user's cancel; any other failure is the dialog's.
  zenity.Status(1);
  EXPECT_EQ(Show(PLATFORM_DIALOG_OPEN, kOpen), PLATFORM_DIALOG_CANCELLED);
  zenity.Status(5);
  EXPECT_EQ(Show(PLATFORM_DIALOG_OPEN, kOpen), PLATFORM_DIALOG_FAILED);
  EXPECT_EQ(result_.error, PLATFORM_DIALOG_ERR_FAILURE);
  EXPECT_NE(result_.detail.find(L"status 5"), std::wstring::npos);
}

TEST_F(Platform_Dialog, AnswersQueuedFromSeveralThreadsAreEachTakenOnce) {
  constexpr int kThreads = 4;
  constexpr int kEach = 25;
  const std::wstring path = W(dir_ / "a.dcm");
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&] {
      const wchar_t* p = path.c_str();
      for (int i = 0; i < kEach; ++i) Platform_Dialog_Answer_Paths(&p, 1, 0);
    });
  // Dialogs shown meanwhile take what is queued so far; the rest after the threads end.
  int chosen = 0;
  for (int shown = 0; shown < kThreads * kEach; ++shown)
    if (Show(PLATFORM_DIALOG_OPEN, kOpen) == PLATFORM_DIALOG_CHOSEN) ++chosen;
  for (auto& t : threads) t.join();
  while (Show(PLATFORM_DIALOG_OPEN, kOpen) == PLATFORM_DIALOG_CHOSEN) ++chosen;
  EXPECT_EQ(chosen, kThreads * kEach);
}

}  // namespace
