// What the OpenGL context, stencil and text files share: the host variables they read, the
// context table, and the pieces of text rendering that tests reach directly.
#pragma once

#include <quarn/Export.h>
#include <quarn/display/OpenGL_Context.h>
#include <quarn/display/OpenGL_Text.h>

#include <cstdint>

namespace quarn {

/// The capability word ($OPENGL_STATE, or this library's own word when the host has none).
QUARN_API uint32_t* OpenGL_State();
/// The pixel-format number in use ($OPENGL_CONTEXT, or this library's own word).
int32_t* OpenGL_Context_Number();

/// One slot of the context table.
struct OpenGL_Slot {
  Host_Window window = nullptr;   ///< Window the slot belongs to; null when free.
  Platform_GLRC context = nullptr;  ///< Context made for it.
  Platform_DC dc = nullptr;       ///< Device context taken when the slot was filled.
  uint8_t state = 0;              ///< OPENGL_CONTEXT_* bits and the flags passed through.
};

/// A copy of slot index (0 ... OPENGL_CONTEXT_MAX - 1), for tests and dumps.
QUARN_API OpenGL_Slot OpenGL_Slot_Get(int index);
/// Index of the window's slot, or -1.
QUARN_API int OpenGL_Slot_Of(Host_Window window);
/// Changes the state of the window's slot, if it has one: clears then sets bits.
void OpenGL_Slot_State(Host_Window window, uint8_t clear, uint8_t set);

/// Forgets the pixel-format request and choice made in this run, so that a test starts anew.
QUARN_API void OpenGL_PixelFormat_Forget();

/// First display list of a 127-character bitmap font for the current context, made on first
/// request (the system font stands in for a face the host cannot make): 0 for a size below 1
/// or a name too long, 0xFFFFFFFF when it cannot be made; with every entry used, an existing
/// font's.
QUARN_API uint32_t Fct_Text_MakeRasterFont(const char* face, const char* weight, const char* style,
                                           uint16_t size);
/// Size of a face, weight or style name kept in the raster-font table, with its terminator.
inline constexpr int OGL_FONT_FACE_CHARS = 81;
inline constexpr int OGL_FONT_NAME_CHARS = 11;
/// The list base a font request answers when it cannot make the font.
inline constexpr uint32_t OGL_FONT_FAILED = 0xFFFFFFFFu;

/// Texture height that holds a text height: 16, 32, 64 or 128.
QUARN_API int Text_Texture_Height(int text_height);
/// Texture width that holds a text width: 16 ... 1024.
QUARN_API int Text_Texture_Width(int text_width);
/// Turns bitmap bits (rows top first, bits_per_pixel 8, 16, 24 or 32) into one texel per
/// pixel: 0xFFFF where the pixel is nonzero (24 bits: its first byte), else 0.
QUARN_API void Text_Mask_From_Bits(const uint8_t* bits, int width, int height, int bits_per_pixel,
                                   int bytes_per_row, uint16_t* out);

}  // namespace quarn
