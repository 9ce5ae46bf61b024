// Counted lists of owned texts: splitting a statement, removing, inserting and joining signs.
#include <quarn/script/Script_Args.h>

#include "script/Script_Text.h"

#include "core/Check.h"

#include <hostkit/HostUtil.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>

namespace {

size_t Length(const wchar_t* t) { return std::wcslen(t); }
size_t Length(const char* t) { return std::strlen(t); }

// Copies a text into owned memory; empty and null texts become null.
template <class C>
bool Dup(const C* text, C** out) {
  *out = nullptr;
  if (!text || !*text) return true;
  size_t n = Length(text) + 1;
  auto* copy = static_cast<C*>(std::malloc(n * sizeof(C)));
  if (!copy) {
    QUARN_MEMORY_ERROR("_wcsdup", "pt_arg[i]", n, sizeof(C));
    return false;
  }
  std::memcpy(copy, text, n * sizeof(C));
  *out = copy;
  return true;
}

template <class C>
void Release_All(int n, C** texts) {
  for (int i = 0; i < n; ++i) std::free(texts[i]);
}

template <class C>
int Remove(int* nb, C*** pt, int first, int n) {
  if (!nb || !pt) return 0;
  if (first < 0) first = 0;
  if (first >= *nb || n <= 0) return *nb;
  if (n > *nb - first) n = *nb - first;
  C** list = *pt;
  Release_All(n, list + first);
  std::memmove(list + first, list + first + n, size_t(*nb - first - n) * sizeof(C*));
  *nb -= n;
  if (*nb == 0) {
    std::free(list);
    *pt = nullptr;
  } else if (void* shrunk = std::realloc(list, size_t(*nb) * sizeof(C*))) {
    *pt = static_cast<C**>(shrunk);  // a refused shrink keeps the larger block, still valid
  }
  return *nb;
}

template <class C>
int Insert(int* nb, C*** pt, int at, int n, C** texts) {
  if (!nb || !pt) return 0;
  if (n <= 0) return *nb;
  if (at < 0) at = 0;
  if (at > *nb) at = *nb;
  auto* grown = static_cast<C**>(std::realloc(*pt, size_t(*nb + n) * sizeof(C*)));
  if (!grown) {
    QUARN_MEMORY_ERROR("realloc", "pt_arg", *nb + n, sizeof(C*));
    if (texts) Release_All(n, texts);
    return 0;
  }
  std::memmove(grown + at + n, grown + at, size_t(*nb - at) * sizeof(C*));
  for (int i = 0; i < n; ++i) grown[at + i] = texts ? texts[i] : nullptr;
  *pt = grown;
  *nb += n;
  return *nb;
}

template <class C>
int Insert_Copy(int* nb, C*** pt, int at, int n, C* const* texts) {
  if (!nb || !pt) return 0;
  if (n <= 0) return *nb;
  // Copies are made first so that a failure leaves the list as it was.
  auto* copies = static_cast<C**>(std::calloc(size_t(n), sizeof(C*)));
  if (!copies) {
    QUARN_MEMORY_ERROR("calloc", "pt_arg", n, sizeof(C*));
    return 0;
  }
  for (int i = 0; i < n; ++i) {
    if (!Dup(texts ? texts[i] : nullptr, &copies[i])) {
      Release_All(i, copies);
      std::free(copies);
      return 0;
    }
  }
  int count = Insert(nb, pt, at, n, copies);
  std::free(copies);
  return count;
}

bool Is_Sign(const wchar_t* t) { return quarn::script::Text_Is(t, L"-") || quarn::script::Text_Is(t, L"+"); }

}  // namespace

int Script_Args_Remove(int* nb, wchar_t*** pt, int first, int n) { return Remove(nb, pt, first, n); }
int Script_Args_Remove(int* nb, char*** pt, int first, int n) { return Remove(nb, pt, first, n); }

int Script_Args_Insert(int* nb, wchar_t*** pt, int at, int n, wchar_t** texts) {
  return Insert(nb, pt, at, n, texts);
}
int Script_Args_Insert(int* nb, char*** pt, int at, int n, char** texts) {
  return Insert(nb, pt, at, n, texts);
}

int Script_Args_Insert_Copy(int* nb, wchar_t*** pt, int at, int n, wchar_t* const* texts) {
  return Insert_Copy(nb, pt, at, n, texts);
}
int Script_Args_Insert_Copy(int* nb, char*** pt, int at, int n, char* const* texts) {
  return Insert_Copy(nb, pt, at, n, texts);
}

wchar_t* Script_Args_Split(wchar_t* text, int* nb, wchar_t*** pt) {
  if (!text || !nb || !pt) return nullptr;
  // At most one word per two characters; the words are gathered and copied in one insertion.
  const size_t most = std::wcslen(text) / 2 + 1;
  auto* words = static_cast<wchar_t**>(std::malloc(most * sizeof(wchar_t*)));
  if (!words) {
    QUARN_MEMORY_ERROR("malloc", "words", most, sizeof(wchar_t*));
    return nullptr;
  }
  wchar_t* prefix = nullptr;
  wchar_t* state = nullptr;
  int count = 0;
  for (wchar_t* w = Host_Str_Tokenize(text, L" \t", &state); w;
       w = Host_Str_Tokenize(nullptr, L" \t", &state)) {
    if (!prefix && quarn::script::Text_Ends(w, L':')) prefix = w;
    else words[count++] = w;
  }
  Script_Args_Insert_Copy(nb, pt, *nb, count, words);
  std::free(words);
  return prefix;
}

int Script_Args_Join_Signs(int* nb, wchar_t*** pt) {
  if (!nb || !pt) return -1;
  for (int i = 0; i + 1 < *nb; ++i) {
    wchar_t** list = *pt;
    const wchar_t* next = list[i + 1];
    if (!Is_Sign(list[i]) || !next || !std::iswdigit(wint_t(next[0]))) continue;
    if (!quarn::script::Text_Append(&list[i], next, std::wcslen(next), "pt_arg[i]")) return -1;
    Script_Args_Remove(nb, pt, i + 1, 1);
  }
  return *nb;
}

namespace quarn::script {

bool Args_Replace(int* nb, wchar_t*** pt, int at, int n, wchar_t** texts, int k) {
  // Inserting before removing keeps the list whole when the insertion fails.
  const int before = *nb;
  if (k > 0 && Script_Args_Insert(nb, pt, at, k, texts) != before + k) return false;
  Script_Args_Remove(nb, pt, at + k, n);
  return true;
}

void Args_Free(int* nb, wchar_t*** pt) { Script_Args_Remove(nb, pt, 0, *nb); }

}  // namespace quarn::script
