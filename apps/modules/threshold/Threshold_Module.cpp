// A sample plug-in module for the reference host: "threshold: low high [tag]" tags the pixels of
// the selected frames whose grey value (in the record's units) lies from low to high.
#include "Host_Module.h"

#include <quarn/quarn.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <thread>
#include <vector>

namespace {

/// What every frame's work shares.
struct Threshold {
  float low = 0, high = 0;
  int tag = 1;
};

void Print(const std::wstring& line) { Host_Report(Host_Main_Window, quarn::msg::Notice, L"%ls", line.c_str()); }

// The work of one frame, on a dispatch worker: every pixel in the range takes the tag through
// the frame's tag write, so that tag locks, the worker's undo recording and the contour marks all
// apply.
unsigned Threshold_Frame(Fct_Dispatch_Block* block) {
  const auto* t = static_cast<const Threshold*>(block->context);
  Quarn_2D_Frame* frame = block->frame;
  int32_t** grey = frame->Work_GLI_Get();
  const float z = frame->z_index, time = frame->t_index;
  for (int y = 0; grey && frame->fct_write_tag && y < frame->height; ++y)
    for (int x = 0; x < frame->width; ++x) {
      const int32_t v = grey[y][x];
      if (v == GLI_NONE || v == GLI_PAD || v == GLI_MISSING) continue;
      const float value = Fct_GLI_2_Float(frame, v);
      if (value < t->low || value > t->high) continue;
      if (frame->fct_write_tag(frame, frame->image, Vec4(float(x), float(y), z, time), t->tag) < 0)
        y = frame->height;  // the write was refused for good: leave the frame
    }
  Fct_Dispatch_End();
  return 1;
}

// One worker per frame through the dispatcher's tag entry, which records every tag written and
// saves the whole run as one undo command; the host starts the entry on a thread of its own.
bool Run_Per_Frame(const std::vector<Quarn_2D_Frame*>& frames, Threshold& threshold) {
  for (Quarn_2D_Frame* f : frames)
    if (f->image) Host_Image_Tags_Alloc(f->image);
  Fct_Dispatch_Request request;
  request.name = "threshold";
  request.detail = "selected frames";
  request.count = int(frames.size());
  request.frames = static_cast<Quarn_2D_Frame**>(std::malloc(frames.size() * sizeof(Quarn_2D_Frame*)));
  if (!request.frames) return false;
  std::copy(frames.begin(), frames.end(), request.frames);
  request.context = &threshold;
  request.worker = &Threshold_Frame;
  unsigned result = 0;
  std::thread dispatch([&] { result = Fct_Dispatch_TAG(&request); });
  dispatch.join();
  if (!result) std::free(request.frames);  // freed by the entry when it ran
  return result != 0;
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
  std::wstring words[3];
  for (int i = 0; i < *nb_arg; ++i) words[i] = Host_Module_Expand((*pt_arg)[i]);
  if (!Number(words[0].c_str(), &low) || !Number(words[1].c_str(), &high) ||
      (*nb_arg == 3 && !Number(words[2].c_str(), &tag)) || tag < 1 || tag > 255 || tag != int(tag)) {
    Print(L"threshold: low high [tag] take numbers, the tag a whole number from 1 to 255");
    return 0;
  }
  if (low > high) {
    Print(L"threshold: the low value lies above the high one; nothing tagged");
    return 0;
  }
  std::vector<Quarn_2D_Frame*> frames = Selected_Frames();
  if (frames.empty()) {
    Print(L"threshold: no frame selected");
    return 0;
  }
  Threshold threshold{float(low), float(high), int(tag)};
  if (!Run_Per_Frame(frames, threshold)) {
    Print(L"threshold: the frames could not be dispatched");
    return 0;
  }
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
