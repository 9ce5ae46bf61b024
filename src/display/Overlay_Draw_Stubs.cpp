// Placeholders for the overlay primitives until their real implementation lands: nothing is drawn.
#include <quarn/display/Overlay_Draw.h>

void OpenGL_Draw_PlusMinus(uint8_t, int16_t, int16_t, int16_t, int16_t) {}
void OpenGL_Draw_CircleSlash(int16_t, int16_t, int16_t, int16_t) {}
void OpenGL_Draw_Slider(int, int16_t, int16_t, int16_t, int16_t) {}
void OpenGL_Draw_Icon(int16_t, int16_t, int16_t, int16_t, const wchar_t*) {}
void OpenGL_Icon_Cleanup() {}
int OpenGL_Draw_Circle(Quarn_Window*, Point_2D, float) { return 1; }
void OpenGL_Draw_Marker(Quarn_Window*, uint32_t, Point_2D, float, const wchar_t*, const wchar_t*) {}
void OpenGL_Cleanup_Marker() {}
void OpenGL_Draw_Gizmo_Init() {}
void OpenGL_Draw_Gizmo_Exit() {}
int OpenGL_Draw_Gizmo_Read(uint32_t*, const char*, uint16_t) { return 0; }
void OpenGL_Draw_Gizmo_Draw(Point_2D, float, float) {}
void OpenGL_Draw_Gizmo_Arrow(Quarn_Window*, Point_2D, float, float, int, uint8_t) {}
void OpenGL_Draw_Gizmo_Bump(Quarn_Window*, Point_2D, float, float, int, uint8_t) {}
void OpenGL_Draw_Gizmo_Target(Quarn_Window*, Point_2D, float, float, int, uint8_t) {}
void OpenGL_Draw_Gizmo_Label(Quarn_Window*, const wchar_t*, Point_2D, Point_2D, float, float, float,
                             int, uint8_t) {}
void OpenGL_Draw_Gizmo_Data(Quarn_Window*, const char*, Point_2D, Point_2D, float, float, float, int,
                            uint8_t) {}
void OpenGL_Draw_Sphere(int) {}
void OpenGL_Draw_Sphere(Quarn_Window*, uint32_t, Point_3D, float, int, const wchar_t*) {}
