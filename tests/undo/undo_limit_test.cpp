// The recorders' memory limit: the overflow dialog's answers, "$UNDO_FLUSH", "do not ask again",
// a chunk that cannot be allocated, and several threads against one limit.
#include "Memory_Cap.h"
#include "undo/Undo_Host.h"

#include <hostkit/HostReport.h>

#include <algorithm>
#include <atomic>
#include <thread>

namespace {

using namespace undo_test;

constexpr int Mega = 1048576;
constexpr int Stored_At_1Mb = Mega / 16 + 1;  // 65536 x 16 bytes is the limit itself: allowed
constexpr int Button_Abort = 0, Button_Continue = 1;
constexpr int Size_2Mb = 1;  // entry of the dialog's size list

struct Dummy {
  int n;
};
int Nothing(uint8_t, void*) { return 1; }

void Save_A_Command() {
  auto* d = static_cast<Dummy*>(std::malloc(sizeof(Dummy)));
  ASSERT_EQ(Undo_Save_Command(&Nothing, nullptr, d, "earlier"), 1);
}

class Undo_Limit : public Undo_Host {
protected:
  void SetUp() override {
    Undo_Host::SetUp();
    *Var<int32_t>(L"$UNDO_SIZE") = Mega;
    pixels_.assign(size_t(Stored_At_1Mb) * 2 + 16, 0);
  }

  /// Records pixels until a call answers 0 or count calls were made; each pixel is written only
  /// after its record call said so. Returns the calls that answered 1.
  int Paint(int count, uint8_t tag = 5) {
    int taken = 0;
    for (int i = 0; i < count; ++i) {
      if (!Undo_Pixel_Record_TAG(&pixels_[size_t(i)], pixels_[size_t(i)], tag)) break;
      pixels_[size_t(i)] = tag;
      ++taken;
    }
    return taken;
  }
  /// True when the first count pixels (all of them by default) hold tag.
  bool All(uint8_t tag, size_t count = SIZE_MAX) const {
    return std::all_of(pixels_.begin(), pixels_.begin() + std::min(count, pixels_.size()),
                       [tag](uint8_t p) { return p == tag; });
  }

  std::vector<uint8_t> pixels_;
};

TEST_F(Undo_Limit, TheCallAfterTheLastThatFitsAsksTheUser) {
  Undo_Pixel_Start_TAG();
  EXPECT_EQ(Paint(Stored_At_1Mb), Stored_At_1Mb);
  EXPECT_EQ(Host_Popup_Count(), 0u);
  Host_Popup_Answer_Push(Button_Continue);
  Host_Popup_Form_Answer_Push(0, Size_2Mb);
  EXPECT_EQ(Undo_Pixel_Record_TAG(&pixels_[Stored_At_1Mb], 0, 5), 1);
  ASSERT_EQ(Host_Popup_Count(), 1u);
  const Host_Popup_Entry shown = Host_Popup_History().back();
  EXPECT_EQ(shown.title, L"Undo Overflow");
  EXPECT_EQ(shown.heading, L"WARNING");
  EXPECT_NE(shown.body.find(L"(The maximum \"Undo operation size\" is 1 Mb)"), std::wstring::npos);
  EXPECT_EQ(shown.buttons, (std::vector<std::wstring>{L"Abort", L"Continue"}));
  EXPECT_EQ(shown.checks, std::vector<std::wstring>{L"Always continue, do not ask again"});
  EXPECT_EQ(shown.choices.size(), 6u);
  EXPECT_EQ(shown.font, L"Arial bold");
  EXPECT_EQ(*Var<int32_t>(L"$UNDO_SIZE"), 2 * Mega);  // the raised limit makes room: recording goes on
  Undo_Pixel_TAG* block = Undo_Pixel_Stop_TAG();
  EXPECT_EQ(Undo_Pixel_Size_TAG(block), uint32_t(Stored_At_1Mb + 1) * 16);
  std::free(block);
}

TEST_F(Undo_Limit, AbortGivesEveryEditBackWhenTheRecordingStops) {
  Undo_Pixel_Start_TAG();
  Host_Popup_Answer_Push(Button_Abort);
  Host_Report_Capture capture;
  EXPECT_EQ(Paint(Stored_At_1Mb + 100), Stored_At_1Mb);
  EXPECT_TRUE(capture.Contains("Operation aborted"));
  EXPECT_EQ(Undo_Pixel_Record_TAG(&pixels_[0], 0, 5), 0);  // every further call of the operation
  EXPECT_EQ(Undo_Pixel_Stop_TAG(), nullptr);
  EXPECT_TRUE(All(0));  // nothing half-applied
  EXPECT_EQ(Undo_Pixel_Record_TAG(&pixels_[0], 0, 5), 0);  // until the next start
  EXPECT_EQ(Undo_Pixel_Start_TAG(), 1);
  EXPECT_EQ(Undo_Pixel_Record_TAG(&pixels_[0], 0, 5), 1);
  std::free(Undo_Pixel_Stop_TAG());
}

// Regression: an aborted recording gave its edits back only when it stopped, or at the next start;
// a caller that took the abort for the end of its operation found them still there.
TEST_F(Undo_Limit, AnAbortOnTheOnlyRecordingThreadGivesTheEditsBackAtOnce) {
  Undo_Pixel_Start_TAG();
  Host_Popup_Answer_Push(Button_Abort);
  EXPECT_EQ(Paint(Stored_At_1Mb + 100), Stored_At_1Mb);
  EXPECT_TRUE(All(0));
  // The marks name what the give-back replaced (5) and wrote (0), and the stop keeps them.
  EXPECT_EQ(Marks()[5], 0x01);
  EXPECT_EQ(Marks()[0], 0x02);
  pixels_[0] = 9;  // a later edit, not recorded: the stop must not give the old tag back again
  EXPECT_EQ(Undo_Pixel_Stop_TAG(), nullptr);
  EXPECT_EQ(pixels_[0], 9);
  EXPECT_EQ(Marks()[5], 0x01);
  EXPECT_EQ(Marks()[0], 0x02);
}

// Without a raised limit the operation goes on without undo, and the whole ring is emptied.
TEST_F(Undo_Limit, ContinuingOrFlushingDropsTheUndoAndEmptiesTheRing) {
  struct Case {
    const char* what;
    bool flush;
    size_t popups;
  };
  const Case cases[] = {
      {"Continue pressed", false, 1},
      {"$UNDO_FLUSH set: no dialog", true, 0},
  };
  for (const Case& c : cases) {
    Host_Popup_Reset();
    Save_A_Command();
    *Var<uint8_t>(L"$UNDO_FLUSH") = c.flush;
    std::fill(pixels_.begin(), pixels_.end(), 0);
    Host_Popup_Answer_Push(Button_Continue);
    Host_Report_Capture capture;
    Undo_Pixel_Start_TAG();
    EXPECT_EQ(Paint(Stored_At_1Mb + 100), Stored_At_1Mb + 100) << c.what;
    EXPECT_EQ(Host_Popup_Count(), c.popups) << c.what;
    EXPECT_EQ(capture.Texts(quarn::msg::Notice),
              (std::vector<std::string>{"WARNING: The \"Undo\" of this operation", "\t would be too big! (> 1 Mb)",
                                        "\t We will not keep it."}))
        << c.what;
    EXPECT_EQ(Undo_Undo_Enable(), 0) << c.what;
    EXPECT_EQ(Undo_Pixel_Stop_TAG(), nullptr) << c.what;
    EXPECT_TRUE(All(5, Stored_At_1Mb + 100)) << c.what;  // the edits stay
  }
}

TEST_F(Undo_Limit, TheVertexRecorderAsksEvenWithFlushAndWarnsAsAnError) {
  *Var<uint8_t>(L"$UNDO_FLUSH") = 1;
  *Var<int32_t>(L"$UNDO_SIZE") = 64;  // two 32-byte entries
  Quarn_3D_Geom geom(nullptr, nullptr, 0);
  Host_Popup_Answer_Push(Button_Continue);
  Host_Report_Capture capture;
  Undo_Pixel_Start_3D();
  for (uint32_t v = 0; v < 4; ++v) EXPECT_EQ(Undo_Pixel_Record_3D(&geom, v, Vec4(1.0f)), 1);
  EXPECT_EQ(Host_Popup_Count(), 1u);
  EXPECT_EQ(capture.Texts(quarn::msg::Invalid).size(), 3u);
  EXPECT_TRUE(capture.Contains("would be too big! (> 0 Mb)"));
  EXPECT_EQ(Undo_Pixel_Stop_3D(), nullptr);
}

TEST_F(Undo_Limit, DoNotAskAgainLastsForTheProcess) {
  // Run where the choice cannot leak into other tests.
  const int code = memory_cap::In_Child([&] {
    Undo_Pixel_Start_TAG();
    Host_Popup_Answer_Push(Button_Abort);
    Host_Popup_Form_Answer_Push(1, -1);  // ticked, but this time Abort
    if (Paint(Stored_At_1Mb + 10) != Stored_At_1Mb) return memory_cap::Fail("first", "abort not taken");
    Undo_Pixel_Stop_TAG();
    Undo_Pixel_Start_TAG();
    if (Paint(Stored_At_1Mb + 10) != Stored_At_1Mb + 10) return memory_cap::Fail("second", "did not go on");
    if (Host_Popup_Count() != 1) return memory_cap::Fail("second", "asked again");
    return Undo_Pixel_Stop_TAG() ? memory_cap::Fail("second", "kept an undo") : 0;
  });
  EXPECT_EQ(code, 0);
}

TEST_F(Undo_Limit, AChunkThatCannotBeAllocatedAbortsAndGivesTheEditsBack) {
#ifdef MEMORY_CAP_SANITIZED
  GTEST_SKIP() << "the sanitizers reserve their address space up front";
#endif
  *Var<int32_t>(L"$UNDO_SIZE") = INT32_MAX;  // memory runs out before the limit
  const int code = memory_cap::In_Child([&] {
    Undo_Pixel_Start_TAG();
    if (Paint(int(UNDO_CHUNK_ENTRIES)) != int(UNDO_CHUNK_ENTRIES)) return memory_cap::Fail("chunk", "first chunk");
    // Enough pixels that their chunks cannot all come from heap space freed earlier.
    std::vector<uint8_t> more(16u << 20, 0);
    Host_Report_Capture capture(false);  // reports only: traces would need memory of their own
    {
      memory_cap::Address_Limit limit(1 << 20);
      size_t i = 0;
      while (i < more.size() && Undo_Pixel_Record_TAG(&more[i], 0, 6)) more[i++] = 6;
      if (i == more.size()) return memory_cap::Fail("chunk", "recorded without memory");
    }
    // The chunk, or the longer list of chunks, is what memory refuses.
    if (!capture.Contains("(var=Record_List_TAG"))
      return memory_cap::Fail("chunk", "no report");
    if (Undo_Pixel_Stop_TAG()) return memory_cap::Fail("chunk", "a block after the abort");
    if (std::any_of(more.begin(), more.end(), [](uint8_t p) { return p != 0; }))
      return memory_cap::Fail("chunk", "edits left");
    return All(0) ? 0 : memory_cap::Fail("chunk", "first edits left");
  });
  EXPECT_EQ(code, 0);
}

// Threads with allowances of their own never store more than the limit allows between them,
// and an abort from one of them gives back what all of them changed.
TEST_F(Undo_Limit, SeveralThreadsShareOneLimitAndOneAbort) {
  constexpr int Threads = 4, Per_Thread = 30000;
  *Var<int32_t>(L"$UNDO_SIZE") = 64 * 1024;  // 4097 entries
  uint32_t ids[Threads] = {};
  *Var<uint16_t>(L"$COMPUTER_THREAD_NB") = Threads;
  *Var<uint32_t*>(L"$COMPUTER_THREAD_ID") = ids;
  pixels_.assign(size_t(Threads) * Per_Thread, 0);
  Host_Popup_Answer_Push(Button_Abort);
  std::atomic<int> taken{0}, listed{0};
  Undo_Pixel_Start_TAG();
  std::vector<std::thread> threads;
  for (int t = 0; t < Threads; ++t)
    threads.emplace_back([&, t] {
      std::atomic_ref<uint32_t>(ids[t]).store(uint32_t(gettid()));
      listed.fetch_add(1);
      while (listed.load() < Threads) std::this_thread::yield();
      for (int i = 0; i < Per_Thread; ++i) {
        uint8_t& p = pixels_[size_t(t) * Per_Thread + i];
        if (!Undo_Pixel_Record_TAG(&p, 0, 3)) break;
        p = 3;
        taken.fetch_add(1);
      }
    });
  for (std::thread& t : threads) t.join();
  EXPECT_LE(taken.load(), 64 * 1024 / 16 + 1 + Threads);
  EXPECT_GT(taken.load(), 64 * 1024 / 16 - Threads);
  EXPECT_EQ(Host_Popup_Count(), 1u);
  EXPECT_EQ(Undo_Pixel_Stop_TAG(), nullptr);
  *Var<uint32_t*>(L"$COMPUTER_THREAD_ID") = nullptr;
  EXPECT_TRUE(All(0));
}

}  // namespace
