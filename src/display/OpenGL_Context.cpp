// The context table: one OpenGL context per window in sixteen slots filled in turn, made
// current before drawing and released, with a swap of the buffers, after it.
#include "display/GL.h"
#include "display/OpenGL_Internal.h"

#include "core/Trace.h"

#include <hostkit/HostUtil.h>
#include <platform/PlatformWindow.h>

#include <mutex>

namespace {

using quarn::OpenGL_Slot;

struct Context_Table {
  std::recursive_mutex section;  // held only inside OpenGL_Context_On and Off (and slot edits)
  OpenGL_Slot slots[OPENGL_CONTEXT_MAX];
  int8_t last = 0;               // the slot filled most recently
  int created = 0;               // contexts made in this run, for traces
};

Context_Table& Table() {
  // Never destroyed: a host may draw from its exit code.
  static Context_Table* table = new Context_Table;
  return *table;
}

constexpr uint32_t kTrace = quarn::msg::Draw;

void Marker(bool entering) {
  if (entering)
    QUARN_REPORT(quarn::msg::Context, "▼3▼▼▼▼ OpenGL_Context ▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼");
  else
    QUARN_REPORT(quarn::msg::Context, "▲3▲▲▲▲ OpenGL_Context ▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲");
}

/// The section with its opening and closing marker lines.
class Section {
public:
  Section() : hold_(Table().section) { Marker(true); }
  ~Section() { Marker(false); }

private:
  std::lock_guard<std::recursive_mutex> hold_;
};

// The window's slot, searched from the one filled last backward around the ring; -1 for none.
int Find_From_Last(Host_Window window) {
  Context_Table& t = Table();
  for (int k = 0; k < OPENGL_CONTEXT_MAX; ++k) {
    const int i = (t.last - k + OPENGL_CONTEXT_MAX) % OPENGL_CONTEXT_MAX;
    if (t.slots[i].window == window) return i;
  }
  return -1;
}

void Slot_Release(OpenGL_Slot& slot) {
  if (slot.context) Platform_GL_Delete_Context(slot.context);
  if (slot.dc) Platform_Release_DC(slot.window, slot.dc);
  slot = OpenGL_Slot{};
}

// Fills the next slot of the ring for the window: its device context, pixel format and a new
// context, in place of whatever the slot held.
int Fill_Next_Slot(Host_Window window) {
  Context_Table& t = Table();
  const int index = (t.last + 1) % OPENGL_CONTEXT_MAX;
  t.last = int8_t(index);
  Platform_DC dc = Platform_Get_DC(window);
  OpenGL_PixelFormat_RGB(dc);
  Platform_GLRC context = Platform_GL_Create_Context(dc);
  ++t.created;
  QUARN_REPORT(kTrace, "-> OpenGL_Context_On() New context #%d", t.created);
  Slot_Release(t.slots[index]);
  t.slots[index] = OpenGL_Slot{window, context, dc, 0};
  return index;
}

// Every setting drawing code must not inherit from the drawing before.
void Plain_State() {
  for (GLenum cap : {GL_SCISSOR_TEST, GL_ALPHA_TEST, GL_DITHER, GL_LIGHTING, GL_BLEND, GL_COLOR_LOGIC_OP,
                     GL_DEPTH_TEST})
    glDisable(cap);
}

int Refuse_Window() {
  Host_Report(Host_Main_Window, quarn::msg::Invalid, "\xF1\x04" "ERROR:\x02 OpenGL_Context_On() on a window that does not exist");
  QUARN_REPORT(kTrace, "<<< out Fct: OpenGL_Context_On(! window)");
  return 0;
}

}  // namespace

namespace {

// The body of OpenGL_Context_On inside the section; returns null when done, else the outcome
// that the exit trace names.
const char* Open(Host_Window window, uint8_t flags) {
  Section section;
  Context_Table& t = Table();
  int index = Find_From_Last(window);
  if (index < 0 || !t.slots[index].context) index = Fill_Next_Slot(window);
  OpenGL_Slot& slot = t.slots[index];
  if (!slot.context || Platform_GL_Current_Context() != slot.context) {
    if (!Platform_GL_Make_Current(slot.dc, slot.context)) {
      Host_Report(Host_Main_Window, quarn::msg::Invalid, "\xF1\x04" "ERROR:\x02 wglMakeCurrent() failed (%ls)",
                  Host_Errno_Text(Platform_Last_Error()));
      return "! wglMakeCurrent";
    }
  }
  QUARN_REPORT(kTrace, "╔══╦═ Open OGL Context #%d ═╦══╦══╦══╦══╦══╦══╦══╦══╦══╦══╦══╦══╦══╦══╦══╦══╦══╦══╦══╦══╦══╦══╦══╦══╗", index);
  quarn::GL_Extensions_Init();
  slot.state |= OPENGL_CONTEXT_CURRENT;
  // Read now: a new context's pixel format has just set it.
  if (*quarn::OpenGL_State() & GRAPHIC_DOUBLE_BUFFER) {
    Platform_GL_Draw_Buffer((flags & OPENGL_CONTEXT_BACK) ? GL_BACK : GL_FRONT);
  } else {
    Platform_GL_Draw_Buffer(GL_FRONT);
    flags &= uint8_t(~OPENGL_CONTEXT_BACK);
  }
  Plain_State();
  if (flags & OPENGL_CONTEXT_STENCIL_WRITE)
    OpenGL_Stencil_On(window, 255);
  else if (flags & OPENGL_CONTEXT_STENCIL_MASK)
    OpenGL_Stencil_Off(window);
  else
    glDisable(GL_STENCIL_TEST);
  slot.state |= flags;
  QUARN_GL_ERRORS("Context_On");
  return nullptr;
}

}  // namespace

int OpenGL_Context_On(Host_Window window, uint8_t flags) {
  QUARN_REPORT(kTrace, ">>> in  Fct: OpenGL_Context_On(%02X)", unsigned(flags));
  if (!Platform_Window_Valid(window)) return Refuse_Window();
  if (const char* outcome = Open(window, flags)) {
    QUARN_REPORT(kTrace, "<<< out Fct: OpenGL_Context_On(%s)", outcome);
    return 0;
  }
  QUARN_REPORT(kTrace, "<<< out Fct: OpenGL_Context_On()");
  return 1;
}

int OpenGL_Context_Off(Host_Window window, uint8_t) {
  QUARN_REPORT(kTrace, ">>> in  Fct: OpenGL_Context_Off()");
  glDisable(GL_STENCIL_TEST);
  {
    Section section;
    Context_Table& t = Table();
    int index = -1;
    for (int i = 0; i < OPENGL_CONTEXT_MAX && index < 0; ++i)
      if (t.slots[i].window == window) index = i;
    glFlush();
    glFinish();
    QUARN_GL_ERRORS("glFinish");
    if (index >= 0) {
      OpenGL_Slot& slot = t.slots[index];
      if ((slot.state & OPENGL_CONTEXT_BACK) && !Platform_GL_Swap_Buffers(slot.dc)) {
        Host_Report(Host_Main_Window, quarn::msg::Invalid, "\xF1\x05" "WARNING:\x02 SwapBuffers Failed!");
        Host_Report(Host_Main_Window, quarn::msg::Invalid, "\xF1\x02\t\t %ls", Host_Errno_Text(Platform_Last_Error()));
      }
      QUARN_REPORT(kTrace, "╚══╩ Close OGL Context #%d ╩══╩══╩══╩══╩══╩══╩══╩══╩══╩══╩══╩══╩══╩══╩══╩══╩══╩══╩══╩══╩══╩══╩══╩══╝", index);
      slot.state = 0;
    }
    Platform_GL_Make_Current(nullptr, nullptr);
  }
  QUARN_REPORT(kTrace, "<<< out Fct: OpenGL_Context_Off()");
  return 1;
}

void OpenGL_Context_Cleanup() {
  QUARN_REPORT(kTrace, ">>> in  Fct: OpenGL_Context_Cleanup()");
  {
    std::lock_guard hold(Table().section);
    for (OpenGL_Slot& slot : Table().slots) Slot_Release(slot);
  }
  QUARN_REPORT(kTrace, "<<< out Fct: OpenGL_Context_Cleanup()");
}

quarn::OpenGL_Slot quarn::OpenGL_Slot_Get(int index) {
  if (index < 0 || index >= OPENGL_CONTEXT_MAX) return OpenGL_Slot{};
  std::lock_guard hold(Table().section);
  return Table().slots[index];
}

int quarn::OpenGL_Slot_Of(Host_Window window) {
  std::lock_guard hold(Table().section);
  for (int i = 0; i < OPENGL_CONTEXT_MAX; ++i)
    if (window && Table().slots[i].window == window) return i;
  return -1;
}

void quarn::OpenGL_Slot_State(Host_Window window, uint8_t clear, uint8_t set) {
  std::lock_guard hold(Table().section);
  for (OpenGL_Slot& slot : Table().slots)
    if (window && slot.window == window) {
      slot.state = uint8_t((slot.state & ~clear) | set);
      return;
    }
}
