// The 2D file record: construction from the reader's records, matching and release.
#include <quarn/classes/Quarn_2D_File.h>

#include "core/Check.h"
#include "core/Trace.h"

#include <hostkit/HostImage.h>
#include <hostkit/HostReport.h>
#include <hostkit/HostUtil.h>

#include <atomic>
#include <cstdlib>
#include <ctime>
#include <cwchar>

namespace {

constexpr uint16_t File_2D_Magic = 0xABBB;

// Sequence numbers are only labels, so a relaxed counter is enough.
std::atomic<uint16_t> g_file_2d_counter{0};

// Code-unit order as unsigned 16-bit values, the order the host's lists are kept in.
int Compare_Code_Units(const wchar_t* a, const wchar_t* b) {
  for (;; ++a, ++b) {
    const uint16_t ca = uint16_t(*a), cb = uint16_t(*b);
    if (ca != cb) return ca < cb ? -1 : 1;
    if (!*a) return 0;
  }
}

template <class T>
T* Zeroed(int count) {
  return static_cast<T*>(std::calloc(size_t(count > 0 ? count : 1), sizeof(T)));
}

}  // namespace

uint16_t Quarn_2D_File::Counter_Get() { return g_file_2d_counter.load(std::memory_order_relaxed); }

Quarn_2D_File::Quarn_2D_File(const wchar_t* path, void** records) {
  QUARN_REPORT(quarn::msg::Class, ">>> in  Class: Quarn_2D_File::Quarn_2D_File(%ls)", path ? path : L"null");
  Class_Magic_Set(File_2D_Magic);
  Class_B_Set(g_file_2d_counter.fetch_add(1, std::memory_order_relaxed));
  if (!path) path = L"";
  path_ = ::wcsdup(path);
  if (!path_) QUARN_MEMORY_ERROR("_wcsdup", "path", std::wcslen(path) + 1, sizeof(wchar_t));
  wchar_t base[HOST_PATH_BUFFER];
  Host_Split_Path(path, nullptr, base, nullptr);
  Name_Set(L"%ls", base);
  time_ = int64_t(std::time(nullptr));

  records_ = reinterpret_cast<Host_Image_Record**>(records);
  long frames = 0;
  if (records_)
    for (; records_[count_]; ++count_) frames += long(records_[count_]->slices) * records_[count_]->times;

  state = Zeroed<uint16_t>(count_);
  word_a = Zeroed<uint32_t>(count_);
  word_b = Zeroed<uint32_t>(count_);
  block_a = Zeroed<void*>(count_);
  block_b = Zeroed<void*>(count_);
  if (!state || !word_a || !word_b || !block_a || !block_b)
    QUARN_MEMORY_ERROR("calloc", "record_state", count_, sizeof(void*));
  if (frames > 1) Class_A_Set(Multi_Frame);
  QUARN_REPORT(quarn::msg::Class, "<<< out Class: Quarn_2D_File::Quarn_2D_File()");
}

Quarn_2D_File::~Quarn_2D_File() {
  QUARN_REPORT(quarn::msg::Class, ">>> in  Class: Quarn_2D_File::~Quarn_2D_File(%ls)", Name_Get());
  QUARN_CHECK(this, File_2D, "Quarn_2D_File::~Quarn_2D_File");
  // A file named after its full path was never split into frames of its own.
  if (std::wcscmp(Name_Get(), Path_Get()) != 0) Frames_Delete();
  if (records_) {
    Host_Image_Free_Headers(Host_Main_Window, records_);
    std::free(records_);
  }
  for (int i = 0; i < count_; ++i) {
    if (block_a) std::free(block_a[i]);
    if (block_b) std::free(block_b[i]);
  }
  std::free(block_a);
  std::free(block_b);
  std::free(state);
  std::free(word_a);
  std::free(word_b);
  std::free(path_);
  QUARN_REPORT(quarn::msg::Class, "<<< out Class: Quarn_2D_File::~Quarn_2D_File()");
}

int Quarn_2D_File::Match(const wchar_t* text) {
  if (!QUARN_CHECK(this, File_2D, "Quarn_2D_File::Match")) return -1;
  return Compare_Code_Units(Path_Get(), text ? text : L"");
}

Host_Image_Record* Quarn_2D_File::Record_Get(int index) const {
  return index >= 0 && index < count_ ? records_[index] : nullptr;
}

void Quarn_2D_File::Frames_Delete() {
  // Frames point into the records; they are removed from the 2D tree once frames exist.
}
