// The row matrices behind a frame's working and erase layers: creation, filing, failure reports.
#include "frames/Frame_Layer_Buffer.h"

#include <quarn/core/Quarn_Buffer.h>
#include <quarn/frames/Quarn_2D_Frame.h>

#include "classes/Tree_Trace.h"

#include <new>

namespace quarn {

const Layer_Kind Layer_Work_GLI{6, 4, "class_2D_frame_work_gli", "Quarn_2D_Frame::Work_GLI_Load"};
// A failed tag matrix is traced under the grey layer's name, as the tools reading traces expect.
const Layer_Kind Layer_Work_TAG{5, 2, "class_2D_frame_work_tag", "Quarn_2D_Frame::Work_GLI_Load"};
const Layer_Kind Layer_Erase{1, 1, "class_2D_frame_erase", "Quarn_2D_Frame::Erase_Clear"};

namespace {

bool Fits(Quarn_Buffer& buffer, const Quarn_2D_Frame& frame, const Layer_Kind& kind) {
  return buffer.Matrix_Get_X() == frame.width && buffer.Matrix_Get_Y() == frame.height &&
         buffer.Matrix_Get_Dim() == kind.dim;
}

// Matrix_New gives no rows for a frame without rows; only a failed allocation is a failure.
[[nodiscard]] bool Matrix_Make(Quarn_Buffer& buffer, const Quarn_2D_Frame& frame,
                               const Layer_Kind& kind) {
  if (buffer.Matrix_New(frame.width, frame.height, kind.dim) || frame.height == 0) return true;
  Trace_Out(kind.matrix_label, "! Matrix_New");
  return false;
}

[[gnu::cold]] Quarn_Buffer* Buffer_Make(Quarn_2D_Frame* frame, const Layer_Kind& kind,
                                        const char* name) {
  auto* buffer = new (std::nothrow) Quarn_Buffer();
  if (!buffer) {
    Memory_Error_New(kind.source, __LINE__);
    return nullptr;
  }
  buffer->Name_Set("%s", name);
  if (!Matrix_Make(*buffer, *frame, kind) || !frame->User_Set(kind.slot, buffer)) {
    delete buffer;
    return nullptr;
  }
  return buffer;
}

}  // namespace

void** Layer_Rows(Quarn_2D_Frame* frame, const Layer_Kind& kind, const char* name, bool* created) {
  *created = false;
  Quarn_Buffer* buffer = frame->User_Get(kind.slot);
  if (!buffer) {
    buffer = Buffer_Make(frame, kind, name);
    if (!buffer) return nullptr;
    *created = true;
  } else if (!Fits(*buffer, *frame, kind)) {
    buffer->Matrix_Delete();
    if (!Matrix_Make(*buffer, *frame, kind)) return nullptr;
  }
  return buffer->Matrix_Get();
}

Region_2D Layer_Extent(const Quarn_2D_Frame& frame) {
  Region_2D r(6);
  r.x_min = r.y_min = 0;
  r.x_max = float(frame.width) - 1;
  r.y_max = float(frame.height) - 1;
  return r;
}

}  // namespace quarn
