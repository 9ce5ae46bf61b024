// Helpers shared by the script tests: owned token lists, variable shortcuts and a dispatcher
// that records what reaches the host.
#pragma once

#include <quarn/quarn.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace script_test {

/// A counted argument list that releases itself.
struct Tokens {
  int n = 0;
  wchar_t** v = nullptr;

  Tokens() = default;
  Tokens(std::initializer_list<const wchar_t*> words) {
    for (const wchar_t* w : words) {
      wchar_t* one = const_cast<wchar_t*>(w);
      Script_Args_Insert_Copy(&n, &v, n, 1, &one);
    }
  }
  ~Tokens() { Script_Args_Remove(&n, &v, 0, n); }
  Tokens(const Tokens&) = delete;
  Tokens& operator=(const Tokens&) = delete;

  /// The words, a null entry shown as "<null>".
  std::vector<std::wstring> Words() const {
    std::vector<std::wstring> out;
    for (int i = 0; i < n; ++i) out.push_back(v[i] ? v[i] : L"<null>");
    return out;
  }
};

using Texts = std::vector<std::wstring>;

/// The expansion of one word; empty when it failed.
inline Texts Expand(const wchar_t* word) {
  int count = 0;
  wchar_t** texts = Variable_Replacement(word, &count);
  Texts out;
  for (int i = 0; i < count; ++i) {
    out.push_back(texts[i] ? texts[i] : L"");
    std::free(texts[i]);
  }
  std::free(texts);
  return out;
}

/// Assigns values to a variable; true when the assignment was taken.
inline bool Assign(const wchar_t* name, const Texts& values) {
  std::vector<wchar_t*> ptrs;
  for (const auto& s : values) ptrs.push_back(const_cast<wchar_t*>(s.c_str()));
  return Variable_Assignment(name, int(ptrs.size()), ptrs.data()) != nullptr;
}

/// Evaluates a whole token list and returns what it became.
inline Texts Evaluate(std::initializer_list<const wchar_t*> words) {
  Tokens t(words);
  int count = Variable_Evaluate(&t.n, &t.v, 0, t.n);
  EXPECT_EQ(count, t.n);
  return t.Words();
}

/// Message class of the lines the recording dispatcher reports, so that they interleave with
/// the library's own reports in one capture.
inline constexpr uint32_t kDispatchClass = 0x7E;

/// Records each dispatched statement as a report line "prefix arg arg ..." and accepts it,
/// except statements whose prefix is "fail:", which it refuses.
inline int Recording_Dispatch(const wchar_t* prefix, int* nb_arg, wchar_t*** pt_arg) {
  std::wstring line = prefix && *prefix ? prefix : L"<none>";
  for (int i = 0; i < *nb_arg; ++i) {
    line += L' ';
    line += (*pt_arg)[i] ? (*pt_arg)[i] : L"<null>";
  }
  Host_Report_Text(Host_Main_Window, kDispatchClass, line.c_str());
  return std::wstring(prefix ? prefix : L"") == L"fail:" ? 0 : 1;
}

/// The dispatched statements ("> prefix args") and user notices ("! text", leading tabs
/// dropped) of a capture, in order; the name of the script being read reads "<file>".
inline std::vector<std::string> Events(const Host_Report_Capture& capture) {
  std::vector<std::string> out;
  const std::string name = Host_Report_Plain(Script_Name);
  for (const Host_Report_Line& line : capture.Lines()) {
    if (line.cls != kDispatchClass && line.cls != quarn::msg::Notice) continue;
    std::string text = Host_Report_Plain(line.text);
    text.erase(0, text.find_first_not_of('\t'));
    if (!name.empty())
      for (size_t at; (at = text.find(name)) != std::string::npos;) text.replace(at, name.size(), "<file>");
    out.push_back((line.cls == kDispatchClass ? "> " : "! ") + text);
  }
  return out;
}

/// Installs the host variable lookup and the recording dispatcher, and clears the script state
/// around each test.
class Script_Fixture : public ::testing::Test {
protected:
  void SetUp() override {
    Fct_Main_Var_Get = Host_Var_Get;
    Fct_Script_Dispatch = Recording_Dispatch;
    Script_Cleanup();
  }
  void TearDown() override {
    Script_Cleanup();
    Fct_Script_Dispatch = nullptr;
    Fct_Script_Dispatch_Help = nullptr;
    Host_Var_Clear();
  }
};

}  // namespace script_test
