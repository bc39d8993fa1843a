// The message loop on Windows: filters asked last-added first, a message a
// filter takes is not dispatched, idle handlers run once the queue is empty
// after a message that calls for them (a pointer move does not), and Run
// returns the quit code.

#include "platform/win32/message_loop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr UINT kWork = WM_USER + 77;
constexpr UINT kQuit = WM_USER + 78;

int g_dispatched = 0;

// Counts the work it is given; quits with the code it is told to, and on a
// pointer move starts a timer whose tick quits with 5.
LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kWork:
      ++g_dispatched;
      return 0;
    case kQuit:
      PostQuitMessage(static_cast<int>(wParam));
      return 0;
    case WM_MOUSEMOVE:
      SetTimer(window, 1, 50, nullptr);
      return 0;
    case WM_TIMER:
      KillTimer(window, 1);
      PostQuitMessage(5);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

HWND TestWindow() {
  static const ATOM registered = [] {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &TestWindowProc;
    windowClass.lpszClassName = "VeltraLoopTest";
    return RegisterClassA(&windowClass);
  }();
  (void)registered;
  return CreateWindowExA(0, "VeltraLoopTest", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                         nullptr);
}

class LoggingFilter : public CMessageFilter {
 public:
  LoggingFilter(std::vector<std::string>& log, std::string name, bool takes)
      : m_log(log), m_name(std::move(name)), m_bTakes(takes) {}
  BOOL PreTranslateMessage(MSG* msg) override {
    if (msg->message != kWork) return FALSE;
    m_log.push_back(m_name);
    return m_bTakes;
  }

 private:
  std::vector<std::string>& m_log;
  std::string m_name;
  bool m_bTakes;
};

TEST(MessageLoop, FiltersLastAddedFirstAndATakenMessageIsNotDispatched) {
  HWND window = TestWindow();
  std::vector<std::string> log;
  LoggingFilter first(log, "first", false);
  LoggingFilter last(log, "last", true);
  CMessageLoop loop;
  loop.AddMessageFilter(&first);
  loop.AddMessageFilter(&last);
  g_dispatched = 0;
  PostMessageA(window, kWork, 0, 0);
  PostMessageA(window, kQuit, 3, 0);
  EXPECT_EQ(loop.Run(), 3);
  EXPECT_EQ(log, (std::vector<std::string>{"last"}));
  EXPECT_EQ(g_dispatched, 0);

  loop.RemoveMessageFilter(&last);
  PostMessageA(window, kWork, 0, 0);
  PostMessageA(window, kQuit, -1, 0);
  EXPECT_EQ(loop.Run(), -1);
  EXPECT_EQ(log, (std::vector<std::string>{"last", "first"}));
  EXPECT_EQ(g_dispatched, 1);
  DestroyWindow(window);
}

// The first round runs on the empty queue and moves the pointer; the move
// does not call for another round, and the timer's tick ends the loop.
TEST(MessageLoop, APointerMoveCallsForNoIdleRound) {
  class MovingIdle : public CIdleHandler {
   public:
    explicit MovingIdle(HWND window) : m_window(window) {}
    BOOL OnIdle() override {
      if (calls++ == 0) PostMessageA(m_window, WM_MOUSEMOVE, 0, 0);
      return FALSE;
    }
    int calls = 0;

   private:
    HWND m_window;
  };
  HWND window = TestWindow();
  MovingIdle idle(window);
  CMessageLoop loop;
  loop.AddIdleHandler(&idle);
  EXPECT_EQ(loop.Run(), 5);
  EXPECT_EQ(idle.calls, 1);
  DestroyWindow(window);
}

}  // namespace
