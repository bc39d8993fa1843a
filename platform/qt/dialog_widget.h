#pragma once
#include "layer_private.h"
// The top-level Qt widget of a dialog: turns Qt's events into the dialog's
// messages and carries out the window move that the dialog asks for. Platform
// layer only; user-interface thread only.

#include <QPoint>
#include <QWidget>

class CDialogHost;

class CDialogWidget final : public QWidget {
 public:
  explicit CDialogWidget(CDialogHost* host);

  // Moves the window with the pointer until the left button is released.
  void BeginMove();
  bool Moving() const { return m_bMoving; }
  void Detach() { m_host = nullptr; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void DispatchMouse(unsigned message, QMouseEvent* event);

  CDialogHost* m_host;
  bool m_bMoving = false;
  QPoint m_moveOffset;
  QPoint m_lastGlobal;
};
