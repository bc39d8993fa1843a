#include "window_events.h"

#include <QCoreApplication>
#include <QThread>
#include <QWidget>

QEvent::Type CPostedMessageEvent::EventType() {
  static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

QEvent::Type CInvalidateEvent::EventType() {
  static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

void RequestRepaint(QObject* receiver, QWidget* widget, const RECT* rect, BOOL erase) {
  const QRect area =
      rect ? QRect(QPoint(rect->left, rect->top), QPoint(rect->right - 1, rect->bottom - 1))
           : QRect();
  CInvalidateEvent request(area, rect == nullptr, erase != FALSE);
  if (QThread::currentThread() == receiver->thread()) {
    if (widget != nullptr) ApplyRepaint(widget, request);
    return;
  }
  QCoreApplication::postEvent(receiver, new CInvalidateEvent(request));
}

void ApplyRepaint(QWidget* widget, const CInvalidateEvent& request) {
  if (request.Whole()) {
    widget->update();
  } else if (request.Rect().isValid()) {
    widget->update(request.Rect());
  }
}
