// The process-wide point list kept in host variables: reading it, growing it by one point and
// taking one out, and the current point.
#pragma once

#include <quarn/interaction/Quarn_Point.h>

#include <cstdint>

namespace quarn::points {

/// Entry and exit traces of the point operations.
inline constexpr uint32_t Trace = 0x84002006;
/// User reports of the point operations.
inline constexpr uint32_t User = 4;

/// The points (null when the list is empty or the host has none); count receives their number.
Quarn_Point** List(int* count);
/// Appends point (taken over) and makes it current; false, reported, when the list cannot grow
/// (the point is then deleted and the list unchanged).
bool Append(Quarn_Point* point);
/// Destroys the point at index, closes the gap and shrinks the array (freed at 0 entries);
/// clears the current point when it was that one. False, reported, when the shrink fails.
bool Remove(int index);
/// The current point, or null.
Quarn_Point* Current();
/// Makes point (or null) the current point.
void Current_Set(Quarn_Point* point);

/// Colour for a new point: a random hue for the first, then 0.7 to 0.8 of a turn past the
/// previous point's hue; full saturation, half lightness.
uint32_t Auto_Colour();

/// A new point of type and id appended to the list and made current, named name (null:
/// "Point_<id>") with size (0: the default); null, reported, when it cannot be made or listed.
Quarn_Point* Make(uint16_t type, int id, const char* name, float size);
/// Ends a creation once the point is placed: colour (0: automatic), the user report and the
/// list's updates.
void Made(Quarn_Point* point, uint32_t colour);
/// Ends a capture of the point at index: made current when within its pick radius (index + 1),
/// else the current point cleared (0). Traced as the exit of name.
int Captured(const char* name, int index, bool within);

/// "<<< out Util: <name>(why)" (why null: "()"); returns result.
int Out(const char* name, const char* why, int result);

}  // namespace quarn::points
