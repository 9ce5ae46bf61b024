// Assembly of one image record from the files of one series: order, time points, pixels, geometry.
#include "HostDicomFile.h"
#include "HostFault.h"

#include <hostkit/HostReport.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

namespace hostkit {
namespace {

// Two frames closer than this along the normal share a position (mm).
constexpr double kSamePosition = 0.01;

struct Plan {
  std::vector<Dicom_Frame> frames;  // kept frames, each with its slot in slot[]
  std::vector<int> slot;            // plane index t * slices + s of each kept frame
  std::vector<int> at_slot;         // index into frames of each plane index
  int slices = 1, times = 1;
  bool positioned = false;          // every frame recorded its position
  double normal[3] = {0, 0, 1};
};

bool Orientation_Usable(const Dicom_File& f) {
  if (!f.has_orientation) return false;
  Vec4 u(float(f.dir_row[0]), float(f.dir_row[1]), float(f.dir_row[2]), 0.0f);
  Vec4 v(float(f.dir_col[0]), float(f.dir_col[1]), float(f.dir_col[2]), 0.0f);
  if (u.normalise() < 1e-6f || v.normalise() < 1e-6f) return false;
  return std::fabs(u.dot(v)) < 0.999f;
}

void Normal_Of(const Dicom_File& f, double n[3]) {
  if (!Orientation_Usable(f)) {
    n[0] = n[1] = 0;
    n[2] = 1;
    return;
  }
  const double* u = f.dir_row;
  const double* v = f.dir_col;
  n[0] = u[1] * v[2] - u[2] * v[1];
  n[1] = u[2] * v[0] - u[0] * v[2];
  n[2] = u[0] * v[1] - u[1] * v[0];
  double len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  for (int a = 0; a < 3; ++a) n[a] /= len;
}

// Order along the normal first; frames at one position follow their acquisition.
bool Before(const Dicom_Frame& a, const Dicom_Frame& b, const std::vector<const Dicom_File*>& files,
            bool positioned) {
  if (positioned && std::fabs(a.distance - b.distance) >= kSamePosition) return a.distance < b.distance;
  if (a.temporal != b.temporal) return a.temporal < b.temporal;
  if (a.seconds != b.seconds) return a.seconds < b.seconds;
  if (a.instance != b.instance) return a.instance < b.instance;
  if (a.file != b.file) return files[size_t(a.file)]->path < files[size_t(b.file)]->path;
  return a.frame < b.frame;
}

// Groups of frames that share a position become time points of one slice; when the groups are
// not all the same size only the first frame of each is kept.
void Split_Times(Plan& p, const std::vector<const Dicom_File*>& files, Host_Window owner) {
  std::vector<size_t> starts{0};
  for (size_t i = 1; i < p.frames.size(); ++i)
    if (!p.positioned || p.frames[i].distance - p.frames[i - 1].distance >= kSamePosition) starts.push_back(i);
  size_t groups = starts.size(), total = p.frames.size();
  size_t per = total / groups;
  bool even = per * groups == total;
  for (size_t g = 0; even && g < groups; ++g)
    even = (g + 1 < groups ? starts[g + 1] : total) - starts[g] == per;
  if (!even) {
    Dicom_Report(owner, 2, files[size_t(p.frames[0].file)]->wide_path,
                 "frames repeat positions unevenly; only the first frame at each position is kept");
    std::vector<Dicom_Frame> kept;
    for (size_t s : starts) kept.push_back(p.frames[s]);
    p.frames.swap(kept);
    per = 1;
  }
  p.slices = int(groups);
  p.times = int(per);
  p.slot.resize(p.frames.size());
  p.at_slot.resize(p.frames.size());
  for (size_t i = 0; i < p.frames.size(); ++i) {
    int s = int(i / per), t = int(i % per);
    p.slot[i] = t * p.slices + s;
    p.at_slot[size_t(p.slot[i])] = int(i);
  }
}

bool Plan_Series(const std::vector<const Dicom_File*>& files, Plan& p, Host_Window owner) {
  Normal_Of(*files[0], p.normal);
  p.positioned = true;
  for (size_t fi = 0; fi < files.size(); ++fi)
    for (Dicom_Frame fr : files[fi]->frame_info) {
      fr.file = int(fi);
      fr.distance = fr.position[0] * p.normal[0] + fr.position[1] * p.normal[1] + fr.position[2] * p.normal[2];
      p.positioned = p.positioned && fr.has_position;
      p.frames.push_back(fr);
    }
  std::stable_sort(p.frames.begin(), p.frames.end(), [&](const Dicom_Frame& a, const Dicom_Frame& b) {
    return Before(a, b, files, p.positioned);
  });
  Split_Times(p, files, owner);
  if (p.slices > 65535 || p.times > 65535) {
    Dicom_Report(owner, 2, files[0]->wide_path, "the series holds more than 65535 slices or time points");
    return false;
  }
  return true;
}

// Decodes every file into its frames' slots; returns the index of a file that failed, -1 when
// all went well, -2 when memory ran out.
int Decode_All(const std::vector<const Dicom_File*>& files, const Plan& p, uint8_t* plane,
               size_t frame_bytes, Host_Window owner) {
  for (size_t fi = 0; fi < files.size(); ++fi) {
    const Dicom_File& f = *files[fi];
    std::string reason;
    // A single-frame file goes straight into its slot; others through a buffer of the file.
    if (f.frames == 1) {
      size_t i = 0;
      while (i < p.frames.size() && p.frames[i].file != int(fi)) ++i;
      if (i == p.frames.size()) continue;
      if (int cls = Dicom_Decode(f, plane + size_t(p.slot[i]) * frame_bytes, &reason)) {
        Dicom_Report(owner, cls, f.wide_path, reason);
        return int(fi);
      }
      continue;
    }
    auto* buffer = static_cast<uint8_t*>(std::malloc(f.Pixel_Bytes()));
    if (!buffer) {
      HOSTKIT_MEMORY_ERROR("malloc", "buffer", f.frames, frame_bytes);
      return -2;
    }
    int cls = Dicom_Decode(f, buffer, &reason);
    if (cls) {
      std::free(buffer);
      Dicom_Report(owner, cls, f.wide_path, reason);
      return int(fi);
    }
    for (size_t i = 0; i < p.frames.size(); ++i)
      if (p.frames[i].file == int(fi))
        std::memcpy(plane + size_t(p.slot[i]) * frame_bytes,
                    buffer + size_t(p.frames[i].frame) * frame_bytes, frame_bytes);
    std::free(buffer);
  }
  return -1;
}

bool Same_Rescale(const Plan& p) {
  for (const Dicom_Frame& fr : p.frames)
    if (fr.slope != p.frames[0].slope || fr.intercept != p.frames[0].intercept) return false;
  return true;
}

// Frames with rescales of their own are kept exactly as real values in a float plane.
bool To_Float(Host_Image_Record* r, const Plan& p, const Dicom_File& f) {
  size_t per_frame = size_t(r->columns) * r->rows, frames = p.frames.size();
  auto* out = static_cast<float*>(std::malloc(per_frame * frames * sizeof(float)));
  if (!out) {
    HOSTKIT_MEMORY_ERROR("malloc", "pixels", frames, per_frame * sizeof(float));
    return false;
  }
  for (size_t n = 0; n < frames; ++n) {
    const Dicom_Frame& fr = p.frames[size_t(p.at_slot[n])];
    for (size_t i = 0; i < per_frame; ++i) {
      size_t at = n * per_frame + i;
      int v = Host_Image_Pixel_Int(nullptr, r, int(i % r->columns), int(i / r->columns),
                                   int(n % r->slices), int(n / r->slices));
      out[at] = f.has_pad && v == f.pad ? NAN : float(double(v) * fr.slope + fr.intercept);
    }
  }
  std::free(r->pixels);
  r->pixels = out;
  r->kind = HOST_PIXEL_FLOAT;
  r->pad_value = HOST_IMAGE_NO_PAD;
  return true;
}

int Clamp_Int(double v) {
  if (!(v > double(INT_MIN))) return INT_MIN;
  if (v > double(INT_MAX - 3)) return INT_MAX - 3;
  return int(std::lround(v));
}

// The recorded window is in real units over its full width; the record keeps stored units and
// half the width.
void Window_Set(Host_Image_Record* r, const Dicom_Frame& fr) {
  if (fr.window_w <= 0) return;
  double slope = r->conv_b != 0 ? r->conv_b : 1.0;
  r->window_c = Clamp_Int((fr.window_c - r->conv_a) / slope);
  r->window_w = Clamp_Int(fr.window_w / 2 / std::fabs(slope));
}

// Slice spacing from the positions; spacing that varies along the series is worth a notice.
float Spacing_Of(const Plan& p, const Dicom_File& f, Host_Window owner) {
  if (p.slices < 2 || !p.positioned) return float(f.between);
  double first = p.frames[size_t(p.at_slot[0])].distance;
  double last = p.frames[size_t(p.at_slot[size_t(p.slices - 1)])].distance;
  double mean = (last - first) / (p.slices - 1), lo = mean, hi = mean;
  for (int s = 1; s < p.slices; ++s) {
    double step = p.frames[size_t(p.at_slot[size_t(s)])].distance -
                  p.frames[size_t(p.at_slot[size_t(s - 1)])].distance;
    lo = std::min(lo, step);
    hi = std::max(hi, step);
  }
  if (hi - lo > 0.001 + 0.01 * mean) {
    char text[128];
    std::snprintf(text, sizeof text, "uneven slice spacing (%.3f ... %.3f mm, %.3f mm kept)", lo, hi, mean);
    Dicom_Report(owner, 6, f.wide_path, text);
  }
  return float(mean);
}

void Positions_Set(Host_Image_Record* r, const Plan& p) {
  if (!p.positioned || !r->positions) return;
  int frames = std::min(r->position_count, int(p.frames.size()));
  for (int n = 0; n < frames; ++n) {
    const double* x = p.frames[size_t(p.at_slot[size_t(n)])].position;
    r->positions[n].set(float(x[0]), float(x[1]), float(x[2]), 0.0f);
  }
}

Host_Image_Layout Layout_Of(const Plan& p, const Dicom_File& f, Host_Window owner) {
  Host_Image_Layout l;
  const Dicom_Frame& first = p.frames[size_t(p.at_slot[0])];
  if (first.has_position)
    l.position.set(float(first.position[0]), float(first.position[1]), float(first.position[2]), 0.0f);
  if (Orientation_Usable(f)) {
    l.dir_row.set(float(f.dir_row[0]), float(f.dir_row[1]), float(f.dir_row[2]), 0.0f);
    l.dir_col.set(float(f.dir_col[0]), float(f.dir_col[1]), float(f.dir_col[2]), 0.0f);
  } else if (f.has_orientation) {
    Dicom_Report(owner, 6, f.wide_path, "degenerate image orientation; an axial one is assumed");
  }
  l.spacing_x = float(f.spacing[0]);
  l.spacing_y = float(f.spacing[1]);
  l.slice_spacing = Spacing_Of(p, f, owner);
  l.slice_thickness = f.thickness > 0 ? float(f.thickness) : HOST_IMAGE_MISSING;
  l.slope = float(first.slope);
  l.intercept = float(first.intercept);
  bool pads = f.kind == HOST_PIXEL_U16 || f.kind == HOST_PIXEL_S16;
  l.pad_value = f.has_pad && pads ? int32_t(f.pad) : HOST_IMAGE_NO_PAD;
  return l;
}

// Pixels, value mapping and the per-frame table once the record stands.
bool Finish(Host_Image_Record* r, const Plan& p, const Dicom_File& f) {
  if (!Same_Rescale(p) && !To_Float(r, p, f)) return false;
  Host_Image_Range_Update(r);
  Window_Set(r, p.frames[size_t(p.at_slot[0])]);
  Positions_Set(r, p);
  if (!f.has_spacing) r->pixel_dim[0] = r->pixel_dim[1] = HOST_IMAGE_MISSING;
  if (f.scout) r->orientation |= HOST_ORIENT_SCOUT;
  if (p.slices * p.times == 1 && p.frames[0].instance > 0) r->slice_number = int32_t(p.frames[0].instance);
  Dicom_Fill_Header(r, f);
  return Host_Image_Text_Set(&r->file_name, f.wide_path.c_str()) && Host_Image_Geometry_Update(r);
}

}  // namespace

Host_Image_Record* Dicom_Series_Build(std::vector<const Dicom_File*> files, Host_Window owner) {
  struct Free {
    void operator()(Host_Image_Record* r) const { Host_Image_Free(r); }
  };
  while (!files.empty()) {
    Plan p;
    if (!Plan_Series(files, p, owner)) return nullptr;
    const Dicom_File& f = *files[size_t(p.frames[size_t(p.at_slot[0])].file)];
    Host_Image_Layout layout = Layout_Of(p, f, owner);
    std::unique_ptr<Host_Image_Record, Free> r(
        Host_Image_Create(f.columns, f.rows, p.slices, p.times, f.kind, nullptr, &layout));
    if (!r) return nullptr;
    size_t frame_bytes = size_t(f.columns) * size_t(f.rows) * size_t(Host_Image_Kind_Size(f.kind));
    r->pixels = std::malloc(frame_bytes * p.frames.size());
    if (!r->pixels) {
      HOSTKIT_MEMORY_ERROR("malloc", "pixels", p.frames.size(), frame_bytes);
      return nullptr;
    }
    int failed = Decode_All(files, p, static_cast<uint8_t*>(r->pixels), frame_bytes, owner);
    if (failed == -1) return Finish(r.get(), p, f) ? r.release() : nullptr;
    if (failed < 0) return nullptr;
    files.erase(files.begin() + failed);
  }
  return nullptr;
}

}  // namespace hostkit
