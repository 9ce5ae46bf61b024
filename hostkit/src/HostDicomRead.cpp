// Reading DICOM series from a file, a folder or a list of files into image records.
#include <hostkit/HostDicom.h>
#include <hostkit/HostReport.h>
#include <hostkit/HostUtil.h>

#include "HostDicomFile.h"
#include "HostFault.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <new>
#include <strings.h>

namespace {

namespace fs = std::filesystem;
using hostkit::Dicom_File;

// Hidden files and the index of a DICOM medium are not images of their own.
bool Skipped(const fs::path& p) {
  std::string name = p.filename().string();
  return name.empty() || name[0] == '.' || strcasecmp(name.c_str(), "DICOMDIR") == 0;
}

bool List_Folder(const wchar_t* folder, bool recursive, std::vector<std::wstring>& out) {
  std::string narrow = Host_Wide_To_Char(folder);
  std::error_code ec;
  std::vector<std::string> found;
  auto take = [&](const fs::directory_entry& e) {
    std::error_code sec;
    if (!Skipped(e.path()) && e.is_regular_file(sec)) found.push_back(e.path().string());
  };
  if (recursive) {
    fs::recursive_directory_iterator it(narrow, fs::directory_options::skip_permission_denied, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
      std::error_code dec;
      if (Skipped(it->path()) && it->is_directory(dec)) it.disable_recursion_pending();
      take(*it);
    }
  } else {
    fs::directory_iterator it(narrow, ec), end;
    for (; !ec && it != end; it.increment(ec)) take(*it);
  }
  if (ec) {
    hostkit::Dicom_Report(nullptr, 4, folder, ec.message());
    return false;
  }
  std::sort(found.begin(), found.end());
  for (const std::string& f : found) out.emplace_back(Host_Char_To_Wide(f.c_str()));
  return true;
}

// Files of one series share size, kind, spacing and orientation; a multi-frame file stands alone.
std::string Group_Key(const Dicom_File& f) {
  char key[320];
  std::snprintf(key, sizeof key, "%d %d %d %.4g %.4g %.3f %.3f %.3f %.3f %.3f %.3f", f.columns, f.rows,
                f.kind, f.spacing[0], f.spacing[1], f.dir_row[0], f.dir_row[1], f.dir_row[2],
                f.dir_col[0], f.dir_col[1], f.dir_col[2]);
  std::string k = f.series_uid + "|" + key;
  if (f.frames > 1) k += "|" + f.path;
  return k;
}

// Records built so far; released unless handed over to the caller's list.
struct Record_List {
  std::vector<Host_Image_Record*> records;
  ~Record_List() {
    for (Host_Image_Record* r : records) Host_Image_Free(r);
  }
};

void Progress(size_t done, size_t total) {
  if (Host_Progress_Hook && total) Host_Progress_Hook(float(done) / float(total));
}

// Scans every file on the reader's threads; the reports follow in the order of the files.
std::vector<std::unique_ptr<Dicom_File>> Scan_All(const std::vector<std::wstring>& paths) {
  std::vector<std::unique_ptr<Dicom_File>> scanned(paths.size());
  std::vector<std::pair<int, std::string>> failed(paths.size());
  auto scan = [&](size_t i) {
    try {
      auto f = std::make_unique<Dicom_File>();
      std::string reason;
      if (int cls = hostkit::Dicom_Scan(paths[i], f.get(), &reason)) failed[i] = {cls, reason};
      else scanned[i] = std::move(f);
    } catch (const std::bad_alloc&) {
      HOSTKIT_MEMORY_ERROR("new", "file", 1, 1);
      failed[i] = {-1, std::string()};
    }
  };
  // Scanning takes the first half of the progress, decoding the second.
  hostkit::Dicom_Parallel(paths.size(), scan, [&](size_t done) { Progress(done, 2 * paths.size()); });
  std::vector<std::unique_ptr<Dicom_File>> files;
  for (size_t i = 0; i < paths.size(); ++i) {
    if (failed[i].first > 0) hostkit::Dicom_Report(nullptr, failed[i].first, paths[i], failed[i].second);
    if (scanned[i]) files.push_back(std::move(scanned[i]));
  }
  return files;
}

Host_Image_Record** Read_List(const std::vector<std::wstring>& paths, int* count) {
  std::vector<std::unique_ptr<Dicom_File>> files = Scan_All(paths);
  std::map<std::string, std::vector<const Dicom_File*>> groups;
  for (const auto& f : files) groups[Group_Key(*f)].push_back(f.get());
  std::vector<std::vector<const Dicom_File*>> order;
  for (auto& g : groups) order.push_back(std::move(g.second));
  // Series come out by series number, then by the name of their first file.
  std::sort(order.begin(), order.end(), [](const auto& a, const auto& b) {
    if (a[0]->series_number != b[0]->series_number) return a[0]->series_number < b[0]->series_number;
    return a[0]->path < b[0]->path;
  });
  Record_List built;
  std::vector<Host_Image_Record*>& records = built.records;
  records.reserve(order.size());
  for (auto& g : order) hostkit::Dicom_Series_Build(std::move(g), nullptr, &records);
  Progress(paths.size(), paths.size());
  if (records.empty()) return nullptr;
  auto** list = static_cast<Host_Image_Record**>(std::malloc(sizeof(Host_Image_Record*) * (records.size() + 1)));
  if (!list) {
    HOSTKIT_MEMORY_ERROR("malloc", "list", records.size() + 1, sizeof(Host_Image_Record*));
    return nullptr;
  }
  std::copy(records.begin(), records.end(), list);
  list[records.size()] = nullptr;
  if (count) *count = int(records.size());
  records.clear();  // the caller owns them now
  return list;
}

// Containers of the reader throw when memory runs out; nothing may leave the kit as an exception.
template <class Body>
Host_Image_Record** Guarded(const char* where, Body body) {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    HOSTKIT_MEMORY_ERROR("new", where, 1, 1);
  } catch (const std::exception& e) {
    Host_Report(nullptr, 2, "%s: %s", where, e.what());
  }
  return nullptr;
}

}  // namespace

Host_Image_Record** Host_Dicom_Read_Series(const wchar_t* path, int* count, int flags) {
  if (count) *count = 0;
  if (!path || !*path) {
    HOSTKIT_INVALID(nullptr, "Host_Dicom_Read_Series: no file or folder named");
    return nullptr;
  }
  return Guarded("Host_Dicom_Read_Series", [&]() -> Host_Image_Record** {
    std::vector<std::wstring> paths;
    if (Host_Is_Dir(path)) {
      if (!List_Folder(path, flags & HOST_DICOM_RECURSIVE, paths)) return nullptr;
      if (paths.empty()) {
        hostkit::Dicom_Report(nullptr, 2, path, "the folder holds no file");
        return nullptr;
      }
    } else {
      paths.emplace_back(path);
    }
    return Read_List(paths, count);
  });
}

Host_Image_Record** Host_Dicom_Read_Files(const wchar_t* const* files, int file_count, int* count) {
  if (count) *count = 0;
  if (!files || file_count < 0) {
    HOSTKIT_INVALID(nullptr, "Host_Dicom_Read_Files: no file list (count %d)", file_count);
    return nullptr;
  }
  return Guarded("Host_Dicom_Read_Files", [&]() -> Host_Image_Record** {
    std::vector<std::wstring> paths;
    for (int i = 0; i < file_count; ++i) {
      if (files[i]) paths.emplace_back(files[i]);
      else HOSTKIT_INVALID(nullptr, "Host_Dicom_Read_Files: file %d of the list is null", i);
    }
    return Read_List(paths, count);
  });
}

void Host_Dicom_Free_Series(Host_Image_Record** list) {
  Host_Image_Free_Headers(nullptr, list);
  std::free(list);
}
