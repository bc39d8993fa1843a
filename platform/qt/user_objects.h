#pragma once
#include "layer_private.h"
// What stands behind icon and cursor handles. Platform layer only.

#include <QIcon>
#include <QPixmap>
#include <Qt>

#include "platform/win32/ui_types.h"

struct IconObject {
  QPixmap pixmap;
};

struct CursorObject {
  Qt::CursorShape shape = Qt::ArrowCursor;
};

// The widget whose pointer message is being handled; SetCursor applies there.
class QWidget;
void SetCursorWindow(QWidget* widget);
