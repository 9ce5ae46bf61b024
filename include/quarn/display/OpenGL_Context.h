// OpenGL rendering contexts of the host's windows: a small table of one context per window,
// made current before drawing and released (with a swap) after; the pixel-format choice; the
// two stencil modes that mask drawing.
#pragma once

#include <quarn/Export.h>

#include <hostkit/HostTypes.h>
#include <platform/PlatformGL.h>

#include <cstdint>

/// Number of slots of the context table; the seventeenth window takes the oldest slot.
inline constexpr int OPENGL_CONTEXT_MAX = 16;

/// OpenGL_Context_On flag (and slot state): draw into the back buffer, swap on close.
inline constexpr uint8_t OPENGL_CONTEXT_BACK = 0x04;
/// OpenGL_Context_On flag (and slot state): start in stencil write mode.
inline constexpr uint8_t OPENGL_CONTEXT_STENCIL_WRITE = 0x08;
/// OpenGL_Context_On flag (and slot state): start in stencil mask mode.
inline constexpr uint8_t OPENGL_CONTEXT_STENCIL_MASK = 0x10;
/// Slot state: the context was made current by OpenGL_Context_On.
inline constexpr uint8_t OPENGL_CONTEXT_CURRENT = 0x01;

/// $OPENGL_STATE bit: the chosen pixel format is double-buffered.
inline constexpr uint32_t GRAPHIC_DOUBLE_BUFFER = 0x01;
/// $OPENGL_STATE bit: the chosen pixel format has alpha bits.
inline constexpr uint32_t GRAPHIC_ALPHA = 0x08;
/// $OPENGL_STATE bit: the chosen pixel format has a stencil buffer.
inline constexpr uint32_t GRAPHIC_STENCIL_BUFFER = 0x10;
/// $OPENGL_STATE bit: the stencil buffer has at least 8 bits.
inline constexpr uint32_t GRAPHIC_STENCIL_8 = 0x20;
/// $OPENGL_STATE bit: the chosen pixel format is stereo.
inline constexpr uint32_t GRAPHIC_STEREO = 0x40;
/// $OPENGL_FLAG bit: ask for a single-buffered pixel format.
inline constexpr uint8_t OPENGL_FLAG_SINGLE_BUFFER = 0x01;

/// Makes the window's context current on the calling thread, creating it (and setting the
/// window's pixel format) when the window has none; flags OPENGL_CONTEXT_BACK,
/// OPENGL_CONTEXT_STENCIL_WRITE, OPENGL_CONTEXT_STENCIL_MASK, other bits are kept in the slot.
/// Returns 1, or 0 when the context cannot be made current (reported).
QUARN_API int OpenGL_Context_On(Host_Window window, uint8_t flags);
/// Finishes drawing, swaps when the window's slot drew into the back buffer, and leaves the
/// calling thread without a current context; the value is not used. Returns 1.
QUARN_API int OpenGL_Context_Off(Host_Window window, uint8_t value);
/// Deletes every context of the table and releases every device context.
QUARN_API void OpenGL_Context_Cleanup();
/// Chooses and sets the pixel format of a device context's window; 1 done, 0 failed (the user
/// is told why by a pop-up).
QUARN_API int OpenGL_PixelFormat_RGB(Platform_DC dc);
/// Stencil write mode: what is drawn afterwards writes value (limited to the stencil depth)
/// into the stencil buffer.
QUARN_API void OpenGL_Stencil_On(Host_Window window, int value);
/// Stencil mask mode: drawing afterwards reaches only pixels whose stencil value is 0.
QUARN_API void OpenGL_Stencil_Off(Host_Window window);
