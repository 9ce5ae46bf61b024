// Fct_Geom_Burn_Tags: the tag of each selected surface written into every frame its surface
// crosses, on dispatch workers, as one undoable command.
#include <quarn/algorithms/Geom.h>
#include <quarn/display/Dispatch.h>
#include <quarn/frames/Quarn_2D_Frame.h>

#include "algorithms/Geom_Slice.h"
#include "algorithms/Geom_Support.h"
#include "classes/Window_Selector.h"
#include "core/Check.h"
#include "core/Trace.h"

#include <hostkit/HostImage.h>

#include <cstdlib>
#include <thread>
#include <vector>

using namespace quarn;

namespace {

struct Burn {
  std::vector<geom::Slice_Surface> surfaces;
};

int Out(const char* why, int result) {
  QUARN_REPORT(msg::Module, "<<< out Util: Fct_Geom_Burn_Tags(%s)", why);
  return result;
}

/// The work of one frame: each surface that crosses it in turn, its tag written into the pixels
/// inside its cross-section through the frame's tag write (locks, undo and contour marks apply).
unsigned Burn_Frame(Fct_Dispatch_Block* block) {
  const auto* burn = static_cast<const Burn*>(block->context);
  Quarn_2D_Frame* frame = block->frame;
  const geom::Frame_Map map = geom::Frame_Map::Of(frame);
  geom::Slice_Rows rows;
  bool refused = false;
  for (const geom::Slice_Surface& s : burn->surfaces) {
    if (refused || !frame->fct_write_tag || !geom::Slice(s, map, frame->width, frame->height, &rows)) continue;
    const Vec4 at(0.0f, 0.0f, float(frame->z_index), float(frame->t_index));
    rows.For_Each_Span([&](int y, int x0, int x1) {
      for (int x = x0; x < x1 && !refused; ++x)
        refused = frame->fct_write_tag(frame, frame->image, Vec4(float(x), float(y), at.z, at.w), s.tag) < 0;
      return !refused;  // a refused write ends the frame: the recording was aborted
    });
  }
  Fct_Dispatch_End();
  return 1;
}

/// The frames of the 2D tree that one of the surfaces' boxes crosses.
std::vector<Quarn_2D_Frame*> Crossed_Frames(const Burn& burn) {
  std::vector<Quarn_2D_Frame*> frames;
  Iterator_Scope walk("Fct_Geom_Burn_Tags", nullptr);
  while (Quarn_2D* node = Iterator_Class_2D(walk.id, Quarn_2D_Frame::Class_A, nullptr, 0)) {
    Quarn_2D_Frame* frame = Frame_If(node);
    if (!frame || !frame->image) continue;
    const geom::Frame_Map map = geom::Frame_Map::Of(frame);
    for (const geom::Slice_Surface& s : burn.surfaces)
      if (geom::Box_Crosses(s, map, frame->width, frame->height)) {
        frames.push_back(frame);
        break;
      }
  }
  return frames;
}

}  // namespace

int Fct_Geom_Burn_Tags(const wchar_t* name_template) {
  QUARN_REPORT(msg::Module, ">>> in  Util: Fct_Geom_Burn_Tags(%ls)", name_template ? name_template : L"");
  Burn burn;
  geom::For_Each_Selected(Window_Current(), name_template, "Fct_Geom_Burn_Tags", [&](Quarn_3D_Geom* geom) {
    if (!geom::Surface_Valid(geom, "Fct_Geom_Burn_Tags")) return;
    if (geom->TAG_Get() == 0 || geom->TAG_Get() > 255) {
      QUARN_REPORT(msg::Invalid, "Fct_Geom_Burn_Tags: %ls has tag %d; only tags 1 to 255 can be burnt",
                   geom->Name_Get(), int(geom->TAG_Get()));
      return;
    }
    burn.surfaces.push_back(geom::Slice_Surface::Of(geom));
  });
  if (burn.surfaces.empty()) return Out("no surface", 0);
  std::vector<Quarn_2D_Frame*> frames = Crossed_Frames(burn);
  if (frames.empty()) return Out("no frame crossed", 0);
  for (Quarn_2D_Frame* f : frames) Host_Image_Tags_Alloc(f->image);

  Fct_Dispatch_Request request;
  request.name = "burn";
  request.detail = "surfaces into frames";
  request.count = int(frames.size());
  request.frames = static_cast<Quarn_2D_Frame**>(std::malloc(frames.size() * sizeof(Quarn_2D_Frame*)));
  if (!request.frames) {
    QUARN_MEMORY_ERROR("malloc", "request.frames", int(frames.size()), int(sizeof(Quarn_2D_Frame*)));
    return Out("memory", 0);
  }
  std::copy(frames.begin(), frames.end(), request.frames);
  request.context = &burn;
  request.worker = &Burn_Frame;
  // The dispatcher runs on a thread of its own, as the host would start it.
  unsigned started = 0;
  std::thread dispatch([&] { started = Fct_Dispatch_TAG(&request); });
  dispatch.join();
  if (!started) {
    std::free(request.frames);
    return Out("dispatch failed", 0);
  }
  QUARN_REPORT(msg::Module, "<<< out Util: Fct_Geom_Burn_Tags()");
  return int(burn.surfaces.size());
}
