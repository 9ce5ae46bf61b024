// The frame's pixel-access slots and the views of its layers that other threads read.
#pragma once

#include <hostkit/HostMath.h>

#include <atomic>
#include <cstdint>

class Quarn_2D;
class Quarn_2D_Frame;

namespace quarn {

/// Grey read of a frame: work_gli when loaded, else the chain above the frame.
int Frame_Read_GLI(Quarn_2D* node, void* image, Vec4 point);
/// Tag read of a frame: the low byte of work_tag when loaded (0 outside), else the chain.
int Frame_Read_TAG(Quarn_2D* node, void* image, Vec4 point);
/// Tag write of a frame: work_tag first (refused for locked tags and unchanged pixels), then the
/// chain. Returns what the chain returns, 0 when nothing is written.
int Frame_Write_TAG(Quarn_2D* node, void* image, Vec4 point, int tag);

/// Marks a tag of the frame as changed since its contours were computed (any thread).
void Tag_Used_Mark(Quarn_2D_Frame* frame, int tag);
/// Marks every tag of the frame as changed.
void Tag_Used_Mark_All(Quarn_2D_Frame* frame);

/// Reads a layer view that worker threads read while the loading thread sets it.
template <class T>
T* View_Get(T*& view) {
  return std::atomic_ref<T*>(view).load(std::memory_order_acquire);
}

/// Publishes a layer view once its rows are filled.
template <class T>
void View_Set(T*& view, T* rows) {
  std::atomic_ref<T*>(view).store(rows, std::memory_order_release);
}

}  // namespace quarn
