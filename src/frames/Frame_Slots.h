// Installers of the frame's function slots, each kept beside the functions it installs.
#pragma once

class Quarn_2D_Frame;

namespace quarn {

/// Fills the access-chain slots of the frame: grey read, tag read and tag write.
void Frame_Access_Slots_Install(Quarn_2D_Frame* frame);
/// Fills fct_grad and fct_fft of a file frame.
void Frame_Compute_Slots_Install(Quarn_2D_Frame* frame);
/// Fills fct_grad and the four device-volume slots of a volume cut.
void Frame_Volume_Slots_Install(Quarn_2D_Frame* frame);
/// Puts the frame's base drawing and highlight in its draw slots.
void Frame_Draw_Slots_Install(Quarn_2D_Frame* frame);

}  // namespace quarn
