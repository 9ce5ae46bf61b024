// Installer of the frame's display-update tables, called by the frame constructors.
#pragma once

class Quarn_2D_Frame;

namespace quarn {

/// Empties fct_gli_disp and fct_tag_disp and puts the built-in display updates in slot 0.
void Frame_Disp_Slots_Install(Quarn_2D_Frame* frame);

}  // namespace quarn
