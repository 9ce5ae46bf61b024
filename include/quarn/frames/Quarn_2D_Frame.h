// Quarn_2D_Frame: one image of the 2D tree (a slice and time point of an image record).
#pragma once

#include <quarn/Export.h>
#include <quarn/classes/Quarn_2D.h>
#include <quarn/core/Point.h>
#include <quarn/core/Region.h>

#include <hostkit/HostMath.h>

#include <cstdint>

class Quarn_2D_File;
class Quarn_2D_Frame;
class Quarn_Window;
struct Host_Image_Record;
struct Quarn_Histogram;

/// A builder of one of the frame's display layers: 0 failed, 1 done, 2 done and slot 0 skipped.
using Quarn_Frame_Disp = int (*)(Quarn_2D_Frame* frame);
/// A slot of the frame's computation tables; each slot has its own signature (below), to which
/// the slot is cast when filled and when called.
using Quarn_Frame_Slot = void (*)();
/// fct_grad slots 0 and 1: filtered value or gradient magnitude at a point (-1 none, -2 padding).
using Quarn_Frame_Grad_Value = int (*)(Quarn_2D_Frame* frame, Vec4 point, void* image);
/// fct_grad slot 2: unit gradient direction at a point, (0, 0, 0) when there is none.
using Quarn_Frame_Grad_Dir = Vec4 (*)(Quarn_2D_Frame* frame, Vec4 point, void* image);
/// fct_fft slots 0 and 1: width and height of the transform grid.
using Quarn_Frame_FFT_Size = int (*)(Quarn_2D_Frame* frame);
/// fct_fft slots 2 and 3: the real or imaginary plane (W x H doubles), or null on failure.
using Quarn_Frame_FFT_Plane = double* (*)(Quarn_2D_Frame* frame);

/// An image of the 2D tree: class A 0x2FFF, title "Frame" (file frames) or "Frame CUDA" (cuts
/// through a device volume). It shows one slice and time point of an image record that a file
/// record holds; it holds no pixel values of its own but reads them through the access slots of
/// its parent chain and keeps working copies in layers held in its user-buffer slots (1 erase,
/// 2 tag display, 3 grey display, 5 working tag, 6 working grey, 8 histogram, 10-12 gradient,
/// 14 and 20 on morphological merges, 71-72 transform planes). Layer pointers are views of those
/// buffers and are cleared when the buffers go.
class QUARN_API Quarn_2D_Frame : public Quarn_2D {
public:
  /// Class A of frames.
  static constexpr uint16_t Class_A = 0x2FFF;

  /// Frame number frame_number of record image_index of file, placed under parent (the caller
  /// adds it to the parent's children).
  Quarn_2D_Frame(Quarn_2D* parent, Quarn_2D_File* file, int image_index, int frame_number);
  /// Cut index of direction dir (0 X-Y, 1 X-Z, 2 Z-Y) through an nx x ny x nz device volume made
  /// from record 0 of file.
  Quarn_2D_Frame(Quarn_2D* parent, Quarn_2D_File* file, unsigned char dir, int index,
                 unsigned short nx, unsigned short ny, unsigned short nz);
  /// Releases the zoom table and the label; the base releases the layers with the user buffers.
  ~Quarn_2D_Frame() override;
  Quarn_2D_Frame(const Quarn_2D_Frame&) = delete;
  Quarn_2D_Frame& operator=(const Quarn_2D_Frame&) = delete;

  /// Drops the layers named by the update bits the frame has pending; returns 1.
  int Update_A(uint64_t mask) override;
  /// Reloads the tags of the part of region (columns, rows, slices, times) that lies in this
  /// frame, when image is null or this frame's record.
  void Update_Child_A(uint64_t mask, void* window, void* image, Region_4D* region) override;
  /// Dumps the frame like any node.
  void Stool(int message_class, int depth, unsigned char recurse) override;
  /// Places the frame's inside rectangle in the window at corner (or at the mode's default).
  int Resize(Quarn_Window* window, Region_2D* corner) override;
  /// Order of frames: record present, position along the normal, time stamps, time and slice
  /// numbers, time coordinate (6, 2, 4, 3, 1 or their negatives; 0 when equal).
  int Compare(Quarn_2D* other) override;
  /// Icon file of the frame's orientation.
  const wchar_t* Icon_Name() override;
  /// A press inside the frame selects it and makes it the window's current frame.
  int Interface_Click(Quarn_Window* window, int code, Point_2D* point) override;
  /// Motion over the frame drags the selection (not with Ctrl) and makes it current; returns 0.
  int Interface_Motion(Quarn_Window* window, int code, Point_2D* point) override;
  /// Frames take no wheel events; returns 0.
  int Interface_Scroll(Quarn_Window* window, int code, Point_2D* point) override;
  /// Arrow keys step the pointer one frame pixel, panning the window at its edge; 1 for an
  /// arrow key, 0 for other keys and for a step off the frame.
  int Interface_Key(Quarn_Window* window, int code, Point_2D* point) override;
  /// Selects the frame when region overlaps it: Shift a sibling range, Ctrl a toggle.
  int Interface_Select(Quarn_Window* window, Region_2D* region) override;

  /// Zoom of the frame in the window for the window's mode (1 when the table is missing).
  float Zoom_Get(Quarn_Window* window);

  /// Frame to interface space of window.
  Point_2D Frm_2_Inf(Quarn_Window* window, Point_2D point);
  /// Frame to interface space of window, corners sorted.
  Region_2D Frm_2_Inf(Quarn_Window* window, Region_2D region);
  /// Interface space of window to frame space.
  Point_2D Inf_2_Frm(Quarn_Window* window, Point_2D point);
  /// Interface space of window to frame space, corners sorted.
  Region_2D Inf_2_Frm(Quarn_Window* window, Region_2D region);

  /// Frame to patient space of a full frame-space point (column, row, slice, time index).
  Point_4D Frm_2_Org(Point_4D point);
  /// Frame to patient space of a point in this frame's slice and time.
  Point_4D Frm_2_Org(Point_2D point);
  /// Frame to patient space; z counts slices from this frame's own, t is the time index.
  Point_4D Frm_2_Org(float x, float y, float z, float t);
  /// Bounding box in patient space of a frame-space box.
  Region_4D Frm_2_Org(Region_4D region);
  /// Patient to frame space.
  Point_4D Org_2_Frm(Point_4D point);
  /// Patient to frame space of a point at time 0.
  Point_4D Org_2_Frm(Point_3D point);
  /// Patient to frame space.
  Point_4D Org_2_Frm(float x, float y, float z, float t);
  /// Bounding box in frame space of a patient-space box.
  Region_4D Org_2_Frm(Region_4D region);
  /// Position of a patient-space point along the frame's normal (the slice number for records
  /// with a curved geometry).
  float Get_Pos_D(Point_4D* point);

  /// Working grey rows, loaded through the access chain on first use; null when they cannot be.
  int32_t** Work_GLI_Get();
  /// Reloads the working grey rows through the access chain; null on failure (reported).
  int32_t** Work_GLI_Load();
  /// Zeroes the working grey rows when their buffer exists.
  void Work_GLI_Clear();
  /// Working tag rows (tag in the low byte), loaded on first use; null when they cannot be.
  uint16_t** Work_TAG_Get();
  /// Reloads the working tags, only inside reg_update when that is not empty; null on failure.
  uint16_t** Work_TAG_Load();
  /// Zeroes the working tag rows when their buffer exists.
  void Work_TAG_Clear();
  /// The erase layer, a cleared one when there is none yet.
  uint8_t** Erase_Get();
  /// Saves the working tags in the erase layer; null on failure.
  uint8_t** Erase_Load();
  /// Zeroes the erase layer, creating it when needed; null on failure.
  uint8_t** Erase_Clear();
  /// Writes the saved tags back through the frame's tag write (locks and undo apply).
  void Erase_Restore();
  /// Rebuilds the histogram of the grey values (of the pixels holding tag, when nonzero).
  Quarn_Histogram* Histogram_Compute(unsigned char tag);
  /// The histogram, computed over every pixel when there is none.
  Quarn_Histogram* Histogram_Get();
  /// Drops the histogram.
  void Histogram_Delete();
  /// Grows reg_redraw by region (the whole frame for null), clamped to the frame.
  void Region_Redraw_Set(const Region_2D* region);
  /// The redraw region.
  Region_2D* Region_Redraw_Get();
  /// Empties the redraw region.
  void Region_Redraw_Clear();
  /// Grows reg_update by region (the whole frame for null), clamped to the frame.
  void Region_Update_Set(const Region_2D* region);
  /// The update region.
  Region_2D* Region_Update_Get();
  /// Empties the update region.
  void Region_Update_Clear();

  uint32_t volume_cut = 0;             ///< 1 for a cut through a device volume, 0 for a file frame.
  uint32_t cut_dir = 0;                ///< Direction of a cut: 0 X-Y, 1 X-Z, 2 Z-Y.
  uint32_t tex_gli = 0;                ///< OpenGL texture of the grey display layer, 0 for none.
  uint32_t tex_tag = 0;                ///< OpenGL texture of the tag display layer, 0 for none.
  Host_Image_Record* image = nullptr;  ///< The record whose pixels the frame shows (not owned).
  int32_t image_index = 0;             ///< Index of image in the file's records.
  int32_t frame_number = 0;            ///< Frame inside the record; for cuts the cut index.
  Quarn_2D_File* file = nullptr;       ///< The file record (not owned).
  uint32_t frame_type = 0;             ///< File class-A bits 0-3 and the record's kind bits.
  uint16_t width = 0;                  ///< Columns.
  uint16_t height = 0;                 ///< Rows.
  uint16_t z_index = 0;                ///< Slice index inside the record.
  uint16_t t_index = 0;                ///< Time index inside the record.
  uint16_t z_number = 0;               ///< Slice number shown to the user.
  uint16_t t_number = 0;               ///< Time number shown to the user.
  int8_t pixel_kind = 0;               ///< The record's element kind; negative for colour.
  char* label = nullptr;               ///< Owned copy of the record's description, or null.
  int32_t pad_value = 0;               ///< The record's padding value.
  float** zoom = nullptr;              ///< Owned, per window: zoom of tiled and single mode.
  float aspect = 1.0f;                 ///< Row spacing / column spacing (1 when curved).
  Vec4 position;                       ///< Patient position of the frame.
  Vec4 dir_row;                        ///< Direction of increasing column.
  Vec4 dir_col;                        ///< Direction of increasing row.
  Vec4 normal;                         ///< Slice normal.
  Vec4 spacing;                        ///< Column spacing, row spacing, slice spacing.
  Vec4 spacing_b;                      ///< The record's second spacing vector.
  float conv_a = 0;                    ///< Integer-to-float intercept.
  float conv_b = 1;                    ///< Integer-to-float slope.
  float gli_min = 0;                   ///< Smallest grey value.
  float gli_max = 0;                   ///< Largest grey value.
  float val_min = 0;                   ///< Initial display range, low end.
  float val_max = 0;                   ///< Initial display range, high end.
  uint8_t vert_upper = 0;              ///< The vertebra label starts with a capital.
  uint16_t vert_label = 0;             ///< 1-based vertebra label index, 65535 for 'X', 0 none.
  Region_2D reg_redraw;                ///< Part of the frame to redraw (frame space).
  Region_2D reg_update;                ///< Part of the tag layer to reload (frame space).
  uint8_t** erase = nullptr;           ///< Erase layer rows (user slot 1).
  void* disp_tag = nullptr;            ///< Tag display layer, flat (user slot 2).
  void* disp_gli = nullptr;            ///< Grey display layer, flat (user slot 3).
  uint16_t** work_tag = nullptr;       ///< Working tag rows, tag in the low byte (user slot 5).
  int32_t** work_gli = nullptr;        ///< Working grey rows (user slot 6).
  uint8_t** grad_mask = nullptr;       ///< Gradient cache state rows (user slot 10).
  uint16_t** grad_filtered = nullptr;  ///< Smoothed grey rows (user slot 11).
  uint32_t** grad_value = nullptr;     ///< Packed gradient rows (user slot 12).
  uint8_t tag_used[256];               ///< Per tag value: written since the last contour pass.
  Quarn_Frame_Disp fct_gli_disp[32] = {};  ///< Grey display builders: 0 built in, 1-31 plug-ins.
  Quarn_Frame_Disp fct_tag_disp[32] = {};  ///< Tag display builders: 0 built in, 1-31 plug-ins.
  Quarn_Frame_Slot fct_grad[3] = {};   ///< Filtered value, gradient magnitude, gradient direction.
  Quarn_Frame_Slot fct_fft[4] = {};    ///< Transform width, height, real plane, imaginary plane.

private:
  void Identity_Set(const char* title);
  void Zoom_Alloc();
  void Record_Read(int image_index, int frame_number);
  void Value_Range_Set();
  void Pixel_Size_Apply(int image_index);
  void Vert_Label_Set();
  void Name_From_File();
  void Curved_Check();
};

/// The node grouping the cuts of one direction through a device volume: class A 0x2FFD, title
/// "Cuda_Volume", named "dir X-Y", "dir X-Z" or "dir Z-Y".
class QUARN_API Quarn_2D_Volume : public Quarn_2D {
public:
  /// Class A of volume nodes.
  static constexpr uint16_t Class_A = 0x2FFD;

  /// The group of direction dir under parent (the caller adds it to the parent's children).
  Quarn_2D_Volume(Quarn_2D* parent, unsigned char dir);
  ~Quarn_2D_Volume() override;
  Quarn_2D_Volume(const Quarn_2D_Volume&) = delete;
  Quarn_2D_Volume& operator=(const Quarn_2D_Volume&) = delete;

  uint8_t dir = 0;  ///< Direction of the cuts: 0 X-Y, 1 X-Z, 2 Z-Y.
};

/// Makes frame frame_number of record image_index of file and appends it to parent's children;
/// the unsigned short is not read. Returns 1 (also when the frame cannot be allocated).
QUARN_API int Class_2D_Frame_Insert(Quarn_2D* parent, Quarn_2D_File* file, unsigned short unused,
                                    int image_index, int frame_number);
