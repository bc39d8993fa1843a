#include "window_object.h"

#include <QCoreApplication>
#include <QVariant>
#include <cstdint>

#include "window_events.h"

namespace {

// The kind under which the handle table holds the layer's windows; targets
// registered by anyone else are never taken for one.
constexpr int kWindowObjectKind = 0x5157;

// A widget names its window by handle, so a stale widget finds nothing.
constexpr char kHandleProperty[] = "veltraWindowHandle";

HWND HandleOfWidget(const QWidget* widget) {
  const QVariant handle = widget->property(kHandleProperty);
  return handle.isValid() ? reinterpret_cast<HWND>(handle.value<quintptr>()) : nullptr;
}

class CWindowReceiver final : public QObject {
 public:
  explicit CWindowReceiver(CWindowObject* window) : m_window(window) {}

 protected:
  bool event(QEvent* event) override {
    if (event->type() == CPostedMessageEvent::EventType()) {
      const MSG& msg = static_cast<CPostedMessageEvent*>(event)->Message();
      if (m_window->IsRegistered()) m_window->Send(msg.message, msg.wParam, msg.lParam);
      return true;
    }
    if (event->type() == CInvalidateEvent::EventType()) {
      if (QWidget* widget = m_window->Widget()) {
        ApplyRepaint(widget, *static_cast<CInvalidateEvent*>(event));
      }
      return true;
    }
    return QObject::event(event);
  }

 private:
  CWindowObject* m_window;
};

}  // namespace

CWindowObject::CWindowObject(QWidget* widget, int controlId, WindowKind kind)
    : m_receiver(std::make_unique<CWindowReceiver>(this)),
      m_hWnd(RegisterMessageTarget(this, kWindowObjectKind)),
      m_nControlId(controlId),
      m_kind(kind) {
  AttachWidget(widget);
}

CWindowObject::~CWindowObject() { Unregister(); }

void CWindowObject::AttachWidget(QWidget* widget) {
  m_widget = widget;
  if (widget != nullptr) {
    widget->setProperty(kHandleProperty, QVariant::fromValue(reinterpret_cast<quintptr>(m_hWnd)));
  }
}

CWindowObject* CWindowObject::FromHandle(HWND window) {
  if (window == nullptr) return nullptr;
  return static_cast<CWindowObject*>(FindMessageTarget(window, kWindowObjectKind));
}

QWidget* CWindowObject::WidgetFromHandle(HWND window) {
  CWindowObject* object = FromHandle(window);
  return object ? object->Widget() : nullptr;
}

CWindowObject* CWindowObject::FromWidget(const QWidget* widget) {
  for (; widget != nullptr; widget = widget->parentWidget()) {
    if (CWindowObject* object = FromHandle(HandleOfWidget(widget))) return object;
  }
  return nullptr;
}

LRESULT CWindowObject::Send(UINT, WPARAM, LPARAM) { return 0; }

void CWindowObject::Unregister() {
  if (m_hWnd == nullptr) return;
  UnregisterMessageTarget(m_hWnd);
  m_hWnd = nullptr;
  QCoreApplication::removePostedEvents(m_receiver.get());
}

void CWindowObject::BeginPainting(QPainter* painter, const QRect& area) {
  m_activePainter = painter;
  m_activePaintRect = area;
}

void CWindowObject::EndPainting() {
  m_activePainter = nullptr;
  m_activePaintRect = QRect();
}

void CWindowObject::DropPostedMessages() {
  QCoreApplication::removePostedEvents(m_receiver.get(), CPostedMessageEvent::EventType());
}

void CWindowObject::Post(UINT message, WPARAM wParam, LPARAM lParam) {
  QCoreApplication::postEvent(m_receiver.get(),
                              new CPostedMessageEvent(m_hWnd, message, wParam, lParam));
}

void CWindowObject::Invalidate(const RECT* rect, BOOL erase) {
  RequestRepaint(m_receiver.get(), m_widget.data(), rect, erase);
}
