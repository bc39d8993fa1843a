#include "platform/win32/kernel_event.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

TEST(KernelEvent, InitialStateAndManualReset) {
  HANDLE unset = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE set = CreateEventA(nullptr, TRUE, TRUE, nullptr);
  EXPECT_EQ(WaitForSingleObject(unset, 0), WAIT_TIMEOUT);
  EXPECT_EQ(WaitForSingleObject(set, 0), WAIT_OBJECT_0);
  EXPECT_EQ(SetEvent(unset), TRUE);
  // A manual-reset event stays signalled for every later waiter.
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(WaitForSingleObject(unset, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(unset, 1), WAIT_OBJECT_0);
  }
}

TEST(KernelEvent, AutoResetReleasesOneWait) {
  HANDLE event = CreateEventA(nullptr, FALSE, TRUE, nullptr);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
}

TEST(KernelEvent, NullAndClosedHandlesFail) {
  EXPECT_EQ(WaitForSingleObject(nullptr, 0), WAIT_FAILED);
  EXPECT_EQ(WaitForSingleObject(nullptr, 1), WAIT_FAILED);
  EXPECT_EQ(SetEvent(nullptr), FALSE);
  HANDLE event = CreateEventA(nullptr, TRUE, TRUE, nullptr);
  EXPECT_EQ(CloseHandle(event), TRUE);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_FAILED);
  EXPECT_EQ(SetEvent(event), FALSE);
  EXPECT_EQ(CloseHandle(event), FALSE);
}

TEST(KernelEvent, TimedWaitExpiresOnAnUnsetEvent) {
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  const auto start = Clock::now();
  EXPECT_EQ(WaitForSingleObject(event, 20), WAIT_TIMEOUT);
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(20));
}

TEST(KernelEvent, SetFromAnotherThreadWakesAnEndlessWait) {
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::thread setter([event] {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    SetEvent(event);
  });
  EXPECT_EQ(WaitForSingleObject(event, INFINITE), WAIT_OBJECT_0);
  setter.join();
}

}  // namespace
