// The dispatch entry points for grey-level, tag and other work, and the dispatch exclusion.
#include <quarn/display/Dispatch.h>

#include <quarn/display/Update.h>
#include <quarn/frames/Quarn_2D_Frame.h>
#include <quarn/undo/Undo.h>
#include <quarn/undo/Undo_Pixel.h>

#include <hostkit/HostUtil.h>
#include <hostkit/HostWidgets.h>

#include "core/Trace.h"
#include "display/Dispatch_Run.h"
#include "display/Thread_Ids.h"
#include "script/Remembered_Variable.h"

#include <chrono>
#include <cstdlib>
#include <condition_variable>
#include <mutex>

unsigned long Quarn_Thread = 0;

namespace {

using namespace quarn;

constexpr uint32_t Trace = msg::Database;
constexpr auto Exclusion_Wait = std::chrono::milliseconds(37500);
constexpr uint64_t Redraw_Frame = 8;
constexpr uint64_t Update_Frames = 0x80000;
constexpr uint64_t Update_Grey_Frame = UPDATE_DISPLAY_GLI;
constexpr uint64_t Update_Tag_Frame = UPDATE_DATA_TAG | UPDATE_DISPLAY_TAG;
Quarn_Window* const All_Windows = nullptr;

/// One dispatch at a time: a flag under a mutex, waited for with a time-out. (A timed mutex
/// would do, but its timed lock escapes the thread checker.) Lives for the process: Init and
/// Cleanup only mark the host's start-up and shut-down.
class Exclusion {
public:
  bool Enter(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> hold(mutex_);
    if (!free_.wait_for(hold, timeout, [this] { return !busy_; })) return false;
    busy_ = true;
    return true;
  }
  void Leave() {
    {
      std::lock_guard<std::mutex> hold(mutex_);
      busy_ = false;
    }
    free_.notify_one();
  }

private:
  std::mutex mutex_;
  std::condition_variable free_;
  bool busy_ = false;
};
Exclusion g_exclusion;

Remembered_Variable g_lock_action{L"$INTERFACE_LOCK_ACTION", true};

enum class Work { Grey, Tag, Other };

const char* Name_Of(Work work) {
  switch (work) {
    case Work::Grey: return "Fct_Dispatch_GLI";
    case Work::Tag: return "Fct_Dispatch_TAG";
    default: return "Fct_Dispatch_Other";
  }
}

const char* Text(const char* s) { return s ? s : ""; }

void Trace_In(Work work, const Fct_Dispatch_Request& r) {
  if (work == Work::Other) QUARN_REPORT(Trace, ">>> in  Fct: Fct_Dispatch_Other()");
  else QUARN_REPORT(Trace, ">>> in  Fct: %s(%s:%d frames)", Name_Of(work), Text(r.name), r.count);
}

// Holds updates and redraws back while the workers run: the host hears of the dispatch once.
void Hold_Display(bool hold) {
  const uint64_t command = hold ? UPDATE_DELAY_ON : UPDATE_DELAY_OFF;
  Fct_Update(command);
  Fct_Redraw(command);
}

// A fresh zeroed identity list of "$COMPUTER_THREAD_NB" entries, installed for the dispatch.
std::shared_ptr<uint32_t[]> New_Identity_List(int count) {
  auto* ids = static_cast<uint32_t*>(std::calloc(size_t(std::max(count, 1)), sizeof(uint32_t)));
  if (!ids) {
    QUARN_REPORT(msg::Memory, "line %-4d of %s \nmemory error in calloc (var=%s, dim=%dx%d)", __LINE__,
                 "fct_dispatch", "(*Computer_Thread_Id)", count, int(sizeof(uint32_t)));
    return nullptr;
  }
  try {
    return std::shared_ptr<uint32_t[]>(ids, &std::free);
  } catch (const std::bad_alloc&) {  // the list was freed by the deleter
    QUARN_REPORT(msg::Memory, "line %-4d of %s \nmemory error in new (var=%s)", __LINE__, "fct_dispatch",
                 "(*Computer_Thread_Id)");
    return nullptr;
  }
}

// The workers' tag edits become one undo command.
void Save_Tag_Undo(const Fct_Dispatch_Request& r, int ran) {
  if (!ran) QUARN_REPORT(msg::Invalid, "\xF1\x05WARNING:\x02 Problem in Fct_Dispatch_TAG()");
  Undo_Pixel_TAG* block = Undo_Pixel_Stop_TAG();
  if (!block) return;
  wchar_t size[64];
  Host_Bytes_To_Text(Undo_Pixel_Size_TAG(block), size);
  if (!Undo_Save_Command(&Undo_Pixel_UndoRedo_TAG, &Undo_Pixel_Size_TAG, block, "%s: %s \x01(%ls)",
                         Text(r.name), Text(r.detail), size))
    std::free(block);
}

// What changed, marked while the display is still held back.
void Mark_Changes(Work work, const Fct_Dispatch_Request& r) {
  Fct_Update(Update_Frames, All_Windows);
  if (work == Work::Other) {
    if (r.redraw_mask) Fct_Redraw(r.redraw_mask, All_Windows);
    return;
  }
  const uint64_t mask = work == Work::Grey ? Update_Grey_Frame : Update_Tag_Frame;
  for (int i = 0; r.frames && i < r.count; ++i)
    if (Quarn_2D_Frame* frame = r.frames[i]) {
      Fct_Update(mask, All_Windows, frame);
      Fct_Redraw(Redraw_Frame, All_Windows, frame);
    }
}

unsigned Dispatch(Work work, void* request) {
  if (!request) {
    QUARN_REPORT(msg::Invalid, "%s: no request", Name_Of(work));
    return 0;
  }
  auto& r = *static_cast<Fct_Dispatch_Request*>(request);
  Trace_In(work, r);
  if (!r.worker) {
    QUARN_REPORT(msg::Invalid, "%s: the request has no worker routine", Name_Of(work));
    return 0;
  }
  if (!g_exclusion.Enter(Exclusion_Wait)) {
    QUARN_REPORT(msg::Memory, "%s: Dispatch_Exclusion timeout", Name_Of(work));
    return 0;
  }
  Host_Wait_Cursor_On(Host_Main_Window);
  Hold_Display(true);
  const int count = Thread_Count();
  std::shared_ptr<uint32_t[]> ids = New_Identity_List(count);
  if (!ids) {
    Hold_Display(false);
    Host_Wait_Cursor_Off(Host_Main_Window);
    g_exclusion.Leave();
    return 0;
  }
  Thread_Id_List_Set(ids.get());
  if (work == Work::Tag) Undo_Pixel_Start_TAG();
  const int ran = dispatch::Run(r, ids, count);
  if (work == Work::Tag) Save_Tag_Undo(r, ran);
  Thread_Id_List_Set(nullptr);
  Mark_Changes(work, r);
  if (r.on_end) r.on_end(r.argument);
  Hold_Display(false);
  Host_Wait_Cursor_Off(Host_Main_Window);
  std::free(r.frames);
  r.frames = nullptr;
  if (uint16_t* action = g_lock_action.As<uint16_t>()) *action = 0;
  g_exclusion.Leave();
  QUARN_REPORT(Trace, "<<< out Fct: %s()", Name_Of(work));
  return 1;
}

}  // namespace

void Fct_Dispatch_Init() {
  QUARN_REPORT(Trace, ">>> in  Fct: Fct_Dispatch_Init()");
  QUARN_REPORT(Trace, "<<< out Fct: Fct_Dispatch_Init()");
}

void Fct_Dispatch_Cleanup() {
  QUARN_REPORT(Trace, ">>> in  Fct: Fct_Dispatch_Cleanup()");
  QUARN_REPORT(Trace, "<<< out Fct: Fct_Dispatch_Cleanup()");
}

unsigned Fct_Dispatch_GLI(void* request) { return Dispatch(Work::Grey, request); }

unsigned Fct_Dispatch_TAG(void* request) { return Dispatch(Work::Tag, request); }

unsigned Fct_Dispatch_Other(void* request) { return Dispatch(Work::Other, request); }
