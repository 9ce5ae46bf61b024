// Quarn_Point: a named, coloured landmark on a frame or a surface, and the operations of the
// process-wide point list ("$POINT_PT", "$POINT_NB", "$POINT_CUR").
#pragma once

#include <quarn/Export.h>
#include <quarn/core/Point.h>
#include <quarn/core/Quarn.h>

#include <cstdint>

class Quarn_2D;
class Quarn_2D_Frame;
class Quarn_Window;
struct Host_Image_Record;

/// Update bits of the point list.
inline constexpr uint64_t POINT_UPDATE_CURRENT = 0x2001;  ///< The current point changed.
inline constexpr uint64_t POINT_UPDATE_LIST = 0x2002;     ///< Points were added or removed.
inline constexpr uint64_t POINT_UPDATE_MOVED = 0x2004;    ///< A point moved.
/// Redraw bits: the points of the 2D windows, and the 3D windows.
inline constexpr uint64_t POINT_REDRAW = 16;
inline constexpr uint64_t POINT_REDRAW_3D = 0x3FFF0000;

/// A landmark: magic 0xADBD, class A its type (a mask bit chosen by the tool that made it),
/// class B its id, named "Point_<id>" unless given a name.
class QUARN_API Quarn_Point : public Quarn {
public:
  /// Magic of point objects.
  static constexpr uint16_t Magic = 0xADBD;
  /// Size of a point made without one; the pick radius is never below Pick_Radius_Min.
  static constexpr float Default_Size = 10.0f;
  static constexpr float Pick_Radius_Min = 8.0f;

  /// A point with every field zero or none.
  Quarn_Point();
  ~Quarn_Point();
  /// Copies the base's codes and name and every field.
  Quarn_Point& operator=(const Quarn_Point& other);
  Quarn_Point(const Quarn_Point&) = delete;

  /// 0x00BBGGRR.
  uint32_t Color_Get();
  /// Stores colour.
  void Color_Set(uint32_t colour);
  /// Stores red | green << 8 | blue << 16.
  void Color_Set(uint8_t red, uint8_t green, uint8_t blue);
  /// Marker size (also the pick radius, at least Pick_Radius_Min).
  float Size_Get();
  /// Sets the marker size.
  void Size_Set(float value);
  /// Asks the window to redraw what the point's marker and label may cover on frame (everything
  /// without a frame).
  void Erase(Quarn_Window* window, Quarn_2D_Frame* frame);

  float size = 0;                      ///< Marker size.
  uint32_t color = 0;                  ///< 0x00BBGGRR.
  Point_3D pos;                        ///< Position in patient space.
  Point_3D pos_frm;                    ///< Column, row and slice on its frame (code 6).
  Quarn_2D_Frame* frame = nullptr;     ///< The frame it lies on (not owned), or null.
  Host_Image_Record* image = nullptr;  ///< Record of the first frame of the frame's parent (not owned).
  Quarn_2D* group = nullptr;           ///< The 2D node it belongs to (not owned), or null.
};

/// Makes a point on frame (or none) at pos (frame space), appends it and makes it current; size 0
/// takes Default_Size, name null "Point_<id>", colour 0 a hue well away from the previous
/// point's. 1 done, 0 when the list cannot grow (reported, the list unchanged).
QUARN_API int Fct_Point_2D_Create(uint16_t type, Quarn_2D_Frame* frame, int id, Point_2D pos, float size,
                                  const char* name, uint32_t colour);
/// Makes a point at the pointer ("$MOUSE_FRM") on frame; 1 done, 0 without a frame or memory.
QUARN_API int Fct_Point_2D_Insert(uint16_t type, Quarn_Window* window, Quarn_2D_Frame* frame, int id,
                                  const char* name);
/// Picks the nearest point of a type in the mask on the pointer's slice of frame and makes it
/// current when the pointer lies within its pick radius; index + 1, or 0 (current cleared when
/// the nearest was too far).
QUARN_API int Fct_Point_2D_Capture(uint16_t type_mask, Quarn_Window* window, Quarn_2D_Frame* frame);
/// Moves the current point to the pointer on frame; 1 done, 0 without a current point or frame.
QUARN_API int Fct_Point_2D_Drag(uint16_t type, Quarn_Window* window, Quarn_2D_Frame* frame);
/// Deletes the point nearest the pointer on frame's slice (within 100 mm); 1 when one went.
QUARN_API int Fct_Point_2D_Delete(uint16_t type_mask, Quarn_Window* window, Quarn_2D_Frame* frame);

/// Makes a point at pos (patient space) belonging to group (or none), on the nearest frame.
QUARN_API int Fct_Point_3D_Create(uint16_t type, Quarn_2D* group, int id, Point_3D pos, float size,
                                  const char* name, uint32_t colour);
/// Makes a point where the pointer ("$MOUSE_WND") hits a surface; 1 done, 0 without a hit.
QUARN_API int Fct_Point_3D_Insert(uint16_t type, Quarn_Window* window, int id, const char* name);
/// Picks the point of that type nearest the pointer's ray; index + 1, or 0.
QUARN_API int Fct_Point_3D_Capture(uint16_t type, Quarn_Window* window);
/// Moves the current point to where the pointer hits a surface; 1 when moved.
QUARN_API int Fct_Point_3D_Drag(uint16_t type, Quarn_Window* window);
/// Deletes the point of that type nearest the pointer's ray; 1 when one went.
QUARN_API int Fct_Point_3D_Delete(uint16_t type, Quarn_Window* window);
/// The frame the point lies on: its own frame while within one slice, else the nearest frame of
/// its group (the whole 2D tree without a group) within one slice; null when none.
QUARN_API Quarn_2D_Frame* Fct_Point_3D_Get_Frame(Quarn_Point* point);
