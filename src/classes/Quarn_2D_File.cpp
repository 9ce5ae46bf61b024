// The 2D file record: construction from the reader's records, matching and release.
#include <quarn/classes/Quarn_2D_File.h>

#include <quarn/classes/Quarn_2D_Root.h>
#include <quarn/frames/Quarn_2D_Frame.h>

#include "core/Check.h"
#include "core/Trace.h"
#include "script/Remembered_Variable.h"

#include <hostkit/HostImage.h>
#include <hostkit/HostReport.h>
#include <hostkit/HostUtil.h>

#include <atomic>
#include <bit>
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

quarn::Remembered_Variable g_db_2d_root{L"$DB_2D_ROOT_PT"};

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

float Quarn_2D_File::Pixel_Size_Get(int index) const {
  return index >= 0 && index < count_ && word_a ? std::bit_cast<float>(word_a[index]) : 0.0f;
}

void Quarn_2D_File::Pixel_Size_Set(int index, float size) {
  if (index >= 0 && index < count_ && word_a) word_a[index] = std::bit_cast<uint32_t>(size);
}

float Quarn_2D_File::Slice_Offset_Get(int index) const {
  return index >= 0 && index < count_ && word_b ? std::bit_cast<float>(word_b[index]) : 0.0f;
}

void Quarn_2D_File::Slice_Offset_Set(int index, float offset) {
  if (index >= 0 && index < count_ && word_b) word_b[index] = std::bit_cast<uint32_t>(offset);
}

namespace {

// Deletes, under node, every frame that shows one of the records.
void Frames_Of_Records_Delete(Quarn_2D* node, Host_Image_Record* const* records, int count) {
  for (int i = 0; i < node->Child_Get_Nb();) {
    Quarn_2D* child = node->Child_Get_Pt(i);
    if (child->Class_A_Get() == Quarn_2D_Frame::Class_A) {
      Host_Image_Record* shown = static_cast<Quarn_2D_Frame*>(child)->image;
      bool listed = false;
      for (int r = 0; r < count && !listed; ++r) listed = shown && records[r] == shown;
      if (listed) {
        node->Child_Delete(child);
        continue;
      }
    }
    Frames_Of_Records_Delete(child, records, count);
    ++i;
  }
}

}  // namespace

void Quarn_2D_File::Frames_Delete() {
  Quarn_2D_Root** root = g_db_2d_root.As<Quarn_2D_Root*>();
  if (!root || !*root || !records_) return;
  Frames_Of_Records_Delete(*root, records_, count_);
}
