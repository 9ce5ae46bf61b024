// Fct_Tag_Enable: a census of the tags in the frames of the current window.
#include <quarn/algorithms/Volume_Test.h>

#include <quarn/classes/Iterator.h>
#include <quarn/frames/Quarn_2D_Frame.h>
#include <quarn/script/Host_Variable.h>

#include "classes/Iterator_Table.h"
#include "classes/Node_Kinds.h"
#include "classes/Tree_Trace.h"
#include "classes/Window_Selector.h"
#include "frames/Frame_Access_Slots.h"

#include <algorithm>
#include <memory>
#include <new>

namespace {

constexpr const char* Label = "Fct_Tag_Enable";
/// Iterator filter of the census: none. Every frame of the tree counts, whatever its selected,
/// shown or current flags; the current window passed beside it only names where flag tests would
/// look.
constexpr unsigned char Every_Frame = 0;

// A table of bytes among the host variables: its elements and their number (0 when unknown).
struct Byte_Table {
  uint8_t* bytes = nullptr;
  int count = 0;
};

Byte_Table Byte_Table_Get(const wchar_t* name) {
  int count = 0;
  uint16_t flags = 0;
  void* storage = Fct_Variable_Get(name, &count, &flags, nullptr, 0);
  return {static_cast<uint8_t*>(Fct_Variable_Elements(storage, flags)), count};
}

int Tag_Count_Get() {
  const auto* n = static_cast<const uint16_t*>(Fct_Variable_Get(L"$TAG_NB", nullptr, nullptr, nullptr, 1));
  return n ? int(*n) : 0;
}

int Out(const char* why, int answer) {
  QUARN_REPORT(quarn::msg::Low_Calc, "<<< out Fct: Fct_Tag_Enable(%s)", why);
  return answer;
}

// Adds the tags of one frame's working tag layer; a frame that has none adds nothing.
void Frame_Count(Quarn_2D_Frame* frame, uint64_t* counts, int last) {
  frame->Critical_Class_In(Label);
  if (uint16_t** rows = quarn::View_Get(frame->work_tag))
    for (int y = 0; y < frame->height; ++y)
      for (int x = 0; x < frame->width; ++x) ++counts[std::min(int(rows[y][x] & 0xFF), last)];
  frame->Critical_Class_Out(Label);
}

}  // namespace

int Fct_Tag_Enable(unsigned short minimum) {
  QUARN_REPORT(quarn::msg::Low_Calc, ">>> in  Fct: Fct_Tag_Enable(%d)", int(minimum));
  const int tags = Tag_Count_Get();
  const Byte_Table enable = Byte_Table_Get(L"$TAG_ENABLE");
  if (!enable.bytes) return Out("! TAG_Enable", 0);
  if (enable.count > 0 && enable.count < tags) {
    QUARN_REPORT(quarn::msg::Invalid, "\xF1\x05WARNING:\x02 $TAG_ENABLE has %d entries for %d tags",
                 enable.count, tags);
    return Out("! TAG_Enable size", 0);
  }
  enable.bytes[0] = 0;
  if (tags < 2) return Out("TAG_NB < 2", 0);
  std::unique_ptr<uint64_t[]> counts(new (std::nothrow) uint64_t[size_t(tags)]());
  if (!counts) {
    QUARN_MEMORY_ERROR_NEW();
    return Out("! count", 0);
  }
  {
    quarn::Iterator_Scope frames(Label, nullptr);
    void* window = reinterpret_cast<void*>(quarn::Selector_Current);
    while (Quarn_2D* found = Iterator_Class_2D(frames.id, quarn::Class_A_Frame, window, Every_Frame))
      if (Quarn_2D_Frame* frame = quarn::Frame_If(found)) Frame_Count(frame, counts.get(), tags - 1);
  }
  int enabled = 0;
  for (int t = 1; t < tags; ++t) {
    enable.bytes[t] = counts[size_t(t)] >= minimum ? 1 : 0;
    enabled += enable.bytes[t];
  }
  QUARN_REPORT(quarn::msg::Low_Calc, "<<< out Fct: Fct_Tag_Enable(%d)", enabled);
  return enabled;
}
