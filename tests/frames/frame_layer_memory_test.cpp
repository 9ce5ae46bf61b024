// Layers that cannot be allocated: each failure is reported, leaves no half-made layer behind
// and a later call succeeds once memory is back. The tests run in a child process whose address
// space is capped just above what it already uses.
#include "Memory_Cap.h"
#include "frames/Frame_Layers_Host.h"

#include <numeric>

namespace {

using namespace layers_test;
using memory_cap::Address_Limit;
using memory_cap::Fail;
using memory_cap::In_Child;

struct Case {
  const char* what;
  bool big_bins;            // a frame whose histogram needs 65535 bins, else a 40000-wide frame
  size_t headroom;          // bytes the capped process may still map
  void* (*op)(Quarn_2D_Frame*);
  void* (*view)(Quarn_2D_Frame*);  // the frame's view of the layer afterwards
  std::vector<const char*> reports;
};

const Case Cases[] = {
    {"grey layer", false, 1 << 20, [](Quarn_2D_Frame* f) -> void* { return f->Work_GLI_Load(); },
     [](Quarn_2D_Frame* f) -> void* { return f->work_gli; },
     {"memory error in malloc (var=pt[j], dim=40000x4)",
      "<<< out Class: Quarn_2D_Frame::Work_GLI_Load(! Matrix_New)",
      "<<< out Class: Quarn_2D_Frame::Work_GLI_Load(! work_gli)"}},
    {"tag layer", false, 1 << 20, [](Quarn_2D_Frame* f) -> void* { return f->Work_TAG_Load(); },
     [](Quarn_2D_Frame* f) -> void* { return f->work_tag; },
     {"memory error in malloc (var=pt[j], dim=40000x2)",
      "<<< out Class: Quarn_2D_Frame::Work_GLI_Load(! Matrix_New)",
      "<<< out Class: Quarn_2D_Frame::Work_TAG_Load(! work_tag)"}},
    {"erase layer", false, 1 << 20, [](Quarn_2D_Frame* f) -> void* { return f->Erase_Clear(); },
     [](Quarn_2D_Frame* f) -> void* { return f->erase; },
     {"memory error in malloc (var=pt[j], dim=40000x1)",
      "<<< out Class: Quarn_2D_Frame::Erase_Clear(! Matrix_New)",
      "<<< out Class: Quarn_2D_Frame::Erase_Clear(! erase)"}},
    {"histogram", true, 64 << 10,
     [](Quarn_2D_Frame* f) -> void* { return f->Histogram_Compute(0); },
     [](Quarn_2D_Frame* f) -> void* { return f->User_Get(8); },
     {"memory error in calloc", "<<< out Class: Quarn_2D_Frame::Histogram_Compute(! histo)"}},
};

int Check_Case(const Case& c) {
  // 257 x 255 values 0 ... 65534: with the limit at 65535 every value gets a bin of its own.
  Variables().bins_max = 65535;
  std::vector<int32_t> v(65535);
  std::iota(v.begin(), v.end(), 0);
  Frame_Tree tree(c.big_bins ? Record(257, 255, 1, HOST_PIXEL_S32, v)
                             : Host_Image_Create(40000, 64, 1, 1, HOST_PIXEL_S16, nullptr));
  Quarn_2D_Frame* f = tree.Frame();
  Host_Report_Capture capture;
  const auto capped = [&] {
    Address_Limit limit(c.headroom);
    return c.op(f);
  };
  if (capped()) return Fail(c.what, "made although memory was short");
  for (const char* text : c.reports)
    if (!capture.Contains(text)) return Fail(c.what, text);
  if (c.view(f)) return Fail(c.what, "a layer is left behind");
  if (!c.op(f)) return Fail(c.what, "no layer once memory is back");
  if (!c.view(f)) return Fail(c.what, "the second call left no layer");
  return 0;
}

using Layer_Memory = Layers_Test;

TEST_F(Layer_Memory, FailedAllocationsAreReportedAndLeaveNothingBehind) {
#ifdef MEMORY_CAP_SANITIZED
  GTEST_SKIP() << "the sanitizers reserve their address space up front";
#endif
  for (const Case& c : Cases) EXPECT_EQ(In_Child([&] { return Check_Case(c); }), 0) << c.what;
}

}  // namespace
