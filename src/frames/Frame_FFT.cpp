// The frame's Fourier transform: both planes of its grey values on a power-of-two grid, computed
// once and kept in user buffers 71 and 72.
#include "frames/Frame_FFT.h"

#include <quarn/core/Quarn_Buffer.h>
#include <quarn/frames/Quarn_2D_Frame.h>

#include <hostkit/HostUtil.h>

#include "classes/Tree_Trace.h"

#include <cstdint>
#include <new>

namespace quarn {

namespace {

constexpr uint32_t Slot_Real = 71;
constexpr uint32_t Slot_Imag = 72;
// The sign of the exponent of the frame's transform.
constexpr int Direction = 1;
constexpr const char* Section = "FFT_Compute";
constexpr const char* Source = "class_2D_frame_fft";

int Next_Power_Of_Two(int n) {
  int p = 1;
  while (p < n) p <<= 1;
  return p;
}

struct Grid {
  int width, height;
  uint64_t Bytes() const { return uint64_t(width) * uint64_t(height) * sizeof(double); }
};

Grid Grid_Of(const Quarn_2D_Frame* frame) {
  return {Next_Power_Of_Two(frame->width), Next_Power_Of_Two(frame->height)};
}

double* Plane_Data(Quarn_2D_Frame* frame, uint32_t slot) {
  Quarn_Buffer* buffer = frame->User_Get(slot);
  return buffer ? static_cast<double*>(buffer->Data_Get()) : nullptr;
}

// One plane of the transform: its slot, its buffer's name and the name its memory report gives.
struct Plane {
  uint32_t slot;
  const char* name;
  const char* var;
};
constexpr Plane Real_Plane{Slot_Real, "FFT: Real", "ima_real"};
constexpr Plane Imag_Plane{Slot_Imag, "FFT: Imag", "ima_imag"};

// The plane's buffer, made zeroed when absent or of another size; *fresh tells it is new.
// Null after a reported failure.
Quarn_Buffer* Plane_Buffer(Quarn_2D_Frame* frame, const Plane& plane, const Grid& grid, bool* fresh) {
  const uint32_t slot = plane.slot;
  *fresh = false;
  Quarn_Buffer* buffer = frame->User_Get(slot);
  if (buffer && buffer->Size_Get() == grid.Bytes() && buffer->Data_Get()) return buffer;
  if (!buffer) {
    buffer = new (std::nothrow) Quarn_Buffer();
    if (!buffer) {
      Memory_Error_New(Source, __LINE__);
      return nullptr;
    }
    buffer->Name_Set("%s", plane.name);
    if (!frame->User_Set(slot, buffer)) {
      delete buffer;
      return nullptr;
    }
  }
  buffer->Data_Delete();  // a block of another size (Data_New would leave it behind)
  if (!buffer->Data_New(uint32_t(grid.Bytes()))) {
    QUARN_MEMORY_ERROR("calloc", plane.var, grid.width, grid.height);
    return nullptr;
  }
  *fresh = true;
  return buffer;
}

// The grey values, centred on the grid, in the real plane (zero around them).
void Input_Place(const Quarn_2D_Frame* frame, int32_t* const* rows, const Grid& grid, double* plane) {
  const int x0 = (grid.width - frame->width) / 2, y0 = (grid.height - frame->height) / 2;
  for (int y = 0; y < frame->height; ++y) {
    double* out = plane + size_t(y0 + y) * size_t(grid.width) + size_t(x0);
    const int32_t* in = rows[y];
    for (int x = 0; x < frame->width; ++x) out[x] = double(in[x]);
  }
}

[[gnu::cold]] int No_Work_GLI(Quarn_2D_Frame* frame) {
  QUARN_REPORT(msg::Invalid, "\xF1\x05WARNING:\x02 Unable to get Work_GLI buffer!");
  QUARN_REPORT(msg::Invalid, L"\xF1\t skipping: \x01%ls\x02", Name_Of(frame));
  QUARN_REPORT(msg::Low_Other, "<<< out Quarn_2D_Frame: FFT_Compute(%ls) no Work_GLI buffer",
               Name_Of(frame));
  return 0;
}

[[gnu::cold]] int Grid_Too_Large(Quarn_2D_Frame* frame, const Grid& grid) {
  QUARN_MEMORY_ERROR("calloc", "ima_real", grid.width, grid.height);
  QUARN_REPORT(msg::Low_Other, "<<< out Quarn_2D_Frame: FFT_Compute(%ls) grid too large",
               Name_Of(frame));
  return 0;
}

// Half-made planes must not pass for a transform, nor hold memory that ran short; answers 0.
int Planes_Drop(Quarn_2D_Frame* frame) {
  frame->User_Delete(Slot_Real);
  frame->User_Delete(Slot_Imag);
  return 0;
}

// The transform, inside the frame's lock; the caller holds it too.
int Transform_Locked(Quarn_2D_Frame* frame, const Grid& grid) {
  int32_t** rows = frame->Work_GLI_Get();
  if (!rows) return No_Work_GLI(frame);
  bool real_fresh, imag_fresh;
  Quarn_Buffer* real = Plane_Buffer(frame, Real_Plane, grid, &real_fresh);
  Quarn_Buffer* imag = real ? Plane_Buffer(frame, Imag_Plane, grid, &imag_fresh) : nullptr;
  if (!real || !imag) return Planes_Drop(frame);
  // The real plane takes the input: the transform reads it whole before writing its result.
  if (!real_fresh) real->Data_Clear();
  auto* plane = static_cast<double*>(real->Data_Get());
  Input_Place(frame, rows, grid, plane);
  const int done = Host_FFT_2D(Direction, grid.width, grid.height, plane, nullptr, plane,
                               static_cast<double*>(imag->Data_Get()));
  return done ? 1 : Planes_Drop(frame);
}

// Runs the transform when it is not there yet; 1 when the planes hold it.
int Compute(Quarn_2D_Frame* frame) {
  QUARN_REPORT(msg::Low_Other, ">>> in  Quarn_2D_Frame: FFT_Compute(%ls)", Name_Of(frame));
  if (Plane_Data(frame, Slot_Real) && Plane_Data(frame, Slot_Imag)) {
    QUARN_REPORT(msg::Low_Other, "<<< out Quarn_2D_Frame: FFT_Compute(%ls) already computed",
                 Name_Of(frame));
    return 1;
  }
  const Grid grid = Grid_Of(frame);
  if (grid.Bytes() > UINT32_MAX) return Grid_Too_Large(frame, grid);
  const int done = Transform_Locked(frame, grid);
  if (!done) return 0;
  QUARN_REPORT(msg::Low_Other, "-> FFT_Compute: unlocking frame %ls", Name_Of(frame));
  QUARN_REPORT(msg::Low_Other, "<<< out Quarn_2D_Frame: FFT_Compute(%ls) Computed O.K.",
               Name_Of(frame));
  return 1;
}

double* Plane_Get(Quarn_2D_Frame* frame, uint32_t slot, const char* label) {
  QUARN_REPORT(msg::Low_Other, ">>> in  Quarn_2D_Frame: %s(%ls)", label, Name_Of(frame));
  if (!QUARN_CHECK(Object_Of(frame), Frame, label)) return nullptr;
  // Readers wait while another thread computes: a plane is handed out only once it is filled.
  frame->Critical_Class_In(Section);
  const char* outcome = "O.K.";
  double* data = nullptr;
  if (!Compute(frame)) outcome = "error in FFT Compute";
  else if (!frame->User_Get(slot)) outcome = "unable to get buffer";
  else if (!(data = Plane_Data(frame, slot))) outcome = "unable to get data";
  frame->Critical_Class_Out(Section);
  QUARN_REPORT(msg::Low_Other, "<<< out Quarn_2D_Frame: %s(%ls) %s", label,
               Name_Of(frame), outcome);
  return data;
}

int FFT_Width(Quarn_2D_Frame* frame) { return Grid_Of(frame).width; }
int FFT_Height(Quarn_2D_Frame* frame) { return Grid_Of(frame).height; }
double* FFT_Real(Quarn_2D_Frame* frame) { return Plane_Get(frame, Slot_Real, "Class_Frame_FFT_Get_Real"); }
double* FFT_Imag(Quarn_2D_Frame* frame) { return Plane_Get(frame, Slot_Imag, "Class_Frame_FFT_Get_Imag"); }

}  // namespace

void Frame_FFT_Slots_Install(Quarn_2D_Frame* frame) {
  frame->fct_fft[0] = reinterpret_cast<Quarn_Frame_Slot>(Quarn_Frame_FFT_Size(&FFT_Width));
  frame->fct_fft[1] = reinterpret_cast<Quarn_Frame_Slot>(Quarn_Frame_FFT_Size(&FFT_Height));
  frame->fct_fft[2] = reinterpret_cast<Quarn_Frame_Slot>(Quarn_Frame_FFT_Plane(&FFT_Real));
  frame->fct_fft[3] = reinterpret_cast<Quarn_Frame_Slot>(Quarn_Frame_FFT_Plane(&FFT_Imag));
}

}  // namespace quarn
