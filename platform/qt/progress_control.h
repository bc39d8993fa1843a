#pragma once
#include "layer_private.h"
// The common progress bar control on a QProgressBar: answers the set-range,
// set-position and get-position messages and keeps the pointer away from the
// dialog underneath it. Platform layer only; user-interface thread only.

#include <QRect>

#include "window_object.h"

class QProgressBar;

class CProgressControl final : public CWindowObject {
 public:
  CProgressControl(QWidget* parent, int controlId, const QRect& rect, DWORD style);
  LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  QProgressBar* Bar() const;
};
