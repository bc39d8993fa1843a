#include "progress_control.h"

#include <QMouseEvent>
#include <QProgressBar>

namespace {

// Child windows take the pointer input over their own area, as on Windows:
// nothing they get travels on to the dialog.
class CProgressBarWidget final : public QProgressBar {
 public:
  explicit CProgressBarWidget(QWidget* parent) : QProgressBar(parent) {
    setMouseTracking(true);
    setTextVisible(false);
    setRange(0, 100);
    setValue(0);
    setStyleSheet(
        QStringLiteral("QProgressBar { background: #10161c; border: 1px solid #5c6670; }"
                       "QProgressBar::chunk { background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
                       " stop:0 #7fe07a, stop:0.5 #2fae2a, stop:1 #1d7c1a); }"));
  }

 protected:
  void mousePressEvent(QMouseEvent* event) override { event->accept(); }
  void mouseReleaseEvent(QMouseEvent* event) override { event->accept(); }
  void mouseMoveEvent(QMouseEvent* event) override { event->accept(); }
  void mouseDoubleClickEvent(QMouseEvent* event) override { event->accept(); }
};

}  // namespace

CProgressControl::CProgressControl(QWidget* parent, int controlId, const QRect& rect, DWORD)
    : CWindowObject(nullptr, controlId) {
  AttachWidget(new CProgressBarWidget(parent));
  m_widget->setGeometry(rect);
}

QProgressBar* CProgressControl::Bar() const { return static_cast<QProgressBar*>(Widget()); }

LRESULT CProgressControl::Send(UINT message, WPARAM wParam, LPARAM lParam) {
  QProgressBar* bar = Bar();
  if (bar == nullptr) return 0;
  switch (message) {
    case PBM_SETRANGE: {
      const LRESULT previous =
          MAKELPARAM(static_cast<WORD>(bar->minimum()), static_cast<WORD>(bar->maximum()));
      bar->setRange(LOWORD(static_cast<WPARAM>(lParam)), HIWORD(static_cast<WPARAM>(lParam)));
      return previous;
    }
    case PBM_SETPOS: {
      const LRESULT previous = bar->value();
      const int wanted = static_cast<int>(static_cast<std::intptr_t>(wParam));
      bar->setValue(qBound(bar->minimum(), wanted, bar->maximum()));
      return previous;
    }
    case PBM_GETPOS:
      return bar->value();
    default:
      return 0;
  }
}
