// Marking of the frames' update and redraw rectangles under a node of the 2D tree.
#pragma once

#include <cstdint>

class Quarn_2D;
class Quarn_Window;
class Region_2D;

namespace quarn {

/// Which rectangle of a frame a request marks.
enum class Frame_Mark { Update, Redraw };

/// Adds region (frame space; none marks the whole frame) to the chosen rectangle of node when it
/// is a frame, else of every frame under it that filter keeps for window (0 keeps all).
void Frames_Mark(Quarn_2D* node, Quarn_Window* window, uint8_t filter, const Region_2D* region,
                 Frame_Mark which);

}  // namespace quarn
