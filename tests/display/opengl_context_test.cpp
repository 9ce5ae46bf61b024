// The context table on real contexts: slots filled in turn and reused by the seventeenth
// window, reopening without a new context, drawing to the back buffer and the swap on close,
// single buffering, failures reported, and the traces of a session.
#include "support/GL_Test.h"

#include "display/GL.h"
#include "display/OpenGL_Internal.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace test_support;

class OpenGLContext : public GL_Test {};

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;

// Opens the window, clears what it draws into, closes it.
void Paint(Host_Window w, uint8_t flags, uint32_t rgb) {
  ASSERT_EQ(OpenGL_Context_On(w, flags), 1);
  Clear(rgb);
  OpenGL_Context_Off(w, 0);
}

uint32_t Front(Host_Window w) { return Read(w).Rgb(0, 0); }

size_t Count_Starting(const std::vector<std::string>& lines, const std::string& start) {
  return size_t(std::count_if(lines.begin(), lines.end(),
                              [&](const std::string& l) { return l.rfind(start, 0) == 0; }));
}

TEST_F(OpenGLContext, SeventeenthWindowTakesTheFirstWindowsSlotAndDeletesItsContext) {
  std::vector<Host_Window> windows;
  for (int i = 0; i < OPENGL_CONTEXT_MAX + 1; ++i) windows.push_back(Window(4, 4));
  Host_Report_Capture capture;
  for (int i = 0; i < OPENGL_CONTEXT_MAX; ++i) Paint(windows[size_t(i)], 0, kBlue);
  const int first_slot = quarn::OpenGL_Slot_Of(windows[0]);
  const quarn::OpenGL_Slot first = quarn::OpenGL_Slot_Get(first_slot);
  Paint(windows.back(), 0, kGreen);
  const auto traces = capture.Texts(quarn::msg::Draw);
  EXPECT_EQ(Count_Starting(traces, "-> OpenGL_Context_On() New context #"), size_t(OPENGL_CONTEXT_MAX + 1));
  EXPECT_EQ(quarn::OpenGL_Slot_Of(windows.back()), first_slot);
  EXPECT_EQ(quarn::OpenGL_Slot_Of(windows[0]), -1);
  for (int i = 1; i < OPENGL_CONTEXT_MAX; ++i) EXPECT_GE(quarn::OpenGL_Slot_Of(windows[size_t(i)]), 0) << i;
  // The first window's context is gone and its device context released.
  EXPECT_EQ(Platform_GL_Make_Current(first.dc, first.context), 0);
  EXPECT_EQ(Platform_DC_Window(first.dc), nullptr);
  // Its pixels stay the window's: what it drew is still there.
  EXPECT_EQ(Front(windows[0]), kBlue);
  EXPECT_EQ(Front(windows.back()), kGreen);
}

// The extension loader's window-system check fails on a context without a display server; the
// entry points must load all the same once a context is open.
TEST_F(OpenGLContext, ExtensionEntryPointsLoadOnAContextWithoutADisplayServer) {
  Host_Window w = Window(4, 4);
  Host_Report_Capture capture;
  ASSERT_EQ(OpenGL_Context_On(w, 0), 1);
  EXPECT_TRUE(quarn::GL_Extensions_Init());  // true only when glGenerateMipmap was found
  OpenGL_Context_Off(w, 0);
  EXPECT_FALSE(capture.Contains("OpenGL extensions not loaded"));
}

TEST_F(OpenGLContext, ReopeningFindsTheSlotAndAContextAlreadyCurrentIsNotMadeCurrentAgain) {
  Host_Window w = Window(8, 8);
  Paint(w, 0, kRed);
  const quarn::OpenGL_Slot before = quarn::OpenGL_Slot_Get(quarn::OpenGL_Slot_Of(w));
  Host_Report_Capture capture;
  ASSERT_EQ(OpenGL_Context_On(w, 0), 1);
  EXPECT_FALSE(capture.Contains("New context"));
  EXPECT_EQ(quarn::OpenGL_Slot_Get(quarn::OpenGL_Slot_Of(w)).context, before.context);
  // Opened again while current: an armed make-current fault is not used up.
  Platform_GL_Fail_Next(PLATFORM_GL_FAIL_MAKE_CURRENT);
  EXPECT_EQ(OpenGL_Context_On(w, 0), 1);
  EXPECT_EQ(Platform_GL_Make_Current(before.dc, before.context), 0);
  OpenGL_Context_Off(w, 0);
  EXPECT_EQ(Platform_GL_Current_Context(), nullptr);
}

TEST_F(OpenGLContext, BackBufferBecomesTheFrontOnClose) {
  Host_Window w = Window(8, 8);
  Paint(w, 0, kBlue);  // straight to the front
  EXPECT_EQ(Front(w), kBlue);
  ASSERT_EQ(OpenGL_Context_On(w, OPENGL_CONTEXT_BACK), 1);
  Clear(kRed);
  EXPECT_EQ(quarn::OpenGL_Slot_Get(quarn::OpenGL_Slot_Of(w)).state,
            OPENGL_CONTEXT_CURRENT | OPENGL_CONTEXT_BACK);
  glFinish();
  EXPECT_EQ(Front(w), kBlue);  // not shown before the swap
  OpenGL_Context_Off(w, 0);
  EXPECT_EQ(Front(w), kRed);
  EXPECT_EQ(quarn::OpenGL_Slot_Get(quarn::OpenGL_Slot_Of(w)).state, 0);
  EXPECT_EQ(*quarn::OpenGL_State() & GRAPHIC_DOUBLE_BUFFER, GRAPHIC_DOUBLE_BUFFER);
}

TEST_F(OpenGLContext, BackBufferFlagOnASingleBufferedFormatDrawsToTheFrontAndSwapsNothing) {
  *Var<uint8_t>(L"$OPENGL_FLAG") = OPENGL_FLAG_SINGLE_BUFFER;
  Host_Window w = Window(8, 8);
  ASSERT_EQ(OpenGL_Context_On(w, OPENGL_CONTEXT_BACK | 0x40), 1);
  EXPECT_EQ(*quarn::OpenGL_State() & GRAPHIC_DOUBLE_BUFFER, 0u);
  // The back-buffer flag is dropped; flags without a meaning are kept.
  EXPECT_EQ(quarn::OpenGL_Slot_Get(quarn::OpenGL_Slot_Of(w)).state, OPENGL_CONTEXT_CURRENT | 0x40);
  Clear(kGreen);
  glFinish();
  EXPECT_EQ(Front(w), kGreen);  // visible while drawing
  Platform_GL_Fail_Next(PLATFORM_GL_FAIL_SWAP);
  Host_Report_Capture capture;
  OpenGL_Context_Off(w, 0);
  EXPECT_FALSE(capture.Contains("SwapBuffers Failed!"));  // no swap was tried
  EXPECT_EQ(Front(w), kGreen);
  Platform_GL_Fail_Next(0);
}

// Each platform failure ends in its report and a 0, never a crash; the section is left.
TEST_F(OpenGLContext, FailuresAreReported) {
  const struct {
    const char* what;
    unsigned fault;
    uint8_t flags;
    int result;
    std::vector<std::string> lines;
  } cases[] = {
      {"no context made", PLATFORM_GL_FAIL_CREATE, 0, 0,
       {"ERROR: wglMakeCurrent() failed (Invalid argument)", "<<< out Fct: OpenGL_Context_On(! wglMakeCurrent)"}},
      {"make-current fails", PLATFORM_GL_FAIL_MAKE_CURRENT, 0, 0,
       {"ERROR: wglMakeCurrent() failed (Input/output error)", "<<< out Fct: OpenGL_Context_On(! wglMakeCurrent)"}},
      {"swap fails", PLATFORM_GL_FAIL_SWAP, OPENGL_CONTEXT_BACK, 1,
       {"WARNING: SwapBuffers Failed!", "\t\t Input/output error", "<<< out Fct: OpenGL_Context_Off()"}},
  };
  for (const auto& c : cases) {
    Host_Window w = Window(4, 4);
    Host_Report_Capture capture;
    Platform_GL_Fail_Next(c.fault);
    const int on = OpenGL_Context_On(w, c.flags);
    OpenGL_Context_Off(w, 0);
    EXPECT_EQ(on, c.result) << c.what;
    for (const std::string& line : c.lines) EXPECT_TRUE(capture.Contains(line)) << c.what << ": " << line;
    EXPECT_EQ(capture.Count(quarn::msg::Context) % 2, 0u) << c.what;  // markers in pairs
    EXPECT_EQ(Platform_GL_Current_Context(), nullptr);
  }
  // A window whose context could not be made gets a new one when opened again.
  Host_Window w = Window(4, 4);
  Platform_GL_Fail_Next(PLATFORM_GL_FAIL_CREATE);
  EXPECT_EQ(OpenGL_Context_On(w, 0), 0);
  EXPECT_EQ(OpenGL_Context_On(w, 0), 1);
  OpenGL_Context_Off(w, 0);
}

TEST_F(OpenGLContext, WindowsThatDoNotExistAreRefused) {
  Host_Window dead = Window(4, 4);
  Paint(dead, 0, kRed);
  Platform_Window_Destroy(dead);
  Host_Report_Capture capture;
  EXPECT_EQ(OpenGL_Context_On(nullptr, 0), 0);
  EXPECT_EQ(OpenGL_Context_On(dead, 0), 0);
  EXPECT_EQ(capture.Count(quarn::msg::Invalid), 2u);
  EXPECT_TRUE(capture.Contains("<<< out Fct: OpenGL_Context_On(! window)"));
  EXPECT_EQ(capture.Count(quarn::msg::Context), 0u);  // the table was not entered
}

TEST_F(OpenGLContext, ClosingAWindowWithoutASlotReleasesTheThreadsContext) {
  Host_Window w = Window(4, 4), other = Window(4, 4);
  ASSERT_EQ(OpenGL_Context_On(w, 0), 1);
  Host_Report_Capture capture;
  EXPECT_EQ(OpenGL_Context_Off(other, 0), 1);
  EXPECT_FALSE(capture.Contains("Close OGL Context"));
  EXPECT_EQ(Platform_GL_Current_Context(), nullptr);
  EXPECT_EQ(quarn::OpenGL_Slot_Get(quarn::OpenGL_Slot_Of(w)).state, OPENGL_CONTEXT_CURRENT);
}

// Opening resets what drawing in the window last time may have left switched on.
TEST_F(OpenGLContext, OpeningSwitchesOffWhatDrawingLeftOn) {
  const GLenum caps[] = {GL_SCISSOR_TEST, GL_ALPHA_TEST, GL_DITHER, GL_LIGHTING, GL_BLEND,
                         GL_COLOR_LOGIC_OP, GL_DEPTH_TEST, GL_STENCIL_TEST};
  Host_Window w = Window(4, 4);
  ASSERT_EQ(OpenGL_Context_On(w, 0), 1);
  for (GLenum cap : caps) glEnable(cap);
  OpenGL_Context_Off(w, 0);
  ASSERT_EQ(OpenGL_Context_On(w, 0), 1);
  for (GLenum cap : caps) EXPECT_FALSE(glIsEnabled(cap)) << std::hex << cap;
  OpenGL_Context_Off(w, 0);
}

TEST_F(OpenGLContext, SessionTracesOpenAndCloseInsideTheSectionMarkers) {
  Host_Window w = Window(4, 4);
  Paint(w, 0, kRed);
  Host_Report_Capture capture;
  Paint(w, OPENGL_CONTEXT_BACK, kRed);
  const int slot = quarn::OpenGL_Slot_Of(w);
  const std::string down = "▼3▼▼▼▼ OpenGL_Context ▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼";
  const std::string up = "▲3▲▲▲▲ OpenGL_Context ▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲";
  const std::vector<std::string> expected = {
      ">>> in  Fct: OpenGL_Context_On(04)",
      down,
      "╔══╦═ Open OGL Context #" + std::to_string(slot) +
          " ═╦══╦══╦══╦══╦══╦══╦══╦══╦══╦══╦══╦══╦══╦══╦══╦══╦══╦══╦══╦══╦══╦══╦══╦══╗",
      up,
      "<<< out Fct: OpenGL_Context_On()",
      ">>> in  Fct: OpenGL_Context_Off()",
      down,
      "╚══╩ Close OGL Context #" + std::to_string(slot) +
          " ╩══╩══╩══╩══╩══╩══╩══╩══╩══╩══╩══╩══╩══╩══╩══╩══╩══╩══╩══╩══╩══╩══╩══╩══╝",
      up,
      "<<< out Fct: OpenGL_Context_Off()",
  };
  std::vector<std::string> seen;
  for (const auto& line : capture.Lines())
    if (line.cls == quarn::msg::Draw || line.cls == quarn::msg::Context)
      seen.push_back(Host_Report_Plain(line.text));
  EXPECT_EQ(seen, expected);
}

TEST_F(OpenGLContext, CleanupDeletesEveryContext) {
  Host_Window a = Window(4, 4), b = Window(4, 4);
  Paint(a, 0, kRed);
  Paint(b, 0, kRed);
  const quarn::OpenGL_Slot slot_a = quarn::OpenGL_Slot_Get(quarn::OpenGL_Slot_Of(a));
  OpenGL_Context_Cleanup();
  EXPECT_EQ(quarn::OpenGL_Slot_Of(a), -1);
  EXPECT_EQ(quarn::OpenGL_Slot_Of(b), -1);
  EXPECT_EQ(Platform_GL_Make_Current(slot_a.dc, slot_a.context), 0);
  Host_Report_Capture capture;
  Paint(a, 0, kGreen);  // a new context, in a window that keeps its pixel format
  EXPECT_TRUE(capture.Contains("New context"));
  EXPECT_EQ(Front(a), kGreen);
}

}  // namespace
