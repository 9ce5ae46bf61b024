// Contour_Driver: the per-frame work of a contour computation over a group of frames, and the
// choice of those frames.
#pragma once

#include <quarn/Export.h>

#include <quarn/display/Dispatch.h>

#include <hostkit/HostProgress.h>

#include <cstdint>

class Quarn_2D_Frame;
class Quarn_Window;

namespace quarn::contour {

/// What every work item of one computation shares (the request's context).
struct Job {
  uint32_t flags = 0;                       ///< CONTOUR_ flags; the store keeps the low four.
  uint16_t step_x = 1;                      ///< Grid step along a row.
  uint16_t step_y = 1;                      ///< Grid step between rows.
  Host_Progress_Handle progress = nullptr;  ///< Progress window, or null.
};

/// The work of one frame ("Contour_Fct_Thread"), run by a dispatch worker: computes its contours
/// with the job's steps and flags (the block's context), advances the progress counts and ends
/// its dispatch slot; returns 1.
QUARN_API unsigned Contour_Fct_Thread(Fct_Dispatch_Block* block);

/// Waits until the job started last (if any) has ended; returns at once when none runs.
QUARN_API void Contour_Job_Wait();

/// The frames a computation in window treats: the children at multiples of frame_step of each
/// selected group (of the class of the first selected frame's parent; only the first group with
/// CONTOUR_FIRST_GROUP) whose contours are not current for the job. Returns the count and sets
/// *frames to a malloc'd array (null when the count is 0); -1 after a reported failure.
QUARN_API int Contour_Frames_Select(Quarn_Window* window, const Job& job, int tag_nb, uint16_t frame_step,
                                    Quarn_2D_Frame*** frames);

}  // namespace quarn::contour
