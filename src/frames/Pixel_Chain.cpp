// The pixel-access chain: plain nodes pass reads and writes up to their parent, the root answers
// from the image record through the host's image library.
#include "frames/Pixel_Chain.h"

#include <quarn/classes/Quarn_2D.h>

#include "script/Remembered_Variable.h"
#include <quarn/undo/Undo_Pixel.h>

#include <atomic>

namespace quarn {

namespace {

// Bit of $CUDA_FLAG telling the device volume that tags changed on the host side.
constexpr uint64_t Cuda_Flag_Tags_Edited = uint64_t(1) << 32;

Remembered_Variable g_cuda_flag{L"$CUDA_FLAG", true};

// Record coordinates of a chain point; valid only when In_Record says so.
struct Index4 {
  int x, y, slice, time;
};

Index4 Index_Of(const Vec4& p) {
  return {Trunc_Index(p.x), Trunc_Index(p.y), Trunc_Index(p.z), Trunc_Index(p.w)};
}

bool In_Record(const Host_Image_Record& r, const Index4& i) {
  return i.x >= 0 && i.y >= 0 && i.slice >= 0 && i.time >= 0 && i.x < r.columns && i.y < r.rows &&
         i.slice < r.slices && i.time < r.times;
}

// Where a tag access continues: the tag transform first, then the way to the parent.
Vec4 Tag_Point_For_Parent(Quarn_2D* node, Vec4 p) {
  if (node->mat_tag) p *= *node->mat_tag;
  if (node->mat_child_to_parent) p *= *node->mat_child_to_parent;
  return p;
}

/// Sets bits in a word that other workers set too; read first, since a write on every pixel
/// would keep the word's cache line moving between the workers' cores.
template <class T>
void Bits_Set(T& word, T bits) {
  std::atomic_ref<T> shared(word);
  if ((shared.load(std::memory_order_relaxed) & bits) != bits) shared.fetch_or(bits, std::memory_order_relaxed);
}

}  // namespace

int Node_Read_GLI(Quarn_2D* node, void* image, Vec4 point) {
  if (node->mat_child_to_parent) point *= *node->mat_child_to_parent;
  Quarn_2D* parent = node->Parent_Get_Pt();
  if (!parent || !parent->fct_read_gli) return GLI_NONE;
  return parent->fct_read_gli(parent, image, point);
}

int Node_Read_TAG(Quarn_2D* node, void* image, Vec4 point) {
  point = Tag_Point_For_Parent(node, point);
  Quarn_2D* parent = node->Parent_Get_Pt();
  if (!parent || !parent->fct_read_tag) return 0;
  return parent->fct_read_tag(parent, image, point);
}

int Node_Write_TAG(Quarn_2D* node, void* image, Vec4 point, int tag) {
  point = Tag_Point_For_Parent(node, point);
  Quarn_2D* parent = node->Parent_Get_Pt();
  if (!parent || !parent->fct_write_tag) return 0;
  return parent->fct_write_tag(parent, image, point, tag);
}

int Root_Pixel_GLI(const Host_Image_Record* record, int x, int y, int slice, int time) {
  return Grey_Classify(record->kind, record->pad_value,
                       Host_Image_Pixel_Int(nullptr, record, x, y, slice, time));
}

int Root_Read_GLI(Quarn_2D*, void* image, Vec4 point) {
  const auto* record = static_cast<const Host_Image_Record*>(image);
  if (!record || !record->pixels) return GLI_NONE;
  Index4 i = Index_Of(point);
  if (!In_Record(*record, i)) return GLI_NONE;
  return Root_Pixel_GLI(record, i.x, i.y, i.slice, i.time);
}

int Root_Read_TAG(Quarn_2D*, void* image, Vec4 point) {
  const auto* record = static_cast<const Host_Image_Record*>(image);
  if (!record) return 0;
  Index4 i = Index_Of(point);
  return Host_Image_Pixel_Tag(nullptr, record, i.x, i.y, i.slice, i.time);
}

int Root_Write_TAG(Quarn_2D*, void* image, Vec4 point, int tag) {
  auto* record = static_cast<Host_Image_Record*>(image);
  if (!record || !record->tags || tag < 0 || tag > 255) return 0;
  Index4 i = Index_Of(point);
  auto* pixel = static_cast<uint8_t*>(
      Host_Image_Pixel(nullptr, record, record->tags, HOST_PIXEL_TAG, i.x, i.y, i.slice, i.time));
  if (!pixel || *pixel == tag) return 0;
  if (!Undo_Pixel_Record_TAG(pixel, *pixel, uint8_t(tag))) return -1;
  *pixel = uint8_t(tag);
  // Frames of one record (its slices) may be edited on several worker threads at once.
  Bits_Set(record->flags, uint32_t(HOST_IMAGE_TAG_EDITED));
  if (auto* cuda = g_cuda_flag.As<uint64_t>()) Bits_Set(*cuda, Cuda_Flag_Tags_Edited);
  return 1;
}

void Node_Pixel_Slots_Install(Quarn_2D* node) {
  node->fct_read_gli = &Node_Read_GLI;
  node->fct_read_tag = &Node_Read_TAG;
  node->fct_write_tag = &Node_Write_TAG;
}

void Root_Pixel_Slots_Install(Quarn_2D* root) {
  root->fct_read_gli = &Root_Read_GLI;
  root->fct_read_tag = &Root_Read_TAG;
  root->fct_write_tag = &Root_Write_TAG;
}

}  // namespace quarn
