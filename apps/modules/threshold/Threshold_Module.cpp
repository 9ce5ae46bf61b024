// A sample plug-in module for the reference host: "threshold: low high [tag]" tags the pixels of
// the selected frames whose grey value (in the record's units) lies from low to high.
#include "Host_Module.h"

#include <quarn/quarn.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

/// What every frame's work shares.
struct Threshold {
  float low = 0, high = 0;
  int tag = 1;
};

/// Field for field the dispatcher's worker block.
struct Work_Block {
  Quarn_2D_Frame* frame = nullptr;
  void* context = nullptr;
  void* progress = nullptr;
  void* argument = nullptr;
  uint32_t slot = 0;
};

void Print(const std::wstring& line) { Host_Report(Host_Main_Window, quarn::msg::Notice, L"%ls", line.c_str()); }

// The work of one frame: every pixel in the range takes the tag through the frame's tag write,
// so that tag locks, undo recording and the contour marks all apply.
unsigned Threshold_Frame(void* block) {
  auto* work = static_cast<Work_Block*>(block);
  const auto* t = static_cast<const Threshold*>(work->context);
  Quarn_2D_Frame* frame = work->frame;
  int32_t** grey = frame->Work_GLI_Get();
  if (!grey || !frame->fct_write_tag) return 1;
  const float z = frame->z_index, time = frame->t_index;
  for (int y = 0; y < frame->height; ++y)
    for (int x = 0; x < frame->width; ++x) {
      const int32_t v = grey[y][x];
      if (v == GLI_NONE || v == GLI_PAD || v == GLI_MISSING) continue;
      const float value = Fct_GLI_2_Float(frame, v);
      if (value >= t->low && value <= t->high)
        frame->fct_write_tag(frame, frame->image, Vec4(float(x), float(y), z, time), t->tag);
    }
  return 1;
}

// Runs the work over the frames one after another and marks what changed, as the dispatcher's
// tag entry does once all its workers ended; handed to the dispatcher, this becomes a request to
// Fct_Dispatch_TAG with Threshold_Frame as its work.
void Run_Per_Frame(std::vector<Quarn_2D_Frame*>& frames, Threshold& threshold) {
  Fct_Update(UPDATE_DELAY_ON);
  for (Quarn_2D_Frame* frame : frames) {
    Work_Block block;
    block.frame = frame;
    block.context = &threshold;
    Threshold_Frame(&block);
  }
  Fct_Update(UPDATE_DELAY_OFF);
  for (Quarn_2D_Frame* frame : frames) {
    Fct_Update(UPDATE_DATA_TAG | UPDATE_DISPLAY_TAG, nullptr, frame);
    Fct_Redraw(8, nullptr, frame);
  }
}

std::vector<Quarn_2D_Frame*> Selected_Frames() {
  std::vector<Quarn_2D_Frame*> frames;
  auto* const* window = static_cast<Quarn_Window* const*>(Host_Var_Get(L"$WINDOW_CUR", nullptr, nullptr, nullptr));
  if (!window || !*window) return frames;
  const uint16_t id = Iterator_Init("threshold", nullptr);
  while (Quarn_2D* node = Iterator_Class_2D(id, Quarn_2D_Frame::Class_A, *window, quarn::mode::If_Selected))
    frames.push_back(static_cast<Quarn_2D_Frame*>(node));
  Iterator_End(id);
  return frames;
}

bool Number(const wchar_t* text, double* out) {
  wchar_t* end = nullptr;
  *out = std::wcstod(text, &end);
  return end != text && !*end;
}

int Run(int* nb_arg, wchar_t*** pt_arg) {
  if (!Script_Arg_Check_Range(L"threshold:", *nb_arg, 2, 3)) return 0;
  double low = 0, high = 0, tag = 1;
  if (!Number((*pt_arg)[0], &low) || !Number((*pt_arg)[1], &high) ||
      (*nb_arg == 3 && !Number((*pt_arg)[2], &tag)) || tag < 1 || tag > 255 || tag != int(tag)) {
    Print(L"threshold: low high [tag] take numbers, the tag a whole number from 1 to 255");
    return 0;
  }
  std::vector<Quarn_2D_Frame*> frames = Selected_Frames();
  if (frames.empty()) {
    Print(L"threshold: no frame selected");
    return 0;
  }
  Threshold threshold{float(low), float(high), int(tag)};
  Run_Per_Frame(frames, threshold);
  Print(L"threshold: " + std::to_wstring(frames.size()) + L" frame(s) tagged " + std::to_wstring(int(tag)));
  return 1;
}

const wchar_t* Name(int) { return L"Threshold"; }
const wchar_t* Group() { return L"Segmentation:1"; }

Module_Functions g_functions{&Name, &Group};
const Host_Module_Export g_export{&g_functions, L"threshold:", &Run,
                                  L"threshold: low high [tag]   tag the grey values from low to high (module)"};

}  // namespace

extern "C" __attribute__((visibility("default"))) const Host_Module_Export* Host_Module_Describe() {
  return &g_export;
}
