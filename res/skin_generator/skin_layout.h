#pragma once
// Window-pixel geometry the program relies on; the artwork is drawn around it.

#include <QPoint>
#include <QRect>
#include <QRgb>
#include <QSize>

namespace skin {

constexpr QRgb kKeyColour = 0xFFFF00FFu;  // RGB(255, 0, 255), cut out of the window

constexpr int kFaceWidth = 623;
constexpr int kFaceHeight = 617;
constexpr int kFirstShapeRow = 18;
constexpr int kLastShapeRow = 605;
constexpr int kWidestLeft = 8;
constexpr int kWidestRight = 612;

// QRect(x, y, w, h); right() and bottom() are the last pixels inside.
constexpr QRect kWebView(53, 113, 517, 387);
constexpr QRect kBars(69, 505, 486, 56);
constexpr QRect kStatus(165, 563, 293, 26);
constexpr QPoint kMinimizeCell(476, 84);
constexpr QPoint kCloseCell(519, 84);
constexpr int kGlyphCell = 25;

constexpr QPoint kStripOrigin(69, 505);
constexpr QSize kStripSize(454, 56);
constexpr QRect kStripButtonBox(146, 5, 164, 46);  // strip pixels 146..309 x 5..50

constexpr int kIconSize = 256;

constexpr QRgb kStatusTextColour = 0xFF50A8D1u;  // RGB(80, 168, 209)

}  // namespace skin
