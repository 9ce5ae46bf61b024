// The frame's display-update tables: the built-in updates in slot 0, the host's modules' in
// slots 1 to 31, and Fct_Callback_Update_GLI_Disp / _TAG_Disp that run them.
#include "display/Frame_Disp_Slots.h"

#include <quarn/display/Pixel_Render.h>
#include <quarn/frames/Quarn_2D_Frame.h>

#include "classes/Tree_Trace.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr int Disp_Slots = 32;
// A slot's answer: failed, done, done and the built-in update must not run.
constexpr int Slot_Failed = 0;
constexpr int Slot_Skip_Default = 2;

// Slots 31 down to 1 first, so that a module can replace the built-in update of slot 0 by
// answering 2; a failed slot does not stop the walk.
int Run_Table(Quarn_Frame_Disp (&table)[Disp_Slots], Quarn_2D_Frame* frame) {
  int result = 1;
  bool run_default = true;
  for (int slot = Disp_Slots - 1; slot >= 1; --slot) {
    if (!table[slot]) continue;
    const int answer = table[slot](frame);
    if (answer == Slot_Failed) result = 0;
    if (answer == Slot_Skip_Default) run_default = false;
  }
  if (run_default && table[0] && table[0](frame) == Slot_Failed) result = 0;
  return result;
}

}  // namespace

void quarn::Frame_Disp_Slots_Install(Quarn_2D_Frame* frame) {
  std::fill(std::begin(frame->fct_gli_disp), std::end(frame->fct_gli_disp), nullptr);
  std::fill(std::begin(frame->fct_tag_disp), std::end(frame->fct_tag_disp), nullptr);
  frame->fct_gli_disp[0] = &Class_Frame_Update_GLI_Disp;
  frame->fct_tag_disp[0] = &Class_Frame_Update_TAG_Disp;
}

int Fct_Callback_Update_GLI_Disp(Quarn_2D_Frame* frame) {
  if (!QUARN_CHECK_FRAME(frame, "Fct_Callback_Update_GLI_Disp")) return 0;
  return Run_Table(frame->fct_gli_disp, frame);
}

int Fct_Callback_Update_TAG_Disp(Quarn_2D_Frame* frame) {
  if (!QUARN_CHECK_FRAME(frame, "Fct_Callback_Update_TAG_Disp")) return 0;
  return Run_Table(frame->fct_tag_disp, frame);
}
