#include "platform/win32/message_loop.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>
#include <QWindow>
#include <optional>

#include "start_failure.h"
#include "window_events.h"
#include "window_object.h"

namespace {

class CQuitEvent : public QEvent {
 public:
  static QEvent::Type EventType() {
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
  }
  explicit CQuitEvent(int code) : QEvent(EventType()), m_nCode(code) {}
  int Code() const { return m_nCode; }

 private:
  int m_nCode;
};

int VirtualKeyOf(int qtKey) {
  switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return VK_RETURN;
    case Qt::Key_Escape:
      return VK_ESCAPE;
    default:
      return 0;
  }
}

// A key press counts as the dialog's when it happens in a dialog window that
// no modal box covers.
HWND DialogOfKeyTarget(QObject* watched) {
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget == nullptr || QApplication::activeModalWidget() != nullptr) return nullptr;
  CWindowObject* window = CWindowObject::FromWidget(widget->window());
  if (window == nullptr || window->Kind() != WindowKind::Dialog) return nullptr;
  CWindowObject* nearest = CWindowObject::FromWidget(widget);
  return nearest ? nearest->Handle() : nullptr;
}

// Feeds Qt's events through a message loop while it runs.
class CLoopPump final : public QObject {
 public:
  CLoopPump(CMessageLoop* loop, QEventLoop* events) : m_loop(loop), m_events(events) {
    qApp->installEventFilter(this);
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance()) {
      connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] { RunIdle(); });
    }
  }
  ~CLoopPump() override { qApp->removeEventFilter(this); }

  void PostQuit(int code) { QCoreApplication::postEvent(this, new CQuitEvent(code)); }

 protected:
  bool event(QEvent* event) override {
    if (event->type() != CQuitEvent::EventType()) return QObject::event(event);
    m_events->exit(static_cast<CQuitEvent*>(event)->Code());
    return true;
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == CPostedMessageEvent::EventType()) {
      m_bIdle = true;
      MSG msg = static_cast<CPostedMessageEvent*>(event)->Message();
      return Offer(msg);
    }
    if (event->type() == QEvent::KeyPress) {
      // A key from the window system arrives at the window first, then at
      // the focus widget and up its parents.
      if (qobject_cast<QWindow*>(watched) != nullptr) m_lastKey = nullptr;
      return OfferKey(watched, static_cast<QKeyEvent*>(event));
    }
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease) {
      m_bIdle = true;
    }
    return false;
  }

 private:
  bool OfferKey(QObject* watched, QKeyEvent* key) {
    // Offer a key only on its first delivery to a widget.
    if (qobject_cast<QWidget*>(watched) == nullptr || key == m_lastKey) return false;
    m_lastKey = key;
    m_bIdle = true;
    const int virtualKey = VirtualKeyOf(key->key());
    HWND window = DialogOfKeyTarget(watched);
    if (virtualKey == 0 || window == nullptr) return false;
    MSG msg{window, WM_KEYDOWN, static_cast<WPARAM>(virtualKey), 0, 0, {0, 0}};
    return Offer(msg);
  }

  bool Offer(MSG& msg) {
    m_loop->m_msg = msg;
    return m_loop->PreTranslateMessage(&msg) != FALSE;
  }

  void RunIdle() {
    if (!m_bIdle) return;
    if (!m_loop->OnIdle(m_nIdleCount++)) {
      m_bIdle = false;
      m_nIdleCount = 0;
    }
  }

  CMessageLoop* m_loop;
  QEventLoop* m_events;
  const QKeyEvent* m_lastKey = nullptr;
  bool m_bIdle = true;
  int m_nIdleCount = 0;
};

std::vector<CLoopPump*>& RunningPumps() {
  static std::vector<CLoopPump*> pumps;
  return pumps;
}

std::optional<int>& PendingQuit() {
  static std::optional<int> pending;
  return pending;
}

}  // namespace

int CMessageLoop::Run() {
  if (std::optional<int> pending = std::exchange(PendingQuit(), std::nullopt)) return *pending;
  ToolkitStarted();
  QEventLoop events;
  CLoopPump pump(this, &events);
  RunningPumps().push_back(&pump);
  const int code = events.exec();
  RunningPumps().pop_back();
  return code;
}

void PostQuitMessage(int exitCode) {
  if (RunningPumps().empty()) {
    PendingQuit() = exitCode;
    return;
  }
  RunningPumps().back()->PostQuit(exitCode);
}
