// Update and redraw requests: the masks that tell the host what to rebuild and repaint.
#pragma once

#include <quarn/Export.h>

#include <cstdint>

class Quarn_Window;
class Quarn_2D;
class Region_2D;

/// Window selector meaning "no window", passed in place of a window pointer.
inline Quarn_Window* const UPDATE_NO_WINDOW = reinterpret_cast<Quarn_Window*>(uintptr_t(8));
/// Object selector meaning "no object", passed in place of an object pointer.
inline Quarn_2D* const UPDATE_NO_OBJECT = reinterpret_cast<Quarn_2D*>(uintptr_t(8));

/// Mask bit that holds display work back (increments the delay counter).
inline constexpr uint64_t UPDATE_DELAY_ON = 0x4000000000000000ull;
/// Mask bit that releases held display work (decrements the delay counter).
inline constexpr uint64_t UPDATE_DELAY_OFF = 0x8000000000000000ull;

/// Update bit: a frame's grey values changed.
inline constexpr uint64_t UPDATE_DATA_GLI = 0x1000000ull;
/// Update bit: a frame's tag values changed.
inline constexpr uint64_t UPDATE_DATA_TAG = 0x2000000ull;
/// Update bit: a frame's grey display layer must be rebuilt.
inline constexpr uint64_t UPDATE_DISPLAY_GLI = 0x4000000ull;
/// Update bit: a frame's tag display layer must be rebuilt.
inline constexpr uint64_t UPDATE_DISPLAY_TAG = 0x8000000ull;

/// Message posted to the host's main window for an update: a the high, b the low 32 bits.
inline constexpr uint32_t UPDATE_MESSAGE = 0x402;
/// Message posted to the host's main window for a redraw: b the 32-bit mask.
inline constexpr uint32_t REDRAW_MESSAGE = 0x403;
/// Mask bit of Fct_Redraw that runs the host's redraw function ($FCT_REDRAW) at the end.
inline constexpr uint64_t REDRAW_IMMEDIATE = 0x2000000000000000ull;

/// The host's immediate redraw, called with the $FLAG_UPDATE and $FLAG_REDRAW variables.
using Fct_Redraw_Host = void (*)(uint64_t* flag_update, uint64_t* flag_redraw);

/// Marks what changed (rebuild) for the given windows, objects and frame-space region.
QUARN_API void Fct_Update(uint64_t mask, Quarn_Window* window = UPDATE_NO_WINDOW,
                          Quarn_2D* object = UPDATE_NO_OBJECT, const Region_2D* region = nullptr);
/// Marks what must be repainted for the given windows, objects and frame-space region.
QUARN_API void Fct_Redraw(uint64_t mask, Quarn_Window* window = UPDATE_NO_WINDOW,
                          Quarn_2D* object = UPDATE_NO_OBJECT, const Region_2D* region = nullptr);
/// Requests an update with a 64-bit mask without marking any object.
QUARN_API void Fct_Update_Direct(uint64_t mask);
