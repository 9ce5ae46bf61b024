// Pen and touch messages decoded: the pen's state at each contact and pressure, the slots that
// follow the contacts, and the gesture arithmetic against hand-computed values.
#include <quarn/quarn.h>

#include <platform/PlatformMessage.h>
#include <platform/PlatformPointer.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

constexpr int kReady = PLATFORM_DIGITIZER_READY | PLATFORM_DIGITIZER_INTEGRATED_PEN |
                       PLATFORM_DIGITIZER_INTEGRATED_TOUCH | PLATFORM_DIGITIZER_MULTI_INPUT;
constexpr uint32_t kDown = PLATFORM_TOUCH_DOWN;
constexpr uint32_t kMove = PLATFORM_TOUCH_MOVE;
constexpr uint32_t kUp = PLATFORM_TOUCH_UP;
constexpr uint32_t kPrimary = PLATFORM_TOUCH_PRIMARY;

/// A contact at a position in pixels (messages carry hundredths).
Platform_Touch_Input At(uint32_t id, uint32_t flags, float x, float y) {
  return {int32_t(x * 100), int32_t(y * 100), id, flags, 0};
}

class Pen_Touch : public ::testing::Test {
protected:
  void SetUp() override {
    Platform_Digitizer_Set(kReady);  // before the first call, which looks the functions up
    window_ = Platform_Window_Create(L"touch", 800, 600, nullptr);
  }
  void TearDown() override { Platform_Window_Destroy(window_); }

  /// Posts a touch message and decodes it; the result, with the gesture in gesture_.
  int Touch(std::vector<Platform_Touch_Input> inputs) {
    EXPECT_EQ(Platform_Touch_Post(window_, inputs.data(), int(inputs.size())), 1);
    Platform_Message m;
    EXPECT_EQ(Platform_Peek_Message(window_, &m, 1), 1);
    const Touch_Gesture* g = nullptr;
    const int result = Fct_Pointer_Touch(window_, m.id, m.a, m.b, &g);
    if (result) gesture_ = *g, record_ = g;
    return result;
  }
  /// Posts a pen message and decodes it.
  int Pen(uint32_t type, uint32_t flags, uint32_t pen_flags, uint32_t pressure, int x, int y) {
    Platform_Pen_Info pen;
    pen.pointer = {type, 5, flags, x, y};
    pen.pen_flags = pen_flags;
    pen.pressure = pressure;
    EXPECT_EQ(Platform_Pen_Post(window_, PLATFORM_MSG_POINTER_UPDATE, &pen), 1);
    Platform_Message m;
    EXPECT_EQ(Platform_Peek_Message(window_, &m, 1), 1);
    const Pen_Record* r = nullptr;
    const int result = Fct_Pointer_Pen(window_, m.id, m.a, m.b, &r);
    if (result) pen_ = *r;
    return result;
  }

  /// Lifts the primary finger, so that no contact is left over from another test.
  void Reset() { Touch({At(1, kUp | kPrimary, 0, 0)}); }

  Platform_Window* window_ = nullptr;
  Touch_Gesture gesture_{};
  const Touch_Gesture* record_ = nullptr;
  Pen_Record pen_{};
};

TEST_F(Pen_Touch, ThePenStateFollowsContactPressureAndTheEraserEnd) {
  struct Row {
    uint32_t flags, pen_flags, pressure;
    uint32_t state;
  };
  const Row rows[] = {
      {0, 0, 0, PEN_STATE_UP},                                                       // hovering
      {PLATFORM_POINTER_IN_CONTACT, 0, 300, PEN_STATE_DOWN},                         // writing
      {PLATFORM_POINTER_IN_CONTACT, 0, 0, PEN_STATE_DOWN},                           // touching lightly
      {0, 0, 12, PEN_STATE_DOWN},                                                    // pressure counts as contact
      {PLATFORM_POINTER_IN_CONTACT, PLATFORM_PEN_INVERTED, 80, PEN_STATE_ERASER},    // erasing
      {0, PLATFORM_PEN_INVERTED, 0, PEN_STATE_UP},                                   // eraser end hovering
      {PLATFORM_POINTER_IN_CONTACT, PLATFORM_PEN_BARREL, 80, PEN_STATE_DOWN},        // the button is no eraser
  };
  for (const Row& row : rows) {
    ASSERT_EQ(Pen(PLATFORM_POINTER_PEN, row.flags, row.pen_flags, row.pressure, 321, 654), 1);
    EXPECT_EQ(pen_.state, row.state);
    EXPECT_EQ(pen_.x, 321u);
    EXPECT_EQ(pen_.y, 654u);
    EXPECT_EQ(pen_.pressure, row.pressure);
  }
}

TEST_F(Pen_Touch, MessagesOfOtherPointersOrUnknownIdsAreNoPenMessages) {
  EXPECT_EQ(Pen(PLATFORM_POINTER_MOUSE, PLATFORM_POINTER_IN_CONTACT, 0, 0, 1, 1), 0);
  EXPECT_EQ(Pen(PLATFORM_POINTER_TOUCH, PLATFORM_POINTER_IN_CONTACT, 0, 0, 1, 1), 0);
  const Pen_Record* r = nullptr;
  EXPECT_EQ(Fct_Pointer_Pen(window_, PLATFORM_MSG_POINTER_UPDATE, 4321, 0, &r), 0);
  EXPECT_EQ(r, nullptr);
}

TEST_F(Pen_Touch, TwoFingersMovingApartToTwiceTheirDistanceScaleByTwo) {
  Reset();
  ASSERT_EQ(Touch({At(1, kDown | kPrimary, 100, 100), At(2, kDown, 200, 100)}), 1);
  EXPECT_FLOAT_EQ(gesture_.scale, 1.0f);  // both just down: nothing changed yet
  EXPECT_FLOAT_EQ(gesture_.centre_x, 150.0f);
  ASSERT_EQ(Touch({At(1, kMove | kPrimary, 50, 100), At(2, kMove, 250, 100)}), 1);
  EXPECT_FLOAT_EQ(gesture_.scale, 2.0f);
  EXPECT_FLOAT_EQ(gesture_.angle, 0.0f);
  EXPECT_FLOAT_EQ(gesture_.pan_x, 0.0f);
  EXPECT_FLOAT_EQ(gesture_.pan_y, 0.0f);
  EXPECT_FLOAT_EQ(gesture_.centre_x, 150.0f);
  EXPECT_FLOAT_EQ(gesture_.centre_y, 100.0f);
  EXPECT_FLOAT_EQ(gesture_.ratio_x, 2.0f);
  EXPECT_FLOAT_EQ(gesture_.ratio_y, 1.0f);  // no vertical distance before: no measurable change
}

TEST_F(Pen_Touch, GestureArithmeticMatchesHandComputedValues) {
  struct Row {
    const char* what;
    float p0x, p0y, s0x, s0y;  // before
    float p1x, p1y, s1x, s1y;  // after
    Touch_Gesture g;           // scale, angle, pan, centre, ratio
  };
  const Row rows[] = {
      // S turns a quarter round P: the line turns from along x to along y.
      {"quarter turn", 100, 100, 200, 100, 100, 100, 100, 200, {1.0f, -90.0f, -50, 50, 100, 150, 0.0f, 1.0f}},
      // Both move by (30, -20).
      {"pan", 100, 100, 200, 100, 130, 80, 230, 80, {1.0f, 0.0f, 30, -20, 180, 80, 1.0f, 1.0f}},
      // A 3-4-5 triangle becoming (60, 30): length 50 to sqrt(4500), angle atan2(60,30) - atan2(30,40).
      {"general", 0, 0, 30, 40, 10, 10, 70, 40, {1.3416408f, 26.565051f, 25, 5, 40, 25, 2.0f, 0.75f}},
      // Both at one place before: the quotients measure no change.
      {"from one point", 50, 50, 50, 50, 40, 50, 60, 50, {1.0f, 90.0f, 0, 0, 50, 50, 1.0f, 1.0f}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    Reset();
    Touch({At(1, kDown | kPrimary, r.p0x, r.p0y), At(2, kDown, r.s0x, r.s0y)});
    ASSERT_EQ(Touch({At(1, kMove | kPrimary, r.p1x, r.p1y), At(2, kMove, r.s1x, r.s1y)}), 1);
    EXPECT_NEAR(gesture_.scale, r.g.scale, 1e-5);
    EXPECT_NEAR(gesture_.angle, r.g.angle, 1e-3);
    EXPECT_NEAR(gesture_.pan_x, r.g.pan_x, 1e-4);
    EXPECT_NEAR(gesture_.pan_y, r.g.pan_y, 1e-4);
    EXPECT_NEAR(gesture_.centre_x, r.g.centre_x, 1e-4);
    EXPECT_NEAR(gesture_.centre_y, r.g.centre_y, 1e-4);
    EXPECT_NEAR(gesture_.ratio_x, r.g.ratio_x, 1e-5);
    EXPECT_NEAR(gesture_.ratio_y, r.g.ratio_y, 1e-5);
  }
}

TEST_F(Pen_Touch, OneZeroOrUnreadableInputsGiveNoGestureAndLeaveItAlone) {
  Reset();
  ASSERT_EQ(Touch({At(1, kDown | kPrimary, 100, 100), At(2, kDown, 200, 100)}), 1);
  const Touch_Gesture before = *record_;
  const Touch_Gesture* g = nullptr;
  Platform_Message m;
  // One finger in the message, though two are down.
  Platform_Touch_Input one = At(1, kMove | kPrimary, 120, 100);
  Platform_Touch_Post(window_, &one, 1);
  Platform_Peek_Message(window_, &m, 1);
  EXPECT_EQ(Fct_Pointer_Touch(window_, m.id, m.a, m.b, &g), 0);
  EXPECT_EQ(std::memcmp(&before, record_, sizeof before), 0);
  // No contact at all.
  Platform_Touch_Post(window_, nullptr, 0);
  Platform_Peek_Message(window_, &m, 1);
  EXPECT_EQ(Fct_Pointer_Touch(window_, m.id, m.a, m.b, &g), 0);
  EXPECT_EQ(g, nullptr);
  // A handle that is gone, or a count above the handle's.
  const int open = Platform_Touch_Open_Handles();
  EXPECT_EQ(Fct_Pointer_Touch(window_, PLATFORM_MSG_TOUCH, 2, 123456789, &g), 0);
  Platform_Touch_Post(window_, &one, 1);
  Platform_Peek_Message(window_, &m, 1);
  EXPECT_EQ(Fct_Pointer_Touch(window_, m.id, 2, m.b, &g), 0);
  EXPECT_EQ(Platform_Touch_Open_Handles(), open);  // every handle read is closed
  EXPECT_EQ(std::memcmp(&before, record_, sizeof before), 0);
  // The primary moved by the one-finger message counts at the next two-finger one: 80 pixels
  // apart before it and now.
  ASSERT_EQ(Touch({At(1, kMove | kPrimary, 120, 100), At(2, kMove, 200, 100)}), 1);
  EXPECT_FLOAT_EQ(gesture_.scale, 1.0f);
  EXPECT_FLOAT_EQ(gesture_.centre_x, 160.0f);
}

TEST_F(Pen_Touch, LiftingThePrimaryFingerClearsEverySlot) {
  Reset();
  ASSERT_EQ(Touch({At(1, kDown | kPrimary, 100, 100), At(2, kDown, 200, 100)}), 1);
  EXPECT_EQ(Touch({At(1, kUp | kPrimary, 100, 100), At(2, kMove, 210, 100)}), 0);
  // The second finger is forgotten with the first: its moves find no slot.
  EXPECT_EQ(Touch({At(2, kMove, 220, 100), At(3, kMove, 0, 0)}), 0);
  // Lifting only a secondary finger frees its slot alone.
  ASSERT_EQ(Touch({At(4, kDown | kPrimary, 0, 0), At(5, kDown, 100, 0)}), 1);
  EXPECT_EQ(Touch({At(5, kUp, 100, 0), At(4, kMove, 10, 0)}), 0);
  ASSERT_EQ(Touch({At(6, kDown, 0, 100), At(4, kMove, 10, 0)}), 1);  // the freed slot is taken again
  EXPECT_FLOAT_EQ(gesture_.centre_y, 50.0f);
}

TEST_F(Pen_Touch, FiveFingersFillTheFourSlotsAndTheFifthIsIgnored) {
  Reset();
  ASSERT_EQ(Touch({At(1, kDown | kPrimary, 0, 0), At(2, kDown, 100, 0), At(3, kDown, 0, 100), At(4, kDown, 50, 50),
                   At(5, kDown, 300, 300)}),
            1);
  // The gesture follows the first secondary slot, finger 2.
  ASSERT_EQ(Touch({At(1, kMove | kPrimary, 0, 0), At(2, kMove, 200, 0), At(5, kMove, 900, 900)}), 1);
  EXPECT_FLOAT_EQ(gesture_.scale, 2.0f);
  EXPECT_FLOAT_EQ(gesture_.centre_x, 100.0f);
}

TEST_F(Pen_Touch, TheFirstCallReportsTheSearchForTheFunctions) {
  // Only the first call of the process searches; under a whole-program run another test may
  // have made it.
  Host_Report_Capture capture;
  Fct_RegisterTouchWindow(window_);
  EXPECT_EQ(Platform_Touch_Registered(window_), 1);  // the window reaches the platform
  if (capture.Count(quarn::msg::Platform) == 0) GTEST_SKIP() << "searched by an earlier test";
  const std::vector<std::string> lines = capture.Texts(quarn::msg::Platform);
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[0], "Looking for touch input devices...");
  EXPECT_EQ(lines[1], "    System Metrics( DIGITIZER=000000c5 )");
  EXPECT_EQ(lines[2], "    -> Found function: \"Platform_Pointer_Type\"");
  EXPECT_EQ(lines[7], "    -> Found function: \"Platform_Touch_Input_Close\"");
  EXPECT_EQ(lines[8], "...Done");
  EXPECT_EQ(lines[9], "");
}

}  // namespace
