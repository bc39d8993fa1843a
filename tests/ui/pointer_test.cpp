// The pointer rules of the skinned window: hover, press, release, drag, and
// the start area that only wakes up when the bars are gone. Input goes
// through the window, so child controls get what lies over them.

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QWindow>
#include <chrono>
#include <thread>

#include "engine/download_messages.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/test_http_server.h"
#include "tests/ui/box_dismisser.h"
#include "tests/ui/dialog_fixture.h"
#include "tests/ui/paint_spy.h"
#include "ui/skin_layout.h"

namespace ui_test {
namespace {

const QPoint kOnFace(300, 60);
const QPoint kOnClose(530, 95);
const QPoint kOnMinimize(486, 95);
const QPoint kOnStart(300, 530);

class PointerTest : public DialogTest {
 protected:
  // The test driver remembers the last pointer position across windows; start
  // every test from a known spot on the face.
  void SetUp() override {
    DialogTest::SetUp();
    MoveTo(kOnFace + QPoint(5, 0));
  }
  QWindow* Window() { return m_widget->windowHandle(); }
  void MoveTo(QPoint point) {
    QTest::mouseMove(Window(), point);
    Drain();
  }
  void Press(QPoint point) {
    QTest::mousePress(Window(), Qt::LeftButton, Qt::NoModifier, point);
    Drain();
  }
  void Release(QPoint point) {
    QTest::mouseRelease(Window(), Qt::LeftButton, Qt::NoModifier, point);
    Drain();
  }
  void Finish() {
    Post(WM_DOWNLOAD_FINISHED, 0, 0);
    Drain();
  }
  // Once finished: onto the start button from the face, press and release.
  void ClickStart() {
    Finish();
    MoveTo(kOnFace);
    MoveTo(kOnStart);
    Press(kOnStart);
    Release(kOnStart);
  }
};

TEST_F(PointerTest, HoverRepaintsOnlyTheButtonItEntersOrLeaves) {
  MoveTo(kOnFace);
  PaintSpy spy(m_widget);
  MoveTo(kOnClose);
  EXPECT_TRUE(m_dialog->m_bHoverClose);
  EXPECT_EQ(spy.Painted(), QRegion(519, 84, 25, 25));
  spy.Clear();
  MoveTo(kOnClose + QPoint(3, 3));
  EXPECT_TRUE(spy.Painted().isEmpty());
  MoveTo(kOnFace);
  EXPECT_FALSE(m_dialog->m_bHoverClose);
  EXPECT_EQ(spy.Painted(), QRegion(519, 84, 25, 25));
}

TEST_F(PointerTest, MinimizeActsOnlyWhenPressAndReleaseStayOnIt) {
  MoveTo(kOnMinimize);
  Press(kOnMinimize);
  MoveTo(kOnFace);
  MoveTo(kOnMinimize);
  Release(kOnMinimize);
  EXPECT_FALSE(m_widget->isMinimized());

  Press(kOnMinimize);
  Release(kOnMinimize);
  EXPECT_TRUE(m_widget->isMinimized());
  EXPECT_FALSE(m_dialog->m_bHoverMinimize);
  EXPECT_FALSE(m_dialog->m_bPressedMinimize);
}

TEST_F(PointerTest, CloseLeftBeforeReleaseDoesNothing) {
  MoveTo(kOnClose);
  Press(kOnClose);
  MoveTo(kOnFace);
  MoveTo(kOnClose);
  Release(kOnClose);
  EXPECT_TRUE(IsWindow(m_window));
}

// Sent straight to the window with explicit screen positions, since the
// window moves under the pointer while it is dragged.
void SendMouse(QWidget* widget, QEvent::Type type, QPoint local, QPoint global,
               Qt::MouseButtons buttons) {
  const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
  QMouseEvent event(type, QPointF(local), QPointF(global), button, buttons, Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}

TEST_F(PointerTest, PressOnTheFaceDragsTheWindowUntilRelease) {
  const QPoint start = m_widget->pos();
  const QPoint grip = start + kOnFace;
  SendMouse(m_widget, QEvent::MouseMove, kOnFace, grip, Qt::NoButton);
  SendMouse(m_widget, QEvent::MouseButtonPress, kOnFace, grip, Qt::LeftButton);
  SendMouse(m_widget, QEvent::MouseMove, kOnFace + QPoint(40, 30), grip + QPoint(40, 30),
            Qt::LeftButton);
  EXPECT_EQ(m_widget->pos(), start + QPoint(40, 30));
  SendMouse(m_widget, QEvent::MouseButtonRelease, kOnFace, grip + QPoint(40, 30), Qt::NoButton);
  SendMouse(m_widget, QEvent::MouseMove, kOnFace + QPoint(40, 30), grip + QPoint(80, 60),
            Qt::NoButton);
  EXPECT_EQ(m_widget->pos(), start + QPoint(40, 30));
  EXPECT_TRUE(IsWindow(m_window));
}

TEST_F(PointerTest, PressBeforeAnyMoveCountsAsOnTheFace) {
  const QPoint start = m_widget->pos();
  const QPoint onClose = start + kOnClose;
  SendMouse(m_widget, QEvent::MouseButtonPress, kOnClose, onClose, Qt::LeftButton);
  SendMouse(m_widget, QEvent::MouseMove, kOnClose, onClose + QPoint(10, 10), Qt::LeftButton);
  EXPECT_EQ(m_widget->pos(), start + QPoint(10, 10));
  SendMouse(m_widget, QEvent::MouseButtonRelease, kOnClose, onClose + QPoint(10, 10), Qt::NoButton);
  EXPECT_TRUE(IsWindow(m_window));
}

TEST_F(PointerTest, StartAreaIsDeadWhileTheBarsCoverIt) {
  MoveTo(kOnStart);
  Press(kOnStart);
  Release(kOnStart);
  EXPECT_FALSE(m_dialog->m_bHoverStart);
  EXPECT_TRUE(IsWindow(m_window));
}

TEST_F(PointerTest, StartHoverRepaintsTheWholeButtonOnceFinished) {
  Finish();
  MoveTo(kOnFace);
  PaintSpy spy(m_widget);
  MoveTo(kOnStart);
  EXPECT_TRUE(m_dialog->m_bHoverStart);
  // The hit rectangle and every column where the two strips differ.
  const QRegion painted = spy.Painted();
  EXPECT_TRUE(painted.contains(QRect(223, 505, 184, 56)));
  EXPECT_TRUE(painted.contains(QRect(215, 510, 164, 46)));
  EXPECT_FALSE(painted.intersects(QRect(0, 0, 623, 500)));
}

TEST_F(PointerTest, StartReleaseWithoutAPressOnItDoesNotLaunch) {
  Finish();
  MoveTo(kOnMinimize);
  Press(kOnMinimize);
  MoveTo(kOnStart);
  Release(kOnStart);
  EXPECT_TRUE(IsWindow(m_window));
}

TEST_F(PointerTest, StartPressAndReleaseLaunchesTheInstallerAndEndsWithZero) {
  test_support::ScratchFolder folder;
  folder.Write("VeltraSetup.exe", "#!/bin/sh\ntouch \"$0.started\"\n");
  g_strInstallerPath = folder.PathOf("VeltraSetup.exe");
  ClickStart();

  EXPECT_FALSE(IsWindow(m_window));
  EXPECT_EQ(PendingExitCode(), 0);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!folder.Exists("VeltraSetup.exe.started") && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_TRUE(folder.Exists("VeltraSetup.exe.started"));
  g_strInstallerPath.clear();
}

// Nothing to start is a failed launch: its box, then -1.
TEST_F(PointerTest, StartWithNoInstallerEndsWithMinusOne) {
  g_strInstallerPath.clear();
  BoxDismisser dismisser;
  ClickStart();
  EXPECT_EQ(dismisser.Seen().size(), 1u);
  EXPECT_FALSE(IsWindow(m_window));
  EXPECT_EQ(PendingExitCode(), -1);
}

// The worker is still waiting for a manifest that never comes when the close
// button is used: closing must stop it, join it, and end with 0.
TEST(PointerCloseTest, CloseButtonStopsTheWorkerAndEndsWithZero) {
  test_support::TestHttpServer server;
  test_support::Route stalled;
  stalled.body = "never finished";
  stalled.stallAfter = 1;
  stalled.stallMs = 60000;
  server.SetRoute("/vltsetup_palamut/vlt_package.txt", stalled);
  const std::string url = server.Url("/vltsetup_palamut/vlt_package.txt");
  g_szManifestUrl = url.c_str();

  CMainDlg dialog;
  HWND window = dialog.Create(nullptr, 0);
  ASSERT_NE(window, nullptr);
  ::ShowWindow(window, SW_SHOW);
  Drain();
  QWindow* handle = WidgetOf(window)->windowHandle();
  const auto began = std::chrono::steady_clock::now();
  QTest::mouseMove(handle, kOnClose);
  QTest::mousePress(handle, Qt::LeftButton, Qt::NoModifier, kOnClose);
  QTest::mouseRelease(handle, Qt::LeftButton, Qt::NoModifier, kOnClose);

  EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(20));
  EXPECT_FALSE(dialog.m_thread.joinable());
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(PendingExitCode(), 0);
  Drain();
}

}  // namespace
}  // namespace ui_test
