// The message loop: filter order, idle handlers and the quit code.

#include <gtest/gtest.h>

#include <QTimer>

#include "platform/kernel/window_table.h"
#include "platform/win32/message_loop.h"
#include "window_object.h"

namespace {

class RecordingFilter : public CMessageFilter {
 public:
  RecordingFilter(std::vector<std::string>& log, std::string name, bool consume)
      : m_log(log), m_name(std::move(name)), m_bConsume(consume) {}
  BOOL PreTranslateMessage(MSG* msg) override {
    if (msg->message == WM_USER + 77) m_log.push_back(m_name);
    return m_bConsume && msg->message == WM_USER + 77;
  }

 private:
  std::vector<std::string>& m_log;
  std::string m_name;
  bool m_bConsume;
};

class CountingIdle : public CIdleHandler {
 public:
  BOOL OnIdle() override {
    ++calls;
    return FALSE;
  }
  int calls = 0;
};

// A window that quits the loop with the wParam of the message it gets.
class QuittingWindow : public CWindowObject {
 public:
  QuittingWindow() : CWindowObject(new QWidget, 0) {}
  ~QuittingWindow() override { delete Widget(); }
  LRESULT Send(UINT message, WPARAM wParam, LPARAM) override {
    if (message == WM_USER + 77) {
      delivered = true;
      PostQuitMessage(static_cast<int>(wParam));
    }
    return 0;
  }
  bool delivered = false;
};

TEST(MessageLoopTest, QuitPostedBeforeRunEndsItAtOnceWithThatCode) {
  CMessageLoop loop;
  PostQuitMessage(-1);
  EXPECT_EQ(loop.Run(), -1);
  PostQuitMessage(7);
  EXPECT_EQ(loop.Run(), 7);
}

TEST(MessageLoopTest, FiltersAreAskedLastAddedFirstAndACatchStopsTheMessage) {
  std::vector<std::string> log;
  RecordingFilter first(log, "first", false);
  RecordingFilter second(log, "second", true);
  CMessageLoop loop;
  loop.AddMessageFilter(&first);
  loop.AddMessageFilter(&second);
  MSG msg{nullptr, WM_USER + 77, 0, 0, 0, {0, 0}};
  EXPECT_TRUE(loop.PreTranslateMessage(&msg));
  EXPECT_EQ(log, (std::vector<std::string>{"second"}));

  loop.RemoveMessageFilter(&second);
  log.clear();
  EXPECT_FALSE(loop.PreTranslateMessage(&msg));
  EXPECT_EQ(log, (std::vector<std::string>{"first"}));
}

TEST(MessageLoopTest, PostedMessagesPassTheFiltersAndIdleHandlersRun) {
  std::vector<std::string> log;
  RecordingFilter watcher(log, "watcher", false);
  CountingIdle idle;
  CMessageLoop loop;
  loop.AddMessageFilter(&watcher);
  loop.AddIdleHandler(&idle);
  QuittingWindow window;
  ASSERT_TRUE(PostMessageA(window.Handle(), WM_USER + 77, 5, 0));
  EXPECT_EQ(loop.Run(), 5);
  EXPECT_TRUE(window.delivered);
  EXPECT_EQ(log, (std::vector<std::string>{"watcher"}));
  EXPECT_GE(idle.calls, 1);
}

TEST(MessageLoopTest, ConsumedMessageNeverReachesItsWindow) {
  std::vector<std::string> log;
  RecordingFilter catcher(log, "catcher", true);
  CMessageLoop loop;
  loop.AddMessageFilter(&catcher);
  QuittingWindow window;
  ASSERT_TRUE(PostMessageA(window.Handle(), WM_USER + 77, 5, 0));
  QTimer::singleShot(100, [] { PostQuitMessage(3); });
  EXPECT_EQ(loop.Run(), 3);
  EXPECT_FALSE(window.delivered);
}

TEST(MessageLoopTest, PostToAWindowThatIsGoneFails) {
  HWND handle = nullptr;
  {
    QuittingWindow window;
    handle = window.Handle();
  }
  EXPECT_FALSE(PostMessageA(handle, WM_USER + 77, 0, 0));
}

}  // namespace
