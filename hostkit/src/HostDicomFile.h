// What the DICOM reader keeps of one file between its header scan and the series assembly.
#pragma once

#include <hostkit/HostImage.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace hostkit {

/// One frame of one file, with what places and orders it.
struct Dicom_Frame {
  int file = 0;                 ///< Index of the file in the scanned table.
  int frame = 0;                ///< Frame inside its file.
  bool has_position = false;    ///< The file recorded where this frame lies.
  double position[3] = {0, 0, 0};  ///< Centre of its first pixel, mm.
  double slope = 1, intercept = 0;  ///< Rescale of its stored values.
  double window_c = 0, window_w = 0;  ///< Display window in real units; width 0 when none.
  long temporal = -1;           ///< Temporal position, -1 when not recorded.
  double seconds = -1;          ///< Acquisition time of day, -1 when not recorded.
  long instance = 0;            ///< Instance number of the file.
  double distance = 0;          ///< Position along the series normal (set by the assembly).
};

/// Descriptive values copied into the record from the first file of a series.
struct Dicom_Header {
  std::string modality, description, manufacturer, model, sequence_name;
  std::string patient_name, patient_id, patient_sex, birth_date;
  std::string date[2], time[2];  ///< Acquisition and series stamps.
  double gantry_tilt = 0, tube_voltage = 0, tube_current = 0;
  double field_strength = 0, repetition_time = 0, echo_time = 0, inversion_time = 0, averages = 0;
  double weight = 0, height = 0;
};

/// One readable image file.
struct Dicom_File {
  std::string path;           ///< UTF-8 path.
  std::wstring wide_path;     ///< The path as given.
  std::string syntax;         ///< Transfer syntax UID ("" when the file recorded none).
  std::string series_uid;     ///< Series instance UID ("" when not recorded).
  std::string instance_uid;   ///< SOP instance UID.
  long series_number = 0;
  int columns = 0, rows = 0, frames = 1;
  int kind = 0;               ///< Element kind (HOST_PIXEL_*).
  int bits_stored = 0;        ///< Bits of each element that hold the value.
  bool monochrome1 = false;   ///< Photometric interpretation MONOCHROME1 (white is low).
  bool has_orientation = false;
  double dir_row[3] = {1, 0, 0}, dir_col[3] = {0, 1, 0};
  bool has_spacing = false;
  double spacing[2] = {1, 1};  ///< Column spacing (along a row) and row spacing, mm.
  double thickness = -1;       ///< Recorded slice thickness, -1 when none.
  double between = 0;          ///< Recorded spacing between slices, 0 when none.
  bool has_pad = false;
  long pad = 0;                ///< Stored padding value.
  bool scout = false;          ///< A localizer image.
  Dicom_Header header;
  std::vector<Dicom_Frame> frame_info;  ///< One entry per frame.

  /// Bytes of all the file's decoded pixels.
  size_t Pixel_Bytes() const;
};

/// Scans the header of one file. Returns 0 when the file holds a supported image, else the
/// report class (2 content, 4 system) with the reason.
int Dicom_Scan(const std::wstring& path, Dicom_File* file, std::string* reason);
/// Decodes all pixels of a scanned file into dest (Pixel_Bytes() bytes) and brings values whose
/// stored bits are fewer than their element to the element's range; 0, or 2 with the reason.
int Dicom_Decode(const Dicom_File& file, void* dest, std::string* reason);
/// Decodes RLE-compressed pixel data (one fragment per frame) of 8- or 16-bit single-sample
/// images into dest, elements little endian; 0, or 2 with the reason when a fragment is damaged.
int Dicom_Rle_Decode(const std::vector<std::pair<const char*, size_t>>& fragments, int columns,
                     int rows, int bytes_per_element, void* dest, std::string* reason);
/// Joins the fragments of compressed pixel data into one stream per frame: a fragment that opens
/// with 0xFF and the opening marker byte opens a frame; false with the reason when the count of
/// streams is not frames.
bool Dicom_Frame_Streams(const std::vector<std::pair<const char*, size_t>>& fragments, int frames,
                         uint8_t opening, std::vector<std::string>* streams, std::string* reason);
/// Walks the marker structure of JPEG (ls: JPEG-LS) compressed pixel data: frames of one grey
/// component of the given size, each a run of fragments opened by a start of image; 0, or 2 with
/// the reason.
int Dicom_Jpeg_Check(const std::vector<std::pair<const char*, size_t>>& fragments, int frames,
                     int columns, int rows, bool ls, std::string* reason);
/// Walks the main header and tile parts of JPEG 2000 compressed pixel data: frames of one grey
/// component of the given size and at most bits bits; 0, or 2 with the reason.
int Dicom_J2k_Check(const std::vector<std::pair<const char*, size_t>>& fragments, int frames,
                    int columns, int rows, int bits, std::string* reason);
/// Silences the toolkit's own messages; the reader reports for it.
void Dicom_Quiet();
/// Reports why a file was left out: "Host_Dicom_Read: <file>: <reason>" with class cls.
void Dicom_Report(Host_Window owner, int cls, const std::wstring& path, const std::string& reason);
/// Copies the descriptive values of a file (texts, patient, stamps, scanner) into a record.
void Dicom_Fill_Header(Host_Image_Record* record, const Dicom_File& file);
/// Builds one record from the scanned files of one series (same size, kind and orientation):
/// frames ordered along the normal, repeated positions as time points. A file that fails to
/// decode is reported and left out; null when no file is left or memory runs out (reported).
Host_Image_Record* Dicom_Series_Build(std::vector<const Dicom_File*> files, Host_Window owner);

}  // namespace hostkit
