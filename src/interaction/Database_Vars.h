// The host variables through which the display and interaction code reach the 2D database.
#pragma once

#include "classes/Node_Kinds.h"
#include "script/Remembered_Variable.h"

class Quarn_2D;
class Quarn_Window;

namespace quarn {

/// The 2D tree's root, or null.
Quarn_2D* Root_2D_Get();
/// The current frame of window index, or null.
Quarn_2D* Frame_Cur_Get(int index);
/// The host's table of current frames, one per window index, or null without it.
Quarn_2D** Frame_Cur_Table();
/// Sets the current frame of window index; 0 when the host keeps no such table.
int Frame_Cur_Set(int index, Quarn_2D* frame);

}  // namespace quarn
