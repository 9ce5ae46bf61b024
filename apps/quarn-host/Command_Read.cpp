// "read:" loads DICOM series into 2D file records; "phantom:" writes a synthetic series.
#include "Host_Command.h"

#include <quarn/quarn.h>

#include <hostkit/HostDicom.h>

#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

/// Appends a record to the host's list of 2D files ($DB_2D_FILE_NB / $DB_2D_FILE_PT).
int File_List_Append(Quarn_2D_File* file) {
  auto* count = static_cast<int*>(Host_Var_Get(L"$DB_2D_FILE_NB", nullptr, nullptr, nullptr));
  auto* list = static_cast<Quarn_2D_File***>(Host_Var_Get(L"$DB_2D_FILE_PT", nullptr, nullptr, nullptr));
  if (!count || !list) return 0;
  auto* grown = static_cast<Quarn_2D_File**>(std::realloc(*list, sizeof(Quarn_2D_File*) * size_t(*count + 1)));
  if (!grown) return 0;
  grown[(*count)++] = file;
  *list = grown;
  return 1;
}

}  // namespace

void Host_Files_Release() {
  auto* count = static_cast<int*>(Host_Var_Get(L"$DB_2D_FILE_NB", nullptr, nullptr, nullptr));
  auto* list = static_cast<Quarn_2D_File***>(Host_Var_Get(L"$DB_2D_FILE_PT", nullptr, nullptr, nullptr));
  if (!count || !list) return;
  // Newest first, so that the list stays whole while each file takes its frames with it.
  while (*count > 0) delete (*list)[--*count];
  std::free(*list);
  *list = nullptr;
}

namespace {

int Read_One(const wchar_t* path) {
  int count = 0;
  Host_Image_Record** records = Host_Dicom_Read_Series(path, &count);
  if (!records) {
    Host_Print((L"read: nothing readable in " + std::wstring(path)).c_str());
    return 0;
  }
  auto* file = new (std::nothrow) Quarn_2D_File(path, reinterpret_cast<void**>(records));
  if (!file) {
    Host_Dicom_Free_Series(records);
    return 0;
  }
  if (!File_List_Append(file)) {
    delete file;
    return 0;
  }
  Host_Print((L"read: " + std::wstring(path) + L": " + std::to_wstring(count) + L" record(s), " +
              std::to_wstring(file->Record_Get(0)->slices) + L" slice(s)")
                 .c_str());
  return 1;
}

bool Opens_Quote(const wchar_t* word) {
  const size_t n = std::wcslen(word);
  return n > 0 && word[0] == L'"' && (n == 1 || word[n - 1] != L'"');
}

// A statement splits a quoted name at its blanks; the words from one opening a quote to the one
// closing it are one name again.
std::vector<std::wstring> Names(int n, wchar_t** words) {
  std::vector<std::wstring> names;
  for (int i = 0; i < n; ++i) {
    std::wstring name = Host_Expand(words[i]);
    if (Opens_Quote(words[i]))
      while (i + 1 < n) {
        const wchar_t* next = words[++i];
        name += L" " + Host_Expand(next);
        const size_t length = std::wcslen(next);
        if (length && next[length - 1] == L'"') break;
      }
    names.push_back(name);
  }
  return names;
}

// "read: image name" is how the library opens a file; the word "image" names what is read.
int Read(int* nb_arg, wchar_t*** pt_arg) {
  if (!Script_Arg_Check_Range(L"read:", *nb_arg, 1, 65)) return 0;
  const int first = *nb_arg > 1 && std::wcscmp((*pt_arg)[0], L"image") == 0 ? 1 : 0;
  int result = 1;
  for (const std::wstring& name : Names(*nb_arg - first, *pt_arg + first))
    if (!Read_One(name.c_str())) result = 0;
  return result;
}

/// Slice offsets from a comma-separated list ("0,202.5,203.75"); empty when it does not parse.
std::vector<float> Offsets_Of(const std::wstring& text) {
  std::vector<float> out;
  for (const wchar_t* p = text.c_str(); *p;) {
    wchar_t* end = nullptr;
    out.push_back(std::wcstof(p, &end));
    if (end == p || (*end && *end != L',')) return {};
    p = *end ? end + 1 : end;
  }
  return out;
}

int Phantom(int* nb_arg, wchar_t*** pt_arg) {
  if (!Script_Arg_Check_Range(L"phantom:", *nb_arg, 1, 5)) return 0;
  Host_Phantom_Options options;
  const std::wstring folder = Host_Expand((*pt_arg)[0]);
  if (*nb_arg > 1) options.slices = int(std::wcstol(Host_Expand((*pt_arg)[1]).c_str(), nullptr, 10));
  if (*nb_arg > 2) options.columns = options.rows = int(std::wcstol(Host_Expand((*pt_arg)[2]).c_str(), nullptr, 10));
  if (*nb_arg > 3 && Host_Expand((*pt_arg)[3]) == L"MR") options.modality = HOST_MODALITY_MR;
  std::vector<float> offsets;
  if (*nb_arg > 4) {
    offsets = Offsets_Of(Host_Expand((*pt_arg)[4]));
    if (int(offsets.size()) != options.slices) {
      Host_Print(L"phantom: the slice offsets are a comma-separated list of one number per slice");
      return 0;
    }
    options.slice_offsets = offsets.data();
  }
  const int written = Host_Dicom_Write_Phantom(folder.c_str(), &options);
  if (written) Host_Print((L"phantom: " + std::to_wstring(written) + L" file(s) in " + folder).c_str());
  return written > 0;
}

const Host_Command_Registration read_registration(
    {L"read:", Read, L"read: [image] folder|file...  reads DICOM series into 2D file records"});
const Host_Command_Registration phantom_registration(
    {L"phantom:", Phantom,
     L"phantom: folder [slices [size [CT|MR [offsets]]]]  writes a synthetic DICOM series (offsets: mm along the normal, comma-separated)"});

}  // namespace
