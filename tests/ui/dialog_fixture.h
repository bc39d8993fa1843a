#pragma once
// A created main dialog whose worker has already given up on an unreachable
// manifest, with its report thrown away, so each test starts from a quiet,
// working window and posts what it needs itself.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <memory>

#include "engine/download_globals.h"
#include "platform/win32/message_loop.h"
#include "ui/main_dlg.h"
#include "window_events.h"
#include "window_object.h"

namespace ui_test {

// Nothing listens on port 1 of the loopback address.
constexpr char kUnreachableManifest[] = "http://127.0.0.1:1/vltsetup_palamut/vlt_package.txt";

inline QWidget* WidgetOf(HWND window) { return CWindowObject::WidgetFromHandle(window); }

// Runs the queue until nothing is left for now.
inline void Drain() {
  for (int round = 0; round < 5; ++round) QCoreApplication::processEvents();
}

constexpr int kNoQuitPending = 12345;

// The exit code of a quit request posted and not yet taken by a loop, or
// kNoQuitPending.
inline int PendingExitCode() {
  CMessageLoop loop;
  // Fires only if the loop does not end at once; dies with it otherwise.
  QTimer fallback;
  fallback.setSingleShot(true);
  QObject::connect(&fallback, &QTimer::timeout, [] { PostQuitMessage(kNoQuitPending); });
  fallback.start(0);
  return loop.Run();
}

// The dialog's own painting, without its child controls. Rendering a masked
// widget shifts its output by the mask's origin, so the mask is set aside.
inline QImage RenderFace(QWidget* widget) {
  QImage image(widget->size(), QImage::Format_RGB32);
  image.fill(Qt::black);
  const QRegion shape = widget->mask();
  widget->clearMask();
  widget->render(&image, QPoint(), QRegion(widget->rect()), QWidget::RenderFlags());
  widget->setMask(shape);
  return image;
}

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CreateDialog(kUnreachableManifest);
    ShowQuiet();
  }

  void TearDown() override {
    if (IsWindow(m_window)) m_dialog->CloseDialog(0);
    m_dialog.reset();
    PendingExitCode();
    Drain();
  }

  void CreateDialog(const char* manifestUrl) {
    g_szManifestUrl = manifestUrl;
    m_dialog = std::make_unique<CMainDlg>();
    m_window = m_dialog->Create(nullptr, 0);
    ASSERT_NE(m_window, nullptr);
    m_widget = WidgetOf(m_window);
    ASSERT_NE(m_widget, nullptr);
  }

  void QuietWorker() {
    m_dialog->m_thread.join();
    CWindowObject::FromHandle(m_window)->DropPostedMessages();
  }

  void ShowQuiet() {
    QuietWorker();
    ::ShowWindow(m_window, SW_SHOW);
    Drain();
  }

  void Post(UINT message, WPARAM wParam, LPARAM lParam) {
    ASSERT_TRUE(PostMessageA(m_window, message, wParam, lParam));
  }

  std::unique_ptr<CMainDlg> m_dialog;
  HWND m_window = nullptr;
  QWidget* m_widget = nullptr;
};

}  // namespace ui_test
