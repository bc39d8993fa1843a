#pragma once
#include "layer_private.h"
// What stands behind the GDI handles. Platform layer only.

#include <QFont>
#include <QImage>
#include <QRegion>

#include "platform/win32/ui_types.h"

class QPainter;

struct CQtBitmap final : GdiBitmap {
  QImage image;
};

struct CQtRegion final : GdiRegion {
  QRegion region;
};

struct CQtFont final : GdiFont {
  QFont font;
};

struct DeviceContext {
  QPainter* painter = nullptr;  // a paint context on a window, or null
  CQtBitmap* bitmap = nullptr;  // selected bitmap of a memory context
  CQtBitmap stockBitmap;        // what a memory context starts with
  CQtFont* font = nullptr;      // selected font, never null once made
  CQtFont stockFont;            // what a context starts with: the painter's or the system's
  bool memory = false;
  int backgroundMode = OPAQUE;  // text is drawn without a background in any mode
  COLORREF textColor = RGB(0, 0, 0);
};

CQtBitmap* BitmapFromHandle(HGDIOBJ object);
CQtRegion* RegionFromHandle(HGDIOBJ object);
CQtFont* FontFromHandle(HGDIOBJ object);
