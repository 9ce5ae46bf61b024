// Script files in the language itself, each holding its expected dispatches, reports and
// result; plus the reading of files: failures, long lines, encodings and nesting.
#include "Script_Test_Support.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using script_test::Events;

// From the build's source folder, not __FILE__: a compiler cache may make __FILE__ relative.
fs::path Script_Dir() { return fs::path(QUARN_TEST_SOURCE_DIR) / "script" / "scripts"; }

std::vector<std::string> Script_Files() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(Script_Dir()))
    if (entry.path().extension() == ".qs") names.push_back(entry.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

struct Expected {
  std::vector<std::string> events;
  int result = 1;
};

// "*> text" expects a dispatch, "*! text" a report, "*= n" the file's result.
Expected Expectations(const fs::path& file) {
  Expected e;
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("*>", 0) == 0) e.events.push_back("> " + line.substr(3));
    else if (line.rfind("*!", 0) == 0) e.events.push_back("! " + line.substr(3));
    else if (line.rfind("*=", 0) == 0) e.result = std::stoi(line.substr(2));
  }
  return e;
}

class ScriptFile : public script_test::Script_Fixture,
                   public ::testing::WithParamInterface<std::string> {
protected:
  int q_int = 3, q_ro = 7, q_prog = 1;
  int q_array[3] = {10, 20, 30};
  int* q_array_ptr = q_array;

  void SetUp() override {
    Script_Fixture::SetUp();
    Host_Var_Define(L"$Q_INT", VARIABLE_INT, 1, &q_int);
    Host_Var_Define(L"$Q_RO", VARIABLE_INT | uint16_t(VARIABLE_READ_ONLY), 1, &q_ro);
    Host_Var_Define(L"$Q_PROG", VARIABLE_INT | uint16_t(VARIABLE_PROGRAM), 1, &q_prog);
    Host_Var_Define(L"$Q_ARR", VARIABLE_INT | VARIABLE_ARRAY, 3, &q_array_ptr);
  }
};

TEST_P(ScriptFile, RunsAsExpected) {
  const fs::path file = Script_Dir() / (GetParam() + ".qs");
  const Expected expected = Expectations(file);
  Host_Report_Capture capture;
  const int result = Script_Read_File(file.wstring().c_str());
  EXPECT_EQ(Events(capture), expected.events);
  EXPECT_EQ(result, expected.result);
  EXPECT_EQ(Script_Flag_Get() & SCRIPT_FLAG_FILE, 0);
}

INSTANTIATE_TEST_SUITE_P(Scripts, ScriptFile, ::testing::ValuesIn(Script_Files()),
                         [](const auto& info) { return info.param; });

class ScriptReadFile : public script_test::Script_Fixture {
protected:
  fs::path Write(const std::string& name, const std::string& bytes) {
    fs::path p = fs::temp_directory_path() / ("quarn_script_" + std::to_string(::getpid()) + "_" + name);
    std::ofstream(p, std::ios::binary) << bytes;
    created_.push_back(p);
    return p;
  }
  void TearDown() override {
    for (const auto& p : created_) fs::remove(p);
    Script_Fixture::TearDown();
  }

private:
  std::vector<fs::path> created_;
};

TEST_F(ScriptReadFile, MissingFileIsReported) {
  Host_Report_Capture capture;
  EXPECT_EQ(Script_Read_File(L"  \"/no/such/dir/x.qs\" "), 0);
  EXPECT_EQ(capture.Texts(quarn::msg::Notice),
            (std::vector<std::string>{"ERROR: Unable to open file !", "\t/no/such/dir/x.qs",
                                      "\tNo such file or directory"}));
}

TEST_F(ScriptReadFile, ContentsGiveTheirResultAndDispatches) {
  struct Case { const char* what; std::string bytes; int result; std::vector<std::string> events; };
  const Case cases[] = {
      {"empty file: success", "", 1, {}},
      {"a blank line counts as a failed line", "echo: a\n\necho: b\n", 0, {"> echo: a", "> echo: b"}},
      {"UTF-8 with its mark and Windows line ends",
       "\xEF\xBB\xBF" "echo: \xC3\xA9t\xC3\xA9\r\necho: 100%\r\n", 1,
       {"> echo: \xC3\xA9t\xC3\xA9", "> echo: 100 %"}},
  };
  int n = 0;
  for (const Case& c : cases) {
    Host_Report_Capture capture;
    const fs::path file = Write("contents_" + std::to_string(n++) + ".qs", c.bytes);
    EXPECT_EQ(Script_Read_File(file.wstring().c_str()), c.result) << c.what;
    EXPECT_EQ(Events(capture), c.events) << c.what;
  }
}

TEST_F(ScriptReadFile, OverlongLineIsRefusedWholeAndTheRestRuns) {
  Host_Report_Capture capture;
  const std::string text = "echo: " + std::string(3000, 'x') + "\necho: next\n";
  EXPECT_EQ(Script_Read_File(Write("long.qs", text).wstring().c_str()), 0);
  EXPECT_TRUE(capture.Contains("script file line exceeds its limit (3006 /vs/ max 2047)"));
  EXPECT_EQ(Events(capture).back(), "> echo: next");
  EXPECT_EQ(Script_Line, 2);
}

// A host command that reads another script, as a "run" command would.
std::wstring g_inner;
int Nesting_Dispatch(const wchar_t* prefix, int* n, wchar_t*** args) {
  if (std::wstring(prefix) == L"run:") return Script_Read_File(g_inner.c_str());
  return script_test::Recording_Dispatch(prefix, n, args);
}

TEST_F(ScriptReadFile, NestedFileRestoresTheOuterPosition) {
  g_inner = Write("inner.qs", "echo: inner\n}\n").wstring();
  const fs::path outer = Write("outer.qs", "echo: outer\nrun: it\n}\n");
  Fct_Script_Dispatch = Nesting_Dispatch;
  Host_Report_Capture capture;
  EXPECT_EQ(Script_Read_File(outer.wstring().c_str()), 0);
  const auto texts = capture.Texts(quarn::msg::Notice);
  // Each mismatched bracket names its own file and line.
  const std::string inner_name = fs::path(g_inner).string(), outer_name = outer.string();
  EXPECT_NE(std::find(texts.begin(), texts.end(), "\tfile: " + inner_name), texts.end());
  EXPECT_NE(std::find(texts.begin(), texts.end(), "\tfile: " + outer_name), texts.end());
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "\tline: 2"), 1);
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "\tline: 3"), 1);
  EXPECT_EQ(Script_Flag_Get() & SCRIPT_FLAG_FILE, 0);
}

// The busy pointer is on while the file's statements run, nested files included, and off after.
std::vector<int> g_cursor_depths;
int Cursor_Dispatch(const wchar_t* prefix, int* n, wchar_t*** args) {
  g_cursor_depths.push_back(Host_Wait_Cursor_Depth());
  return Nesting_Dispatch(prefix, n, args);
}

TEST_F(ScriptReadFile, WaitCursorSpansTheReading) {
  g_inner = Write("inner_cursor.qs", "echo: inner\n").wstring();
  const fs::path outer = Write("outer_cursor.qs", "echo: outer\nrun: it\n");
  Fct_Script_Dispatch = Cursor_Dispatch;
  g_cursor_depths.clear();
  EXPECT_EQ(Script_Read_File(outer.wstring().c_str()), 1);
  EXPECT_EQ(g_cursor_depths, (std::vector<int>{1, 1, 2}));
  EXPECT_EQ(Host_Wait_Cursor_Depth(), 0);
}

}  // namespace
