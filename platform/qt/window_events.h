#pragma once
#include "layer_private.h"
// The Qt events that carry a posted message or a repaint request to the
// user-interface thread, where the receiving widget turns them back into a
// call of its window's procedure or an update.

#include <QEvent>
#include <QRect>

class QObject;
class QWidget;

#include "platform/win32/ui_types.h"

class CPostedMessageEvent : public QEvent {
 public:
  static QEvent::Type EventType();
  CPostedMessageEvent(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
      : QEvent(EventType()), m_msg{window, message, wParam, lParam, 0, {0, 0}} {}
  const MSG& Message() const { return m_msg; }

 private:
  MSG m_msg;
};

class CInvalidateEvent : public QEvent {
 public:
  static QEvent::Type EventType();
  // A null rectangle stands for the whole window.
  CInvalidateEvent(const QRect& rect, bool whole, bool erase)
      : QEvent(EventType()), m_rect(rect), m_bWhole(whole), m_bErase(erase) {}
  QRect Rect() const { return m_rect; }
  bool Whole() const { return m_bWhole; }
  bool Erase() const { return m_bErase; }

 private:
  QRect m_rect;
  bool m_bWhole;
  bool m_bErase;
};

// Repaints now when called on the widget's thread, else queues the request
// for the receiver, which lives on that thread.
void RequestRepaint(QObject* receiver, QWidget* widget, const RECT* rect, BOOL erase);
// Applies a queued or direct repaint request on the widget's own thread.
void ApplyRepaint(QWidget* widget, const CInvalidateEvent& request);
