// What modules read of a frame's contours, and the release of the contour store.
#include <quarn/algorithms/Contour.h>
#include <quarn/core/Quarn_Buffer.h>
#include <quarn/frames/Quarn_2D_Frame.h>

#include "algorithms/Contour_Extract.h"
#include "algorithms/Contour_Store.h"
#include "classes/Tree_Trace.h"

using namespace quarn;
using namespace quarn::contour;

int Fct_Contour_Get_Points(Quarn_2D_Frame* frame, int16_t tag, Point_2D** points) {
  constexpr const char* label = "Fct_Contour_Get_Points";
  if (points) *points = nullptr;
  if (!Readable(frame, tag, label)) return 0;
  Store_Reading reading(frame, label);
  Quarn_Buffer* parts = Tag_Parts_Get(frame, tag);
  const auto* count = parts ? static_cast<const uint32_t*>(parts[0].Data_Get()) : nullptr;
  if (!count || !*count) return 0;
  if (points) *points = static_cast<Point_2D*>(parts[1].Data_Get());
  return int(*count);
}

int Fct_Contour_Get_Loops(Quarn_2D_Frame* frame, int16_t tag, Quarn_Buffer** loops) {
  constexpr const char* label = "Fct_Contour_Get_Loops";
  if (loops) *loops = nullptr;
  if (!Readable(frame, tag, label)) return 0;
  Store_Reading reading(frame, label);
  Quarn_Buffer* parts = Tag_Parts_Get(frame, tag);
  const int count = parts ? parts[2].Sub_Count_Get() : 0;
  if (count && loops) *loops = parts[2].Sub_Get(0);
  return count;
}

int Fct_Contour_Loop_Length(Quarn_Buffer* loop) {
  if (!QUARN_CHECK(loop, Buffer, "Fct_Contour_Loop_Length")) return 0;
  return int(loop->Size_Get() / sizeof(uint32_t));
}

void Fct_Contour_Free(Quarn_2D_Frame* frame) {
  constexpr const char* label = "Fct_Contour_Free";
  QUARN_REPORT(msg::Module, ">>> in  Fct: %s(%ls)", label, Name_Of(Object_Of(frame)));
  if (!QUARN_CHECK(Object_Of(frame), Frame, label)) return;
  Store_Reading reading(frame, label);
  Quarn_Buffer* store = Store_Get(frame);
  if (!store) {
    QUARN_REPORT(msg::Module, "<<< out Fct: %s(! contour)", label);
    return;
  }
  store->Data_Delete();
  QUARN_REPORT(msg::Module, "<<< out Fct: %s()", label);
}
