// Image records read from DICOM files, and a writer of small synthetic DICOM series.
#pragma once

#include <hostkit/Export.h>
#include <hostkit/HostImage.h>
#include <hostkit/HostMath.h>

#include <cstdint>

/// Flags of Host_Dicom_Read_Series.
enum : int {
  HOST_DICOM_RECURSIVE = 1,  ///< Also read the files of every subfolder.
};

/// Reads every image series of a DICOM file or of the files of a folder (hidden files and
/// DICOMDIR indexes skipped): files are grouped by series instance UID (and within a series by
/// size, pixel kind, spacing and orientation; every multi-frame file is a record of its own),
/// slices are ordered by their position along the slice normal, and repeated positions become
/// time points. Grey images of 8 or 16 bits (signed or not) are read, stored natively (implicit
/// or explicit VR little endian) or compressed as RLE, JPEG, JPEG-LS or JPEG 2000; slices whose
/// rescales differ give a float record of real values. Returns a malloc'd null-terminated array
/// of records (release it with Host_Dicom_Free_Series, or its records with
/// Host_Image_Free_Headers and the array with free) and stores the record count in *count (may
/// be null); null when no record could be read. Every file that cannot be used is reported
/// (class 2 for its content, 4 for the system) as "Host_Dicom_Read: <file>: <reason>", and the
/// others are still read; uneven slice spacing is noted with class 6.
HOSTKIT_API Host_Image_Record** Host_Dicom_Read_Series(const wchar_t* folder_or_file, int* count,
                                                       int flags = 0);
/// Reads the given files as Host_Dicom_Read_Series reads the files of a folder.
HOSTKIT_API Host_Image_Record** Host_Dicom_Read_Files(const wchar_t* const* files, int file_count,
                                                      int* count);
/// Releases the records of a list that a reader returned, then the list itself (null is fine).
HOSTKIT_API void Host_Dicom_Free_Series(Host_Image_Record** list);

/// How a synthetic series is laid out in files.
enum Host_Phantom_Layout : int {
  HOST_PHANTOM_FILES = 0,        ///< One file per slice and time point.
  HOST_PHANTOM_MULTI_FRAME = 1,  ///< One enhanced multi-frame file with a position per frame.
  HOST_PHANTOM_EVEN_FRAMES = 2,  ///< One multi-frame file: first position and a slice spacing.
};

/// Encoding of the written files.
enum Host_Phantom_Encoding : int {
  HOST_PHANTOM_EXPLICIT = 0,  ///< Explicit VR little endian.
  HOST_PHANTOM_IMPLICIT = 1,  ///< Implicit VR little endian.
  HOST_PHANTOM_RLE = 2,       ///< RLE lossless compressed pixel data.
  HOST_PHANTOM_JPEG_LOSSLESS = 3,  ///< JPEG lossless (process 14, first-order prediction).
  HOST_PHANTOM_JPEG_LS = 4,        ///< JPEG-LS lossless.
  HOST_PHANTOM_JPEG_2000 = 5,      ///< JPEG 2000 reversible.
};

/// What Host_Dicom_Write_Phantom writes: a body cylinder holding two spheres and a vessel, with
/// a faint texture so that a swapped or mirrored axis reads other values.
struct Host_Phantom_Options {
  uint16_t modality = HOST_MODALITY_CT;  ///< CT (16-bit signed, slope 1, intercept -1024) or MR.
  int bits = 16;                         ///< MR pixels: 8 or 16 bits unsigned.
  int columns = 64;                      ///< Pixels per row.
  int rows = 64;                         ///< Rows per slice.
  int slices = 8;                        ///< Slices per time point.
  int times = 1;                         ///< Time points (not with HOST_PHANTOM_EVEN_FRAMES).
  int layout = HOST_PHANTOM_FILES;       ///< Host_Phantom_Layout.
  int encoding = HOST_PHANTOM_EXPLICIT;  ///< Host_Phantom_Encoding.
  bool scramble = false;  ///< File names, instance numbers and frame order not in slice order.
  Vec4 position{-22.0f, -25.0f, -30.0f, 0.0f};  ///< Centre of pixel (0, 0) of slice 0, mm.
  Vec4 dir_row{1.0f, 0.0f, 0.0f, 0.0f};         ///< Direction of increasing column (unit).
  Vec4 dir_col{0.0f, 1.0f, 0.0f, 0.0f};         ///< Direction of increasing row (unit).
  float spacing_x = 0.7f;        ///< Column spacing (along a row), mm.
  float spacing_y = 0.8f;        ///< Row spacing, mm.
  float slice_spacing = 2.5f;    ///< Distance between slice centres along the normal, mm.
  float slice_thickness = 2.0f;  ///< Recorded slice thickness, mm.
  const char* series_uid = nullptr;   ///< Series instance UID; null makes a new one.
  int series_number = 1;              ///< Series number.
  const char* description = nullptr;  ///< Series description; null gives one naming the phantom.
  const char* file_prefix = "IM";     ///< File names are prefix_NNNN.dcm.
};

/// Writes a synthetic series into folder (created when missing) and returns the number of files
/// written, or 0 with a report when the options are out of range or a file cannot be written.
HOSTKIT_API int Host_Dicom_Write_Phantom(const wchar_t* folder, const Host_Phantom_Options* options);
/// The stored pixel value that Host_Dicom_Write_Phantom writes at (column, row, slice, time).
HOSTKIT_API int Host_Dicom_Phantom_Value(const Host_Phantom_Options* options, int column, int row,
                                         int slice, int time);
