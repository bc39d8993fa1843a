#include "dialog_widget.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWindow>

#include "dialog_host.h"
#include "user_objects.h"

namespace {

// The dialog class's background brush, which erases before WM_PAINT.
const QColor kDialogFace(240, 240, 240);

WPARAM KeyFlagsOf(const QMouseEvent* event) {
  return (event->buttons() & Qt::LeftButton) ? MK_LBUTTON : 0;
}

LPARAM PointOf(const QMouseEvent* event) {
  const QPoint point = event->position().toPoint();
  return MAKELPARAM(static_cast<WORD>(point.x()), static_cast<WORD>(point.y()));
}

}  // namespace

CDialogWidget::CDialogWidget(CDialogHost* host)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), m_host(host) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
}

void CDialogWidget::BeginMove() {
  if (windowHandle() != nullptr && windowHandle()->startSystemMove()) return;
  // No window manager took the move: follow the pointer ourselves.
  m_bMoving = true;
  m_moveOffset = m_lastGlobal - pos();
}

void CDialogWidget::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.fillRect(event->rect(), kDialogFace);
  if (m_host == nullptr) return;
  // GDI calls made while WM_PAINT is handled draw with this painter.
  m_host->BeginPainting(&painter, event->rect());
  m_host->Dispatch(WM_PAINT, 0, 0);
  m_host->EndPainting();
}

void CDialogWidget::mouseMoveEvent(QMouseEvent* event) {
  m_lastGlobal = event->globalPosition().toPoint();
  if (m_bMoving) {
    move(m_lastGlobal - m_moveOffset);
    return;
  }
  unsetCursor();
  DispatchMouse(WM_MOUSEMOVE, event);
}

void CDialogWidget::mousePressEvent(QMouseEvent* event) {
  m_lastGlobal = event->globalPosition().toPoint();
  if (event->button() == Qt::LeftButton) DispatchMouse(WM_LBUTTONDOWN, event);
}

void CDialogWidget::mouseReleaseEvent(QMouseEvent* event) {
  m_lastGlobal = event->globalPosition().toPoint();
  if (event->button() != Qt::LeftButton) return;
  if (m_bMoving) {
    m_bMoving = false;
    return;
  }
  DispatchMouse(WM_LBUTTONUP, event);
}

void CDialogWidget::closeEvent(QCloseEvent* event) {
  // Only the dialog decides when it closes.
  event->ignore();
  if (m_host != nullptr && m_host->IsRegistered()) m_host->Dispatch(WM_CLOSE, 0, 0);
}

void CDialogWidget::DispatchMouse(unsigned message, QMouseEvent* event) {
  if (m_host == nullptr || !m_host->IsRegistered()) return;
  SetCursorWindow(this);
  m_host->Dispatch(message, KeyFlagsOf(event), PointOf(event));
  SetCursorWindow(nullptr);
}
