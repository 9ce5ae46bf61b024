// The host's image records: one image series with its geometry, value mapping, tag plane and texts.
#pragma once

#include <hostkit/Export.h>
#include <hostkit/HostMath.h>
#include <hostkit/HostRecords.h>
#include <hostkit/HostTypes.h>

#include <cstdint>

/// Element kinds of a pixel plane. Colour pixels read as R | G << 8 | B << 16 | A << 24.
enum : uint8_t {
  HOST_PIXEL_TAG = 1,     ///< Unsigned 8-bit tag (the tag plane).
  HOST_PIXEL_U8 = 2,      ///< Unsigned 8-bit grey.
  HOST_PIXEL_S8 = 3,      ///< Signed 8-bit grey.
  HOST_PIXEL_U16 = 4,     ///< Unsigned 16-bit grey.
  HOST_PIXEL_S16 = 5,     ///< Signed 16-bit grey.
  HOST_PIXEL_S32 = 8,     ///< Signed 32-bit grey.
  HOST_PIXEL_FLOAT = 9,   ///< 32-bit float grey, read as integers through the conversion.
  HOST_PIXEL_RGBA = 128,  ///< Four 8-bit colour components red, green, blue, alpha.
};

/// Pixel value read outside the record or from a record without pixel data.
inline constexpr int32_t HOST_IMAGE_NONE = 0x7FFFFFFF;
/// Padding value of a record whose pixels have no padding.
inline constexpr int32_t HOST_IMAGE_NO_PAD = 0x7FFFFFFF;
/// Stands for a size the file did not record.
inline constexpr float HOST_IMAGE_MISSING = 1e21f;

/// Bits of a record's flag word.
enum : uint32_t {
  HOST_IMAGE_VERT_LABEL = 0x00001000,  ///< The record carries a vertebra label.
  HOST_IMAGE_TAG_EDITED = 0x06000000,  ///< Set when a tag of the record was written.
  HOST_IMAGE_KIND_MASK = 0x38000000,   ///< The record's kind bits.
};

/// Bits of a record's orientation word, from the slice normal (a scout is flagged by the reader).
enum : uint16_t {
  HOST_ORIENT_AXIAL = 1,
  HOST_ORIENT_SAGITTAL = 2,
  HOST_ORIENT_CORONAL = 4,
  HOST_ORIENT_OBLIQUE = 8,
  HOST_ORIENT_SCOUT = 16,
};

/// Two-letter modality codes, first letter in the high byte.
enum : uint16_t { HOST_MODALITY_CT = 0x4354, HOST_MODALITY_MR = 0x4D52 };

/// One image series: columns x rows pixels per frame, slices x times frames, frame n holding
/// slice n % slices of time n / slices. Texts and planes are owned (malloc'd) and released with
/// the record. Geometry: pixel (i, j) of slice k sits at position + i sx dir_row + j sy dir_col
/// + k slice_spacing normal; frm_2_org maps the row vector (i, j, k, 1) there, org_2_frm back.
struct HOSTKIT_API Host_Image_Record {
  // Dimensions and indices.
  uint16_t columns = 0;       ///< Pixels per row.
  uint16_t rows = 0;          ///< Rows per frame.
  uint16_t slices = 1;        ///< Slices per time point.
  uint16_t times = 1;         ///< Time points.
  int32_t slice_number = -1;  ///< Slice number shown to the user, -1 when absent.
  int32_t time_number = -1;   ///< Time number shown to the user, -1 when absent.

  // Pixels.
  uint8_t kind = HOST_PIXEL_S16;  ///< Element kind of the grey plane.
  void* pixels = nullptr;         ///< Grey plane, or null for a record without pixel data.
  uint8_t* tags = nullptr;        ///< Tag plane, one byte per pixel, or null.

  // Value mapping: real value = stored integer * conv_b + conv_a.
  float conv_a = 0;                       ///< Intercept.
  float conv_b = 1;                       ///< Slope (0 counts as 1).
  int32_t pad_value = HOST_IMAGE_NO_PAD;  ///< Stored value that marks padding (kinds 4, 5, 8, 9).
  float float_min = 0, float_max = 0;     ///< Real value range, padding excluded.
  int32_t int_min = 0, int_max = 0;       ///< Stored integer range, padding excluded.
  int32_t window_c = 0;                   ///< Display window centre (real units, after the rescale).
  int32_t window_w = 0;                   ///< Display half width: the range is c - w ... c + w.

  // Geometry.
  float pixel_spacing[2] = {1, 1};  ///< Column spacing sx (along a row) and row spacing sy, mm.
  float slice_spacing = 1;          ///< Distance between slice centres along the normal, mm.
  float slice_thickness = HOST_IMAGE_MISSING;  ///< Slice thickness as recorded.
  float pixel_dim[3] = {HOST_IMAGE_MISSING, HOST_IMAGE_MISSING, HOST_IMAGE_MISSING};  ///< Pixel
                                    ///< sizes x, y, z as the file recorded them.
  Vec4 spacing;                     ///< (sx, sy, slice spacing, 0).
  Vec4 spacing_b;                   ///< (sx, sy, slice thickness, 0).
  Vec4 position;                    ///< Patient position of pixel (0, 0) of slice 0.
  Vec4 dir_row{1.0f, 0.0f, 0.0f, 0.0f};  ///< Unit direction of increasing column.
  Vec4 dir_col{0.0f, 1.0f, 0.0f, 0.0f};  ///< Unit direction of increasing row.
  Vec4 normal{0.0f, 0.0f, 1.0f, 0.0f};   ///< Slice normal, dir_row x dir_col.
  Mat4 frm_2_org;                   ///< Frame (column, row, slice) to patient space.
  Mat4 org_2_frm;                   ///< Patient space to frame; the inverse of frm_2_org.
  uint16_t geometry = 0;            ///< Curved-geometry code word (bits 0x000C: curved).
  float curve_radius = 0;           ///< Curvature radius of a curved geometry.
  Vec4* positions = nullptr;        ///< Per-frame positions of a multi-frame record, or null.
  int32_t position_count = 0;       ///< Entries in positions (slices x times when present).
  uint16_t orientation = 0;         ///< HOST_ORIENT_* bits.
  uint32_t flags = 0;               ///< HOST_IMAGE_* bits.

  // Texts.
  char* description = nullptr;  ///< Narrow description, or null.
  char* vert_label = nullptr;   ///< Vertebra label, or null (see HOST_IMAGE_VERT_LABEL).
  wchar_t* file_name = nullptr; ///< File the record was read from, or null.

  // Scanner.
  uint16_t modality = 0;          ///< Two-letter modality code, 0 when unknown.
  char* manufacturer = nullptr;   ///< Manufacturer, or null when absent.
  char* model = nullptr;          ///< Model name, or null when absent.
  float gantry_tilt = 0;          ///< CT gantry tilt, degrees.
  float tube_voltage = 0;         ///< CT tube voltage, kV.
  float tube_current = 0;         ///< CT tube current, mA.
  float field_strength = 0;       ///< MR field strength, T.
  float repetition_time = 0;      ///< MR TR, ms.
  float echo_time = 0;            ///< MR TE, ms.
  float inversion_time = 0;       ///< MR TI, ms.
  float averages = 0;             ///< MR number of averages.
  char* sequence_name = nullptr;  ///< MR pulse sequence name, or null.

  // Patient.
  Host_Name_Record patient_name{};  ///< Patient name.
  char* patient_id = nullptr;       ///< Patient id, or null.
  char patient_sex = 0;             ///< 'M', 'F', 'O', or 0 when not recorded.
  Host_Date_Record birth_date{};    ///< Birth date.
  float patient_weight = 0;         ///< kg, 0 when not recorded.
  float patient_height = 0;         ///< m, 0 when not recorded.

  // Time stamps: [0] primary (acquisition), [1] secondary (series).
  Host_Date_Record date[2]{};  ///< Dates of the two stamps.
  Host_Time_Record time[2]{};  ///< Times of day of the two stamps.

  uint64_t order = 0;      ///< Creation order: later records compare larger.
  void* frame = nullptr;   ///< Back pointer slot for the object that shows the record.

  /// An empty record: no pixels, unit spacing, identity orientation at the origin.
  Host_Image_Record();
  /// Releases the planes, the position table and the texts.
  ~Host_Image_Record();
  Host_Image_Record(const Host_Image_Record&) = delete;
  Host_Image_Record& operator=(const Host_Image_Record&) = delete;
};

/// Geometry and value mapping of a record built from memory; the defaults give an axial series
/// at the origin with 1 mm pixels and slices, slope 1, intercept 0 and no padding.
struct Host_Image_Layout {
  Vec4 position;                              ///< Pixel (0, 0) of slice 0.
  Vec4 dir_row{1.0f, 0.0f, 0.0f, 0.0f};      ///< Direction of increasing column.
  Vec4 dir_col{0.0f, 1.0f, 0.0f, 0.0f};      ///< Direction of increasing row.
  float spacing_x = 1;                        ///< Column spacing (along a row), mm.
  float spacing_y = 1;                        ///< Row spacing, mm.
  float slice_spacing = 1;                    ///< Distance between slice centres, mm.
  float slice_thickness = 1;                  ///< Slice thickness, mm.
  float slope = 1;                            ///< Real value per stored unit (not for floats).
  float intercept = 0;                        ///< Real value of stored 0 (not for floats).
  int32_t pad_value = HOST_IMAGE_NO_PAD;      ///< Stored padding value.
  uint16_t modality = 0;                      ///< Modality code.
};

/// Bytes per element of a kind; 0 for an unknown kind.
HOSTKIT_API int Host_Image_Kind_Size(int kind);

/// Builds a record of columns x rows x slices x times pixels of the given grey kind, copying
/// pixels (null gives a record without pixel data), with a zeroed tag plane, the geometry of
/// layout (defaults when null) and the value range computed. Float pixels are kept as given and
/// read as integers 0 ... 65535 spread over their range (the conversion is chosen to match).
/// Returns null, with a report, for a dimension outside 1 ... 65535, an unknown kind, a degenerate
/// orientation or a failed allocation.
HOSTKIT_API Host_Image_Record* Host_Image_Create(int columns, int rows, int slices, int times,
                                                 int kind, const void* pixels,
                                                 const Host_Image_Layout* layout = nullptr);
/// Derives normal, spacing vectors, both matrices, the per-frame position table (records of more
/// than one frame) and the orientation bits from position, dir_row, dir_col (normalised here),
/// pixel_spacing, slice_spacing and slice_thickness (a slice spacing of 0 becomes the thickness,
/// or 1 mm when none is recorded); an existing position table is kept as the reader filled it.
/// 1 done, 0 with a report when the directions are degenerate, the spacing is 0 or the table
/// cannot be allocated (the record is then left unchanged).
HOSTKIT_API int Host_Image_Geometry_Update(Host_Image_Record* record);
/// Recomputes int_min/int_max and float_min/float_max from the grey plane, skipping padding and
/// non-finite floats (float records also get conv_a and conv_b chosen so that their range reads
/// as 0 ... 65535); a record without pixel data or with colour pixels gets 0 ... 0.
/// Returns 1, or 0 for a null record.
HOSTKIT_API int Host_Image_Range_Update(Host_Image_Record* record);
/// Allocates a zeroed tag plane when the record has none; 1 when it has one afterwards.
HOSTKIT_API int Host_Image_Tags_Alloc(Host_Image_Record* record);
/// Replaces an owned narrow text with a copy of text (null clears it); 0 on allocation failure.
HOSTKIT_API int Host_Image_Text_Set(char** slot, const char* text);
/// Replaces an owned wide text with a copy of text (null clears it); 0 on allocation failure.
HOSTKIT_API int Host_Image_Text_Set(wchar_t** slot, const wchar_t* text);

/// Stored value of one pixel as an integer (colour pixels packed, float pixels converted back
/// through conv_a and conv_b); HOST_IMAGE_NONE outside the record or without pixel data.
HOSTKIT_API int Host_Image_Pixel_Int(Host_Window owner, const Host_Image_Record* record, int x,
                                     int y, int slice, int time);
/// The tag byte of one pixel; 0 outside the record or without a tag plane.
HOSTKIT_API int Host_Image_Pixel_Tag(Host_Window owner, const Host_Image_Record* record, int x,
                                     int y, int slice, int time);
/// Address of one pixel in plane (null: the record's grey plane) whose elements are of kind
/// (0: the plane's own kind; the tag plane takes HOST_PIXEL_TAG); null outside the record or for
/// a kind that does not match the record's own plane (reported).
HOSTKIT_API void* Host_Image_Pixel(Host_Window owner, Host_Image_Record* record, void* plane,
                                   int kind, int x, int y, int slice, int time);
/// A stored value brought into 16 bits: the 8- and 16-bit kinds clamp to their own range; wider
/// kinds keep values whose range [range_min, range_max] fits 16 bits and otherwise scale that
/// range onto 0 ... 65535; colour pixels give their luminance 0 ... 255.
HOSTKIT_API int Host_Image_Int_To_Short(int value, int kind, int range_min, int range_max);
/// The real value of a stored integer: value * conv_b + conv_a (a slope of 0 counts as 1); tag and
/// colour values are returned unchanged.
HOSTKIT_API float Host_Image_Int_To_Float(int value, int kind, float conv_a, float conv_b);
/// The two letters of a modality code ("CT", "MR" ...), "" for 0, "??" when not two letters.
HOSTKIT_API const char* Host_Image_Modality_Text(int code);

/// Releases one record (null is fine).
HOSTKIT_API void Host_Image_Free(Host_Image_Record* record);
/// Releases every record of a null-terminated list and sets its entries to null; the list array
/// stays its owner's. Returns the number of records released.
HOSTKIT_API int Host_Image_Free_Headers(Host_Window owner, Host_Image_Record** list);
