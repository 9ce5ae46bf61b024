// "label:" saves the tags of a series as a label volume with its patient geometry, and loads one
// back as one undoable tag operation when its size and geometry match the series.
#include "Host_Command.h"

#include <quarn/quarn.h>

#include <hostkit/HostLabelVolume.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using Volume = std::unique_ptr<Host_Label_Volume, decltype(&Host_Label_Free)>;

// How far a loaded volume's geometry may lie from the series', in millimetres.
constexpr double kGeometryTolerance = 0.01;
// Largest tag a frame's tag layer holds.
constexpr unsigned kMaxTag = 255;

void Say(const std::wstring& text) { Host_Print((L"label: " + text).c_str()); }

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out += c < 0x80 ? char(c) : '?';
  return out;
}

/// The frames the command works on: the selected ones, else every frame of the tree, in order;
/// empty (said) when they are not one series of equal frames.
std::vector<Quarn_2D_Frame*> Series() {
  std::vector<Quarn_2D_Frame*> frames = Host_Selected_Frames();
  if (frames.empty()) {
    const uint16_t id = Iterator_Init("label:", nullptr);
    while (Quarn_2D* node = Iterator_Class_2D(id, Quarn_2D_Frame::Class_A, nullptr, 0))
      frames.push_back(static_cast<Quarn_2D_Frame*>(node));
    Iterator_End(id);
  }
  if (frames.empty()) {
    Say(L"no frames in the 2D tree");
    return frames;
  }
  for (Quarn_2D_Frame* f : frames)
    if (f->file != frames[0]->file || f->width != frames[0]->width || f->height != frames[0]->height) {
      Say(L"the frames are not one series of equal frames (select one series)");
      return {};
    }
  return frames;
}

/// The series' geometry: first voxel and the steps along columns, rows and slices.
void Geometry_Of(const std::vector<Quarn_2D_Frame*>& frames, Host_Label_Volume* v) {
  const Quarn_2D_Frame& f = *frames[0];
  const Vec4 first = f.position;
  const Vec4 column = f.dir_row * f.spacing.x, row = f.dir_col * f.spacing.y;
  Vec4 slice = f.normal * f.spacing.z;
  if (frames.size() > 1) {
    slice = frames[1]->position;
    slice -= first;
  }
  const Vec4* axes[3] = {&column, &row, &slice};
  for (int a = 0; a < 3; ++a) v->step[a][0] = axes[a]->x, v->step[a][1] = axes[a]->y, v->step[a][2] = axes[a]->z;
  v->origin[0] = first.x, v->origin[1] = first.y, v->origin[2] = first.z;
}

Vec4 Tag_Point(const Quarn_2D_Frame* f, int x, int y) {
  return Vec4(float(x), float(y), float(f->z_index), float(f->t_index));
}

int Save(const std::wstring& path) {
  const std::vector<Quarn_2D_Frame*> frames = Series();
  if (frames.empty()) return 0;
  const int w = frames[0]->width, h = frames[0]->height;
  Volume v(Host_Label_Alloc(w, h, int(frames.size())), &Host_Label_Free);
  if (!v) return 0;
  Geometry_Of(frames, v.get());
  for (size_t k = 0; k < frames.size(); ++k) {
    Quarn_2D_Frame* f = frames[k];
    uint16_t* slice = v->labels + k * size_t(w) * size_t(h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) slice[size_t(y) * w + x] = uint16_t(f->fct_read_tag(f, f->image, Tag_Point(f, x, y)));
  }
  if (!Host_Label_Write_NRRD(Narrow(path).c_str(), v.get())) return 0;
  Say(L"saved " + std::to_wstring(frames.size()) + L" slice(s) of " + std::to_wstring(w) + L"x" +
      std::to_wstring(h) + L" to " + path);
  return 1;
}

/// Why a loaded volume does not fit the series, or empty when it does.
std::wstring Mismatch(const Host_Label_Volume& v, const std::vector<Quarn_2D_Frame*>& frames) {
  if (v.size[0] != frames[0]->width || v.size[1] != frames[0]->height || size_t(v.size[2]) != frames.size())
    return L"the file holds " + std::to_wstring(v.size[0]) + L"x" + std::to_wstring(v.size[1]) + L"x" +
           std::to_wstring(v.size[2]) + L" labels, the series " + std::to_wstring(frames[0]->width) + L"x" +
           std::to_wstring(frames[0]->height) + L"x" + std::to_wstring(frames.size());
  Host_Label_Volume series;
  Geometry_Of(frames, &series);
  double worst = 0;
  for (int a = 0; a < 3; ++a) {
    worst = std::max(worst, std::fabs(series.origin[a] - v.origin[a]));
    // A step error grows along its axis, so weigh it by the axis length.
    for (int b = 0; b < 3; ++b) worst = std::max(worst, std::fabs(series.step[a][b] - v.step[a][b]) * v.size[a]);
  }
  if (worst > kGeometryTolerance)
    return L"the file's geometry lies up to " + std::to_wstring(worst) + L" mm from the series'";
  const size_t n = size_t(v.size[0]) * size_t(v.size[1]) * size_t(v.size[2]);
  const uint16_t* high = std::find_if(v.labels, v.labels + n, [](uint16_t t) { return t > kMaxTag; });
  if (high != v.labels + n) return L"a label " + std::to_wstring(*high) + L" is above the largest tag " + std::to_wstring(kMaxTag);
  return {};
}

/// What the load's workers share.
struct Load {
  const Host_Label_Volume* volume;
  const std::vector<Quarn_2D_Frame*>* frames;
};

unsigned Load_Frame(Fct_Dispatch_Block* block) {
  const auto* load = static_cast<const Load*>(block->argument);
  Quarn_2D_Frame* f = block->frame;
  const size_t k = size_t(std::find(load->frames->begin(), load->frames->end(), f) - load->frames->begin());
  const uint16_t* slice = load->volume->labels + k * size_t(f->width) * size_t(f->height);
  for (int y = 0; y < f->height; ++y)
    for (int x = 0; x < f->width; ++x) {
      const int tag = slice[size_t(y) * f->width + x];
      if (f->fct_read_tag(f, f->image, Tag_Point(f, x, y)) == tag) continue;  // record changes only
      if (f->fct_write_tag(f, f->image, Tag_Point(f, x, y), tag) < 0) y = f->height;  // aborted: stop
    }
  Fct_Dispatch_End();
  return 0;
}

int Load_File(const std::wstring& path) {
  const std::vector<Quarn_2D_Frame*> frames = Series();
  if (frames.empty()) return 0;
  Volume v(Host_Label_Read_NRRD(Narrow(path).c_str()), &Host_Label_Free);
  if (!v) {
    Say(L"cannot read " + path + L" (see the report above)");
    return 0;
  }
  const std::wstring why = Mismatch(*v, frames);
  if (!why.empty()) {
    Say(why + L"; nothing loaded");
    return 0;
  }
  for (Quarn_2D_Frame* f : frames)
    if (f->image) Host_Image_Tags_Alloc(f->image);
  Load load{v.get(), &frames};
  Fct_Dispatch_Request request;
  request.name = "label load";
  request.detail = "every frame of the series";
  request.count = int(frames.size());
  request.frames = static_cast<Quarn_2D_Frame**>(std::malloc(frames.size() * sizeof(Quarn_2D_Frame*)));
  if (!request.frames) {
    Say(L"no memory for the frame list; nothing loaded");
    return 0;
  }
  std::copy(frames.begin(), frames.end(), request.frames);
  request.worker = &Load_Frame;
  request.argument = &load;
  // The host starts the entry point on a thread of its own, as it does behind its windows.
  std::thread dispatch([&request] { Fct_Dispatch_TAG(&request); });
  dispatch.join();
  Say(L"loaded " + std::to_wstring(frames.size()) + L" slice(s) from " + path);
  return 1;
}

int Label(int* nb_arg, wchar_t*** pt_arg) {
  if (!Script_Arg_Check_Range(L"label: save|load FILE", *nb_arg, 2, 2)) return 0;
  const std::wstring what = (*pt_arg)[0] ? (*pt_arg)[0] : L"";
  const std::wstring path = Host_Expand((*pt_arg)[1]);
  if (what == L"save") return Save(path);
  if (what == L"load") return Load_File(path);
  Script_Arg_Error(1, "save or load");
  return 0;
}

const Host_Command_Registration registration(
    {L"label:", Label, L"label: save|load FILE   writes the series' tags as an NRRD label volume, or loads one back (undoable)"});

}  // namespace
