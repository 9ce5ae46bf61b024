// Pen and touch records of the platform layer: what a message refers to, read back by id or
// handle, the handles' lifetime and limits, and posts from several threads.
#include <platform/PlatformMessage.h>
#include <platform/PlatformPointer.h>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

class Platform_Pointer : public ::testing::Test {
protected:
  void SetUp() override { window_ = Platform_Window_Create(L"pen", 640, 480, nullptr); }
  void TearDown() override {
    Platform_Message m;
    while (Platform_Peek_Message(window_, &m, 1))
      if (m.id == PLATFORM_MSG_TOUCH) Platform_Touch_Input_Close(m.b);
    Platform_Window_Destroy(window_);
    for (uint32_t id = 0; id < 1000; ++id) Platform_Pointer_Forget(id);
  }
  Platform_Window* window_ = nullptr;
};

TEST_F(Platform_Pointer, APenMessageCarriesItsIdAndPositionAndItsRecordIsReadBack) {
  Platform_Pen_Info pen;
  pen.pointer = {PLATFORM_POINTER_PEN, 0x10007, PLATFORM_POINTER_IN_CONTACT, 300, 0x1234};
  pen.pen_flags = PLATFORM_PEN_INVERTED;
  pen.pressure = 512;
  ASSERT_EQ(Platform_Pen_Post(window_, PLATFORM_MSG_POINTER_DOWN, &pen), 1);
  Platform_Message m;
  ASSERT_EQ(Platform_Peek_Message(window_, &m, 1), 1);
  EXPECT_EQ(m.id, PLATFORM_MSG_POINTER_DOWN);
  EXPECT_EQ(m.a, 7u);  // ids are 16 bits
  EXPECT_EQ(m.b, 300u | 0x1234u << 16);
  uint32_t type = 0;
  ASSERT_EQ(Platform_Pointer_Type(7, &type), 1);
  EXPECT_EQ(type, PLATFORM_POINTER_PEN);
  Platform_Pen_Info back;
  ASSERT_EQ(Platform_Pointer_Pen_Info_Get(7, &back), 1);
  EXPECT_EQ(back.pressure, 512u);
  EXPECT_EQ(back.pen_flags, PLATFORM_PEN_INVERTED);
  // A touch pointer has pointer information but no pen information; an unknown id has neither.
  Platform_Pen_Info finger;
  finger.pointer = {PLATFORM_POINTER_TOUCH, 8, 0, 1, 1};
  ASSERT_EQ(Platform_Pen_Post(window_, PLATFORM_MSG_POINTER_UPDATE, &finger), 1);
  Platform_Pointer_Info info;
  EXPECT_EQ(Platform_Pointer_Info_Get(8, &info), 1);
  EXPECT_EQ(Platform_Pointer_Pen_Info_Get(8, &back), 0);
  EXPECT_EQ(Platform_Pointer_Type(9, &type), 0);
  EXPECT_EQ(Platform_Pen_Post(window_, PLATFORM_MSG_POINTER_UPDATE, nullptr), 0);
}

TEST_F(Platform_Pointer, PointerIdsBeyondTheLimitAreRefusedUntilOneIsForgotten) {
  Platform_Pen_Info pen;
  pen.pointer.type = PLATFORM_POINTER_PEN;
  for (int id = 0; id < PLATFORM_POINTER_LIMIT; ++id) {
    pen.pointer.id = uint32_t(id);
    ASSERT_EQ(Platform_Pen_Post(window_, PLATFORM_MSG_POINTER_UPDATE, &pen), 1);
  }
  pen.pointer.id = 999;
  EXPECT_EQ(Platform_Pen_Post(window_, PLATFORM_MSG_POINTER_UPDATE, &pen), 0);
  pen.pointer.id = 3;  // a known id is still updated
  EXPECT_EQ(Platform_Pen_Post(window_, PLATFORM_MSG_POINTER_UPDATE, &pen), 1);
  EXPECT_EQ(Platform_Pointer_Forget(3), 1);
  pen.pointer.id = 999;
  EXPECT_EQ(Platform_Pen_Post(window_, PLATFORM_MSG_POINTER_UPDATE, &pen), 1);
}

TEST_F(Platform_Pointer, ATouchHandleGivesItsContactsUntilItIsClosed) {
  const Platform_Touch_Input in[3] = {{100, 200, 1, PLATFORM_TOUCH_DOWN | PLATFORM_TOUCH_PRIMARY, 5},
                                      {300, 400, 2, PLATFORM_TOUCH_DOWN, 5},
                                      {500, 600, 3, PLATFORM_TOUCH_MOVE, 6}};
  const int before = Platform_Touch_Open_Handles();
  ASSERT_EQ(Platform_Touch_Post(window_, in, 3), 1);
  Platform_Message m;
  ASSERT_EQ(Platform_Peek_Message(window_, &m, 1), 1);
  EXPECT_EQ(m.id, PLATFORM_MSG_TOUCH);
  EXPECT_EQ(m.a, 3u);
  Platform_Touch_Input out[3];
  const int size = int(sizeof(Platform_Touch_Input));
  ASSERT_EQ(Platform_Touch_Input_Info(m.b, 3, out, size), 1);
  EXPECT_EQ(out[1].x, 300);
  EXPECT_EQ(out[2].id, 3u);
  EXPECT_EQ(Platform_Touch_Input_Info(m.b, 2, out, size), 1);      // fewer is fine
  EXPECT_EQ(Platform_Touch_Input_Info(m.b, 4, out, size), 0);      // more is not
  EXPECT_EQ(Platform_Touch_Input_Info(m.b, 3, out, size - 4), 0);  // nor another record layout
  EXPECT_EQ(Platform_Touch_Input_Info(m.b, 3, nullptr, size), 0);
  EXPECT_EQ(Platform_Touch_Open_Handles(), before + 1);
  EXPECT_EQ(Platform_Touch_Input_Close(m.b), 1);
  EXPECT_EQ(Platform_Touch_Input_Close(m.b), 0);
  EXPECT_EQ(Platform_Touch_Input_Info(m.b, 1, out, size), 0);
  EXPECT_EQ(Platform_Touch_Open_Handles(), before);
}

TEST_F(Platform_Pointer, TouchMessagesOutsideTheLimitsOrToNoWindowAreRefused) {
  const int before = Platform_Touch_Open_Handles();
  Platform_Touch_Input many[PLATFORM_TOUCH_INPUT_LIMIT + 1] = {};
  EXPECT_EQ(Platform_Touch_Post(window_, many, PLATFORM_TOUCH_INPUT_LIMIT + 1), 0);
  EXPECT_EQ(Platform_Touch_Post(window_, nullptr, 2), 0);
  EXPECT_EQ(Platform_Touch_Post(window_, many, -1), 0);
  EXPECT_EQ(Platform_Touch_Post(nullptr, many, 2), 0);  // the post fails: no handle is left open
  EXPECT_EQ(Platform_Touch_Open_Handles(), before);
  EXPECT_EQ(Platform_Touch_Post(window_, nullptr, 0), 1);  // a message without contacts
  for (int i = Platform_Touch_Open_Handles(); i < PLATFORM_TOUCH_HANDLE_LIMIT; ++i)
    ASSERT_EQ(Platform_Touch_Post(window_, many, 1), 1);
  EXPECT_EQ(Platform_Touch_Post(window_, many, 1), 0);
}

TEST_F(Platform_Pointer, RegistrationHoldsForLiveWindowsOnly) {
  EXPECT_EQ(Platform_Touch_Registered(window_), 0);
  EXPECT_EQ(Platform_Touch_Register(window_, 0), 1);
  EXPECT_EQ(Platform_Touch_Registered(window_), 1);
  Platform_Window* gone = Platform_Window_Create(L"gone", 1, 1, nullptr);
  Platform_Touch_Register(gone, 0);
  Platform_Window_Destroy(gone);
  EXPECT_EQ(Platform_Touch_Registered(gone), 0);
  EXPECT_EQ(Platform_Touch_Register(gone, 0), 0);
}

TEST_F(Platform_Pointer, PostsFromABackendThreadAreReadOnTheHostThread) {
  constexpr int kMessages = 200;
  std::thread backend([this] {
    Platform_Touch_Input in[2] = {{0, 0, 1, PLATFORM_TOUCH_MOVE | PLATFORM_TOUCH_PRIMARY, 0},
                                  {100, 0, 2, PLATFORM_TOUCH_MOVE, 0}};
    Platform_Pen_Info pen;
    pen.pointer.type = PLATFORM_POINTER_PEN;
    for (int i = 0; i < kMessages; ++i) {
      in[1].x = i;
      pen.pressure = uint32_t(i);
      Platform_Touch_Post(window_, in, 2);
      Platform_Pen_Post(window_, PLATFORM_MSG_POINTER_UPDATE, &pen);
    }
  });
  int touches = 0, pens = 0;
  Platform_Message m;
  while (touches + pens < 2 * kMessages && Platform_Get_Message(window_, &m, 5000)) {
    if (m.id == PLATFORM_MSG_TOUCH) {
      Platform_Touch_Input out[2];
      ASSERT_EQ(Platform_Touch_Input_Info(m.b, 2, out, int(sizeof out[0])), 1);
      EXPECT_EQ(out[1].x, touches);  // in the order posted
      Platform_Touch_Input_Close(m.b);
      ++touches;
    } else {
      Platform_Pen_Info pen;
      EXPECT_EQ(Platform_Pointer_Pen_Info_Get(0, &pen), 1);
      ++pens;
    }
  }
  backend.join();
  EXPECT_EQ(touches, kMessages);
  EXPECT_EQ(pens, kMessages);
}

}  // namespace
