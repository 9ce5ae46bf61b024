// Quarn_3D_File: the record of one 3D geometry file, or of a generated tag surface.
#pragma once

#include <quarn/Export.h>
#include <quarn/core/Quarn.h>

#include <hostkit/HostMovie.h>

#include <cstdint>

/// A 3D file: magic 0xABBC, class B its sequence number, named after the file's base name; it
/// owns its surfaces (movies) and the array that lists them.
class QUARN_API Quarn_3D_File : public Quarn {
public:
  /// Records the file at path with count surfaces; movies (malloc'd, may be null) is taken over
  /// with the surfaces it lists, each of which gets its extent and normals computed.
  Quarn_3D_File(const wchar_t* path, int count, void** movies);
  /// Releases every surface and the array.
  ~Quarn_3D_File();

  /// -1, 0 or 1 as the name is smaller than, equal to or larger than text, by code units.
  int Match(const wchar_t* text);
  /// Replaces the surfaces by count new ones (movies taken over as by the constructor) and
  /// stamps the time; 1 done, 0 (reported, nothing taken) when the marks cannot be allocated.
  int assign(int count, void** movies);

  int64_t time = 0;                          ///< Seconds since 1970 at construction or assign.
  uint32_t state = 0;                        ///< 0x40: the file is closed and the tree skips it.
  uint32_t word = 0;                         ///< Free word, zero.
  int movie_count = 0;                       ///< Surfaces.
  uint8_t* movie_marks = nullptr;            ///< Per surface; 0x40: closed, the tree skips it.
  Host_Movie_Record** movies = nullptr;      ///< The surfaces (owned, as is the array).

private:
  void Movies_Release();
};

/// Adds the tag surface name to the tag-file list ("$DB_3D_TAG_NB", "$DB_3D_TAG_PT"), kept in
/// code-unit order, or replaces the surfaces of the record of that exact name; the movie is
/// taken over. The record, or null (reported, movie not taken) on failure.
QUARN_API Quarn_3D_File* File_3D_Add(const wchar_t* name, void* movie);
/// Destroys the tag-file record of that exact name and closes the gap; 1 also when there is
/// none, 0 (reported) when the list cannot be shrunk.
QUARN_API int File_3D_Del(const wchar_t* name);
