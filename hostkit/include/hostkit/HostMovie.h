// The host's movie library: triangulated surfaces (nodes and polygons) of 3D files and their drawing.
#pragma once

#include <hostkit/Export.h>
#include <hostkit/HostMath.h>

#include <cstddef>
#include <cstdint>

/// Bits of a movie record's flag word.
enum : uint32_t {
  HOST_MOVIE_NODE_COLORS = 0x0002,  ///< Colours are stored per node and per polygon.
  HOST_MOVIE_DISPLACED = 0x0004,    ///< Node displacements are active.
  HOST_MOVIE_LIT = 0x4000,          ///< The surface is drawn lit.
};

/// Bits of a movie record's refresh word: what the drawing must rebuild before the next draw.
enum : uint32_t {
  HOST_MOVIE_REFRESH_NODES = 0x1,  ///< Node positions or normals changed.
  HOST_MOVIE_REFRESH_POLYS = 0x2,  ///< Polygon normals or colours changed.
};

/// One surface node.
struct Host_Movie_Node {
  Vec4 rest;            ///< Own (rest) position.
  Vec4 pos;             ///< Current position in patient space.
  Vec4 disp;            ///< Displacement added to the rest position when active.
  Vec4 normal;          ///< Unit normal, from the polygons around the node.
  uint32_t color = 0;   ///< Colour 0x00BBGGRR.
};

/// One surface polygon (a triangle or a quadrilateral) with its plane and the ray-query mailbox.
struct Host_Movie_Polygon {
  int32_t count = 3;                 ///< Vertex count, 3 or 4.
  int32_t index[4] = {0, 0, 0, 0};   ///< Node indices.
  float normal[3] = {0, 0, 0};       ///< Unit plane normal n.
  float d = 0;                       ///< Plane offset: n . p + d = 0 on the plane.
  uint32_t color = 0;                ///< Colour 0x00BBGGRR.
  uint32_t stamp = 0;                ///< Mailbox: last query that tested the polygon.
  float hit_t = 0;                   ///< Mailbox: that query's hit parameter.
  float hit[3] = {0, 0, 0};          ///< Mailbox: that query's hit point.
};

/// The surface of one 3D file entry; nodes, polygons and texts are owned.
struct HOSTKIT_API Host_Movie_Record {
  uint32_t flags = 0;                  ///< HOST_MOVIE_* flag bits.
  uint32_t state = 0;                  ///< State word of the surface's users.
  wchar_t* name = nullptr;             ///< Name text, or null.
  wchar_t* text = nullptr;             ///< Second text, or null.
  int32_t node_count = 0;              ///< Nodes.
  Host_Movie_Node* nodes = nullptr;    ///< Node array (new[]).
  int32_t poly_count = 0;              ///< Polygons.
  Host_Movie_Polygon* polys = nullptr; ///< Polygon array (new[]).
  float box_min[3] = {0, 0, 0};        ///< Bounding box of the current positions: minimum.
  float box_max[3] = {0, 0, 0};        ///< Bounding box of the current positions: maximum.
  uint32_t refresh = 0;                ///< HOST_MOVIE_REFRESH_* bits.

  /// An empty surface.
  Host_Movie_Record() = default;
  /// Releases nodes, polygons and texts.
  ~Host_Movie_Record();
  Host_Movie_Record(const Host_Movie_Record&) = delete;
  Host_Movie_Record& operator=(const Host_Movie_Record&) = delete;
};

/// Builds a surface of node_count nodes at xyz (three floats each, rest and current position) and
/// poly_count polygons of corners (3 or 4) node indices each; null, reported, for bad counts or
/// indices or a failed allocation. Extents and normals are computed.
HOSTKIT_API Host_Movie_Record* Host_Movie_Create(int node_count, const float* xyz, int poly_count,
                                                 int corners, const int* indices);
/// Computes the bounding box of the current node positions; 1 done, 0 for a null record.
HOSTKIT_API int Host_Movie_Init_Dim(Host_Movie_Record* movie);
/// Computes polygon planes and node normals from the current positions (degenerate polygons get a
/// zero normal); 1 done, 0 (reported) for a null record or a polygon with a bad node index.
HOSTKIT_API int Host_Movie_Init_Norm(Host_Movie_Record* movie);
/// Draws the surface's polygons with OpenGL in the current shading and polygon modes: with node
/// normals (mode 1 and 3, smooth) or polygon normals (mode 2, flat), and with the stored node or
/// polygon colours when the record keeps them (else the current colour). Clears the refresh
/// bits. Nonzero for a null record or a surface without nodes or polygons.
HOSTKIT_API int Host_Movie_Draw(Host_Movie_Record* movie, int mode, int width, int height);
/// Releases a surface (null is fine).
HOSTKIT_API void Host_Movie_Free(Host_Movie_Record* movie);

/// Mesh file formats a surface can be read from.
enum Host_Mesh_Format : int {
  HOST_MESH_UNKNOWN = 0,  ///< Chosen from the file name's extension, else from the content.
  HOST_MESH_STL = 1,      ///< STL, binary or text.
  HOST_MESH_OBJ = 2,      ///< Wavefront OBJ (positions and faces).
  HOST_MESH_PLY = 3,      ///< PLY, text or binary of either byte order.
};

/// Reads a surface from an STL, OBJ or PLY file (format by extension, else by content). Faces
/// become triangles (fans), STL corners at one position share one node; extents and normals are
/// computed. Null, reported with the file name and line, for a file that cannot be read.
HOSTKIT_API Host_Movie_Record* Host_Movie_Read(const wchar_t* path);
/// Reads a surface from size bytes in the given format (HOST_MESH_UNKNOWN: from the content);
/// name only labels the reports. Null, reported, for bytes that are not such a surface.
HOSTKIT_API Host_Movie_Record* Host_Movie_Read_Memory(const void* data, size_t size, int format,
                                                      const wchar_t* name);
