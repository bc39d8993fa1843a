#include "platform/kernel/window_table.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "tests/support/posted_message_printer.h"
#include "tests/support/recording_window.h"

namespace {

TEST(MessageTarget, PostsArriveInOrderFromAnyThread) {
  CRecordingWindow window;
  std::thread poster([&] {
    for (WPARAM i = 0; i < 1000; ++i) EXPECT_EQ(PostMessageA(window.m_hWnd, WM_USER, i, -1), TRUE);
  });
  poster.join();
  const auto messages = window.Messages();
  ASSERT_EQ(messages.size(), 1000u);
  for (WPARAM i = 0; i < 1000; ++i) {
    EXPECT_EQ(messages[i], (PostedMessage{WM_USER, i, -1}));
  }
}

TEST(MessageTarget, DeadOrUnknownHandlesLoseTheirPosts) {
  HWND stale = nullptr;
  {
    CRecordingWindow window;
    stale = window.m_hWnd;
    EXPECT_EQ(IsWindow(stale), TRUE);
  }
  EXPECT_EQ(IsWindow(stale), FALSE);
  EXPECT_EQ(PostMessageA(stale, WM_USER, 1, 2), FALSE);
  EXPECT_EQ(InvalidateRect(stale, nullptr, TRUE), FALSE);
  EXPECT_EQ(PostMessageA(nullptr, WM_USER, 1, 2), FALSE);
  // A new window never takes over an old handle.
  CRecordingWindow next;
  EXPECT_NE(next.m_hWnd, stale);
}

TEST(MessageTarget, InvalidationsAreRecordedWithTheirRectangles) {
  CRecordingWindow window;
  const RECT status = {165, 563, 458, 589};
  EXPECT_EQ(InvalidateRect(window.m_hWnd, &status, TRUE), TRUE);
  EXPECT_EQ(InvalidateRect(window.m_hWnd, nullptr, FALSE), TRUE);
  const auto invalidations = window.Invalidations();
  ASSERT_EQ(invalidations.size(), 2u);
  EXPECT_FALSE(invalidations[0].whole);
  EXPECT_EQ(invalidations[0].rect.left, 165);
  EXPECT_EQ(invalidations[0].rect.bottom, 589);
  EXPECT_EQ(invalidations[0].erase, TRUE);
  EXPECT_TRUE(invalidations[1].whole);
}

TEST(MessageTarget, WaitForMessageSeesEarlierAndLaterPosts) {
  CRecordingWindow window;
  PostMessageA(window.m_hWnd, WM_USER + 1, 0, 0);
  EXPECT_TRUE(window.WaitForMessage(WM_USER + 1, std::chrono::milliseconds(0)));
  EXPECT_FALSE(window.WaitForMessage(WM_USER + 2, std::chrono::milliseconds(10)));
  std::thread late([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    PostMessageA(window.m_hWnd, WM_USER + 2, 0, 0);
  });
  EXPECT_TRUE(window.WaitForMessage(WM_USER + 2, std::chrono::seconds(10)));
  late.join();
}

// Unregistering waits for a post in progress, so a window may be destroyed
// while a worker is still posting to it.
TEST(MessageTarget, DestroyingAWindowWhileAnotherThreadPosts) {
  for (int round = 0; round < 50; ++round) {
    auto window = std::make_unique<CRecordingWindow>();
    const HWND handle = window->m_hWnd;
    std::thread poster([handle] {
      while (PostMessageA(handle, WM_USER, 0, 0) == TRUE) {
      }
    });
    std::this_thread::sleep_for(std::chrono::microseconds(200));
    window.reset();
    poster.join();
  }
}

// A layer finds its own targets by handle and kind, and nothing else.
TEST(MessageTarget, FindsATargetOnlyUnderItsOwnKind) {
  CRecordingWindow plain;
  CRecordingWindow kinded;
  UnregisterMessageTarget(kinded.m_hWnd);
  const HWND handle = RegisterMessageTarget(&kinded, 7);
  struct Case {
    HWND window;
    int kind;
    CMessageTarget* expected;
  } const cases[] = {
      {plain.m_hWnd, 0, &plain}, {plain.m_hWnd, 7, nullptr}, {handle, 7, &kinded},
      {handle, 0, nullptr},      {handle, 8, nullptr},       {nullptr, 0, nullptr},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FindMessageTarget(c.window, c.kind), c.expected) << "kind " << c.kind;
  }
  // Posts reach a target whatever its kind.
  EXPECT_EQ(PostMessageA(handle, WM_USER, 0, 0), TRUE);
  EXPECT_EQ(kinded.Messages().size(), 1u);
  UnregisterMessageTarget(handle);
  EXPECT_EQ(FindMessageTarget(handle, 7), nullptr);
}

}  // namespace
