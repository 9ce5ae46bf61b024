// What the DICOM reader keeps of one file between its header scan and the series assembly.
#pragma once

#include "HostDicomCheck.h"

#include <hostkit/HostImage.h>

#include <cstddef>
#include <cstdint>
#include <functional>
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

/// How the samples of a pixel make its colour.
enum Dicom_Colour : int {
  DICOM_GREY = 0,          ///< One grey sample.
  DICOM_RGB = 1,           ///< Red, green and blue samples.
  DICOM_YBR_FULL = 2,      ///< Full-range luminance and two chroma samples.
  DICOM_YBR_FULL_422 = 3,  ///< The same with chroma shared by two pixels of a row.
  DICOM_PALETTE = 4,       ///< One index into three colour tables.
  DICOM_CODEC_RGB = 5,     ///< A colour space the codec turns into red, green, blue (JPEG 2000).
};

/// The colour tables of a palette image, brought to 8-bit entries.
struct Dicom_Palette {
  int first = 0;              ///< Index value mapped to entry 0.
  std::vector<uint8_t> rgb[3];  ///< Red, green and blue entries (the same count each).
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
  int kind = 0;               ///< Element kind of the record (HOST_PIXEL_*).
  int bits_allocated = 0;     ///< Bits of each stored sample.
  int bits_stored = 0;        ///< Bits of each element that hold the value.
  bool is_signed = false;     ///< Stored integers are two's complement.
  bool unsigned32 = false;    ///< 32-bit unsigned integers (kept in a signed plane while they fit).
  int float_bytes = 0;        ///< 4 or 8 for float or double pixel data, else 0.
  int samples = 1;            ///< Samples per pixel.
  int colour = DICOM_GREY;    ///< Dicom_Colour.
  int planar = 0;             ///< Colour samples one plane after the other (1) or interleaved (0).
  Dicom_Palette palette;      ///< Colour tables of a palette image.
  std::vector<double> grid_offsets;  ///< Grid frame offset vector of a dose grid, mm.
  Dicom_Layout layout;        ///< Where the pixel data lay when the header was scanned.
  std::vector<uint8_t> header_bytes;  ///< The file's bytes before its native pixel data as scanned
                                      ///< (empty when they were changed in memory or are many).
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

  /// Bytes of all the file's decoded pixels, in the record's element kind.
  size_t Pixel_Bytes() const;
  /// Bytes of all the file's pixels as stored natively (before colour conversion).
  size_t Source_Bytes() const;
};

/// Scans the header of one file. Returns 0 when the file holds a supported image, else the
/// report class (2 content, 4 system) with the reason.
int Dicom_Scan(const std::wstring& path, Dicom_File* file, std::string* reason);
/// Decodes all pixels of a scanned file into dest (Pixel_Bytes() bytes) and brings values whose
/// stored bits are fewer than their element to the element's range; 0, or 2 with the reason.
/// After a decoding that succeeded, a reason that is not empty is a warning for the user. Pixels
/// read from the file as they are stored are handed to seen (when given) stretch by stretch as
/// they land, finished; others are not.
int Dicom_Decode(const Dicom_File& file, void* dest, std::string* reason, const Dicom_Stretch_Done& seen = {});
/// Decodes RLE-compressed pixel data (one fragment per frame) of images of samples samples of
/// bytes_per_element bytes each into dest, elements little endian and the samples of a frame one
/// plane after the other; 0, or 2 with the reason when a fragment is damaged.
int Dicom_Rle_Decode(const std::vector<std::pair<const char*, size_t>>& fragments, int columns,
                     int rows, int bytes_per_element, int samples, void* dest, std::string* reason);
/// Joins the fragments of compressed pixel data into one stream per frame: a fragment that opens
/// with 0xFF and the opening marker byte opens a frame; false with the reason when the count of
/// streams is not frames.
bool Dicom_Frame_Streams(const std::vector<std::pair<const char*, size_t>>& fragments, int frames,
                         uint8_t opening, std::vector<std::string>* streams, std::string* reason);
/// Walks the marker structure of JPEG (ls: JPEG-LS) compressed pixel data: frames of the given
/// size and number of components, each a run of fragments opened by a start of image; stores the
/// sample precision of the streams in *precision and whether the decoder leaves three components
/// as luminance and chroma in *ycc (each may be null); 0, or 2 with the reason.
int Dicom_Jpeg_Check(const std::vector<std::pair<const char*, size_t>>& fragments, int frames,
                     int columns, int rows, int components, bool ls, int* precision, bool* ycc,
                     std::string* reason);
/// Walks the main header and tile parts of JPEG 2000 compressed pixel data: frames of the given
/// size and number of components of at most bits bits; 0, or 2 with the reason.
int Dicom_J2k_Check(const std::vector<std::pair<const char*, size_t>>& fragments, int frames,
                    int columns, int rows, int components, int bits, std::string* reason);
/// While it lives, the JPEG decoder's warnings and errors on the calling thread are appended to
/// *sink (separated by "; ", a few at most) instead of reaching standard error; outside its life
/// they are dropped.
class Jpeg_Messages {
public:
  explicit Jpeg_Messages(std::string* sink);
  ~Jpeg_Messages();
  Jpeg_Messages(const Jpeg_Messages&) = delete;
  Jpeg_Messages& operator=(const Jpeg_Messages&) = delete;

private:
  std::string* previous_;
  int previous_count_;
};
/// Silences the toolkit's own messages; the reader reports for it.
void Dicom_Quiet();
/// Reports why a file was left out: "Host_Dicom_Read: <file>: <reason>" with class cls.
void Dicom_Report(Host_Window owner, int cls, const std::wstring& path, const std::string& reason);
/// Copies the descriptive values of a file (texts, patient, stamps, scanner) into a record.
void Dicom_Fill_Header(Host_Image_Record* record, const Dicom_File& file);
/// Builds the records of the scanned files of one series (same size, kind and orientation):
/// frames ordered along the normal, repeated positions as time points, and a record of its own
/// for each run of evenly spaced slices (each split is reported). A file that fails to decode is
/// reported and left out; appends nothing when no file is left or memory runs out (reported).
void Dicom_Series_Build(std::vector<const Dicom_File*> files, Host_Window owner,
                        std::vector<Host_Image_Record*>* records);
/// Runs work(0) ... work(count - 1) on up to Dicom_Thread_Count() threads, the calling one
/// included; after each item the calling thread runs done(items finished so far), so that
/// progress is reported from the caller's thread only. Items must not throw.
void Dicom_Parallel(size_t count, const std::function<void(size_t)>& work,
                    const std::function<void(size_t)>& done);
/// Threads the reader uses: the host's setting, else the count of processors the process may
/// run on (at most 8).
int Dicom_Thread_Count();

}  // namespace hostkit
