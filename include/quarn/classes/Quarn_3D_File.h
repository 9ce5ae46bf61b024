// Quarn_3D_File: the record of one 3D geometry file, or of a generated tag surface.
#pragma once

#include <quarn/Export.h>
#include <quarn/core/Quarn.h>

#include <hostkit/HostMovie.h>

#include <cstdint>

/// A 3D file: its surfaces (movies), owned with the array that lists them.
///
/// Magic 0xABBC, class B the sequence number of 3D file records; the name is the generic (base)
/// name of the path.
class QUARN_API Quarn_3D_File : public Quarn {
public:
  /// State bit of a closed file or surface, which tree generation skips.
  static constexpr uint32_t State_Closed = 0x40;

  /// Records the file at path with count surfaces; movies (malloc'd, may be null) is taken over
  /// with the surfaces it lists, each of which gets its extent and normals computed.
  Quarn_3D_File(const wchar_t* path, int count, void** movies);
  /// Releases every surface and the array.
  ~Quarn_3D_File();
  Quarn_3D_File(const Quarn_3D_File&) = delete;
  Quarn_3D_File& operator=(const Quarn_3D_File&) = delete;

  /// Compares the name with text as unsigned code units: -1 smaller, 0 equal, 1 larger.
  int Match(const wchar_t* text);
  /// Replaces the surfaces by count new ones (movies taken over as by the constructor) and
  /// stamps the time; 1 done, 0 (reported, nothing taken) when the marks cannot be allocated.
  int assign(int count, void** movies);

  /// Seconds since 1970 at construction or at the last assign.
  int64_t Time_Get() const { return time_; }
  /// Number of surfaces.
  int Movie_Count() const { return movie_count_; }
  /// Surface index, or null when out of range.
  Host_Movie_Record* Movie_Get(int index) const;

  /// Per-file state; bit State_Closed marks a closed file.
  uint32_t state = 0;
  /// Free word, zero at creation.
  uint32_t word = 0;
  /// Per-surface marks, one byte each; bit State_Closed marks a closed surface.
  uint8_t* movie_marks = nullptr;

  /// Number of 3D file records made so far in this process (the next one's class B).
  static uint16_t Counter_Get();

private:
  void Movies_Release();

  int64_t time_ = 0;
  int movie_count_ = 0;
  Host_Movie_Record** movies_ = nullptr;
};

/// Adds the tag surface name to the tag-file list ("$DB_3D_TAG_NB", "$DB_3D_TAG_PT"), kept in
/// code-unit order, or replaces the surfaces of the record of that exact name; the movie is
/// taken over. The record, or null (reported, movie not taken) on failure.
QUARN_API Quarn_3D_File* File_3D_Add(const wchar_t* name, void* movie);
/// Destroys the tag-file record of that exact name and closes the gap; 1 also when there is
/// none, 0 (reported) when the list cannot be shrunk.
QUARN_API int File_3D_Del(const wchar_t* name);
