// Dispatch of per-frame work to bounded worker threads: the request, the worker block and the
// three entry points for grey-level, tag and other work.
#pragma once

#include <quarn/Export.h>

#include <hostkit/HostProgress.h>

#include <cstdint>

class Quarn_2D_Frame;
struct Fct_Dispatch_Block;

/// A module's per-frame routine: treats block->frame and calls Fct_Dispatch_End as its last
/// action; its result is not used.
using Fct_Dispatch_Worker = unsigned (*)(Fct_Dispatch_Block* block);

/// What a module asks the dispatcher to do; it must stay valid until the entry point returns.
struct Fct_Dispatch_Request {
  const char* name = nullptr;          ///< Operation name (traces, undo label).
  const char* detail = nullptr;        ///< Second text of the undo label.
  uint64_t redraw_mask = 0;            ///< Redraw sent at the end by Fct_Dispatch_Other; 0 none.
  int32_t count = 0;                   ///< Number of frames.
  Quarn_2D_Frame** frames = nullptr;   ///< The frames (malloc'd; the entry point frees them).
  void* context = nullptr;             ///< Handed to every worker.
  int32_t stride = 1;                  ///< Launch stride (below 1 counts as 1).
  uint32_t stack_size = 0;             ///< Stack wished for each worker, bytes (reported only).
  uint32_t timeout = 0;                ///< Seconds; 0: "$COMPUTER_TIMEOUT" x 1.25.
  Host_Progress_Handle progress = nullptr;  ///< Polled for abort between launches; closed.
  Fct_Dispatch_Worker worker = nullptr;     ///< The per-frame routine.
  void (*on_end)(void* argument) = nullptr;  ///< Called once after every worker ended, or null.
  void* argument = nullptr;            ///< Handed to every worker and to on_end.
};

/// One worker's view of its frame; valid until the worker calls Fct_Dispatch_End.
struct Fct_Dispatch_Block {
  Quarn_2D_Frame* frame;         ///< The frame to treat.
  void* context;                 ///< The request's context.
  Host_Progress_Handle progress;  ///< The request's progress.
  void* argument;                ///< The request's argument.
  uint32_t slot;                 ///< The worker's entry in "$COMPUTER_THREAD_ID".
};

/// The host's thread word; the library neither reads nor writes it.
extern QUARN_API unsigned long Quarn_Thread;

/// Marks the host's start-up of the dispatch exclusion (one dispatch at a time).
QUARN_API void Fct_Dispatch_Init();
/// Marks the host's shut-down of the dispatch exclusion.
QUARN_API void Fct_Dispatch_Cleanup();

/// Runs a grey-level request (a Fct_Dispatch_Request): one worker per frame, at most
/// "$COMPUTER_THREAD_NB" at a time, updates held back until all ended; then every frame's grey
/// display is rebuilt. Meant as a thread's routine; returns 1 (0 when it could not start).
QUARN_API unsigned Fct_Dispatch_GLI(void* request);
/// As Fct_Dispatch_GLI for tag work: the workers' tag edits are recorded and saved as one undo
/// command named "name: detail (size)"; every frame's tags are reloaded.
QUARN_API unsigned Fct_Dispatch_TAG(void* request);
/// As Fct_Dispatch_GLI for other work: the request's redraw mask is sent at the end.
QUARN_API unsigned Fct_Dispatch_Other(void* request);

/// Called by every worker as its last action: frees its identity entry and its worker unit.
QUARN_API void Fct_Dispatch_End();
