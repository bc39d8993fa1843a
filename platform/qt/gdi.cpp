#include "platform/win32/gdi.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

#include "gdi_objects.h"
#include "window_object.h"

namespace {

QColor ColorOf(COLORREF color) {
  return QColor(GetRValue(color), GetGValue(color), GetBValue(color));
}

COLORREF ColorRefOf(QRgb pixel) { return RGB(qRed(pixel), qGreen(pixel), qBlue(pixel)); }

// Copies from a memory context's bitmap onto a window painter or onto another
// memory context's bitmap.
void CopyImage(HDC destination, const QRect& target, const QImage& source, const QRect& from) {
  if (destination->painter != nullptr) {
    destination->painter->drawImage(target, source, from);
    return;
  }
  if (destination->memory && destination->bitmap != &destination->stockBitmap) {
    QPainter painter(&destination->bitmap->image);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(target, source, from);
  }
}

// Text is always left-aligned; only a single line can be centred vertically.
int TextFlagsOf(UINT format) {
  if (!(format & DT_SINGLELINE)) return Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
  const int vertical = (format & DT_VCENTER) ? Qt::AlignVCenter : Qt::AlignTop;
  return Qt::AlignLeft | vertical | Qt::TextSingleLine;
}

// The room the text takes from the rectangle's top-left corner: one line as
// wide as the text, or lines wrapped at the rectangle's width.
int MeasureText(const QFont& font, const QString& text, RECT* rect, UINT format) {
  const QRect room(rect->left, rect->top, std::max(rect->right - rect->left, LONG{0}),
                   std::max(rect->bottom - rect->top, LONG{0}));
  const QRect taken =
      QFontMetrics(font).boundingRect(room, TextFlagsOf(format & ~DT_VCENTER), text);
  rect->right = rect->left + taken.width();
  rect->bottom = rect->top + taken.height();
  return taken.height();
}

}  // namespace

CQtBitmap* BitmapFromHandle(HGDIOBJ object) { return dynamic_cast<CQtBitmap*>(object); }
CQtRegion* RegionFromHandle(HGDIOBJ object) { return dynamic_cast<CQtRegion*>(object); }
CQtFont* FontFromHandle(HGDIOBJ object) { return dynamic_cast<CQtFont*>(object); }

HDC BeginPaint(HWND window, PAINTSTRUCT* paint) {
  auto* hdc = new DeviceContext;
  hdc->font = &hdc->stockFont;
  CWindowObject* object = CWindowObject::FromHandle(window);
  QRect area;
  if (object != nullptr) {
    hdc->painter = object->ActivePainter();
    area = object->ActivePaintRect();
  }
  if (hdc->painter != nullptr) hdc->stockFont.font = hdc->painter->font();
  if (paint != nullptr) {
    paint->hdc = hdc;
    paint->fErase = FALSE;
    paint->rcPaint =
        RECT{area.left(), area.top(), area.left() + area.width(), area.top() + area.height()};
  }
  return hdc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT* paint) {
  if (paint == nullptr || paint->hdc == nullptr) return FALSE;
  delete paint->hdc;
  return TRUE;
}

HDC CreateCompatibleDC(HDC) {
  auto* hdc = new DeviceContext;
  hdc->memory = true;
  hdc->stockBitmap.image = QImage(1, 1, QImage::Format_RGB32);
  hdc->stockBitmap.image.fill(Qt::black);
  hdc->bitmap = &hdc->stockBitmap;
  hdc->font = &hdc->stockFont;
  return hdc;
}

BOOL DeleteDC(HDC hdc) {
  if (hdc == nullptr) return FALSE;
  delete hdc;
  return TRUE;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object) {
  if (hdc == nullptr) return nullptr;
  if (CQtFont* font = FontFromHandle(object)) return std::exchange(hdc->font, font);
  CQtBitmap* bitmap = BitmapFromHandle(object);
  if (!hdc->memory || bitmap == nullptr) return nullptr;
  return std::exchange(hdc->bitmap, bitmap);
}

BOOL DeleteObject(HGDIOBJ object) {
  if (object == nullptr) return FALSE;
  delete object;
  return TRUE;
}

BOOL BitBlt(HDC destination, int x, int y, int width, int height, HDC source, int sourceX,
            int sourceY, DWORD rop) {
  if (destination == nullptr || source == nullptr || rop != SRCCOPY) return FALSE;
  if (!source->memory || source->bitmap == nullptr) return FALSE;
  CopyImage(destination, QRect(x, y, width, height), source->bitmap->image,
            QRect(sourceX, sourceY, width, height));
  return TRUE;
}

COLORREF GetPixel(HDC hdc, int x, int y) {
  if (hdc == nullptr || !hdc->memory || hdc->bitmap == nullptr) return CLR_INVALID;
  const QImage& image = hdc->bitmap->image;
  if (!image.valid(x, y)) return CLR_INVALID;
  return ColorRefOf(image.pixel(x, y));
}

int GetObjectA(HGDIOBJ object, int size, void* buffer) {
  CQtBitmap* bitmap = BitmapFromHandle(object);
  if (bitmap == nullptr || buffer == nullptr || size < static_cast<int>(sizeof(BITMAP))) return 0;
  BITMAP info{};
  info.bmWidth = bitmap->image.width();
  info.bmHeight = bitmap->image.height();
  info.bmWidthBytes = ((info.bmWidth * 24 + 15) / 16) * 2;
  info.bmPlanes = 1;
  info.bmBitsPixel = 24;
  std::memcpy(buffer, &info, sizeof info);
  return sizeof info;
}

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
  auto* region = new CQtRegion;
  if (right > left && bottom > top) region->region = QRegion(left, top, right - left, bottom - top);
  return region;
}

int CombineRgn(HRGN destination, HRGN first, HRGN second, int mode) {
  CQtRegion* target = RegionFromHandle(destination);
  CQtRegion* one = RegionFromHandle(first);
  CQtRegion* two = RegionFromHandle(second);
  // Union is the only combination the window shape needs.
  if (target == nullptr || one == nullptr || two == nullptr || mode != RGN_OR) return REGION_ERROR;
  target->region = one->region.united(two->region);
  if (target->region.isEmpty()) return NULLREGION;
  return target->region.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

int SetBkMode(HDC hdc, int mode) {
  if (hdc == nullptr) return 0;
  const int previous = hdc->backgroundMode;
  hdc->backgroundMode = mode;
  return previous;
}

COLORREF SetTextColor(HDC hdc, COLORREF color) {
  if (hdc == nullptr) return CLR_INVALID;
  const COLORREF previous = hdc->textColor;
  hdc->textColor = color;
  return previous;
}

int DrawTextW(HDC hdc, LPCWSTR text, int length, RECT* rect, UINT format) {
  if (hdc == nullptr || text == nullptr || rect == nullptr) return 0;
  const QString shown = QString::fromUtf16(text, length);
  if (format & DT_CALCRECT) return MeasureText(hdc->font->font, shown, rect, format);
  if (shown.isEmpty() || hdc->painter == nullptr) return 0;
  const QRect area(QPoint(rect->left, rect->top), QPoint(rect->right - 1, rect->bottom - 1));
  QPainter& painter = *hdc->painter;
  painter.save();
  painter.setClipRect(area, Qt::IntersectClip);
  const int flags = TextFlagsOf(format);
  painter.setPen(ColorOf(hdc->textColor));
  painter.setFont(hdc->font->font);
  QRect drawn;
  painter.drawText(area, flags, shown, &drawn);
  painter.restore();
  return drawn.height();
}

HBITMAP LoadBitmapA(HINSTANCE, LPCSTR name) {
  if (!IS_INTRESOURCE(name)) return nullptr;
  const auto id = static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(name));
  QImage image(QStringLiteral(":/bitmap/%1").arg(id));
  if (image.isNull()) return nullptr;
  auto* bitmap = new CQtBitmap;
  bitmap->image = image.convertToFormat(QImage::Format_RGB32);
  return bitmap;
}
