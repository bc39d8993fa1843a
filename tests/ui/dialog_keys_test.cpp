// Only the dialog's own buttons close it: Enter, Escape and the window
// manager's close request reach it and are ignored.

#include <QCloseEvent>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "platform/win32/app_module.h"
#include "platform/win32/dialog_keyboard.h"
#include "tests/ui/dialog_fixture.h"

namespace ui_test {
namespace {

// Sees what the loop offers before the dialog does.
class KeyRecorder : public CMessageFilter {
 public:
  BOOL PreTranslateMessage(MSG* msg) override {
    if (msg->message == WM_KEYDOWN) keys.push_back(static_cast<int>(msg->wParam));
    return FALSE;
  }
  std::vector<int> keys;
};

TEST(DialogKeysTest, EnterEscapeAndCloseRequestLeaveTheWindowOpen) {
  CMessageLoop loop;
  g_Module.AddMessageLoop(&loop);
  g_szManifestUrl = kUnreachableManifest;
  CMainDlg dialog;
  HWND window = dialog.Create(nullptr, 0);
  ASSERT_NE(window, nullptr);
  dialog.m_thread.join();
  QWidget* widget = WidgetOf(window);
  CWindowObject::FromHandle(window)->DropPostedMessages();
  ::ShowWindow(window, SW_SHOW);
  KeyRecorder recorder;
  loop.AddMessageFilter(&recorder);  // added last: asked first

  bool stillOpen = false;
  QTimer::singleShot(0, [&] {
    QTest::keyClick(widget->windowHandle(), Qt::Key_Return);
    QTest::keyClick(widget->windowHandle(), Qt::Key_Escape);
    QCloseEvent request;
    QCoreApplication::sendEvent(widget, &request);
    QTimer::singleShot(50, [&] {
      stillOpen = IsWindow(window) && widget->isVisible();
      loop.RemoveMessageFilter(&recorder);
      dialog.CloseDialog(0);
    });
  });
  EXPECT_EQ(loop.Run(), 0);
  g_Module.RemoveMessageLoop();

  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(recorder.keys, (std::vector<int>{VK_RETURN, VK_ESCAPE}));
}

class DialogKeyboardTest : public DialogTest {};

TEST_F(DialogKeyboardTest, EnterAndEscapeAreDialogKeysOthersAreNot) {
  MSG enter{m_window, WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
  MSG escape{m_window, WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
  MSG letter{m_window, WM_KEYDOWN, 'A', 0, 0, {0, 0}};
  MSG posted{m_window, WM_USER + 1, 0, 0, 0, {0, 0}};
  MSG inBrowser{
      m_dialog->GetDlgItem(CMainDlg::kPromoControlId), WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
  EXPECT_TRUE(m_dialog->PreTranslateMessage(&enter));
  EXPECT_TRUE(m_dialog->PreTranslateMessage(&escape));
  EXPECT_FALSE(m_dialog->PreTranslateMessage(&letter));
  EXPECT_FALSE(m_dialog->PreTranslateMessage(&posted));
  EXPECT_FALSE(m_dialog->PreTranslateMessage(&inBrowser));
  EXPECT_TRUE(IsWindow(m_window));
}

}  // namespace
}  // namespace ui_test
