// The tag-surface list: 3D file records generated from tags, kept by name in code-unit order.
#include <quarn/classes/Quarn_3D_File.h>

#include "classes/File_Record_Common.h"
#include "core/Check.h"
#include "core/Trace.h"
#include "script/Remembered_Variable.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace {

using quarn::msg::Class;

quarn::Remembered_Variable g_tag_nb{L"$DB_3D_TAG_NB", true};
quarn::Remembered_Variable g_tag_pt{L"$DB_3D_TAG_PT", true};

/// The host's count and array of tag-file records.
struct Tag_List {
  int* count;
  Quarn_3D_File*** list;

  /// Index of the record named exactly name, or -1.
  int Find(const wchar_t* name) const {
    for (int i = 0; i < *count; ++i)
      if ((*list)[i] && !(*list)[i]->Match(name)) return i;
    return -1;
  }
  /// Index of the first record whose name sorts after name (the count when there is none).
  int Place(const wchar_t* name) const {
    int i = 0;
    while (i < *count && (!(*list)[i] || (*list)[i]->Match(name) <= 0)) ++i;
    return i;
  }
};

[[gnu::cold]] void Report_No_List(const char* op) {
  QUARN_REPORT(quarn::msg::Invalid, "%s: the host has no $DB_3D_TAG_NB and $DB_3D_TAG_PT", op);
}

bool List_Get(Tag_List& tags, const char* op) {
  tags.count = g_tag_nb.As<int>();
  tags.list = g_tag_pt.As<Quarn_3D_File**>();
  if (tags.count && tags.list) {
    if (*tags.count < 0 || !*tags.list) *tags.count = 0;  // an empty list may hold no array
    return true;
  }
  Report_No_List(op);
  return false;
}

Quarn_3D_File* Add_Failed(void** array, const char* outcome) {
  std::free(array);
  QUARN_REPORT(Class, "<<< out Class: Quarn_3D_File: File_3D_Add(%s)", outcome);
  return nullptr;
}

}  // namespace

Quarn_3D_File* File_3D_Add(const wchar_t* name, void* movie) {
  QUARN_REPORT(Class, ">>> in  Class: Quarn_3D_File: File_3D_Add(%ls)", name ? name : L"");
  auto** array = static_cast<void**>(std::malloc(sizeof(void*)));
  if (!array) {
    QUARN_MEMORY_ERROR("malloc", "geom_list", 1, 8);
    return nullptr;
  }
  array[0] = movie;
  Tag_List tags;
  if (!List_Get(tags, "File_3D_Add")) return Add_Failed(array, "! list");
  if (int found = tags.Find(name); found >= 0) {
    Quarn_3D_File* file = (*tags.list)[found];
    if (!file->assign(1, array)) return Add_Failed(array, "! assign");
    QUARN_REPORT(Class, "<<< out Class: Quarn_3D_File: File_3D_Add(replace)");
    return file;
  }
  const int n = *tags.count;
  auto** grown = static_cast<Quarn_3D_File**>(std::realloc(*tags.list, sizeof(Quarn_3D_File*) * size_t(n + 1)));
  if (!grown) {
    QUARN_MEMORY_ERROR("realloc", "*DB_3D_TAG_Pt", n + 1, 8);
    return Add_Failed(array, "! realloc");
  }
  *tags.list = grown;
  const int at = tags.Place(name);
  auto* file = new (std::nothrow) Quarn_3D_File(name, 1, array);
  if (!file) {
    QUARN_MEMORY_ERROR_NEW();
    return Add_Failed(array, "! new");
  }
  std::memmove(grown + at + 1, grown + at, sizeof(Quarn_3D_File*) * size_t(n - at));
  grown[at] = file;
  *tags.count = n + 1;
  QUARN_REPORT(Class, "-> We now have %d 3D files", n + 1);
  QUARN_REPORT(Class, "<<< out Class: Quarn_3D_File: File_3D_Add(add)");
  return file;
}

int File_3D_Del(const wchar_t* name) {
  QUARN_REPORT(Class, ">>> in  Class: Quarn_3D_File: File_3D_Del(%ls)", name ? name : L"");
  Tag_List tags;
  if (!List_Get(tags, "File_3D_Del")) return 0;
  const int found = tags.Find(name);
  int done = 1;
  if (found >= 0) {
    Quarn_3D_File** list = *tags.list;
    delete list[found];
    const int n = *tags.count - 1;
    std::memmove(list + found, list + found + 1, sizeof(Quarn_3D_File*) * size_t(n - found));
    *tags.count = n;
    if (!n) {
      std::free(list);
      *tags.list = nullptr;
    } else if (auto** shrunk = static_cast<Quarn_3D_File**>(std::realloc(list, sizeof(Quarn_3D_File*) * size_t(n)))) {
      *tags.list = shrunk;
    } else {
      QUARN_MEMORY_ERROR("realloc", "*DB_3D_TAG_Pt", n, 8);  // the larger block still holds the list
      done = 0;
    }
  }
  QUARN_REPORT(Class, "<<< out Class: Quarn_3D_File: File_3D_Del()");
  return done;
}
