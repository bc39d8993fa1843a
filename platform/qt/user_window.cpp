#include "platform/win32/user_window.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "dialog_host.h"
#include "gdi_objects.h"

namespace {

// Pushes a span back inside [low, high): first off the far edge, then off the
// near one, so a window larger than the area keeps its top-left corner in it.
int KeepInside(int start, int length, int low, int high) {
  if (start + length > high) start = high - length;
  if (start < low) start = low;
  return start;
}

QScreen* NearestScreen(const QWidget* widget) {
  QScreen* screen = QGuiApplication::screenAt(widget->geometry().center());
  return screen ? screen : QGuiApplication::primaryScreen();
}

}  // namespace

BOOL ShowWindow(HWND window, int command) {
  QWidget* widget = CWindowObject::WidgetFromHandle(window);
  if (widget == nullptr) return FALSE;
  const BOOL wasVisible = widget->isVisible() ? TRUE : FALSE;
  switch (command) {
    case SW_HIDE:
      widget->hide();
      break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
      widget->isWindow() ? widget->showMinimized() : widget->show();
      break;
    default:
      widget->isWindow() && widget->isMinimized() ? widget->showNormal() : widget->show();
      if (widget->isWindow() && command != SW_SHOWNA) widget->activateWindow();
      break;
  }
  return wasVisible;
}

BOOL DestroyWindow(HWND window) {
  auto* dialog = CWindowObject::FromHandle<CDialogHost>(window);
  return dialog ? dialog->Destroy() : FALSE;
}

BOOL SetWindowPos(HWND window, HWND, int x, int y, int width, int height, UINT flags) {
  QWidget* widget = CWindowObject::WidgetFromHandle(window);
  if (widget == nullptr) return FALSE;
  if (!(flags & SWP_NOMOVE)) widget->move(x, y);
  if (!(flags & SWP_NOSIZE)) widget->resize(width, height);
  if (!(flags & SWP_NOZORDER)) widget->raise();
  return TRUE;
}

BOOL GetWindowRect(HWND window, RECT* rect) {
  QWidget* widget = CWindowObject::WidgetFromHandle(window);
  if (widget == nullptr || rect == nullptr) return FALSE;
  const QPoint origin = widget->isWindow() ? widget->pos() : widget->mapToGlobal(QPoint(0, 0));
  *rect = RECT{origin.x(), origin.y(), origin.x() + widget->width(), origin.y() + widget->height()};
  return TRUE;
}

LONG SetWindowLongA(HWND window, int index, LONG value) {
  CWindowObject* object = CWindowObject::FromHandle(window);
  if (object == nullptr) return 0;
  DWORD* field = index == GWL_STYLE     ? &object->m_dwStyle
                 : index == GWL_EXSTYLE ? &object->m_dwExStyle
                                        : nullptr;
  if (field == nullptr) return 0;
  const LONG previous = static_cast<LONG>(*field);
  *field = static_cast<DWORD>(value);
  return previous;
}

LONG GetWindowLongA(HWND window, int index) {
  CWindowObject* object = CWindowObject::FromHandle(window);
  if (object == nullptr) return 0;
  if (index == GWL_STYLE) return static_cast<LONG>(object->m_dwStyle);
  if (index == GWL_EXSTYLE) return static_cast<LONG>(object->m_dwExStyle);
  return 0;
}

BOOL SetWindowTextW(HWND window, LPCWSTR text) {
  QWidget* widget = CWindowObject::WidgetFromHandle(window);
  if (widget == nullptr || text == nullptr) return FALSE;
  widget->setWindowTitle(QString::fromUtf16(text));
  return TRUE;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CWindowObject* object = CWindowObject::FromHandle(window);
  return object ? object->Send(message, wParam, lParam) : 0;
}

HWND GetDlgItem(HWND dialog, int id) {
  auto* host = CWindowObject::FromHandle<CDialogHost>(dialog);
  CWindowObject* control = host ? host->Control(id) : nullptr;
  return control ? control->Handle() : nullptr;
}

int SetWindowRgn(HWND window, HRGN region, BOOL redraw) {
  QWidget* widget = CWindowObject::WidgetFromHandle(window);
  if (widget == nullptr) return 0;
  CQtRegion* shape = RegionFromHandle(region);
  if (shape == nullptr) {
    widget->clearMask();
  } else {
    widget->setMask(shape->region);
  }
  delete region;
  if (redraw) widget->update();
  return 1;
}

BOOL CenterWindow(HWND window) {
  QWidget* widget = CWindowObject::WidgetFromHandle(window);
  if (widget == nullptr || !widget->isWindow()) return FALSE;
  const QRect area = NearestScreen(widget)->availableGeometry();
  const QSize size = widget->size();
  const int x = area.left() + (area.width() - size.width()) / 2;
  const int y = area.top() + (area.height() - size.height()) / 2;
  widget->move(KeepInside(x, size.width(), area.left(), area.left() + area.width()),
               KeepInside(y, size.height(), area.top(), area.top() + area.height()));
  return TRUE;
}
