// 1D data records as readers build them: curves that cannot be built are refused.
#include <hostkit/HostRecord1D.h>
#include <hostkit/HostReport.h>

#include <gtest/gtest.h>

namespace {

TEST(HostRecord1D, BadCurvesAreRefusedAndReported) {
  Host_1D_Record* r = Host_1D_Record_Create(nullptr, nullptr);
  const float v[] = {1};
  struct Case { Host_1D_Record* record; int count; const float *first, *second; };
  const Case cases[] = {
      {nullptr, 1, v, v},  // no record
      {r, -1, v, v},       // negative count
      {r, 1, nullptr, v},  // samples without a first array
      {r, 1, v, nullptr},  // or without a second one
  };
  for (const Case& c : cases) {
    Host_Report_Capture cap;
    EXPECT_EQ(Host_1D_Record_Add_Curve(c.record, c.count, c.first, c.second, nullptr, nullptr), 0);
    EXPECT_EQ(cap.Count(2), 2u);  // the text, then where
  }
  EXPECT_EQ(r->curve_count, 0);
  EXPECT_EQ(r->flags, 0u);
  EXPECT_EQ(r->description, nullptr);
  Host_1D_Record_Free(r);
  Host_1D_Record_Free(nullptr);
}

}  // namespace
