#include "platform/win32/user_cursor.h"

#include <QPointer>
#include <QWidget>

#include "user_objects.h"

namespace {

QPointer<QWidget>& CursorWindow() {
  static QPointer<QWidget> window;
  return window;
}

HCURSOR& CurrentCursor() {
  static HCURSOR current = nullptr;
  return current;
}

}  // namespace

void SetCursorWindow(QWidget* widget) { CursorWindow() = widget; }

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
  static CursorObject arrow{Qt::ArrowCursor};
  static CursorObject hand{Qt::PointingHandCursor};
  if (instance != nullptr) return nullptr;
  if (name == IDC_ARROW) return &arrow;
  if (name == IDC_HAND) return &hand;
  return nullptr;
}

HCURSOR SetCursor(HCURSOR cursor) {
  const HCURSOR previous = CurrentCursor();
  CurrentCursor() = cursor;
  if (QWidget* window = CursorWindow().data()) {
    cursor ? window->setCursor(cursor->shape) : window->setCursor(Qt::BlankCursor);
  }
  return previous;
}
