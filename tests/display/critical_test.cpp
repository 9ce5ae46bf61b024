// The global critical section: nesting traces, misuse reports and exclusion between threads.
#include <quarn/quarn.h>

#include <gtest/gtest.h>

#include <atomic>
#include <semaphore>
#include <thread>

namespace {

const std::string kDown = "▼1▼▼▼▼ Fct ▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼";
const std::string kUp = "▲1▲▲▲▲ Fct ▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲";

TEST(Critical, NestedEntriesTraceEachLevel) {
  Fct_Critical_Create();
  Host_Report_Capture capture;
  Fct_Critical_In("outer");
  Fct_Critical_In("inner");
  Fct_Critical_Out("inner");
  Fct_Critical_Out("outer");
  EXPECT_EQ(Fct_Critical_Depth(), 0);
  auto markers = capture.Texts(quarn::msg::Critical_Marker);
  ASSERT_EQ(markers.size(), 4u);
  EXPECT_EQ(markers[0], kDown + " 1 ▼▼▼▼▼▼▼▼ \"outer\"");
  EXPECT_EQ(markers[1], kDown + " 1 ▼▼▼▼▼▼▼▼ 2 ▼▼▼▼▼▼▼▼ \"inner\"");
  EXPECT_EQ(markers[2], kUp + " 1 ▲▲▲▲▲▲▲▲ 2 ▲▲▲▲▲▲▲▲ \"inner\"");
  EXPECT_EQ(markers[3], kUp + " 1 ▲▲▲▲▲▲▲▲ \"outer\"");
  auto calls = capture.Texts(quarn::msg::Critical);
  ASSERT_GE(calls.size(), 4u);
  EXPECT_EQ(calls[0], ">>> in  Fct: Fct_Critical_In(0,outer)");
  EXPECT_EQ(calls[1], ">>> in  Fct: Fct_Critical_In(1,inner)");
  EXPECT_EQ(calls.back(), "<<< out Fct: Fct_Critical_Out()");
  Fct_Critical_Cleanup();
}

TEST(Critical, OutWithNothingHeldReportsAndChangesNothing) {
  Host_Report_Capture capture;
  Fct_Critical_Out(nullptr);
  EXPECT_EQ(Fct_Critical_Depth(), 0);
  EXPECT_TRUE(capture.Contains("ERROR: called Fct_Critical_Out(---) while not in a critical section!"));
  EXPECT_TRUE(capture.Contains("<<< out Fct: Fct_Critical_Out(not in it)"));
  EXPECT_EQ(capture.Count(quarn::msg::Critical_Marker), 0u);
}

TEST(Critical, OtherThreadWaitsUntilEveryLevelIsLeft) {
  std::binary_semaphore held{0};
  std::atomic<int> stage{0};
  Fct_Critical_In("main");
  Fct_Critical_In("main nested");
  std::thread other([&] {
    held.release();
    Fct_Critical_In("other");
    stage.store(2);
    Fct_Critical_Out("other");
  });
  held.acquire();
  Fct_Critical_Out("main nested");
  // Still held once: the other thread must not have entered.
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(stage.load(), 0);
  stage.store(1);
  Fct_Critical_Out("main");
  other.join();
  EXPECT_EQ(stage.load(), 2);
  EXPECT_EQ(Fct_Critical_Depth(), 0);
}

TEST(Critical, OutFromANonHolderIsRefused) {
  Fct_Critical_In("holder");
  Host_Report_Capture capture;
  std::thread intruder([] { Fct_Critical_Out("intruder"); });
  intruder.join();
  EXPECT_EQ(Fct_Critical_Depth(), 1);
  EXPECT_TRUE(capture.Contains("Fct_Critical_Out(intruder) while not in a critical section"));
  Fct_Critical_Out("holder");
}

TEST(Critical, CountsStayExactUnderContention) {
  long shared = 0;
  auto work = [&] {
    for (int i = 0; i < 5000; ++i) {
      Fct_Critical_In("worker");
      ++shared;
      Fct_Critical_Out("worker");
    }
  };
  std::thread a(work), b(work), c(work), d(work);
  a.join();
  b.join();
  c.join();
  d.join();
  EXPECT_EQ(shared, 20000);
  EXPECT_EQ(Fct_Critical_Depth(), 0);
}

}  // namespace
