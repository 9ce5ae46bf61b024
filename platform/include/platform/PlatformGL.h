// OpenGL on host windows: device contexts, pixel formats, rendering contexts, buffer swaps and
// pixel read-back, drawn off-screen through EGL so that no display server or GPU is needed.
#pragma once

#include <platform/Export.h>
#include <platform/PlatformWindow.h>

#include <cstddef>
#include <cstdint>

/// A device context of a window: the window's pixel format and buffers are reached through it.
struct Platform_DC_Record;
/// Handle of a device context (null for none).
typedef Platform_DC_Record* Platform_DC;
/// An OpenGL rendering context (opaque; handles are never reused within a run).
struct Platform_GLRC_Record;
/// Handle of a rendering context (null for none).
typedef Platform_GLRC_Record* Platform_GLRC;

/// Pixel-format flag: the format can draw to a window.
constexpr uint32_t PLATFORM_PFD_DRAW_TO_WINDOW = 0x04;
/// Pixel-format flag: the format supports OpenGL.
constexpr uint32_t PLATFORM_PFD_SUPPORT_OPENGL = 0x20;
/// Pixel-format flag: front and back colour buffers.
constexpr uint32_t PLATFORM_PFD_DOUBLEBUFFER = 0x01;
/// Pixel-format flag: left and right colour buffers.
constexpr uint32_t PLATFORM_PFD_STEREO = 0x02;
/// Pixel-format flag: a swap exchanges the two colour buffers.
constexpr uint32_t PLATFORM_PFD_SWAP_EXCHANGE = 0x200;
/// Request flag: either single or double buffering will do.
constexpr uint32_t PLATFORM_PFD_DOUBLEBUFFER_DONTCARE = 0x40000000;
/// Request flag: stereo or not will do.
constexpr uint32_t PLATFORM_PFD_STEREO_DONTCARE = 0x80000000;
/// Pixel type: red, green, blue and alpha components.
constexpr uint8_t PLATFORM_PFD_TYPE_RGBA = 0;
/// Pixel type: colour-index pixels.
constexpr uint8_t PLATFORM_PFD_TYPE_COLORINDEX = 1;
/// Size of a pixel-format description in bytes, as its size field states it.
constexpr uint16_t PLATFORM_PFD_SIZE = 40;

/// A pixel format: what one numbered format of the display offers, or what a caller asks for.
/// Colour bits count red, green and blue only; the low nibble of reserved is the number of
/// overlay planes.
struct Platform_Pixel_Format {
  uint16_t size = PLATFORM_PFD_SIZE;  ///< Size of the description in bytes.
  uint16_t version = 1;               ///< Version of the description, 1.
  uint32_t flags = 0;                 ///< PLATFORM_PFD_* flags.
  uint8_t pixel_type = PLATFORM_PFD_TYPE_RGBA;  ///< PLATFORM_PFD_TYPE_*.
  uint8_t color_bits = 0;             ///< Red + green + blue bits.
  uint8_t red_bits = 0;               ///< Red bits.
  uint8_t red_shift = 0;              ///< Position of red in a pixel.
  uint8_t green_bits = 0;             ///< Green bits.
  uint8_t green_shift = 0;            ///< Position of green.
  uint8_t blue_bits = 0;              ///< Blue bits.
  uint8_t blue_shift = 0;             ///< Position of blue.
  uint8_t alpha_bits = 0;             ///< Alpha bits.
  uint8_t alpha_shift = 0;            ///< Position of alpha.
  uint8_t accum_bits = 0;             ///< Accumulation buffer bits.
  uint8_t accum_red_bits = 0;         ///< Accumulation red bits.
  uint8_t accum_green_bits = 0;       ///< Accumulation green bits.
  uint8_t accum_blue_bits = 0;        ///< Accumulation blue bits.
  uint8_t accum_alpha_bits = 0;       ///< Accumulation alpha bits.
  uint8_t depth_bits = 0;             ///< Depth buffer bits.
  uint8_t stencil_bits = 0;           ///< Stencil buffer bits.
  uint8_t aux_buffers = 0;            ///< Auxiliary buffers.
  uint8_t layer_type = 0;             ///< Main plane 0.
  uint8_t reserved = 0;               ///< Overlay planes (low nibble), underlay planes (high).
  uint32_t layer_mask = 0;            ///< Unused, 0.
  uint32_t visible_mask = 0;          ///< Unused, 0.
  uint32_t damage_mask = 0;           ///< Unused, 0.
};
static_assert(sizeof(Platform_Pixel_Format) == PLATFORM_PFD_SIZE);

/// One overlay or underlay plane of a pixel format.
struct Platform_Layer_Plane {
  uint16_t size = 0;         ///< Size of the description in bytes.
  uint16_t version = 1;      ///< Version, 1.
  uint32_t flags = 0;        ///< PLATFORM_PFD_* flags of the plane.
  uint8_t pixel_type = 0;    ///< PLATFORM_PFD_TYPE_*.
  uint8_t color_bits = 0;    ///< Red + green + blue bits.
  uint8_t red_bits = 0;      ///< Red bits.
  uint8_t red_shift = 0;     ///< Position of red.
  uint8_t green_bits = 0;    ///< Green bits.
  uint8_t green_shift = 0;   ///< Position of green.
  uint8_t blue_bits = 0;     ///< Blue bits.
  uint8_t blue_shift = 0;    ///< Position of blue.
  uint8_t alpha_bits = 0;    ///< Alpha bits.
  uint8_t alpha_shift = 0;   ///< Position of alpha.
  uint8_t accum_bits = 0;    ///< Accumulation bits.
  uint8_t depth_bits = 0;    ///< Depth bits.
  uint8_t stencil_bits = 0;  ///< Stencil bits.
  uint8_t aux_buffers = 0;   ///< Auxiliary buffers.
  uint8_t layer_plane = 0;   ///< Plane number: positive overlays, negative underlays.
  uint8_t transparent = 0;   ///< Nonzero when the plane has a transparent colour.
};

/// Device context of a window, to be released with Platform_Release_DC; null (error EINVAL)
/// for a handle that is not a live window, or when memory runs out (ENOMEM).
PLATFORM_API Platform_DC Platform_Get_DC(Platform_Window* window);
/// Releases a device context; 1 done, 0 when dc is not one of window's live contexts.
PLATFORM_API int Platform_Release_DC(Platform_Window* window, Platform_DC dc);
/// The window a device context belongs to, or null for an unknown handle.
PLATFORM_API Platform_Window* Platform_DC_Window(Platform_DC dc);

/// Describes format number index (1 ...) into out (size bytes of it; size 0 or a null out only
/// counts); returns the highest format number, 0 on failure (error set; also when the display
/// has no usable format at all).
PLATFORM_API int Platform_Describe_Pixel_Format(Platform_DC dc, int index, unsigned size,
                                                Platform_Pixel_Format* out);
/// The number of the format closest to the request: first one with the flags and pixel type
/// asked for, then double buffering and stereo as asked, then the fewest missing bits (stencil,
/// colour and alpha before depth) and the fewest extra ones; the first of equals. 0 (error set)
/// when there is no format at all.
PLATFORM_API int Platform_Choose_Pixel_Format(Platform_DC dc, const Platform_Pixel_Format* want);
/// Gives the window its pixel format; a window keeps its first format, so setting another
/// one later fails with EBUSY (setting the same one again succeeds); 1 done, 0 failed.
PLATFORM_API int Platform_Set_Pixel_Format(Platform_DC dc, int index,
                                           const Platform_Pixel_Format* want);
/// The window's pixel-format number, 0 when it has none (or dc is unknown).
PLATFORM_API int Platform_Get_Pixel_Format(Platform_DC dc);
/// Describes plane layer (1 ... overlays) of format number format; 1 done, 0 when the format
/// has no such plane (error set).
PLATFORM_API int Platform_Describe_Layer_Plane(Platform_DC dc, int format, int layer,
                                               unsigned size, Platform_Layer_Plane* out);
/// Test hook: replaces the formats the display offers by count formats of list (copied), so
/// that tests can offer formats the driver lacks (no stencil, 4-bit stencil, single buffer,
/// 16 colour bits, overlays); their buffers are made with the nearest sizes the driver has,
/// and a format's own bit counts stay what GL code is told. A null list restores the display's
/// own formats. Affects windows given a format afterwards.
PLATFORM_API void Platform_Pixel_Format_List_Set(const Platform_Pixel_Format* list, int count);

/// The calling thread's last error of this layer, as an errno value (0 none).
PLATFORM_API int Platform_Last_Error();

/// Creates a rendering context for windows of dc's pixel format; every context shares display
/// lists, textures and buffers with every other. Null on failure (error set: EINVAL without a
/// pixel format, ENODEV without a display).
PLATFORM_API Platform_GLRC Platform_GL_Create_Context(Platform_DC dc);
/// Deletes a context; a context current on the calling thread is released first, one current
/// on another thread is deleted when that thread releases it. 1 done, 0 for an unknown handle.
PLATFORM_API int Platform_GL_Delete_Context(Platform_GLRC context);
/// Makes context current on the calling thread, drawing into dc's window; both null releases
/// the thread's context. The window's buffers follow its size. Fails (0, error set) for an
/// unknown or dead handle, a window without the context's pixel format, or a context current
/// on another thread (EBUSY).
PLATFORM_API int Platform_GL_Make_Current(Platform_DC dc, Platform_GLRC context);
/// The calling thread's current context, or null.
PLATFORM_API Platform_GLRC Platform_GL_Current_Context();
/// The device context the calling thread draws into, or null.
PLATFORM_API Platform_DC Platform_GL_Current_DC();
/// Exchanges the front and back colour buffers of dc's window (what was drawn into the back
/// buffer becomes the front); drawing that was pending is flushed first when the window is the
/// caller's. 1 done (also for a single-buffered window, where nothing changes), 0 failed.
PLATFORM_API int Platform_GL_Swap_Buffers(Platform_DC dc);
/// Chooses the colour buffer drawing goes to in the current window: GL_FRONT, GL_BACK or
/// GL_NONE (the numbers of the GL headers). 1 done, 0 without a current window, for GL_BACK of
/// a single-buffered window, or for another mode.
PLATFORM_API int Platform_GL_Draw_Buffer(unsigned mode);
/// Chooses the colour buffer pixel reads and copies take from, as Platform_GL_Draw_Buffer.
PLATFORM_API int Platform_GL_Read_Buffer(unsigned mode);
/// The pixel format of the current window; 1 done, 0 without one.
PLATFORM_API int Platform_GL_Current_Format(Platform_Pixel_Format* out);
/// Address of an OpenGL or EGL entry point, or null.
PLATFORM_API void* Platform_GL_Proc_Address(const char* name);
/// Makes the layer's own context current on a thread that has none, so that objects shared by
/// every context (display lists, textures) can be deleted; pair with Platform_GL_Shared_End.
/// Returns 1 when a context is current afterwards (the caller's own counts), 0 without display.
PLATFORM_API int Platform_GL_Shared_Begin();
/// Ends Platform_GL_Shared_Begin; releases the layer's context if the begin made it current.
PLATFORM_API void Platform_GL_Shared_End();

/// A plane of a window's pixels for read-back.
enum Platform_GL_Plane : int {
  PLATFORM_GL_FRONT = 0,    ///< Front colour buffer, 4 bytes R, G, B, A per pixel.
  PLATFORM_GL_BACK = 1,     ///< Back colour buffer (double-buffered windows), as the front.
  PLATFORM_GL_STENCIL = 2,  ///< Stencil buffer, 1 byte per pixel.
};

/// Reads a plane of a window's buffers, rows top first, into out (size bytes); width and height
/// (may be null) receive the size of the window's buffers, which is the window's size when it
/// was last drawn into. Works from any thread, with or without a current context, and after
/// Platform_GL_Make_Current released the window. 1 done; 0 for a window that was never drawn
/// into, a plane it lacks, or an out too small (width and height are still set).
PLATFORM_API int Platform_GL_Read_Pixels(Platform_Window* window, Platform_GL_Plane plane,
                                         uint8_t* out, size_t size, int* width, int* height);

/// Test hook: operations that the next calls make fail once, with error EIO.
enum Platform_GL_Fault : unsigned {
  PLATFORM_GL_FAIL_CREATE = 0x1,        ///< The next Platform_GL_Create_Context.
  PLATFORM_GL_FAIL_MAKE_CURRENT = 0x2,  ///< The next Platform_GL_Make_Current with a context.
  PLATFORM_GL_FAIL_SWAP = 0x4,          ///< The next Platform_GL_Swap_Buffers.
  PLATFORM_GL_FAIL_CHOOSE = 0x8,        ///< The next Platform_Choose_Pixel_Format.
};
/// Arms the faults of the mask (each fails the next matching call of any thread, once); 0
/// disarms them all.
PLATFORM_API void Platform_GL_Fail_Next(unsigned faults);
