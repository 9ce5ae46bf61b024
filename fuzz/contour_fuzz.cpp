// Feeds random tag maps, steps and flags to the contour extraction and checks what it returns:
// every loop index names a point, a loop's points at step 1 are neighbours, and loops on the
// extended grid always close. One input in four goes through a frame instead, steps of 0 and
// below included, so that the store and its reuse are fuzzed as well.
#include <quarn/quarn.h>

#include "algorithms/Contour_Extract.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

using namespace quarn::contour;

constexpr int Side_Max = 64;
constexpr int Tag_Nb = 8;  // tags 8 to 11 of the maps are above the count

uint16_t g_tag_nb = Tag_Nb;

void* Lookup(const wchar_t* name, int* count, uint16_t* flags, Host_Var_Update* update) {
  if (std::wcscmp(name, L"$TAG_NB")) return Host_Var_Get(name, count, flags, update);
  if (count) *count = 1;
  if (flags) *flags = 0;
  if (update) *update = nullptr;
  return &g_tag_nb;
}

/// Reads the input as a header (shape, steps, flags) and then one tag per byte.
struct Input {
  const uint8_t* data;
  size_t size;
  size_t at = 0;
  uint8_t Next() { return at < size ? data[at++] : 0; }
};

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

void Check_Result(const Tag_Contour* result, const uint8_t* wanted, const Request& r, Outcome outcome) {
  Check(outcome != Outcome_Memory);
  if ((r.flags & CONTOUR_LOOPS) && (r.flags & CONTOUR_EXTEND)) Check(outcome == Outcome_Done);
  if (outcome != Outcome_Done) return;
  for (int t = 0; t < Tag_Values; ++t) {
    if (!wanted[t]) continue;
    const Tag_Contour& c = result[t];
    Check(c.indices.Size() == (c.loop_ends.Size() ? c.loop_ends[c.loop_ends.Size() - 1] : 0));
    for (int i = 0; i < c.Loop_Count(); ++i) {
      const uint32_t begin = c.Loop_Begin(i), end = c.loop_ends[size_t(i)];
      Check(end - begin >= 3);
      for (uint32_t k = begin; k < end; ++k) {
        Check(c.indices[k] < c.points.Size());
        if (r.step_x > 1 || r.step_y > 1) continue;
        const Point_2D& a = c.points[c.indices[k]];
        const Point_2D& b = c.points[c.indices[k + 1 < end ? k + 1 : begin]];
        const float dx = a.x - b.x, dy = a.y - b.y;
        Check(dx >= -1 && dx <= 1 && dy >= -1 && dy <= 1 && (dx != 0 || dy != 0));
      }
    }
  }
}

void Through_Frame(const std::vector<uint8_t>& tags, int w, int h, int sx, int sy, uint32_t flags) {
  Host_Image_Record* record = Host_Image_Create(w, h, 1, 1, HOST_PIXEL_U16, nullptr);
  if (!record) return;
  std::memcpy(record->tags, tags.data(), tags.size());
  auto** list = static_cast<void**>(std::calloc(2, sizeof(void*)));
  list[0] = record;
  auto* file = new Quarn_2D_File(L"/fuzz/contour.dcm", list);
  Quarn_2D_Root root;
  Class_2D_Frame_Insert(&root, file, 0, 0, 0);
  auto* frame = static_cast<Quarn_2D_Frame*>(root.Child_Get_Pt(0));
  const int first = Fct_Contour_Create(frame, flags, sx, sy);
  Check(first == 0 || first == 1);
  Check(Fct_Contour_Create(frame, flags, sx, sy) == first || !first);  // reuse agrees
  for (int t = -1; t <= Tag_Values; ++t) {
    Point_2D* points = nullptr;
    Quarn_Buffer* loops = nullptr;
    const int n = Fct_Contour_Get_Points(frame, int16_t(t), &points);
    const int l = Fct_Contour_Get_Loops(frame, int16_t(t), &loops);
    Check(n >= 0 && l >= 0 && (n == 0 || points) && (l == 0 || loops));
    for (int i = 0; i < l; ++i) {
      const auto* index = static_cast<const uint32_t*>(loops[i].Data_Get());
      for (int k = 0; k < Fct_Contour_Loop_Length(&loops[i]); ++k) Check(index[k] < uint32_t(n));
    }
  }
  Fct_Contour_Free(frame);
  root.Child_Delete();
  delete file;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Host_Report_Filter_Default(false, false);
  Host_Var_Default_Install();
  Fct_Main_Var_Get = &Lookup;
  Fct_Critical_Create();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in{data, size};
  const uint8_t shape = in.Next();
  const int w = 1 + in.Next() % Side_Max, h = 1 + in.Next() % Side_Max;
  // Steps run past the map now and then; the frame path also sees 0 and negative steps.
  int sx = 1 + in.Next() % 70, sy = 1 + in.Next() % 70;
  const uint32_t flags = in.Next() & CONTOUR_STORE_FLAGS;
  std::vector<uint8_t> tags(size_t(w) * size_t(h));
  for (uint8_t& t : tags) t = uint8_t(in.Next() % 12);
  if (shape & 0x80) {
    if (shape & 0x40) sx = int(int8_t(shape << 2)) / 16;  // -8 to 7
    Through_Frame(tags, w, h, sx, sy, flags);
    return 0;
  }
  std::vector<uint16_t> cells(tags.begin(), tags.end());
  std::vector<const uint16_t*> rows;
  for (int y = 0; y < h; ++y) rows.push_back(cells.data() + size_t(y) * size_t(w));
  uint8_t wanted[Tag_Values] = {};
  for (int t = 1; t < Tag_Nb; ++t) wanted[t] = 1;
  static Workspace workspace;
  static std::unique_ptr<Tag_Contour[]> result(new Tag_Contour[Tag_Values]);
  Tag_Source source;
  source.width = w, source.height = h, source.rows = rows.data();
  const Request request{flags, sx, sy, wanted};
  Check_Result(result.get(), wanted, request, Contour_Extract(source, request, result.get(), workspace));
  return 0;
}
