// The host variables read by the pixel rendering: colour maps, tag colours and drawing options.
#pragma once

#include "script/Remembered_Variable.h"

#include <cstdint>

namespace quarn::pixel {

inline Remembered_Variable Val_Min{L"$COLOR_VAL_MIN"};
inline Remembered_Variable Val_Max{L"$COLOR_VAL_MAX"};
inline Remembered_Variable Map_Size{L"$COLORMAP_GLI_SIZE"};
inline Remembered_Variable Map_Cur{L"$COLORMAP_GLI_CUR"};
inline Remembered_Variable Map_Table{L"$COLORMAP_GLI_PT"};
inline Remembered_Variable Map_Fill{L"$COLORMAP_GLI_FILL"};
inline Remembered_Variable Map_Invalid{L"$COLORMAP_GLI_INVALID"};
inline Remembered_Variable Component{L"$GLI_COLOR_COMPONENT"};
inline Remembered_Variable Component_Display{L"$GLI_COLOR_DISPLAY"};
inline Remembered_Variable Tag_Nb{L"$TAG_NB"};
inline Remembered_Variable Tag_Red{L"$TAG_RED"};
inline Remembered_Variable Tag_Grn{L"$TAG_GRN"};
inline Remembered_Variable Tag_Blu{L"$TAG_BLU"};
inline Remembered_Variable Tag_Alpha{L"$TAG_ALPHA"};
inline Remembered_Variable Scheme{L"$COLOR_SCHEME"};
inline Remembered_Variable Tag_Mix{L"$TAG_MIX"};
inline Remembered_Variable Classic{L"$COLOR_CLASIC"};
inline Remembered_Variable GL_Flag{L"$OPENGL_FLAG"};

/// $OPENGL_FLAG bit: draw the display layers as textured quads instead of glDrawPixels.
inline constexpr uint8_t Flag_Texture = 0x02;
/// $OPENGL_FLAG bit: a tag display layer made now holds one tag number byte per pixel.
inline constexpr uint8_t Flag_Tag_Bytes = 0x04;

}  // namespace quarn::pixel
