// The frame: construction from an image record (geometry, value range, names, vertebra label),
// insertion into the 2D tree and destruction.
#include <quarn/frames/Quarn_2D_Frame.h>
#include <quarn/host/Progress.h>

#include <quarn/classes/Class_Flag.h>
#include <quarn/classes/Quarn_2D_File.h>
#include <quarn/display/Update.h>

#include "classes/Tree_Trace.h"
#include "display/Frame_Disp_Slots.h"
#include "frames/Frame_Slots.h"
#include "script/Remembered_Variable.h"

#include <hostkit/HostImage.h>
#include <hostkit/HostUtil.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <strings.h>

namespace {

constexpr uint32_t Kind_Mask_File = 0x38000000;
constexpr uint32_t Kind_Mask_Cut = 0x30000000;
constexpr uint16_t Curved_Bits = 0x000C;
constexpr uint16_t Curved_Flip = 0x8000;
// Flag bits every frame carries, and the bit of frames from multi-frame files.
constexpr uint64_t Frame_Flags = 0x30000;
constexpr uint64_t Frame_Flag_Multi = 0x2000000;
void* const Index_0 = reinterpret_cast<void*>(uintptr_t(8));

quarn::Remembered_Variable g_vert_label_max{L"$VERT_LABEL_MAX"};
quarn::Remembered_Variable g_vert_label_name{L"$VERT_LABEL_NAME"};

// Layer views go with the buffers that hold them.
void Drop_Layer_View(Quarn_2D* node, uint32_t id) {
  auto* frame = static_cast<Quarn_2D_Frame*>(node);
  switch (id) {
    case 1: frame->erase = nullptr; break;
    case 2: frame->disp_tag = nullptr; break;
    case 3: frame->disp_gli = nullptr; break;
    case 5: frame->work_tag = nullptr; break;
    case 6: frame->work_gli = nullptr; break;
    case 10: frame->grad_mask = nullptr; break;
    case 11: frame->grad_filtered = nullptr; break;
    case 12: frame->grad_value = nullptr; break;
    default: break;
  }
}

uint16_t Cut_Width(unsigned char dir, unsigned short nx, unsigned short nz) {
  return dir == 2 ? nz : nx;
}

uint16_t Cut_Height(unsigned char dir, unsigned short ny, unsigned short nz) {
  return dir == 1 ? nz : ny;
}

}  // namespace

// ---- construction ------------------------------------------------------------------------------

Quarn_2D_Frame::Quarn_2D_Frame(Quarn_2D* parent, Quarn_2D_File* file_record, int index,
                               int number) {
  QUARN_REPORT(quarn::msg::Class, ">>> in  Class: Quarn_2D_Frame::Quarn_2D_Frame(file:%ls)",
               quarn::Name_Of(file_record));
  if (Host_Progress_Hook) Host_Progress_Hook(0.1f);
  Zoom_Alloc();
  Identity_Set("Frame");
  Parent_Set_Pt(parent);
  quarn::Frame_Access_Slots_Install(this);
  quarn::Frame_Disp_Slots_Install(this);
  quarn::Frame_Draw_Slots_Install(this);
  quarn::Frame_Compute_Slots_Install(this);
  Flag_Set_On(quarn::mode::Self, Index_0, Frame_Flags);

  file = file_record;
  image = file ? file->Record_Get(index) : nullptr;
  image_index = index;
  frame_number = number;
  if (!image) {
    QUARN_REPORT(quarn::msg::Invalid, "Quarn_2D_Frame::Quarn_2D_Frame: no image record %d in file %ls",
                 index, quarn::Name_Of(file));
    quarn::Trace_Out("Quarn_2D_Frame::Quarn_2D_Frame", "! image");
    return;
  }
  image->frame = this;
  frame_type = (image->flags & Kind_Mask_File) | (file->Class_A_Get() & 15u);
  if (file->Class_A_Get() & Quarn_2D_File::Multi_Frame)
    Flag_Set_On(quarn::mode::Self, Index_0, Frame_Flag_Multi);
  Vert_Label_Set();

  void* record = image;
  const Point_2D res = Metrics_Get_Res(1, this, &record, Point_2D(6));
  width = uint16_t(int(res.x));
  height = uint16_t(int(res.y));

  Record_Read(index, number);
  position = image->position;
  if (image->positions && number >= 0 && number < image->position_count)
    position = image->positions[number];
  Name_From_File();
  Curved_Check();
  quarn::Trace_Out("Quarn_2D_Frame::Quarn_2D_Frame");
}

Quarn_2D_Frame::Quarn_2D_Frame(Quarn_2D* parent, Quarn_2D_File* file_record, unsigned char dir,
                               int index, unsigned short nx, unsigned short ny, unsigned short nz) {
  QUARN_REPORT(quarn::msg::Class, ">>> in  Class: Quarn_2D_Frame::Quarn_2D_Frame(CUDA:file:%ls)",
               quarn::Name_Of(file_record));
  if (Host_Progress_Hook) Host_Progress_Hook(0.1f);
  Zoom_Alloc();
  Identity_Set("Frame CUDA");
  Parent_Set_Pt(parent);
  quarn::Frame_Access_Slots_Install(this);
  quarn::Frame_Disp_Slots_Install(this);
  quarn::Frame_Draw_Slots_Install(this);
  quarn::Frame_Volume_Slots_Install(this);
  Flag_Set_On(quarn::mode::Self, Index_0, Frame_Flags);

  volume_cut = 1;
  cut_dir = dir;
  width = Cut_Width(dir, nx, nz);
  height = Cut_Height(dir, ny, nz);
  z_index = uint16_t(index);
  file = file_record;
  image = file ? file->Record_Get(0) : nullptr;
  frame_number = index;
  if (!image) {
    QUARN_REPORT(quarn::msg::Invalid, "Quarn_2D_Frame::Quarn_2D_Frame: no image record 0 in file %ls",
                 quarn::Name_Of(file));
    quarn::Trace_Out("Quarn_2D_Frame::Quarn_2D_Frame", "! image");
    return;
  }
  frame_type = (image->flags & Kind_Mask_Cut) | (file->Class_A_Get() & 15u);
  if (file->Class_A_Get() & Quarn_2D_File::Multi_Frame)
    Flag_Set_On(quarn::mode::Self, Index_0, Frame_Flag_Multi);
  Record_Read(0, -1);
  Name_From_File();
  quarn::Trace_Out("Quarn_2D_Frame::Quarn_2D_Frame");
}

void Quarn_2D_Frame::Zoom_Alloc() {
  // A frame shows no child of its own, whatever the window.
  for (uint64_t& word : flag_) word = 0;
  zoom = static_cast<float**>(std::calloc(10, sizeof(float*)));
  if (!zoom) return (void)QUARN_MEMORY_ERROR("calloc", "zoom", 10, sizeof(float*));
  for (int w = 0; w < 10; ++w) {
    zoom[w] = static_cast<float*>(std::malloc(2 * sizeof(float)));
    if (!zoom[w]) return (void)QUARN_MEMORY_ERROR("malloc", "zoom[w]", 2, sizeof(float));
    zoom[w][0] = zoom[w][1] = 1.0f;
  }
}

void Quarn_2D_Frame::Identity_Set(const char* title) {
  Class_A_Set(Class_A);
  Title_Set("%s", title);
  fct_layer_drop = &Drop_Layer_View;
  reg_redraw.Clear();
  reg_update.Clear();
  std::memset(tag_used, 1, sizeof(tag_used));
}

// What both kinds of frame take from the record: aspect, indices, redraw region, value mapping,
// value range and spacing. number < 0 marks a volume cut, whose slice and time come from the cut.
void Quarn_2D_Frame::Record_Read(int index, int number) {
  const float sx = image->pixel_spacing[0], sy = image->pixel_spacing[1];
  aspect = (image->geometry & Curved_Bits) || !(sx > 0) || !(sy > 0) ? 1.0f : sy / sx;
  if (number >= 0) {
    const int slices = std::max<int>(image->slices, 1);
    z_index = uint16_t(number % slices);
    t_index = uint16_t(number / slices);
    z_number = uint16_t(image->slice_number >= 0 ? image->slice_number : z_index);
    t_number = uint16_t(image->time_number >= 0 ? image->time_number : t_index);
  }
  const int last_x = int(image->columns) - 1, last_y = int(image->rows) - 1;
  reg_redraw = Region_2D(6, std::min(0, last_x), std::min(0, last_y), std::max(0, last_x),
                         std::max(0, last_y));
  if (image->description) {
    label = ::strdup(image->description);
    if (!label) QUARN_MEMORY_ERROR("strdup", "label", std::strlen(image->description) + 1, 1);
  }
  conv_a = image->conv_a;
  conv_b = image->conv_b;
  pad_value = image->pad_value;
  pixel_kind = int8_t(image->kind);
  Value_Range_Set();
  spacing = image->spacing;
  spacing_b = image->spacing_b;
  Pixel_Size_Apply(index);
  dir_row = image->dir_row;
  dir_col = image->dir_col;
  normal = image->normal;
}

void Quarn_2D_Frame::Value_Range_Set() {
  gli_min = image->float_min;
  gli_max = image->float_max;
  if (gli_min == 0 && gli_max == 0) {
    gli_min = float(image->int_min);
    gli_max = float(image->int_max);
  }
  val_min = gli_min;
  val_max = gli_max;
  if (image->window_c != 0 && image->window_w != 0) {
    val_min = float(image->window_c - image->window_w);
    val_max = float(image->window_c + image->window_w);
  }
  if (gli_min == 0 && gli_max == 0) {
    if (pixel_kind < 0) {
      gli_max = 256;
    } else {
      // Pixels with no value (outside a record without pixel data) and padding are no grey level.
      bool any = false;
      int lo = 0, hi = 0;
      for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
          const int v = Host_Image_Pixel_Int(nullptr, image, x, y, z_index, t_index);
          if (v == HOST_IMAGE_NONE || v == pad_value) continue;
          if (!any || v < lo) lo = v;
          if (!any || v > hi) hi = v;
          any = true;
        }
      gli_min = float(lo);
      gli_max = float(hi);
    }
  }
  QUARN_REPORT(quarn::msg::Class, "-> GLI min/max: %.2f %.2f (val %.2f %.2f) +++++++++++++",
               double(gli_min), double(gli_max), double(val_min), double(val_max));
}

void Quarn_2D_Frame::Pixel_Size_Apply(int index) {
  const float forced = file->Pixel_Size_Get(index);
  if (forced == 0) return;
  spacing.x = spacing.y = forced;
  spacing_b.x = spacing_b.y = forced;
}

void Quarn_2D_Frame::Vert_Label_Set() {
  vert_upper = 0;
  vert_label = 0;
  const char* text = image->vert_label;
  if (!(image->flags & HOST_IMAGE_VERT_LABEL) || !text || !*text) return;
  const int* max = g_vert_label_max.As<int>();
  char* const* names = g_vert_label_name.Table<char*>();
  if (max && names) {
    for (int k = 0; k < *max; ++k) {
      const char* name = names[k];
      if (name && ::strcasecmp(text, name) == 0) {
        vert_label = uint16_t(k + 1);
        vert_upper = std::isupper(static_cast<unsigned char>(text[0])) ? 1 : 0;
        break;
      }
    }
  }
  if (text[0] == 'X') {
    vert_upper = 1;
    vert_label = 65535;
  }
}

void Quarn_2D_Frame::Name_From_File() {
  wchar_t generic[HOST_PATH_BUFFER];
  Host_Split_Path(file->Path_Get(), nullptr, generic, nullptr);
  Name_Set(L"%ls", generic);
  if (int(image->slices) * image->times > 1) Name_Set(L"%ls #%d", generic, frame_number);
  if (image->slice_number > 0) Name_Set(L"%ls z=%d", generic, image->slice_number);
  if (image->time_number > 0) Name_Set(L"%ls t=%d", generic, image->time_number);
}

// A curved geometry whose inverse does not bring the frame centre back runs the other way round;
// the flip bit tells the inverse map so.
void Quarn_2D_Frame::Curved_Check() {
  if (!(image->geometry & Curved_Bits) || (image->geometry & Curved_Flip)) return;
  const Point_4D centre(6, float(width / 2), float(height / 2), float(z_index), float(t_index));
  const Point_4D back = Org_2_Frm(Frm_2_Org(centre));
  if (std::fabs(back.x - centre.x) > 0.1f || std::fabs(back.y - centre.y) > 0.1f ||
      std::fabs(back.z - centre.z) > 0.1f)
    image->geometry |= Curved_Flip;
}

// ---- destruction -------------------------------------------------------------------------------

Quarn_2D_Frame::~Quarn_2D_Frame() {
  constexpr const char* label_text = "Quarn_2D_Frame::~Quarn_2D_Frame";
  quarn::Trace_In(label_text, this);
  QUARN_CHECK(quarn::Object_Of(this), Frame, label_text);
  if (zoom) {
    for (int w = 0; w < 10; ++w) std::free(zoom[w]);
    std::free(zoom);
    zoom = nullptr;
  }
  std::free(label);
  label = nullptr;
  delete mat_parent_to_child;
  delete mat_child_to_parent;
  mat_parent_to_child = mat_child_to_parent = nullptr;
  // The record may outlive the frame (a tree rebuilt from the same file).
  if (image && image->frame == this) image->frame = nullptr;
  Fct_Progress_Inc(1);
  quarn::Trace_Out(label_text);
}

// ---- insertion ---------------------------------------------------------------------------------

int Class_2D_Frame_Insert(Quarn_2D* parent, Quarn_2D_File* file, unsigned short, int image_index,
                          int frame_number) {
  QUARN_REPORT(quarn::msg::Class, ">>> in  Class_2D_Frame_Insert(parent:%s:%ls, file:%ls, slice:%d)",
               quarn::Title_Of(quarn::Object_Of(parent)), quarn::Name_Of(quarn::Object_Of(parent)),
               quarn::Name_Of(file), frame_number);
  auto* frame = new (std::nothrow) Quarn_2D_Frame(parent, file, image_index, frame_number);
  if (!frame) {
    QUARN_MEMORY_ERROR_NEW();
    QUARN_REPORT(quarn::msg::Class, "<<< out Class_2D_Frame_Insert(! new)");
    return 1;
  }
  // A frame the tree cannot take would be nobody's.
  if (!parent || !parent->Child_Add(frame)) {
    delete frame;
    QUARN_REPORT(quarn::msg::Class, "<<< out Class_2D_Frame_Insert(! Child_Add)");
    return 1;
  }
  Fct_Update(0xF000000, nullptr, frame, nullptr);
  QUARN_REPORT(quarn::msg::Class, "<<< out Class_2D_Frame_Insert()");
  return 1;
}
