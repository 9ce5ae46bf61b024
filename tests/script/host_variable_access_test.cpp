// The library's access to host variables: lookup through the host pointer, read-only refusal,
// direct values of every type, lock markers and lookups from several threads.
#include <quarn/quarn.h>

#include "script/Remembered_Variable.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using quarn::msg::Notice;

// Each test gets an empty table behind the library's host pointer.
class HostVariableAccess : public ::testing::Test {
protected:
  void SetUp() override {
    saved_ = Fct_Main_Var_Get;
    Fct_Main_Var_Get = Host_Var_Get;
    Host_Var_Clear();
  }
  void TearDown() override {
    Host_Var_Clear();
    Fct_Main_Var_Get = saved_;
  }

private:
  Host_Var_Lookup saved_ = nullptr;
};

int Changed() { return 1; }

TEST_F(HostVariableAccess, GetHandsOutTheHostStorageAndItsDescription) {
  int value = 5;
  Host_Var_Define(L"$UNDO_NB", VARIABLE_INT | VARIABLE_PROGRAM, 1, &value, Changed);
  int count = 0;
  uint16_t flags = 0;
  Host_Var_Update update = nullptr;
  EXPECT_EQ(Fct_Variable_Get(L"$UNDO_NB", &count, &flags, &update, 0), &value);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(flags, VARIABLE_INT | VARIABLE_PROGRAM);
  EXPECT_EQ(update, &Changed);
  // Without any out.
  EXPECT_EQ(Fct_Variable_Get(L"$UNDO_NB", nullptr, nullptr, nullptr, 0), &value);
}

TEST_F(HostVariableAccess, ReadOnlyIsRefusedWithTwoWarningLines) {
  float value = 1.5f;
  Host_Var_Define(L"$RO", VARIABLE_FLOAT | VARIABLE_READ_ONLY, 1, &value);
  Host_Report_Capture capture;
  uint16_t flags = 0;
  EXPECT_EQ(Fct_Variable_Get(L"$RO", nullptr, &flags, nullptr, 0), nullptr);
  EXPECT_EQ(flags & VARIABLE_READ_ONLY, VARIABLE_READ_ONLY);  // the caller still learns why
  // Also with the caller's flag word absent: the refusal must not depend on it.
  EXPECT_EQ(Fct_Variable_Get(L"$RO", nullptr, nullptr, nullptr, 0), nullptr);
  EXPECT_EQ(Fct_Variable_Get(L"$RO", nullptr, nullptr, nullptr, 1), &value);  // allowed: no report
  const std::string warning = "WARNING: Variable $RO is read only!";
  const std::string hint = "\tUse \"Fct_Variable_Value()\" to get its value";
  EXPECT_EQ(capture.Texts(Notice), (std::vector<std::string>{warning, hint, warning, hint}));
}

TEST_F(HostVariableAccess, UnknownNameOrNoHostPointerGivesNullWithoutReport) {
  int value = 1;
  Host_Var_Define(L"$KNOWN", VARIABLE_INT, 1, &value);
  Host_Report_Capture capture;
  for (const wchar_t* name : {L"$UNKNOWN", L"$known", static_cast<const wchar_t*>(nullptr)}) {
    EXPECT_EQ(Fct_Variable_Get(name, nullptr, nullptr, nullptr, 0), nullptr);
    EXPECT_EQ(Fct_Variable_Value(name, nullptr, nullptr, nullptr), nullptr);
  }
  // Nor when the host has not set its pointer.
  Fct_Main_Var_Get = nullptr;
  EXPECT_EQ(Fct_Variable_Get(L"$KNOWN", nullptr, nullptr, nullptr, 0), nullptr);
  EXPECT_EQ(Fct_Variable_Value(L"$KNOWN", nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(capture.Count(Notice), 0u);
  EXPECT_TRUE(capture.Contains("Var ▼▼▼▼▼▼▼▼ \"null\""));  // the null name is traced as such
}

// Integers are widened by their signedness, colours zero-extended; texts, pointers and arrays
// come back as the pointer their storage holds.
TEST_F(HostVariableAccess, ValueOfIntegersTextsPointersAndArrays) {
  int8_t c = -5;
  uint8_t uc = 250;
  int16_t s = -300;
  uint16_t us = 65000;
  int32_t i = -70000;
  uint32_t ui = 0xFFFFFFFFu, colour = 0x80FF0010u;
  wchar_t wide[] = L"wide";
  char narrow[] = "narrow";
  int target = 0;
  float floats[3] = {};
  // The host storage of the pointer-like variables: the table must not free the test's buffers.
  void* held[] = {wide, narrow, &target, floats, nullptr};
  const uint16_t P = VARIABLE_PROGRAM;
  struct Case {
    const wchar_t* name;
    uint16_t flags;
    void* storage;
    intptr_t expected;
  };
  const Case cases[] = {
      {L"$C", VARIABLE_CHAR, &c, -5},                                     // sign-extended
      {L"$UC", VARIABLE_CHAR | VARIABLE_UNSIGNED, &uc, 250},              // zero-extended
      {L"$S", VARIABLE_SHORT, &s, -300},
      {L"$US", VARIABLE_SHORT | VARIABLE_UNSIGNED, &us, 65000},
      {L"$I", VARIABLE_INT, &i, -70000},
      {L"$UI", VARIABLE_INT | VARIABLE_UNSIGNED, &ui, intptr_t(0xFFFFFFFFu)},
      {L"$COL", VARIABLE_COLOR, &colour, intptr_t(0x80FF0010u)},          // high bit kept positive
      {L"$RO_I", VARIABLE_INT | VARIABLE_READ_ONLY, &i, -70000},          // read-only is fine here
      {L"$W", VARIABLE_STRING | P, &held[0], intptr_t(wide)},              // wide text
      {L"$N", VARIABLE_STRING | VARIABLE_CHAR | P, &held[1], intptr_t(narrow)},  // narrow text
      {L"$P", VARIABLE_POINTER | P, &held[2], intptr_t(&target)},          // pointer
      {L"$AF", VARIABLE_FLOAT | VARIABLE_ARRAY | P, &held[3], intptr_t(floats)},  // float array: no warning
      {L"$AV", VARIABLE_VECT | VARIABLE_ARRAY | P, &held[3], intptr_t(floats)},   // vector array
      {L"$AT", VARIABLE_STRING | VARIABLE_ARRAY | P, &held[0], intptr_t(wide)},   // text array
      {L"$NULL", VARIABLE_POINTER | P, &held[4], 0},                       // empty pointer
  };
  for (const Case& k : cases) {
    Host_Var_Define(k.name, k.flags, 1, k.storage);
    Host_Report_Capture capture;
    EXPECT_EQ(reinterpret_cast<intptr_t>(Fct_Variable_Value(k.name, nullptr, nullptr, nullptr)),
              k.expected) << k.name;
    EXPECT_EQ(capture.Count(Notice), 0u) << k.name;
  }
}

TEST_F(HostVariableAccess, NonIntegerTypesHaveNoDirectValue) {
  float f = 2.5f;
  double d = 7.25;
  float vect[3] = {1, 2, 3};
  unsigned char record[20] = {7};
  const std::string hint = "\tFor float & double variable use \"Fct_Variable_Get()\"";
  struct Case {
    const wchar_t* name;
    uint16_t flags;
    void* storage;
    std::vector<std::string> notices;
  };
  const Case cases[] = {
      {L"$F", VARIABLE_FLOAT, &f, {"WARNING: You can not get a direct value for $F", hint}},
      {L"$D", VARIABLE_DOUBLE, &d, {"WARNING: You can not get a direct value for $D", hint}},
      // Read-only changes nothing.
      {L"$RO_F", VARIABLE_FLOAT | VARIABLE_READ_ONLY, &f, {"WARNING: You can not get a direct value for $RO_F", hint}},
      {L"$VEC", VARIABLE_VECT, vect, {"WARNING: Unable to get a value for $VEC"}},      // three floats
      {L"$REC", VARIABLE_RECORD, record, {"WARNING: Unable to get a value for $REC"}},  // a point record
  };
  for (const Case& k : cases) {
    Host_Var_Define(k.name, k.flags, 1, k.storage);
    Host_Report_Capture capture;
    EXPECT_EQ(Fct_Variable_Value(k.name, nullptr, nullptr, nullptr), nullptr) << k.name;
    EXPECT_EQ(capture.Texts(Notice), k.notices) << k.name;
    // The storage itself is what callers use for these.
    EXPECT_EQ(Fct_Variable_Get(k.name, nullptr, nullptr, nullptr, 1), k.storage) << k.name;
  }
}

// Regression: 64-bit integers were handed out as values; they have none, like vectors.
TEST_F(HostVariableAccess, SixtyFourBitIntegerHasNoDirectValue) {
  uint64_t mask = 0x100000002ull;
  for (uint16_t flags : {uint16_t(VARIABLE_INT64), uint16_t(VARIABLE_INT64 | VARIABLE_UNSIGNED)}) {
    Host_Var_Define(L"$FLAG_UPDATE", flags, 1, &mask);
    Host_Report_Capture capture;
    EXPECT_EQ(Fct_Variable_Value(L"$FLAG_UPDATE", nullptr, nullptr, nullptr), nullptr);
    const std::vector<std::string> expected = {"WARNING: Unable to get a value for $FLAG_UPDATE"};
    EXPECT_EQ(capture.Texts(Notice), expected);
    EXPECT_EQ(Fct_Variable_Get(L"$FLAG_UPDATE", nullptr, nullptr, nullptr, 0), &mask);
  }
}

// The host lookup runs between the two lock markers, and the entry trace comes first.
Host_Var_Lookup g_inner = nullptr;
void* Traced_Lookup(const wchar_t* name, int* count, uint16_t* flags, Host_Var_Update* update) {
  Host_Report(Host_Main_Window, 0x80000004u, "host lookup");
  return g_inner(name, count, flags, update);
}

TEST_F(HostVariableAccess, LookupRunsBetweenTheLockMarkers) {
  int value = 3;
  Host_Var_Define(L"$X", VARIABLE_INT, 1, &value);
  g_inner = Host_Var_Get;
  Fct_Main_Var_Get = Traced_Lookup;
  for (int accessor = 0; accessor < 2; ++accessor) {
    Host_Report_Capture capture;
    if (accessor == 0)
      Fct_Variable_Get(L"$X", nullptr, nullptr, nullptr, 0);
    else
      Fct_Variable_Value(L"$X", nullptr, nullptr, nullptr);
    std::vector<std::string> lines = capture.Texts();
    ASSERT_EQ(lines.size(), 5u);
    const char* name = accessor == 0 ? "Fct_Variable_Get" : "Fct_Variable_Value";
    EXPECT_EQ(lines[0], std::string(">>> in  Fct: ") + name + "($X)");
    EXPECT_EQ(lines[1], "▼6▼▼▼▼ Var ▼▼▼▼▼▼▼▼ \"$X\"");
    EXPECT_EQ(lines[2], "host lookup");
    EXPECT_EQ(lines[3], "▲6▲▲▲▲ Var ▲▲▲▲▲▲▲▲ \"$X\"");
    EXPECT_EQ(lines[4], std::string("<<< out Fct: ") + name + "()");
    EXPECT_EQ(capture.Texts(quarn::msg::Critical).size(), 2u);
    EXPECT_EQ(capture.Texts(quarn::msg::Variable).size(), 2u);
  }
}

// Workers look variables up while the host thread does: the host lookup is never entered twice
// at once, and every thread gets the right storage.
std::atomic<int> g_inside{0};
std::atomic<int> g_overlaps{0};
void* Exclusive_Lookup(const wchar_t* name, int* count, uint16_t* flags, Host_Var_Update* update) {
  if (g_inside.fetch_add(1) != 0) ++g_overlaps;
  void* p = Host_Var_Get(name, count, flags, update);
  std::this_thread::yield();
  g_inside.fetch_sub(1);
  return p;
}

TEST_F(HostVariableAccess, LookupsFromFourThreadsAreSerialised) {
  Host_Var_Default_Install();
  int mine[4] = {0, 1, 2, 3};
  std::vector<std::wstring> names;
  for (int t = 0; t < 4; ++t) {
    names.push_back(L"$THREAD_" + std::to_wstring(t));
    Host_Var_Define(names.back().c_str(), VARIABLE_INT | VARIABLE_READ_ONLY, 1, &mine[t]);
  }
  Fct_Main_Var_Get = Exclusive_Lookup;
  g_overlaps = 0;
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      for (int k = 0; k < 300; ++k) {
        if (Fct_Variable_Value(names[t].c_str(), nullptr, nullptr, nullptr) !=
            reinterpret_cast<void*>(intptr_t(t)))
          ++wrong;
        if (Fct_Variable_Get(names[t].c_str(), nullptr, nullptr, nullptr, 1) != &mine[t]) ++wrong;
        int count = 0;
        if (!Fct_Variable_Get(L"$TAG_RED", &count, nullptr, nullptr, 0) || count != 256) ++wrong;
      }
    });
  for (auto& th : threads) th.join();
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(g_overlaps, 0);
}

}  // namespace

// A second lookup with storage of its own, as a host that installs another variable table.
int g_other_value = 0;
void* Other_Lookup(const wchar_t* name, int* count, uint16_t* flags, Host_Var_Update*) {
  if (std::wstring(name) != L"$UNDO_NB") return nullptr;
  if (count) *count = 1;
  if (flags) *flags = VARIABLE_INT;
  return &g_other_value;
}

// Regression: a remembered address outlived the table it came from, so after the host installed
// another lookup the library kept reading (and writing) the old table's storage.
TEST_F(HostVariableAccess, RememberedVariableRegressionFollowsANewLookup) {
  int first = 7;
  Host_Var_Define(L"$UNDO_NB", VARIABLE_INT, 1, &first);
  quarn::Remembered_Variable remembered{L"$UNDO_NB"};
  EXPECT_EQ(remembered.Value<int>(), 7);
  first = 8;  // the address is kept: a later value is seen without a new lookup
  EXPECT_EQ(remembered.Value<int>(), 8);
  Fct_Main_Var_Get = Other_Lookup;
  g_other_value = 42;
  EXPECT_EQ(remembered.As<int>(), &g_other_value);
  Fct_Main_Var_Get = nullptr;  // no host: nothing, not the last table's storage
  EXPECT_EQ(remembered.Get(), nullptr);
  EXPECT_EQ(remembered.Count(), 0);
  Fct_Main_Var_Get = Host_Var_Get;
  EXPECT_EQ(remembered.As<int>(), &first);
}
