// Image records read from DICOM files, and a writer of small synthetic DICOM series.
#pragma once

#include <hostkit/Export.h>
#include <hostkit/HostImage.h>
#include <hostkit/HostMath.h>

#include <cstdint>

/// Flags of Host_Dicom_Read_Series.
enum : int {
  HOST_DICOM_FLAT = 0,       ///< Only the files of the folder itself.
  HOST_DICOM_RECURSIVE = 1,  ///< Also read the files of every subfolder (the default).
};

/// Reads every image series of a DICOM file or of the files of a folder and, unless flags is 0,
/// of its subfolders (hidden files and folders and DICOMDIR indexes skipped): files are grouped
/// by series instance UID (and within a series by size, pixel kind, spacing and orientation;
/// every multi-frame file is a record of its own), slices are ordered by their position along
/// the slice normal, and repeated positions become time points. Every record holds evenly
/// spaced slices, so that each frame lies where its file says: a series with a gap or an uneven
/// step is split there into records of their own, with a class-6 warning naming the files on
/// either side and the two spacings. Read: grey images of 8, 16 or 32 bits (signed or not) and
/// float pixel data; RGB, YBR_FULL, YBR_FULL_422 and palette colour (8-bit samples, either
/// planar configuration) into RGBA records; stored natively (implicit or explicit VR little
/// endian, explicit VR big endian, deflated) or compressed as RLE, JPEG, JPEG-LS or JPEG 2000.
/// Dose grids place their frames by their grid frame offset vector; slices whose rescales
/// differ, and 32-bit unsigned values beyond the signed range, give a float record of real
/// values. Files are read on several threads (Host_Dicom_Threads_Set). Returns a malloc'd
/// null-terminated array of records (release it with Host_Dicom_Free_Series, or its records
/// with Host_Image_Free_Headers and the array with free) and stores the record count in *count
/// (may be null); null when no record could be read. Every file that cannot be used is reported
/// (class 2 for its content, 4 for the system) as "Host_Dicom_Read: <file>: <reason>", and the
/// others are still read.
HOSTKIT_API Host_Image_Record** Host_Dicom_Read_Series(const wchar_t* folder_or_file, int* count,
                                                       int flags = HOST_DICOM_RECURSIVE);
/// Reads the given files as Host_Dicom_Read_Series reads the files of a folder.
HOSTKIT_API Host_Image_Record** Host_Dicom_Read_Files(const wchar_t* const* files, int file_count,
                                                      int* count);
/// Releases the records of a list that a reader returned, then the list itself (null is fine).
HOSTKIT_API void Host_Dicom_Free_Series(Host_Image_Record** list);
/// Sets how many threads the readers use (1 reads on the calling thread only; 0, the default,
/// takes the processor count; at most 8).
HOSTKIT_API void Host_Dicom_Threads_Set(int threads);

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
  HOST_PHANTOM_BIG_ENDIAN = 6,     ///< Explicit VR big endian.
  HOST_PHANTOM_DEFLATED = 7,       ///< Deflated explicit VR little endian.
  HOST_PHANTOM_JPEG_BASELINE = 8,  ///< JPEG baseline (lossy, 8-bit samples only).
};

/// What each pixel holds.
enum Host_Phantom_Pixels : int {
  HOST_PHANTOM_GREY = 0,          ///< Grey values of the modality (see bits).
  HOST_PHANTOM_RGB = 1,           ///< 8-bit red, green, blue.
  HOST_PHANTOM_YBR_FULL = 2,      ///< The same colours as full-range luminance and chroma.
  HOST_PHANTOM_YBR_FULL_422 = 3,  ///< The same, chroma shared by pixel pairs (colours are too).
  HOST_PHANTOM_PALETTE = 4,       ///< 8-bit indices into 16-bit colour tables.
  HOST_PHANTOM_S32 = 5,           ///< 32-bit signed integers, slope 0.5.
  HOST_PHANTOM_U32 = 6,           ///< 32-bit unsigned integers, some beyond the signed range.
  HOST_PHANTOM_FLOAT = 7,         ///< 32-bit float pixel data.
  HOST_PHANTOM_DOSE = 8,          ///< A dose grid: one multi-frame file of 32-bit unsigned
                                  ///< values scaled to gray, placed by its grid frame offsets.
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
  int pixels = HOST_PHANTOM_GREY;     ///< Host_Phantom_Pixels.
  int planar = 0;                     ///< Colour samples interleaved (0) or by plane (1).
  const float* slice_offsets = nullptr;  ///< Distance of each slice from the first along the
                                         ///< normal (slices entries); null: even slice_spacing.
};

/// Writes a synthetic series into folder (created when missing) and returns the number of files
/// written, or 0 with a report when the options are out of range or a file cannot be written.
HOSTKIT_API int Host_Dicom_Write_Phantom(const wchar_t* folder, const Host_Phantom_Options* options);
/// The stored pixel value that Host_Dicom_Write_Phantom writes at (column, row, slice, time); for
/// colour pixels the colour as a record reads it (red | green << 8 | blue << 16 | 255 << 24).
HOSTKIT_API int Host_Dicom_Phantom_Value(const Host_Phantom_Options* options, int column, int row,
                                         int slice, int time);
/// The real value written at (column, row, slice, time): the stored value through the rescale
/// (or dose scaling), or the float written; NaN for padding.
HOSTKIT_API double Host_Dicom_Phantom_Real(const Host_Phantom_Options* options, int column, int row,
                                           int slice, int time);
