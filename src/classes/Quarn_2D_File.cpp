// The 2D file record: construction from the reader's records, matching and release.
#include <quarn/classes/Quarn_2D_File.h>

#include "classes/File_Record_Common.h"
#include "core/Check.h"
#include "core/Trace.h"

#include <hostkit/HostImage.h>
#include <hostkit/HostReport.h>

#include <cstdlib>
#include <cwchar>

namespace {

constexpr uint16_t File_2D_Magic = 0xABBB;

}  // namespace

uint16_t Quarn_2D_File::Counter_Get() { return quarn::File_Sequence_Peek(quarn::File_Kind::Two_D); }

Quarn_2D_File::Quarn_2D_File(const wchar_t* path, void** records) {
  QUARN_REPORT(quarn::msg::Class, ">>> in  Class: Quarn_2D_File::Quarn_2D_File(%ls)", path ? path : L"null");
  Class_Magic_Set(File_2D_Magic);
  Class_B_Set(quarn::File_Sequence_Next(quarn::File_Kind::Two_D));
  if (!path) path = L"";
  path_ = ::wcsdup(path);
  if (!path_) QUARN_MEMORY_ERROR("_wcsdup", "path", std::wcslen(path) + 1, sizeof(wchar_t));
  quarn::File_Generic_Name_Set(*this, path);
  time_ = quarn::File_Time_Now();

  records_ = reinterpret_cast<Host_Image_Record**>(records);
  long frames = 0;
  if (records_)
    for (; records_[count_]; ++count_) frames += long(records_[count_]->slices) * records_[count_]->times;

  state = quarn::File_Zeroed<uint16_t>(count_);
  word_a = quarn::File_Zeroed<uint32_t>(count_);
  word_b = quarn::File_Zeroed<uint32_t>(count_);
  block_a = quarn::File_Zeroed<void*>(count_);
  block_b = quarn::File_Zeroed<void*>(count_);
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
  return quarn::File_Key_Compare(Path_Get(), text);
}

Host_Image_Record* Quarn_2D_File::Record_Get(int index) const {
  return index >= 0 && index < count_ ? records_[index] : nullptr;
}

void Quarn_2D_File::Frames_Delete() {
  // Frames point into the records; they are removed from the 2D tree once frames exist.
}
