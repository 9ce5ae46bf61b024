// Contour_Driver: the per-frame work of a contour computation over a group of frames, and the
// choice of those frames.
#pragma once

#include <quarn/Export.h>

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

/// What each work item receives, field for field the dispatcher's worker block.
struct Work_Block {
  Quarn_2D_Frame* frame = nullptr;  ///< The frame to treat.
  void* context = nullptr;          ///< The Job.
  void* progress = nullptr;         ///< The job's progress window.
  void* argument = nullptr;         ///< Not used.
  uint32_t slot = 0;                ///< The worker's entry in the thread-identity list.
};

/// The work of one frame ("Contour_Fct_Thread"): computes its contours with the job's steps and
/// flags and advances the progress counts. Any thread may run it, one frame per call; returns 1.
QUARN_API unsigned Contour_Fct_Thread(void* block);

/// The frames a computation in window treats: the children at multiples of frame_step of each
/// selected group (of the class of the first selected frame's parent; only the first group with
/// CONTOUR_FIRST_GROUP) whose contours are not current for the job. Returns the count and sets
/// *frames to a malloc'd array (null when the count is 0); -1 after a reported failure.
QUARN_API int Contour_Frames_Select(Quarn_Window* window, const Job& job, int tag_nb, uint16_t frame_step,
                                    Quarn_2D_Frame*** frames);

}  // namespace quarn::contour
