// The host's drawing services for text: device contexts, memory bitmaps, text measured and
// drawn with fonts, and fonts turned into OpenGL display lists of glyph bitmaps.
#pragma once

#include <hostkit/Export.h>
#include <hostkit/HostTypes.h>
#include <hostkit/HostWidgets.h>

#include <cstdint>

/// A device context: a window's (measuring only) or a memory one that draws into a bitmap.
struct Host_DC_Record;
/// Handle of a device context.
typedef Host_DC_Record* Host_DC;
/// A bitmap of 32-bit pixels, bytes blue, green, red, unused; rows top first.
struct Host_Bitmap_Record;
/// Handle of a bitmap.
typedef Host_Bitmap_Record* Host_Bitmap;

/// Bits per pixel of every bitmap (the display's depth).
inline constexpr int HOST_BITMAP_BITS = 32;
/// Largest bitmap side in pixels.
inline constexpr int HOST_BITMAP_MAX_SIDE = 16384;
/// Raster operation of Host_Pat_Blt: paint black.
inline constexpr uint32_t HOST_BLACKNESS = 0x00000042;
/// Raster operation of Host_Pat_Blt: paint white.
inline constexpr uint32_t HOST_WHITENESS = 0x00FF0062;
/// Background mode: text leaves the background between glyphs alone.
inline constexpr int HOST_TRANSPARENT = 1;
/// Background mode: text fills its cells with the background colour first.
inline constexpr int HOST_OPAQUE = 2;
/// Tab stops of tabbed text, in average character widths, when none are given.
inline constexpr int HOST_TAB_CHARACTERS = 8;

/// A font's measures in a device context.
struct Host_Text_Metrics {
  int height = 0;         ///< Cell height: ascent + descent.
  int ascent = 0;         ///< Pixels above the baseline.
  int descent = 0;        ///< Pixels below it.
  int average_width = 0;  ///< Average character width.
  int max_width = 0;      ///< Widest character.
};

/// A bitmap's layout.
struct Host_Bitmap_Info {
  int width = 0;           ///< Columns.
  int height = 0;          ///< Rows.
  int bits_per_pixel = 0;  ///< HOST_BITMAP_BITS.
  int planes = 0;          ///< Colour planes, 1.
  int bytes_per_row = 0;   ///< width x 4.
};

/// The calling thread's last error of these services, as an errno value (0 none).
HOSTKIT_API int Host_Last_Error();

/// Device context of a window (null for the screen), for measuring text; tag names the caller
/// in traces. Release it with Host_Release_DC. Null (error EINVAL) for a dead window.
HOSTKIT_API Host_DC Host_Get_DC(Host_Window window, const char* tag);
/// Releases a window's device context; 1 done, 0 when dc is not window's.
HOSTKIT_API int Host_Release_DC(Host_Window window, Host_DC dc);
/// A memory device context like dc (null: like the screen); it draws into the bitmap selected
/// into it. Delete it with Host_Delete_DC.
HOSTKIT_API Host_DC Host_Create_Compatible_DC(Host_DC dc);
/// Deletes a memory device context (the bitmap and font selected into it stay alive); 1 done.
HOSTKIT_API int Host_Delete_DC(Host_DC dc);

/// Selects a font into a device context; returns the font selected before (the stock system
/// font at first), null (error EINVAL) for a null dc or font.
HOSTKIT_API Host_Font Host_Select_Font(Host_DC dc, Host_Font font);
/// The measures of the selected font; 1 done, 0 for a null dc or out.
HOSTKIT_API int Host_Get_Text_Metrics(Host_DC dc, Host_Text_Metrics* out);
/// Width and height of a text in the selected font, tabs expanded to stops every
/// HOST_TAB_CHARACTERS average character widths; length -1 takes the whole text. 1 done.
HOSTKIT_API int Host_Get_Tabbed_Text_Extent(Host_DC dc, const wchar_t* text, int length,
                                            int* width, int* height);
/// UTF-8 form of Host_Get_Tabbed_Text_Extent (bytes that are not UTF-8 stand for themselves).
HOSTKIT_API int Host_Get_Tabbed_Text_Extent(Host_DC dc, const char* text, int length, int* width,
                                            int* height);

/// A bitmap of width x height pixels for dc, all black; null (reported) for a size out of
/// 1 ... HOST_BITMAP_MAX_SIDE or when memory runs out.
HOSTKIT_API Host_Bitmap Host_Create_Compatible_Bitmap(Host_DC dc, int width, int height);
/// Selects a bitmap into a memory device context; returns the one selected before (null at
/// first); null with error EINVAL for a window's dc or a null handle.
HOSTKIT_API Host_Bitmap Host_Select_Bitmap(Host_DC dc, Host_Bitmap bitmap);
/// Deletes a bitmap (null is fine); a bitmap still selected is refused (0).
HOSTKIT_API int Host_Delete_Bitmap(Host_Bitmap bitmap);
/// The layout of a bitmap; 1 done, 0 for null.
HOSTKIT_API int Host_Get_Bitmap(Host_Bitmap bitmap, Host_Bitmap_Info* out);
/// Copies up to size bytes of the bitmap's pixels, rows top first; returns the bytes copied.
HOSTKIT_API long Host_Get_Bitmap_Bits(Host_Bitmap bitmap, long size, void* out);

/// Paints a rectangle of the selected bitmap (cut to it) by a raster operation (HOST_BLACKNESS,
/// HOST_WHITENESS); 1 done, 0 without a bitmap or for another operation.
HOSTKIT_API int Host_Pat_Blt(Host_DC dc, int x, int y, int width, int height, uint32_t rop);
/// Sets the text colour (0x00BBGGRR); returns the previous one.
HOSTKIT_API uint32_t Host_Set_Text_Color(Host_DC dc, uint32_t color);
/// Sets the background colour (0x00BBGGRR) of opaque text; returns the previous one.
HOSTKIT_API uint32_t Host_Set_Bk_Color(Host_DC dc, uint32_t color);
/// Sets the background mode (HOST_TRANSPARENT, HOST_OPAQUE); returns the previous one, 0 for
/// another mode.
HOSTKIT_API int Host_Set_Bk_Mode(Host_DC dc, int mode);
/// Draws a text into the selected bitmap with the top of its cells at y and its first cell at
/// x, tabs expanded as Host_Get_Tabbed_Text_Extent does, cut to the bitmap; returns the width
/// drawn, 0 without a bitmap (error EINVAL). Length -1 takes the whole text.
HOSTKIT_API int Host_Tabbed_Text_Out(Host_DC dc, int x, int y, const wchar_t* text, int length);
/// UTF-8 form of Host_Tabbed_Text_Out.
HOSTKIT_API int Host_Tabbed_Text_Out(Host_DC dc, int x, int y, const char* text, int length);

/// Turns the characters first ... first + count - 1 of the selected font into the OpenGL
/// display lists list_base ... list_base + count - 1 of the current context: each list draws
/// the glyph with glBitmap at the raster position and moves it by the glyph's advance.
/// Control characters (below 32, and 127) draw nothing and do not move. 1 done, 0 without a
/// current context (error EINVAL) or for an empty range.
HOSTKIT_API int Host_Use_Font_Bitmaps(Host_DC dc, unsigned first, unsigned count,
                                      unsigned list_base);
