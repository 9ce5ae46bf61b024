// What the overlay files share: the pictures folder, texture making, colours split into bytes,
// the label margin of markers and spheres, and the state that tests look at.
#pragma once

#include <quarn/Export.h>
#include <quarn/core/Report_Class.h>
#include <quarn/display/Overlay_Draw.h>

#include <cstdint>
#include <string>

namespace quarn {

/// Trace class of every overlay primitive: the drawing class.
inline constexpr uint32_t Overlay_Trace = msg::Draw;
/// Number of window indexes a per-window texture table has.
inline constexpr int OVERLAY_WINDOWS = 10;

/// Marker states besides the count of layers read.
inline constexpr uint16_t MARKER_UNREAD = 1;
inline constexpr uint16_t MARKER_UNREADABLE = 0;

/// The pictures folder ($DEFAULT_ICON_PATH), empty when the host has none.
std::wstring Overlay_Picture_Folder();
/// Makes a 2D texture bound with a wrapping mode and filters; returns its name.
uint32_t Overlay_Texture_New(int wrap, int min_filter, int mag_filter);
/// Window index of a window record (0 ... OVERLAY_WINDOWS - 1; 0 for none or out of range).
int Overlay_Window_Index(const Quarn_Window* window);
/// A label with the leading spaces that keep it clear of a symbol of a size, as narrow text.
QUARN_API std::string Overlay_Label_Text(float size, const wchar_t* label);

/// Red, green and blue bytes of a 0x00BBGGRR colour.
struct Overlay_Rgb {
  uint8_t r, g, b;
};
inline Overlay_Rgb Overlay_Colour(uint32_t c) {
  return Overlay_Rgb{uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)};
}

/// Sets the material of a sphere from a 0x00BBGGRR colour: its back faces glow brighter.
QUARN_API void Light_Material_Point(uint32_t colour);
/// Points along each side of a face of the unit sphere for a subdivision: 2 up to 10.
QUARN_API int Sphere_Grid_Side(int subdivision);
/// State of a marker name in the table: MARKER_UNREAD, MARKER_UNREADABLE or the layers read;
/// -1 when the name is not in the table.
QUARN_API int Marker_State(const wchar_t* name);
/// Number of names in the marker table.
QUARN_API int Marker_Count();
/// True while the gizmo tables exist.
QUARN_API bool Gizmo_Tables_Ready();
/// Sets the usable flags of the three gizmo pictures again, so that a test starts anew.
QUARN_API void Gizmo_Pictures_Reset();

}  // namespace quarn
