// The expression evaluator: groups, expansion, signs and right-grouping two-operand operators.
#include "script/Variable_Internal.h"

#include <quarn/script/Script_Args.h>

#include "script/Script_Text.h"

#include "core/Trace.h"

#include <hostkit/HostReport.h>

#include <cmath>
#include <cstdlib>
#include <cwchar>
#include <cwctype>

namespace quarn::script {
namespace {

constexpr int kResultText = 64;

// A number is made of digits, "." and "e" only; a sign makes it text, an empty token is 0.
bool Is_Number(const wchar_t* t) {
  if (!t) return true;
  for (; *t; ++t)
    if (!std::iswdigit(wint_t(*t)) && *t != L'.' && *t != L'e') return false;
  return true;
}

bool Is_Operator(const wchar_t* t) {
  static const wchar_t* const kOperators[] = {L"+", L"-", L"/", L"*", L"%", L"!", L"~",
                                              L"=", L"==", L"!=", L">=", L"<=", L">", L"<"};
  if (!t) return false;
  for (const wchar_t* op : kOperators)
    if (std::wcscmp(t, op) == 0) return true;
  return false;
}

float Number_Of(const wchar_t* t) { return t ? std::wcstof(t, nullptr) : 0.0f; }

// Applies a comparison to the ordering c (negative, zero, positive).
bool Compare(const wchar_t* op, int c) {
  if (Text_Is(op, L"==")) return c == 0;
  if (Text_Is(op, L"!=")) return c != 0;
  if (Text_Is(op, L">=")) return c >= 0;
  if (Text_Is(op, L"<=")) return c <= 0;
  if (Text_Is(op, L">")) return c > 0;
  return c < 0;
}

bool Is_Comparison(const wchar_t* op) {
  return Text_Is(op, L"==") || Text_Is(op, L"!=") || Text_Is(op, L">=") || Text_Is(op, L"<=") ||
         Text_Is(op, L">") || Text_Is(op, L"<");
}

// The remainder of two numbers truncated to integers; false when it has no value.
bool Remainder(float a, float b, wchar_t* out) {
  if (!(std::fabs(a) < 9.2e18f) || !(std::fabs(b) < 9.2e18f)) return false;
  const long long ia = (long long)a, ib = (long long)b;
  if (ib == 0) {
    QUARN_REPORT(msg::Notice, SCRIPT_ERROR_W L" remainder of a division by zero");
    return false;
  }
  Variable_Format_Number(double(ia % ib), out, kResultText);
  return true;
}

// Computes "L op R" into out; false when the operator gives no result for these operands.
bool Compute(const wchar_t* l, const wchar_t* op, const wchar_t* r, wchar_t* out) {
  const bool numbers = Is_Number(l) && Is_Number(r);
  if (Is_Comparison(op)) {
    int c;
    if (numbers) {
      const float a = Number_Of(l), b = Number_Of(r);
      c = a < b ? -1 : a > b ? 1 : 0;
    } else {
      c = std::wcscmp(l ? l : L"", r ? r : L"");
    }
    out[0] = Compare(op, c) ? L'1' : L'0';
    out[1] = 0;
    return true;
  }
  if (!numbers) return false;
  const float a = Number_Of(l), b = Number_Of(r);
  float v;
  if (Text_Is(op, L"+")) v = a + b;
  else if (Text_Is(op, L"-")) v = a - b;
  else if (Text_Is(op, L"*")) v = a * b;
  else if (Text_Is(op, L"/")) v = a / b;
  else if (Text_Is(op, L"%")) return Remainder(a, b, out);
  else return false;  // "!" and "~" have no two-operand meaning
  Variable_Format_Number(double(v), out, kResultText);
  return true;
}

// Replaces token at by its expansion; returns how many tokens it became.
int Expand_In_Place(int* n, wchar_t*** args, int at) {
  int count = 0;
  wchar_t** texts = Variable_Replacement((*args)[at], &count);
  if (count < 1) return 1;
  const bool ok = Args_Replace(n, args, at, 1, texts, count);
  std::free(texts);  // the list took the texts, not their array
  return ok ? count : 1;
}

// Evaluates every parenthesised group of the range; returns the new end.
int Evaluate_Groups(int* n, wchar_t*** args, int first, int end) {
  int depth = 0, open = -1;
  for (int i = first; i < end; ++i) {
    const wchar_t* t = (*args)[i];
    if (Text_Begins(t, L'(')) {
      if (depth++ == 0) open = i;
    } else if (Text_Begins(t, L')') && depth > 0 && --depth == 0) {
      Script_Args_Remove(n, args, i, 1);
      Script_Args_Remove(n, args, open, 1);
      const int inner = i - open - 1;
      const int m = Variable_Evaluate(n, args, open, open + inner);
      end += m - inner - 2;
      i = open + m - 1;
    }
  }
  return end;
}

// A leading "+" or "-" joins a following number into one signed number.
int Evaluate_Sign(int* n, wchar_t*** args, int first, int end) {
  wchar_t** a = *args;
  if (!(Text_Is(a[first], L"+") || Text_Is(a[first], L"-")) || !Is_Number(a[first + 1]))
    return end - first;
  const wchar_t* digits = a[first + 1] ? a[first + 1] : L"";
  if (!Text_Append(&a[first], digits, std::wcslen(digits), "pt_arg[i]")) return end - first;
  Script_Args_Remove(n, args, first + 1, 1);
  return Variable_Evaluate(n, args, first, end - 1);
}

// "L = R...": assignment; the statement becomes the variable's values.
int Evaluate_Assignment(int* n, wchar_t*** args, int first, int end) {
  Script_Vars* var = Variable_Assignment((*args)[first], end - first - 2, *args + first + 2);
  if (!var) return end - first;
  int count = 0;
  wchar_t** copies = nullptr;
  if (var->count > 0 && Script_Args_Insert_Copy(&count, &copies, 0, var->count, var->value) != var->count)
    return end - first;
  const bool ok = Args_Replace(n, args, first, end - first, copies, count);
  std::free(copies);
  return ok ? count : end - first;
}

// "L op R...": the right side first, so operators group from the right with equal precedence.
int Evaluate_Binary(int* n, wchar_t*** args, int first, int end) {
  const int right = Variable_Evaluate(n, args, first + 2, end);
  end = first + 2 + right;
  if (Text_Is((*args)[first + 1], L"=")) return Evaluate_Assignment(n, args, first, end);
  const int left = Expand_In_Place(n, args, first);
  end += left - 1;
  const int l = first + left - 1;
  if (right == 0) return end - first;
  wchar_t result[kResultText];
  if (!Compute((*args)[l], (*args)[l + 1], (*args)[l + 2], result)) return end - first;
  wchar_t* text;
  if (!Text_Dup(result, &text, "pt_arg[i]")) return end - first;
  if (!Args_Replace(n, args, l, 3, &text, 1)) return end - first;
  return end - 2 - first;
}

}  // namespace
}  // namespace quarn::script

using namespace quarn::script;

int Variable_Evaluate(int* n, wchar_t*** args, int first, int end) {
  if (!n || !args) return 0;
  if (first < 0) first = 0;
  if (end > *n) end = *n;
  if (end <= first) return 0;
  end = Evaluate_Groups(n, args, first, end);
  const int count = end - first;
  if (count <= 0) return 0;
  if (count == 1) return Expand_In_Place(n, args, first);
  if (Is_Operator((*args)[first])) return Evaluate_Sign(n, args, first, end);
  if (count < 3 || !Is_Operator((*args)[first + 1])) return count;
  return Evaluate_Binary(n, args, first, end);
}

wchar_t* Variable_Format_Number(double value, wchar_t* out, int size) {
  if (!out || size <= 0) return out;
  if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 2147483648.0)
    Host_Format(out, size_t(size), L"%d", int(value));
  else
    Host_Format(out, size_t(size), L"%f", value);
  return out;
}
