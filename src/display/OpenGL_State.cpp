// The host variables of OpenGL set-up: the capability word and the pixel-format number, with
// words of our own standing in while the host does not define them.
#include "display/OpenGL_Internal.h"

#include "script/Remembered_Variable.h"

namespace {

quarn::Remembered_Variable g_state{L"$OPENGL_STATE", true};
quarn::Remembered_Variable g_context{L"$OPENGL_CONTEXT", true};
uint32_t g_own_state = 0;
int32_t g_own_context = 0;

}  // namespace

uint32_t* quarn::OpenGL_State() {
  uint32_t* word = g_state.As<uint32_t>();
  return word ? word : &g_own_state;
}

int32_t* quarn::OpenGL_Context_Number() {
  int32_t* word = g_context.As<int32_t>();
  return word ? word : &g_own_context;
}
