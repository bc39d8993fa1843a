#pragma once
#include "layer_private.h"
// The Qt side of a window handle: one widget with its handle, control ID and
// style words. Lives in the platform layer only. Created, used and destroyed
// on the user-interface thread; Post and Invalidate may come from any thread
// and only queue events for the widget.

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "platform/win32/message_target.h"
#include "platform/win32/ui_types.h"

class CWindowObject : public CMessageTarget {
 public:
  CWindowObject(QWidget* widget, int controlId);
  ~CWindowObject() override;
  CWindowObject(const CWindowObject&) = delete;
  CWindowObject& operator=(const CWindowObject&) = delete;

  // The object registered for a handle, or null; user-interface thread only.
  static CWindowObject* FromHandle(HWND window);
  // Its widget, or null.
  static QWidget* WidgetFromHandle(HWND window);
  // The object whose widget is the given one or its nearest registered
  // ancestor, or null.
  static CWindowObject* FromWidget(const QWidget* widget);

  HWND Handle() const { return m_hWnd; }
  QWidget* Widget() const { return m_widget.data(); }
  int ControlId() const { return m_nControlId; }

  DWORD m_dwStyle = 0;
  DWORD m_dwExStyle = 0;

  // The window's procedure, called for sent and posted messages.
  virtual LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam);
  // Takes the handle out of the table; later posts and sends fail.
  void Unregister();
  bool IsRegistered() const { return m_hWnd != nullptr; }
  // Throws away the messages posted to this window and not handled yet.
  void DropPostedMessages();

  void Post(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Invalidate(const RECT* rect, BOOL erase) override;

 protected:
  QPointer<QWidget> m_widget;

 private:
  // Receives the queued posts and repaint requests on the window's thread.
  std::unique_ptr<QObject> m_receiver;
  HWND m_hWnd;
  int m_nControlId;
};
