// Pen and touch input decoded from a window's messages: the pen's contact, position and
// pressure, and the scale, rotation, pan and centre of a two-finger gesture.
#pragma once

#include <quarn/Export.h>

#include <hostkit/HostTypes.h>

#include <cstdint>

/// What the last pen message said.
struct Pen_Record {
  uint32_t state;     ///< 0 not touching without pressure, 17 pen down, 65 eraser end down.
  uint32_t x;         ///< Low 16 bits of the message's position argument.
  uint32_t y;         ///< Next 16 bits of it.
  uint32_t pressure;  ///< The pen's pressure.
};

/// Pen state: not touching and without pressure.
inline constexpr uint32_t PEN_STATE_UP = 0;
/// Pen state: down with its tip.
inline constexpr uint32_t PEN_STATE_DOWN = 0x11;
/// Pen state: down with its eraser end.
inline constexpr uint32_t PEN_STATE_ERASER = 0x41;

/// What the last two-finger touch message changed since the one before.
struct Touch_Gesture {
  float scale;     ///< Distance between the fingers now over before.
  float angle;     ///< Turn of the line between them, degrees.
  float pan_x;     ///< Horizontal move of their centre, pixels.
  float pan_y;     ///< Vertical move of their centre, pixels.
  float centre_x;  ///< Their centre now, pixels.
  float centre_y;  ///< Their centre now, pixels.
  float ratio_x;   ///< Horizontal distance now over before.
  float ratio_y;   ///< Vertical distance now over before.
};

/// Number of touch contacts followed: the primary one and three others.
inline constexpr int TOUCH_SLOTS = 4;

/// Decodes a pen message (a: pointer id in its low 16 bits, b: position); 1 with *record set to
/// the process-wide record, 0 when the message is no readable pen message.
QUARN_API int Fct_Pointer_Pen(Host_Window window, uint32_t message, uint64_t a, uint64_t b,
                              const Pen_Record** record);
/// Decodes a touch message (a: contact count in its low 16 bits, b: the touch handle, closed
/// here); 1 with *gesture set to the process-wide gesture while two contacts are down, else 0.
QUARN_API int Fct_Pointer_Touch(Host_Window window, uint32_t message, uint64_t a, uint64_t b,
                                const Touch_Gesture** gesture);
/// Registers a window for touch messages, where the platform can.
QUARN_API void Fct_RegisterTouchWindow(Host_Window window);
