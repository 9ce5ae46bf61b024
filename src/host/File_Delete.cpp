// Fct_File_Delete: the file records of one name dropped from the host's file lists.
#include <quarn/host/File_Dialog.h>

#include <quarn/classes/Quarn_1D_File.h>
#include <quarn/classes/Quarn_2D_File.h>
#include <quarn/classes/Quarn_3D_File.h>
#include <quarn/display/Update.h>
#include <quarn/host/Progress.h>

#include "classes/Database_Dimension.h"
#include "core/Trace.h"
#include "script/Remembered_Variable.h"

#include <cwchar>
#include <vector>

namespace {

/// Update requests after each kind of list changed.
constexpr uint64_t kUpdate_1D = 513;
constexpr uint64_t kUpdate_2D = 514;
constexpr uint64_t kUpdate_3D = 516;

quarn::Remembered_Variable g_tag_nb{L"$DB_3D_TAG_NB"};
quarn::Remembered_Variable g_tag_pt{L"$DB_3D_TAG_PT"};

// The list is closed up before the records go, so that it never names a destroyed record.
template <class File>
int Remove(quarn::Remembered_Variable& nb, quarn::Remembered_Variable& pt, const wchar_t* name) {
  int* count = nb.As<int>();
  File*** list = pt.As<File**>();
  if (!count || !list || !*list || *count <= 0) return 0;
  std::vector<File*> gone;
  int kept = 0;
  for (int i = 0; i < *count; ++i) {
    File* file = (*list)[i];
    if (file && std::wcscmp(file->Name_Get(), name) == 0) gone.push_back(file);
    else (*list)[kept++] = file;
  }
  *count = kept;
  for (File* file : gone) delete file;
  return int(gone.size());
}

}  // namespace

int Fct_File_Delete(const wchar_t* name) {
  QUARN_REPORT(quarn::msg::Low_File, L"in Fct_File_Delete(%ls) (unicode)", name ? name : L"null");
  if (!name) return 0;
  quarn::db::Dimension& d1 = quarn::db::Dim(0);
  quarn::db::Dimension& d2 = quarn::db::Dim(1);
  quarn::db::Dimension& d3 = quarn::db::Dim(2);
  int removed = Remove<Quarn_1D_File>(d1.file_nb, d1.file_pt, name);
  Fct_Update(kUpdate_1D);
  removed += Remove<Quarn_2D_File>(d2.file_nb, d2.file_pt, name);
  Fct_Update(kUpdate_2D);
  removed += Remove<Quarn_3D_File>(d3.file_nb, d3.file_pt, name);
  removed += Remove<Quarn_3D_File>(g_tag_nb, g_tag_pt, name);
  Fct_Update(kUpdate_3D);
  Fct_Progress_Inc(1);
  return removed;
}
