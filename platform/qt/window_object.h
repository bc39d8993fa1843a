#pragma once
#include "layer_private.h"
// The Qt side of a window handle: one widget with its handle, control ID and
// style words. Lives in the platform layer only. Created, used and destroyed
// on the user-interface thread; Post and Invalidate may come from any thread
// and only queue events for the widget.

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <memory>

#include "platform/kernel/window_table.h"
#include "platform/win32/ui_types.h"

class QPainter;

// What a window is, for the calls that act only on one sort of window.
enum class WindowKind { Control, Dialog, Hosted };

class CWindowObject : public CMessageTarget {
 public:
  static constexpr WindowKind kKind = WindowKind::Control;

  CWindowObject(QWidget* widget, int controlId, WindowKind kind = WindowKind::Control);
  ~CWindowObject() override;
  CWindowObject(const CWindowObject&) = delete;
  CWindowObject& operator=(const CWindowObject&) = delete;

  // The object registered for a handle, or null; user-interface thread only.
  static CWindowObject* FromHandle(HWND window);
  // The same, but null unless the window is of T's kind.
  template <typename T>
  static T* FromHandle(HWND window) {
    CWindowObject* object = FromHandle(window);
    return object != nullptr && object->Kind() == T::kKind ? static_cast<T*>(object) : nullptr;
  }
  // Its widget, or null.
  static QWidget* WidgetFromHandle(HWND window);
  // The object whose widget is the given one or its nearest registered
  // ancestor, or null.
  static CWindowObject* FromWidget(const QWidget* widget);

  HWND Handle() const { return m_hWnd; }
  QWidget* Widget() const { return m_widget.data(); }
  int ControlId() const { return m_nControlId; }
  WindowKind Kind() const { return m_kind; }

  // The painter and the area of the WM_PAINT being handled; null and empty
  // outside one.
  QPainter* ActivePainter() const { return m_activePainter; }
  QRect ActivePaintRect() const { return m_activePaintRect; }
  void BeginPainting(QPainter* painter, const QRect& area);
  void EndPainting();

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
  // Makes the widget this window's, so FromWidget finds it.
  void AttachWidget(QWidget* widget);

  QPointer<QWidget> m_widget;

 private:
  // Receives the queued posts and repaint requests on the window's thread.
  std::unique_ptr<QObject> m_receiver;
  HWND m_hWnd;
  int m_nControlId;
  WindowKind m_kind;
  QPainter* m_activePainter = nullptr;
  QRect m_activePaintRect;
};
