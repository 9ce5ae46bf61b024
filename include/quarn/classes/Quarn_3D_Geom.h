// Quarn_3D_Geom: a surface of a 3D file record as a leaf of the 3D tree.
#pragma once

#include <quarn/Export.h>
#include <quarn/classes/Quarn_3D.h>

#include <cstdint>

class Quarn_3D_File;
class Quarn_Window;
struct Host_Movie_Record;
struct DDDAs;

class Quarn_3D_Geom;
/// A slot of the geometry's drawing table: (geometry, redraw mask, window, width, height) -> int.
using Quarn_Geom_Draw = int (*)(Quarn_3D_Geom* geom, uint64_t mask, Quarn_Window* window, int width,
                                int height);

/// One surface of a 3D file: class A 0x3FFF, title "geom", class B the render mode (0 hidden,
/// 1 wire frame, 2 flat, 3 smooth), 2 at construction.
class QUARN_API Quarn_3D_Geom : public Quarn_3D {
public:
  /// Class A of geometry objects.
  static constexpr uint16_t Class_A = 0x3FFF;

  /// Surface index of file (null: a generic object named "generic") placed under parent (the
  /// caller adds it to the parent's children).
  Quarn_3D_Geom(Quarn_3D* parent, Quarn_3D_File* file, int index);
  ~Quarn_3D_Geom() override;
  Quarn_3D_Geom(const Quarn_3D_Geom&) = delete;
  Quarn_3D_Geom& operator=(const Quarn_3D_Geom&) = delete;

  /// Dumps the object and its surface's counts.
  void Stool(int message_class, int depth, unsigned char recurse) override;
  /// With GEOM_UPDATE_NODES: moves every node to its rest position (plus its displacement when
  /// displacements are active) taken up the tree to patient space, recomputes normals and extent
  /// and drops the ray grid; 0 without a surface. Other bits: 1, nothing done.
  int Update_A(uint64_t mask) override;

  /// The tag of the surface.
  uint16_t TAG_Get();
  /// Sets the tag of the surface.
  void TAG_Set(uint16_t value);
  /// 0x00BBGGRR: the stored colour for tag 0, else the host's colour of the tag.
  uint32_t Color_Get();
  /// Stores r | g << 8 | b << 16.
  void Color_Set(unsigned char r, unsigned char g, unsigned char b);
  /// Stores colour and, when the surface keeps per-node colours, paints every node and polygon.
  void Color_Set(uint32_t colour);

  uint16_t tag = 0;                     ///< Tag value of the surface.
  uint32_t color = 0;                   ///< 0x00BBGGRR.
  uint32_t file_kind = 0;               ///< Copied from the file record.
  Host_Movie_Record* movie = nullptr;   ///< The surface (not owned), or null.
  int32_t index = 0;                    ///< Surface index inside the file.
  Quarn_3D_File* file = nullptr;        ///< The file record (not owned), or null.
  DDDAs* grid = nullptr;                ///< Owned ray grid of the surface (Arts_3D_Init), or null.
  uint64_t file_word = 0;               ///< Copied from the file record.
  uint64_t reserved = 0;                ///< Unused.
  Quarn_Geom_Draw fct_draw_geom[32] = {};  ///< Drawing table.
};

/// Creates the geometry for surface index of file and adds it to parent; returns 1.
QUARN_API int Class_3D_Geom_Insert(Quarn_3D* parent, Quarn_3D_File* file, uint16_t unused, int index);
