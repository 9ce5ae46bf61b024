// 1D data records as readers build them: copied curves, the curve flag, refused arguments.
#include <hostkit/HostRecord1D.h>
#include <hostkit/HostReport.h>

#include <gtest/gtest.h>

namespace {

TEST(HostRecord1D, CurvesAreCopiedAndFlagTheRecord) {
  const float geometry[6] = {1, 2, 3, 4, 5, 6};
  Host_1D_Record* r = Host_1D_Record_Create("desc", geometry);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->flags, 0u);  // no curve yet
  EXPECT_EQ(r->geometry[5], 6.f);
  float x[] = {1, 2}, y[] = {3, 4}, z[] = {5, 6};
  const char* texts[HOST_1D_TEXT_COUNT] = {"a", nullptr, "c", "d", "e", "f"};
  ASSERT_EQ(Host_1D_Record_Add_Curve(r, 2, x, y, nullptr, texts), 1);
  ASSERT_EQ(Host_1D_Record_Add_Curve(r, 2, x, y, z, nullptr), 1);
  x[0] = 99;  // the record holds copies
  EXPECT_EQ(r->flags, HOST_1D_CURVES);
  ASSERT_EQ(r->curve_count, 2);
  EXPECT_EQ(r->curves[0].values[0][0], 1.f);
  EXPECT_EQ(r->curves[0].values[2], nullptr);
  EXPECT_EQ(r->curves[1].values[2][1], 6.f);
  EXPECT_STREQ(r->curves[0].text[0], "a");
  EXPECT_EQ(r->curves[0].text[1], nullptr);
  EXPECT_EQ(r->curves[1].text[0], nullptr);
  Host_1D_Record_Free(r);
}

TEST(HostRecord1D, BadCurvesAreRefusedAndReported) {
  Host_1D_Record* r = Host_1D_Record_Create(nullptr, nullptr);
  const float v[] = {1};
  struct Case {
    Host_1D_Record* record;
    int count;
    const float *first, *second;
  };
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
