// A frame's display layers as textured quads, for drawings that place the frame themselves.
#pragma once

#include <cstdint>

class Quarn_2D_Frame;

namespace quarn::pixel {

/// Draws the scheme's layers of the whole frame as textured quads from the model-view origin,
/// one unit a pixel, x to the right and rows running toward -y (whatever $OPENGL_FLAG asks for
/// the 2D windows); 0 when a layer the scheme needs is missing.
int Frame_Quad_Draw(uint8_t scheme, Quarn_2D_Frame* frame);

}  // namespace quarn::pixel
