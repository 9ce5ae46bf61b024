// Assembly of one image record from the files of one series: order, time points, pixels, geometry.
#include "HostDicomFile.h"
#include "HostFault.h"
#include "HostImageAccess.h"

#include <hostkit/HostReport.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include <sys/mman.h>

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

// Slices of one record: a run of evenly spaced slices of the plan.
struct Run {
  int first = 0, last = 0;  // slice indices of the plan, both included
  double step = 0;          // distance between neighbouring slices (0 for a single slice)
};

// How far a slice may lie from where its record's even spacing puts it: a fixed part for the
// rounding of positions in the files, and a part of the step.
constexpr double kPositionTolerance = 0.02;  // mm
constexpr double kStepTolerance = 0.01;      // of the step

double Tolerance(double step) { return kPositionTolerance + kStepTolerance * std::fabs(step); }

// Every slice of first ... last lies on the line through the two ends.
bool Even(const std::vector<double>& d, int first, int last) {
  double step = (d[size_t(last)] - d[size_t(first)]) / double(last - first);
  for (int k = first + 1; k < last; ++k)
    if (std::fabs(d[size_t(k)] - d[size_t(first)] - double(k - first) * step) > Tolerance(step)) return false;
  return true;
}

// The last slice of the longest evenly spaced run from first: each next slice must lie where the
// mean step so far puts it, and the whole run on the line through its ends.
int Run_End(const std::vector<double>& d, int first) {
  int n = int(d.size()), last = first;
  if (first + 1 >= n) return first;
  last = first + 1;
  while (last + 1 < n) {
    double mean = (d[size_t(last)] - d[size_t(first)]) / double(last - first);
    double predicted = d[size_t(first)] + double(last + 1 - first) * mean;
    if (std::fabs(d[size_t(last + 1)] - predicted) > Tolerance(mean)) break;
    ++last;
  }
  while (last > first + 1 && !Even(d, first, last)) --last;
  return last;
}

// Splits the slices at gaps and changes of step. A slice between two runs goes to the longer
// one, so that a lone slice before a long run stands alone rather than taking the run's first.
std::vector<Run> Runs_Of(const std::vector<double>& d) {
  std::vector<Run> runs;
  int n = int(d.size());
  for (int i = 0; i < n;) {
    int j = Run_End(d, i);
    if (j > i && j + 1 < n && Run_End(d, j) - j > j - i) --j;
    Run r{i, j, j > i ? (d[size_t(j)] - d[size_t(i)]) / double(j - i) : 0};
    runs.push_back(r);
    i = j + 1;
  }
  return runs;
}

// The plan of one run: its slices at every time point, numbered within the run.
Plan Sub_Plan(const Plan& p, const Run& r) {
  Plan q;
  q.slices = r.last - r.first + 1;
  q.times = p.times;
  q.positioned = p.positioned;
  std::copy(p.normal, p.normal + 3, q.normal);
  for (int t = 0; t < p.times; ++t)
    for (int s = r.first; s <= r.last; ++s) {
      q.slot.push_back(t * q.slices + (s - r.first));
      q.frames.push_back(p.frames[size_t(p.at_slot[size_t(t * p.slices + s)])]);
    }
  q.at_slot.resize(q.frames.size());
  for (size_t i = 0; i < q.frames.size(); ++i) q.at_slot[size_t(q.slot[i])] = int(i);
  return q;
}

// Large planes are asked for in huge pages: a fresh plane is written once through, and a page
// fault per 4 KiB would cost more than the copy. Released with free like any plane.
void* Plane_Alloc(size_t bytes) {
  constexpr size_t kHuge = size_t(2) << 20;
  if (bytes < 2 * kHuge) return std::malloc(bytes);
  void* p = std::aligned_alloc(kHuge, (bytes + kHuge - 1) / kHuge * kHuge);
  if (p) ::madvise(p, bytes, MADV_HUGEPAGE);
  return p;
}

// One frame's destination: a record of the series and the frame's slot in it, and the range of
// the stored values it brought (taken while the frame is still in the cache).
struct Target {
  int record = 0, slot = 0, frame = 0;
  bool any = false;
  int lo = 0, hi = 0;
};

// Stored-value range of a record's plane, gathered from its frames' ranges.
struct Range {
  bool any = false;
  int lo = 0, hi = 0;

  void Add(const Target& t) {
    if (!t.any) return;
    lo = any ? std::min(lo, t.lo) : t.lo;
    hi = any ? std::max(hi, t.hi) : t.hi;
    any = true;
  }
};

// Whether a file's frames all go to one record, frame k to the slot k after frame 0's.
bool In_Order(const std::vector<Target>& to, int frames) {
  if (to.size() != size_t(frames)) return false;
  const int base = to[0].slot - to[0].frame;
  for (const Target& t : to)
    if (t.record != to[0].record || t.frame < 0 || t.frame >= frames || t.slot - t.frame != base) return false;
  return true;
}

// Decodes every file into its frames' slots on the reader's threads and reports the decoders'
// warnings (class 6); returns the files that failed with their report class and reason
// (class -1: memory ran out, already reported).
std::vector<std::pair<size_t, std::pair<int, std::string>>> Decode_All(
    const std::vector<const Dicom_File*>& files, std::vector<std::vector<Target>>& targets,
    const std::vector<Host_Image_Record*>& records, Host_Window owner) {
  std::vector<std::pair<int, std::string>> outcome(files.size());
  auto decode = [&](size_t fi) {
    const Dicom_File& f = *files[fi];
    std::vector<Target>& to = targets[fi];
    if (to.empty()) return;
    size_t frame_bytes = f.Pixel_Bytes() / size_t(f.frames);
    auto slot_of = [&](const Target& t) {
      return static_cast<uint8_t*>(records[size_t(t.record)]->pixels) + size_t(t.slot) * frame_bytes;
    };
    auto range_of = [&](Target& t) {
      const Host_Image_Record* r = records[size_t(t.record)];
      t.any = Element_Range(r->kind, r->pad_value, slot_of(t), size_t(f.columns) * size_t(f.rows), &t.lo, &t.hi);
    };
    std::string reason;
    try {
      // A file whose frames fill consecutive slots in their own order (every single-frame file)
      // goes straight into them, its range taken stretch by stretch as the pixels land when they
      // are read as stored; others through a buffer of the file.
      if (In_Order(to, f.frames)) {
        const Host_Image_Record* r = records[size_t(to[0].record)];
        uint8_t* start = slot_of(to[0]) - size_t(to[0].frame) * frame_bytes;
        size_t element = size_t(Host_Image_Kind_Size(r->kind)), seen_bytes = 0;
        Range seen;
        auto stretch = [&](uint8_t* begin, size_t bytes) {
          Target part;
          part.any = Element_Range(r->kind, r->pad_value, begin, bytes / element, &part.lo, &part.hi);
          seen.Add(part);
          seen_bytes += bytes;
        };
        int cls = Dicom_Decode(f, start, &reason, stretch);
        // The frames share one record, whose range is what counts: each takes the file's.
        for (Target& t : to) {
          if (cls == 0 && seen_bytes == f.Pixel_Bytes()) {
            t.any = seen.any;
            t.lo = seen.lo;
            t.hi = seen.hi;
          } else if (cls == 0) {
            range_of(t);
          }
        }
        if (cls || !reason.empty()) outcome[fi] = {cls, reason};
        return;
      }
      // Every byte of the buffer is decoded into before it is read.
      auto buffer = std::make_unique_for_overwrite<uint8_t[]>(f.Pixel_Bytes());
      if (int cls = Dicom_Decode(f, buffer.get(), &reason)) {
        outcome[fi] = {cls, reason};
        return;
      }
      for (Target& t : to) {
        std::memcpy(slot_of(t), buffer.get() + size_t(t.frame) * frame_bytes, frame_bytes);
        range_of(t);
      }
      if (!reason.empty()) outcome[fi] = {0, reason};
    } catch (const std::bad_alloc&) {
      HOSTKIT_MEMORY_ERROR("new", "decode", f.frames, frame_bytes);
      outcome[fi] = {-1, std::string()};
    }
  };
  Dicom_Parallel(files.size(), decode, [](size_t) {});
  std::vector<std::pair<size_t, std::pair<int, std::string>>> failed;
  for (size_t fi = 0; fi < files.size(); ++fi) {
    if (outcome[fi].first) failed.emplace_back(fi, outcome[fi]);
    else if (!outcome[fi].second.empty()) Dicom_Report(owner, 6, files[fi]->wide_path, outcome[fi].second);
  }
  return failed;
}

bool Same_Rescale(const Plan& p) {
  for (const Dicom_Frame& fr : p.frames)
    if (fr.slope != p.frames[0].slope || fr.intercept != p.frames[0].intercept) return false;
  return true;
}

// Unsigned 32-bit values past the signed range (and the readers' markers at its top) do not fit
// the signed plane they were decoded into.
bool Beyond_Signed(const Host_Image_Record* r) {
  const auto* p = static_cast<const uint32_t*>(r->pixels);
  size_t n = Pixel_Count(*r);
  uint32_t top = 0;
  for (size_t i = 0; i < n; ++i) top = std::max(top, p[i]);
  return top >= uint32_t(HOST_IMAGE_NONE - 2);
}

// Frames with rescales of their own, float pixels with a rescale, and unsigned values past the
// signed range are kept exactly as real values in a float plane.
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
      double v;
      if (r->kind == HOST_PIXEL_FLOAT) v = static_cast<const float*>(r->pixels)[at];
      else if (f.unsigned32) v = static_cast<const uint32_t*>(r->pixels)[at];
      else v = Stored_Value(*r, at);
      bool pad = f.has_pad && r->kind != HOST_PIXEL_FLOAT && v == double(f.pad);
      out[at] = pad ? NAN : float(v * fr.slope + fr.intercept);
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

// The recorded window is in real units over its full width; the record keeps real units, as the
// frames' display range and colour mapping read them, and half the width.
void Window_Set(Host_Image_Record* r, const Dicom_Frame& fr) {
  if (fr.window_w <= 0 || r->kind == HOST_PIXEL_RGBA) return;
  r->window_c = Clamp_Int(fr.window_c);
  r->window_w = Clamp_Int(fr.window_w / 2);
}

// Slice spacing of a record: its run's step, else what the file recorded.
float Spacing_Of(const Plan& p, const Run& run, const Dicom_File& f) {
  if (p.slices < 2 || !p.positioned) return float(f.between);
  return float(run.step);
}

void Positions_Set(Host_Image_Record* r, const Plan& p) {
  if (!p.positioned || !r->positions) return;
  int frames = std::min(r->position_count, int(p.frames.size()));
  for (int n = 0; n < frames; ++n) {
    const double* x = p.frames[size_t(p.at_slot[size_t(n)])].position;
    r->positions[n].set(float(x[0]), float(x[1]), float(x[2]), 0.0f);
  }
}

Host_Image_Layout Layout_Of(const Plan& p, const Run& run, const Dicom_File& f, Host_Window owner) {
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
  l.slice_spacing = Spacing_Of(p, run, f);
  l.slice_thickness = f.thickness > 0 ? float(f.thickness) : HOST_IMAGE_MISSING;
  l.slope = float(first.slope);
  l.intercept = float(first.intercept);
  bool pads = f.kind == HOST_PIXEL_U16 || f.kind == HOST_PIXEL_S16;
  l.pad_value = f.has_pad && pads ? int32_t(f.pad) : HOST_IMAGE_NO_PAD;
  return l;
}

// Pixels, value mapping and the per-frame table once the record stands; range is the stored
// values' range that the decoding gathered.
bool Finish(Host_Image_Record* r, const Plan& p, const Dicom_File& f, const Range& range) {
  const Dicom_Frame& first = p.frames[0];
  bool real = !Same_Rescale(p) || (f.unsigned32 && Beyond_Signed(r)) ||
              (r->kind == HOST_PIXEL_FLOAT && (first.slope != 1 || first.intercept != 0));
  if (real && !To_Float(r, p, f)) return false;
  bool integer = r->kind != HOST_PIXEL_FLOAT && r->kind != HOST_PIXEL_RGBA;
  if (integer) Integer_Range_Store(*r, range.any, range.lo, range.hi);
  else Host_Image_Range_Update(r);
  Window_Set(r, p.frames[size_t(p.at_slot[0])]);
  Positions_Set(r, p);
  if (!f.has_spacing) r->pixel_dim[0] = r->pixel_dim[1] = HOST_IMAGE_MISSING;
  if (f.scout) r->orientation |= HOST_ORIENT_SCOUT;
  if (p.slices * p.times == 1 && p.frames[0].instance > 0) r->slice_number = int32_t(p.frames[0].instance);
  Dicom_Fill_Header(r, f);
  return Host_Image_Text_Set(&r->file_name, f.wide_path.c_str()) && Host_Image_Geometry_Update(r);
}

// Names the files on either side of each split and the two spacings there.
void Report_Splits(const Plan& p, const std::vector<Run>& runs, const std::vector<const Dicom_File*>& files,
                   const std::vector<double>& d, Host_Window owner) {
  for (size_t k = 1; k < runs.size(); ++k) {
    const Run &a = runs[k - 1], &b = runs[k];
    const Dicom_File& fa = *files[size_t(p.frames[size_t(p.at_slot[size_t(a.last)])].file)];
    const Dicom_File& fb = *files[size_t(p.frames[size_t(p.at_slot[size_t(b.first)])].file)];
    double gap = d[size_t(b.first)] - d[size_t(a.last)];
    double step = a.last > a.first ? a.step : b.last > b.first ? b.step : gap;
    Host_Report(owner, 6,
                "\xF1\x05WARNING:\x02 Host_Dicom_Read: uneven slice spacing: the series is split between "
                "%ls and %ls, which lie \x01%.4g mm\x02 apart where its slices lie \x01%.4g mm\x02 apart",
                fa.wide_path.c_str(), fb.wide_path.c_str(), gap, step);
  }
}

}  // namespace

void Dicom_Series_Build(std::vector<const Dicom_File*> files, Host_Window owner,
                        std::vector<Host_Image_Record*>* built) {
  struct Free {
    void operator()(Host_Image_Record* r) const { Host_Image_Free(r); }
  };
  while (!files.empty()) {
    Plan p;
    if (!Plan_Series(files, p, owner)) return;
    std::vector<double> d(size_t(p.slices));
    for (int s = 0; s < p.slices; ++s) d[size_t(s)] = p.frames[size_t(p.at_slot[size_t(s)])].distance;
    std::vector<Run> runs = p.positioned ? Runs_Of(d) : std::vector<Run>{Run{0, p.slices - 1, 0}};
    if (!p.positioned && p.slices > 1) runs[0].step = files[0]->between;
    std::vector<Plan> plans;
    std::vector<std::unique_ptr<Host_Image_Record, Free>> records;
    std::vector<Host_Image_Record*> planes;
    std::vector<std::vector<Target>> targets(files.size());
    for (const Run& run : runs) {
      plans.push_back(Sub_Plan(p, run));
      const Plan& q = plans.back();
      const Dicom_File& f = *files[size_t(q.frames[size_t(q.at_slot[0])].file)];
      Host_Image_Layout layout = Layout_Of(q, run, f, owner);
      records.emplace_back(Host_Image_Create(f.columns, f.rows, q.slices, q.times, f.kind, nullptr, &layout));
      Host_Image_Record* r = records.back().get();
      if (!r) return;
      size_t frame_bytes = f.Pixel_Bytes() / size_t(f.frames);
      r->pixels = Plane_Alloc(frame_bytes * q.frames.size());
      if (!r->pixels) {
        HOSTKIT_MEMORY_ERROR("malloc", "pixels", q.frames.size(), frame_bytes);
        return;
      }
      planes.push_back(r);
      for (size_t i = 0; i < q.frames.size(); ++i)
        targets[size_t(q.frames[i].file)].push_back({int(records.size() - 1), q.slot[i], q.frames[i].frame});
    }
    auto failed = Decode_All(files, targets, planes, owner);
    if (failed.empty()) {
      Report_Splits(p, runs, files, d, owner);
      std::vector<Range> ranges(records.size());
      for (const std::vector<Target>& to : targets)
        for (const Target& t : to) ranges[size_t(t.record)].Add(t);
      for (size_t k = 0; k < records.size(); ++k) {
        const Plan& q = plans[k];
        const Dicom_File& f = *files[size_t(q.frames[size_t(q.at_slot[0])].file)];
        if (Finish(records[k].get(), q, f, ranges[k])) built->push_back(records[k].release());
      }
      return;
    }
    // Files that cannot be decoded are reported and left out, and the series planned again.
    for (const auto& [fi, why] : failed) {
      if (why.first < 0) return;  // memory ran out, reported
      Dicom_Report(owner, why.first, files[fi]->wide_path, why.second);
    }
    for (auto it = failed.rbegin(); it != failed.rend(); ++it) files.erase(files.begin() + long(it->first));
  }
}

}  // namespace hostkit
