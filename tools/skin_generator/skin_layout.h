#pragma once
// The skin's geometry (res/skin_geometry.h, shared with the program) in Qt's
// types, as the drawing code uses it.

#include <QPoint>
#include <QRect>
#include <QRgb>
#include <QSize>

#include "res/skin_geometry.h"

namespace layout {

constexpr QRect RectOf(skin::Box box) {
  return QRect(QPoint(box.left, box.top), QPoint(box.right - 1, box.bottom - 1));
}
constexpr QPoint PointOf(skin::Point point) { return QPoint(point.x, point.y); }
constexpr QRgb RgbOf(skin::Colour colour) { return qRgb(colour.red, colour.green, colour.blue); }

constexpr QRgb kKeyColour = RgbOf(skin::kKeyColour);

constexpr int kFaceWidth = skin::kFaceWidth;
constexpr int kFaceHeight = skin::kFaceHeight;
constexpr int kFirstShapeRow = skin::kFirstShapeRow;
constexpr int kLastShapeRow = skin::kLastShapeRow;
constexpr int kWidestLeft = skin::kWidestLeft;
constexpr int kWidestRight = skin::kWidestRight;

// right() and bottom() are the last pixels inside.
constexpr QRect kWebView = RectOf(skin::kWebView);
constexpr QRect kBars = RectOf(skin::kBars);
constexpr QRect kStatus = RectOf(skin::kStatus);
constexpr QPoint kMinimizeCell = PointOf(skin::kMinimizeButton);
constexpr QPoint kCloseCell = PointOf(skin::kCloseButton);
constexpr int kGlyphCell = skin::kButtonCell;

constexpr QPoint kStripOrigin = PointOf(skin::kStartStrip);
constexpr QSize kStripSize(skin::kStripWidth, skin::kStripHeight);
constexpr QRect kStripButtonBox = RectOf(skin::kStripButtonFace);

constexpr int kIconSize = skin::kIconSize;

}  // namespace layout
