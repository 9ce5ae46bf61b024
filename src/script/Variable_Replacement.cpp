// Expansion of the "$" references of one word into a list of texts, element by element.
#include "script/Variable_Internal.h"

#include <quarn/script/Script_Args.h>

#include "script/Script_Text.h"

#include "core/Check.h"
#include "core/Trace.h"

#include <climits>
#include <cstdlib>
#include <cwchar>

namespace quarn::script {
namespace {

// The result being built: a counted list of owned texts.
struct Result {
  int count = 0;
  wchar_t** text = nullptr;
  bool failed = false;

  ~Result() { Args_Free(&count, &text); }
};

[[gnu::cold]] void Report_Mismatch(const wchar_t* word) {
  QUARN_REPORT(msg::Notice, SCRIPT_ERROR_W L" arguments mismatch between variables (" SCRIPT_HI_W L"%ls"
               SCRIPT_LO_W L")", word);
}

// Plain characters join the single result text; with several texts their place is ambiguous.
void Add_Plain(Result& r, const wchar_t* run, size_t n, const wchar_t* word) {
  if (r.count > 1) {
    Report_Mismatch(word);
    r.failed = true;
    return;
  }
  if (r.count == 0 && Script_Args_Insert(&r.count, &r.text, 0, 1, nullptr) != 1) {
    r.failed = true;
    return;
  }
  if (!Text_Append(&r.text[0], run, n, "var->value[k]")) r.failed = true;
}

// Appends values to the result: copies when it is empty, else element by element.
void Add_Values(Result& r, int n, wchar_t* const* values, const wchar_t* word) {
  if (r.count == 0) {
    if (n > 0 && Script_Args_Insert_Copy(&r.count, &r.text, 0, n, values) != n) r.failed = true;
    return;
  }
  if (r.count != n) {
    Report_Mismatch(word);
    r.failed = true;
    return;
  }
  for (int k = 0; k < n && !r.failed; ++k) {
    const wchar_t* v = values[k] ? values[k] : L"";
    if (!Text_Append(&r.text[k], v, std::wcslen(v), "var->value[k]")) r.failed = true;
  }
}

// Expands one reference (the "$" and what follows up to end); returns where scanning resumes.
const wchar_t* Add_Reference(Result& r, const wchar_t* ref, const wchar_t* end, const wchar_t* word) {
  Var_Ref parsed;
  if (!Var_Ref_Parse(ref, size_t(end - ref), &parsed)) {
    r.failed = true;
    return end;
  }
  const int at = Variable_Find(parsed.name);
  if (at < 0) {
    // Unknown: said once, and the letters after the "$" are read as plain text.
    QUARN_REPORT(msg::Notice, SCRIPT_ERROR_W L" no variable found for (" SCRIPT_HI_W L"%ls" SCRIPT_LO_W L")", ref);
    return ref + 1;
  }
  Script_Vars* var = &Variable_Pt[at];
  if (parsed.has_index && parsed.index < 0) parsed.index = INT_MAX;  // reported as out of range below
  if (var->flags & SCRIPT_VAR_HOST) {
    var->index = int16_t(parsed.has_index ? (parsed.index < 0x7FFF ? parsed.index : 0x7FFF) : -1);
    const int refreshed = Variable_System_Evaluate(var);
    if (refreshed == 0)
      QUARN_REPORT(msg::Notice, SCRIPT_WARNING_W L" variable " SCRIPT_HI_W L"%ls" SCRIPT_LO_W L" in undefined",
                   var->name);
    if (refreshed <= 0) {
      r.failed = true;
      return end;
    }
  }
  if (!parsed.has_index) {
    Add_Values(r, var->count, var->value, word);
    return end;
  }
  if (parsed.index >= var->count) {
    QUARN_REPORT(msg::Notice, SCRIPT_ERROR_W L" Index out of range for %ls (%d /vs/ 0 to %d)", var->name,
                 parsed.index == INT_MAX ? -1 : parsed.index, var->count - 1);
    r.failed = true;
    return end;
  }
  Add_Values(r, 1, &var->value[parsed.index], word);
  return end;
}

// Evaluates the text of an element index and reads its first token as an integer.
bool Index_Evaluate(const wchar_t* text, size_t len, const wchar_t* whole, int* index) {
  const size_t size = 3 * len + 4;  // room for the blanks and line feeds normalisation adds
  auto* buffer = static_cast<wchar_t*>(std::malloc(size * sizeof(wchar_t)));
  if (!buffer) {
    QUARN_MEMORY_ERROR("malloc", "index", size, sizeof(wchar_t));
    return false;
  }
  std::wmemcpy(buffer, text, len);
  buffer[len] = 0;
  int n = 0;
  wchar_t** args = nullptr;
  if (Str_Strip_Special(buffer, int(size)) >= 0) {
    Script_Args_Split(buffer, &n, &args);
    Variable_Evaluate(&n, &args, 0, n);
  }
  const bool ok = n > 0;
  if (ok) {
    long v = std::wcstol(args[0] ? args[0] : L"", nullptr, 10);
    *index = int(v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : v);
  } else {
    QUARN_REPORT(msg::Notice, SCRIPT_ERROR_W L" bad index in \"" SCRIPT_HI_W L"%ls" SCRIPT_LO_W L"\"", whole);
  }
  Args_Free(&n, &args);
  std::free(buffer);
  return ok;
}

}  // namespace

bool Var_Ref_Parse(const wchar_t* text, size_t len, Var_Ref* out) {
  out->has_index = false;
  out->index = -1;
  size_t name_len = len;
  if (len > 0 && text[len - 1] == L']') {
    const wchar_t* open = std::wmemchr(text, L'[', len);
    if (open) {
      name_len = size_t(open - text);
      const size_t inner = len - name_len - 2;
      wchar_t whole[VARIABLE_NAME_MAX + 1];
      std::swprintf(whole, VARIABLE_NAME_MAX + 1, L"%.*ls", int(len < VARIABLE_NAME_MAX ? len : VARIABLE_NAME_MAX), text);
      if (!Index_Evaluate(open + 1, inner, whole, &out->index)) return false;
      out->has_index = true;
    }
  }
  if (!Limit_Check("variable name", long(name_len), VARIABLE_NAME_MAX)) return false;
  std::wmemcpy(out->name, text, name_len);
  out->name[name_len] = 0;
  return true;
}

}  // namespace quarn::script

using namespace quarn::script;

wchar_t** Variable_Replacement(const wchar_t* word, int* count) {
  if (count) *count = 0;
  if (!word || !*word || !count) return nullptr;
  Result r;
  const wchar_t* p = word;
  while (*p && !r.failed) {
    if (*p == L'"') { ++p; continue; }
    if (*p != L'$') {
      const wchar_t* run = p;
      while (*p && *p != L'$' && *p != L'"') ++p;
      Add_Plain(r, run, size_t(p - run), word);
      continue;
    }
    const wchar_t* end = p + 1;
    while (*end && *end != L'$' && *end != L'"') ++end;
    p = Add_Reference(r, p, end, word);
  }
  if (r.failed || r.count == 0) return nullptr;
  *count = r.count;
  wchar_t** texts = r.text;
  r.text = nullptr;
  r.count = 0;
  return texts;
}
