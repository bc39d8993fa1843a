#include "window_object.h"

#include <QCoreApplication>
#include <unordered_map>

#include "window_events.h"

namespace {

// User-interface thread only, like every window of the program.
std::unordered_map<HWND, CWindowObject*>& Windows() {
  static std::unordered_map<HWND, CWindowObject*> windows;
  return windows;
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

CWindowObject::CWindowObject(QWidget* widget, int controlId)
    : m_widget(widget),
      m_receiver(std::make_unique<CWindowReceiver>(this)),
      m_hWnd(RegisterMessageTarget(this)),
      m_nControlId(controlId) {
  Windows()[m_hWnd] = this;
}

CWindowObject::~CWindowObject() { Unregister(); }

CWindowObject* CWindowObject::FromHandle(HWND window) {
  auto found = Windows().find(window);
  return found == Windows().end() ? nullptr : found->second;
}

QWidget* CWindowObject::WidgetFromHandle(HWND window) {
  CWindowObject* object = FromHandle(window);
  return object ? object->Widget() : nullptr;
}

CWindowObject* CWindowObject::FromWidget(const QWidget* widget) {
  for (; widget != nullptr; widget = widget->parentWidget()) {
    for (const auto& entry : Windows()) {
      if (entry.second->Widget() == widget) return entry.second;
    }
  }
  return nullptr;
}

LRESULT CWindowObject::Send(UINT, WPARAM, LPARAM) { return 0; }

void CWindowObject::Unregister() {
  if (m_hWnd == nullptr) return;
  UnregisterMessageTarget(m_hWnd);
  Windows().erase(m_hWnd);
  m_hWnd = nullptr;
  QCoreApplication::removePostedEvents(m_receiver.get());
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
