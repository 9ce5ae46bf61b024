// Data blocks, row matrices, locking, sizes and the free matrix helpers.
#include <quarn/quarn.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

std::vector<uint8_t> Bytes(Quarn_Buffer& b, size_t n) {
  auto* p = static_cast<uint8_t*>(b.Data_Get());
  return p ? std::vector<uint8_t>(p, p + n) : std::vector<uint8_t>{};
}

TEST(Buffer, NewAndGrowZeroFillAndKeepThePrefix) {
  Quarn_Buffer empty;
  ASSERT_NE(empty.Data_Grow(16), nullptr);  // growing an empty buffer allocates
  EXPECT_EQ(Bytes(empty, 16), std::vector<uint8_t>(16, 0));
  Quarn_Buffer b;
  auto* p = static_cast<uint8_t*>(b.Data_New(4));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(Bytes(b, 4), std::vector<uint8_t>(4, 0));
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(i + 1);
  ASSERT_NE(b.Data_Grow(8), nullptr);
  EXPECT_EQ(Bytes(b, 8), (std::vector<uint8_t>{1, 2, 3, 4, 0, 0, 0, 0}));
  ASSERT_NE(b.Data_Grow(2), nullptr);
  EXPECT_EQ(b.Size_Get(), 2u);
  Host_Report_Capture capture;
  b.Data_Grow(2);
  EXPECT_TRUE(capture.Contains("<<< out Class: Quarn_Buffer::Data_Grow(same size)"));
  // Growing again after a shrink zero-fills: the dropped bytes do not come back.
  b.Data_Grow(4);
  EXPECT_EQ(Bytes(b, 4), (std::vector<uint8_t>{1, 2, 0, 0}));
}

TEST(Buffer, MatrixSizeAndDimensions) {
  Quarn_Buffer b;
  void** rows = b.Matrix_New(3, 2, 4);
  ASSERT_NE(rows, nullptr);
  EXPECT_EQ(b.Size_Get(), 40u);  // 2 x 8 + 2 x 3 x 4
  EXPECT_EQ(b.Matrix_Get_Y(), 2);
  b.Matrix_Clear();
  for (int j = 0; j < 2; ++j)
    for (int i = 0; i < 12; ++i) EXPECT_EQ(static_cast<uint8_t*>(rows[j])[i], 0);
  b.Matrix_Delete();
  EXPECT_EQ(b.Size_Get(), 0u);
  EXPECT_EQ(b.Matrix_Get_X(), 0);
  EXPECT_EQ(b.Matrix_Get_Dim(), 4);  // the element size survives the delete
}

TEST(Buffer, MatrixCopyRoundTrip) {
  const int x = 5, y = 3;
  void** source = Mat_Alloc(x, y, 2);
  ASSERT_NE(source, nullptr);
  for (int j = 0; j < y; ++j)
    for (int i = 0; i < x; ++i) static_cast<uint16_t*>(source[j])[i] = uint16_t(j * 100 + i);
  Quarn_Buffer b;
  b.Matrix_New(x, y, 2);
  b.Matrix_Copy(source);
  void** copy = Mat_Copy(x, y, 2, b.Matrix_Get());
  for (int j = 0; j < y; ++j)
    EXPECT_EQ(std::memcmp(copy[j], source[j], x * 2), 0) << "row " << j;
  Mat_Free(y, copy);
  Mat_Free(y, source);
  Mat_Free(y, nullptr);  // harmless
}

TEST(Buffer, LockBitHidesDataButNotSize) {
  Quarn_Buffer b;
  b.Data_New(16);
  b.Matrix_New(2, 2, 1);
  b.Class_A_Set(b.Class_A_Get() | 1);
  Host_Report_Capture capture;
  EXPECT_EQ(b.Data_Get(), nullptr);
  EXPECT_EQ(b.Matrix_Get(), nullptr);
  EXPECT_TRUE(capture.Contains("<<< out Class: Quarn_Buffer::Data_Get(locked)"));
  EXPECT_TRUE(capture.Contains("<<< out Class: Quarn_Buffer::Matrix_Get(locked)"));
  EXPECT_EQ(b.Size_Get(), 2u * 8 + 4);  // the matrix was set last
  b.Class_A_Set(0);
  EXPECT_NE(b.Data_Get(), nullptr);
}

TEST(Buffer, SizeSumsSubBuffers) {
  Quarn_Buffer b;
  b.Data_New(16);
  Quarn_Buffer* sub = b.Sub_New(2);
  ASSERT_NE(sub, nullptr);
  b.Sub_Get(0)->Data_New(100);
  b.Sub_Get(1)->Data_New(200);
  EXPECT_EQ(b.Size_Get(), 316u);
  EXPECT_EQ(b.Sub_Get(2), nullptr);
  b.Data_Delete();  // also drops the sub-buffers
  EXPECT_EQ(b.Sub_Count_Get(), 0);
  EXPECT_EQ(b.Size_Get(), 0u);
}

TEST(Buffer, OperationsTraceWithTheBufferName) {
  Quarn_Buffer b;
  b.Name_Set(L"Work TAG");
  Host_Report_Capture capture;
  b.Data_New(8);
  const std::vector<std::string> expected = {">>> in  Class: Quarn_Buffer::Data_New(Work TAG)",
                                             "<<< out Class: Quarn_Buffer::Data_New()"};
  EXPECT_EQ(capture.Texts(quarn::msg::Class), expected);
}

TEST(Buffer, WrongFamilyIsReportedAndOperationStillRuns) {
  Quarn_Buffer b;
  b.Class_Magic_Set(0xAABA);
  Host_Report_Capture capture;
  EXPECT_NE(b.Data_New(4), nullptr);
  EXPECT_TRUE(capture.Contains("Invalid buffer class structure in Quarn_Buffer::Data_New"));
  b.Class_Magic_Set(0xAFBF);
}

TEST(Buffer, ElementsWiderThan255BytesAreNotTruncated) {
  // Regression: the element size once went through a char and lost its high byte.
  Quarn_Buffer b;
  void** rows = b.Matrix_New(2, 3, 300);
  ASSERT_NE(rows, nullptr);
  EXPECT_EQ(b.Size_Get(), 3u * 8 + 3u * 2 * 300);
  std::memset(rows[2], 0xAB, 600);  // the whole row is ours (ASan checks the bound)
  b.Matrix_Clear();
  EXPECT_EQ(static_cast<uint8_t*>(rows[2])[599], 0);
}

}  // namespace
