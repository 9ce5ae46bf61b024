// STAND-INS for services the frame calls that live elsewhere and are not built yet; each is
// replaced by the real call at its call site when it arrives.
#pragma once

class Quarn_2D_Frame;

namespace quarn::pending {

/// Stands for Fct_Progress_Inc(step) (the progress bar).
inline void Progress_Inc(int) {}

/// Stands for frame->Work_TAG_Load() (reloading the working tag layer inside reg_update).
inline void Work_TAG_Load(Quarn_2D_Frame*) {}

}  // namespace quarn::pending
