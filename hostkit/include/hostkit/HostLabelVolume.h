// Label volumes: the tags of a series as one 3D volume with its patient geometry, kept in NRRD files.
#pragma once

#include <hostkit/Export.h>

#include <cstdint>

/// A volume of 16-bit labels, x fastest, with the patient-space (LPS, millimetres) position of
/// its first voxel and the step vectors along columns, rows and slices.
struct Host_Label_Volume {
  int size[3] = {0, 0, 0};        ///< Columns, rows, slices.
  double origin[3] = {0, 0, 0};   ///< Centre of voxel (0, 0, 0).
  double step[3][3] = {};         ///< step[a] moves one voxel along axis a (column, row, slice).
  uint16_t* labels = nullptr;     ///< size[0] * size[1] * size[2] labels (malloc'd, owned).
};

/// Largest side of a label volume read or written; a larger one is a damaged file.
inline constexpr int HOST_LABEL_MAX_SIDE = 1 << 15;

/// A volume of the given size with every label 0; null (reported) for a bad size or no memory.
HOSTKIT_API Host_Label_Volume* Host_Label_Alloc(int columns, int rows, int slices);
/// Releases a volume (null is fine).
HOSTKIT_API void Host_Label_Free(Host_Label_Volume* volume);
/// Writes a volume as a gzip-compressed NRRD file in LPS space; 1 done, 0 (reported) failed.
HOSTKIT_API int Host_Label_Write_NRRD(const char* path, const Host_Label_Volume* volume);
/// Reads a 3D NRRD file of 8- or 16-bit unsigned labels (raw or gzip, either endianness, LPS or
/// RAS space); null (reported, naming what is wrong) when it cannot be read.
HOSTKIT_API Host_Label_Volume* Host_Label_Read_NRRD(const char* path);
