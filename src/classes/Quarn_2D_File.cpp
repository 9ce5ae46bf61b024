// The 2D file record: construction from the reader's records, matching and release.
#include <quarn/classes/Quarn_2D_File.h>

#include <quarn/classes/Quarn_2D_Root.h>
#include <quarn/frames/Quarn_2D_Frame.h>

#include "classes/File_Record_Common.h"
#include "classes/Iterator_Table.h"
#include "classes/Node_Kinds.h"
#include "core/Check.h"
#include "core/Trace.h"
#include "script/Remembered_Variable.h"

#include <hostkit/HostImage.h>
#include <hostkit/HostReport.h>

#include <bit>
#include <cstdlib>
#include <cwchar>
#include <vector>

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

void Quarn_2D_File::Frames_Delete() {
  if (!records_ || !count_) return;
  // The frames are gathered first and deleted after the walk: deleting a node shifts its
  // siblings under the iterator's child cursor.
  std::vector<Quarn_2D_Frame*> doomed;
  {
    quarn::Iterator_Scope walk("Quarn_2D_File::~Quarn_2D_File", nullptr);
    while (Quarn_2D* node = Iterator_Class_2D(walk.id, Quarn_2D_Frame::Class_A, nullptr, 0)) {
      Quarn_2D_Frame* frame = quarn::Frame_If(node);
      for (int r = 0; frame && r < count_; ++r)
        if (frame->image && records_[r] == frame->image) {
          doomed.push_back(frame);
          break;
        }
    }
  }
  for (Quarn_2D_Frame* frame : doomed)
    if (Quarn_2D* parent = frame->Parent_Get_Pt()) parent->Child_Delete(frame);
}
