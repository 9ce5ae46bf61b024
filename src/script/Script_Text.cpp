// Copies and appends of owned wide texts with memory reports, and the limit check.
#include "script/Script_Text.h"

#include "script/Script_Limits.h"

#include "core/Check.h"
#include "core/Trace.h"

#include <cstdlib>

namespace quarn::script {

bool Text_Dup(const wchar_t* text, wchar_t** out, const char* var) {
  *out = nullptr;
  if (!text || !*text) return true;
  size_t n = std::wcslen(text) + 1;
  auto* copy = static_cast<wchar_t*>(std::malloc(n * sizeof(wchar_t)));
  if (!copy) {
    QUARN_MEMORY_ERROR("_wcsdup", var, n, 1);
    return false;
  }
  std::wmemcpy(copy, text, n);
  *out = copy;
  return true;
}

bool Text_Append(wchar_t** text, const wchar_t* add, size_t n, const char* var) {
  size_t old = *text ? std::wcslen(*text) : 0;
  auto* grown = static_cast<wchar_t*>(std::realloc(*text, (old + n + 1) * sizeof(wchar_t)));
  if (!grown) {
    QUARN_MEMORY_ERROR("realloc", var, old + n + 1, sizeof(wchar_t));
    return false;
  }
  std::wmemcpy(grown + old, add, n);
  grown[old + n] = 0;
  *text = grown;
  return true;
}

void Text_Join(wchar_t* line, int& n, const wchar_t* text) {
  if (!text) return;
  for (; *text && n < SCRIPT_TEXT_SIZE - 1; ++text) line[n++] = *text;
  line[n] = 0;
}

int Limit_Check(const char* what, long value, long max) {
  if (value <= max) return 1;
  QUARN_REPORT(msg::Notice, SCRIPT_ERROR_W L" %hs exceeds its limit (" SCRIPT_HI_W L"%ld" SCRIPT_LO_W
               L" /vs/ max %ld)", what, value, max);
  return 0;
}

}  // namespace quarn::script
