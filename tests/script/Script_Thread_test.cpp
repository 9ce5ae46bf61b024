// The script lock and the variable lock under several threads: counters that only the locks
// protect must come out exact (and the ThreadSanitizer build must stay silent).
#include "Script_Test_Support.h"

#include <thread>

namespace {

// Plain counters on purpose: the script lock alone serialises dispatch.
int g_dispatched = 0;
std::vector<std::wstring> g_last_words;

int Counting_Dispatch(const wchar_t* prefix, int* n, wchar_t*** args) {
  ++g_dispatched;
  g_last_words.assign(1, *n > 0 && (*args)[0] ? (*args)[0] : L"");
  return std::wcscmp(prefix, L"count:") == 0 ? 1 : 0;
}

// The variable lock alone serialises lookups.
int g_lookups = 0;
void* Counting_Lookup(const wchar_t* name, int* count, uint16_t* flags, Host_Var_Update* update) {
  ++g_lookups;
  return Host_Var_Get(name, count, flags, update);
}

class ScriptThreads : public script_test::Script_Fixture {
protected:
  int shared = 7;
  void SetUp() override {
    Script_Fixture::SetUp();
    Host_Var_Define(L"$T_SHARED", VARIABLE_INT, 1, &shared);
    Fct_Main_Var_Get = Counting_Lookup;
    Fct_Script_Dispatch = Counting_Dispatch;
    g_dispatched = 0;
    g_lookups = 0;
  }
};

TEST_F(ScriptThreads, ReadersAndLookupsInterleaveSafely) {
  constexpr int kRounds = 60;
  auto reader = [](int id) {
    for (int r = 0; r < kRounds; ++r) {
      // Each line: a loop of three dispatches, an assignment and a host variable read.
      EXPECT_EQ(Script_Read_Line(L"for $i in ( a b c ) { count: %d $i }", id), 1);
      EXPECT_EQ(Script_Read_Line(L"count: %d", r), 1);
      EXPECT_EQ(Script_Read_Input(L"$x = $T_SHARED + 1"), 1);
    }
  };
  auto looker = [] {
    for (int r = 0; r < 4 * kRounds; ++r) {
      int count = 0;
      uint16_t flags = 0;
      EXPECT_NE(Fct_Variable_Get(L"$T_SHARED", &count, &flags, nullptr, 0), nullptr);
      EXPECT_EQ(reinterpret_cast<intptr_t>(Fct_Variable_Value(L"$T_SHARED", nullptr, nullptr, nullptr)), 7);
    }
  };
  std::thread a(reader, 1), b(reader, 2), c(looker), d(looker);
  a.join();
  b.join();
  c.join();
  d.join();
  EXPECT_EQ(g_dispatched, 2 * kRounds * 4);
  // Every read of $T_SHARED by a script, and every direct lookup, went through the lock.
  EXPECT_GE(g_lookups, 2 * 4 * kRounds + 2 * kRounds);
  EXPECT_EQ(script_test::Expand(L"$x"), script_test::Texts{L"8"});
}

TEST_F(ScriptThreads, FilesReadWholeUnderTheLock) {
  // Two threads reading files: each file's statements arrive together, never interleaved.
  const std::string path = ::testing::TempDir() + "quarn_thread_script.qs";
  {
    std::FILE* f = std::fopen(path.c_str(), "w");
    ASSERT_NE(f, nullptr);
    for (int i = 0; i < 20; ++i) std::fprintf(f, "count: %d\n", i);
    std::fclose(f);
  }
  std::vector<int> sequence;
  static std::vector<int>* record;
  record = &sequence;
  Fct_Script_Dispatch = [](const wchar_t*, int* n, wchar_t*** args) {
    record->push_back(int(std::wcstol((*args)[0], nullptr, 10)));
    return *n == 1 ? 1 : 0;
  };
  const std::wstring wide(path.begin(), path.end());
  auto run = [&] { EXPECT_EQ(Script_Read_File(wide.c_str()), 1); };
  std::thread a(run), b(run);
  a.join();
  b.join();
  ASSERT_EQ(sequence.size(), 40u);
  for (size_t i = 0; i < sequence.size(); ++i) EXPECT_EQ(sequence[i], int(i % 20));
  std::remove(path.c_str());
}

}  // namespace
