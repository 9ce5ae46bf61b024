// Placeholders for pixel rendering until its real implementation lands: nothing is drawn.
#include <quarn/display/Pixel_Render.h>

int Fct_Draw_OpenGL_Pixel(uint8_t, float, float, uint16_t, uint16_t, uint16_t, uint16_t,
                          Quarn_2D_Frame*) {
  return 0;
}
int Fct_Draw_OpenGL_GLI(uint8_t, float, float, uint16_t, uint16_t, uint32_t*, const void*) {
  return 1;
}
int Fct_Draw_OpenGL_TAG(uint8_t, float, float, uint16_t, uint16_t, uint32_t*, const void*) {
  return 1;
}
int Fct_Draw_OpenGL_Preview(float, float, uint16_t, uint16_t, const void*, const void*) { return 1; }
