// A host for the scene tests: the event tests' tree and variables, the default host table for
// the rest, and a real OpenGL window behind window 0 whose picture the test reads back.
#pragma once

#include "interaction/Event_Host.h"
#include "support/GL_Test.h"

#include "display/OpenGL_Internal.h"

#include <quarn/quarn.h>

#include <GL/gl.h>

namespace scene_test {

/// The event tests' variables first, then the default host table (colour scheme, GL state...).
inline void* Lookup(const wchar_t* name, int* count, uint16_t* flags, Host_Var_Update* update) {
  if (void* found = event_test::Lookup(name, count, flags, update)) return found;
  return Host_Var_Get(name, count, flags, update);
}

/// Window 0 tiled at width x height over a real drawable whose context is current.
class Scene_Test : public event_test::Event_Test {
protected:
  void Open(int width, int height) {
    Close();
    Host_Var_Default_Install();
    Fct_Main_Var_Get = &Lookup;
    Platform_Pixel_Format_List_Set(nullptr, 0);
    quarn::OpenGL_PixelFormat_Forget();
    w_->width = uint16_t(width);
    w_->height = uint16_t(height);
    gl_ = Platform_Window_Create(L"scene test", width, height, nullptr);
    w_->hwnd = gl_;
    ASSERT_EQ(OpenGL_Context_On(gl_, OPENGL_CONTEXT_BACK), 1);
    glClearColor(0, 0, 0, 1);
    glClearStencil(0);
    glClear(GL_COLOR_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  }
  void SetUp() override {
    Event_Test::SetUp();
    Host_Main_Window = Platform_Window_Create(L"main", 100, 100, nullptr);
    Open(160, 120);
  }
  /// Releases the drawable and every context.
  void Close() {
    if (!gl_) return;
    OpenGL_Context_Off(gl_, 0);
    OpenGL_Text_Cleanup();
    OpenGL_Context_Cleanup();
    Platform_Window_Destroy(gl_);
    gl_ = nullptr;
    w_->hwnd = nullptr;
  }
  void TearDown() override {
    Close();
    Platform_Window_Destroy(Host_Main_Window);
    Host_Main_Window = nullptr;
    Event_Test::TearDown();
  }

  /// Lays the tree out in window 0, marks what is shown and asks every object for a full redraw.
  void Lay_Out() {
    Database_2D_Resize(w_);
    root_.Visibility_Set(w_, 1);
    root_.Redraw_Set_On(0x30, w_, ~0ull);
    Each_Frame(&root_, [](Quarn_2D_Frame* f) { f->Region_Redraw_Set(nullptr); });
  }

  /// Calls fn on every frame under node.
  template <class Fn>
  static void Each_Frame(Quarn_2D* node, Fn fn) {
    for (int i = 0; i < node->Child_Get_Nb(); ++i) {
      Quarn_2D* child = node->Child_Get_Pt(i);
      if (child->Class_A_Get() == Quarn_2D_Frame::Class_A) fn(static_cast<Quarn_2D_Frame*>(child));
      Each_Frame(child, fn);
    }
  }

  /// Runs the host's passes over the whole window, swaps and reads the picture back.
  test_support::Image Draw_All(uint64_t mask = ~0ull) {
    const Host_Color& c = w_->box_2.color;
    glDisable(GL_SCISSOR_TEST);
    glClearColor(c.red() / 255.0f, c.green() / 255.0f, c.blue() / 255.0f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    Database_2D_Draw_BackGrnd(mask, w_, nullptr);
    Database_2D_Draw_OpenGL(mask, w_, nullptr);
    Database_2D_Draw_Stencil(mask, w_, nullptr);
    Database_2D_Draw_Highlight(mask, w_, nullptr);
    return Finish();
  }

  /// Swaps the drawable and reads its picture.
  test_support::Image Finish() {
    OpenGL_Context_Off(gl_, 0);
    test_support::Image picture = test_support::Read(gl_);
    OpenGL_Context_On(gl_, OPENGL_CONTEXT_BACK);
    return picture;
  }

  Host_Window gl_ = nullptr;
};

}  // namespace scene_test
