// Access to the 2D root and the per-window current frames held by the host.
#include "interaction/Database_Vars.h"

#include <quarn/classes/Quarn_2D.h>

#include "classes/Node_Kinds.h"
#include "classes/Window_Selector.h"

namespace quarn {

namespace {
Remembered_Variable g_root{L"$DB_2D_ROOT_PT"};
Remembered_Variable g_frame_cur{L"$FRAME_CUR", true};

Quarn_2D** Frame_Table() {
  return g_frame_cur.Table<Quarn_2D*>();
}
}  // namespace

Quarn_2D* Root_2D_Get() {
  return g_root.Value<Quarn_2D*>();
}

Quarn_2D** Frame_Cur_Table() { return Frame_Table(); }

Quarn_2D* Frame_Cur_Get(int index) {
  Quarn_2D** table = Frame_Table();
  return table && index >= 0 && index < Window_Max ? table[index] : nullptr;
}

int Frame_Cur_Set(int index, Quarn_2D* frame) {
  Quarn_2D** table = Frame_Table();
  if (!table || index < 0 || index >= Window_Max) return 0;
  table[index] = frame;
  return 1;
}

}  // namespace quarn
