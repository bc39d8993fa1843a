#include "face_artwork.h"

#include "artwork_kit.h"
#include "face_outline.h"
#include "skin_layout.h"

#include <QPainterPath>
#include <QRadialGradient>
#include <QTransform>

#include <cmath>

namespace {

using namespace face;

constexpr QColor kAzure(40, 140, 205);
constexpr QColor kRuby(196, 26, 30);

QPainterPath spiralCurl(QPointF from, QPointF centre, qreal radius, qreal startAngle,
                        bool clockwise) {
  QPainterPath path(from);
  const qreal direction = clockwise ? 1.0 : -1.0;
  constexpr int steps = 40;
  for (int i = 0; i <= steps; ++i) {
    const qreal t = qreal(i) / steps;
    const qreal angle = startAngle + direction * t * 1.6 * M_PI;
    const qreal r = radius * (1.0 - 0.7 * t);
    const QPointF point = centre + r * QPointF(std::cos(angle), std::sin(angle));
    if (i == 0)
      path.quadTo(QPointF((from.x() + point.x()) / 2, from.y()), point);
    else
      path.lineTo(point);
  }
  return path;
}

// Scrollwork for the top-left corner, origin at the inner corner of the rim.
QPainterPath cornerScroll() {
  QPainterPath arm;
  arm.moveTo(4, 4);
  arm.cubicTo(18, 10, 34, 2, 52, 8);
  arm.connectPath(spiralCurl(QPointF(52, 8), QPointF(60, 14), 7, -M_PI / 2, true));
  QPainterPath leaf;
  leaf.moveTo(10, 10);
  leaf.cubicTo(22, 14, 26, 24, 38, 22);
  leaf.cubicTo(30, 16, 22, 12, 10, 10);
  QPainterPath scroll = arm;
  scroll.addPath(QTransform(0, 1, 1, 0, 0, 0).map(arm));
  scroll.addPath(leaf);
  scroll.addPath(QTransform(0, 1, 1, 0, 0, 0).map(leaf));
  return scroll;
}

void drawCornerOrnaments(QPainter& painter) {
  const QPainterPath scroll = cornerScroll();
  const QPointF topLeft(kBodyLeft + 8, kBodyTop + 8);
  const QTransform corners[] = {
      QTransform::fromTranslate(topLeft.x(), topLeft.y()),
      QTransform(-1, 0, 0, 1, mirrorX(topLeft.x()), topLeft.y()),
      QTransform(1, 0, 0, -1, topLeft.x(), kBodyBottom - 8),
      QTransform(-1, 0, 0, -1, mirrorX(topLeft.x()), kBodyBottom - 8),
  };
  for (const QTransform& corner : corners) {
    drawFiligree(painter, corner.map(scroll), 2.2);
    drawGem(painter, corner.map(QPointF(9, 9)), 4.2, kRuby);
  }
}

void drawMedallions(QPainter& painter) {
  for (qreal x : {qreal(28), mirrorX(28)}) {
    const QPointF centre(x, kMedallionY);
    QRadialGradient disc(centre - QPointF(5, 6), 24);
    disc.setColorAt(0.0, QColor(70, 60, 50));
    disc.setColorAt(1.0, QColor(18, 14, 10));
    painter.setPen(Qt::NoPen);
    painter.setBrush(disc);
    painter.drawEllipse(centre, 16, 16);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(
        QPen(QBrush(goldGradient(centre - QPointF(16, 16), centre + QPointF(16, 16))), 2.4));
    painter.drawEllipse(centre, 15, 15);
    drawGem(painter, centre, 8, kAzure);
    QPainterPath tendrils;
    for (qreal sign : {-1.0, 1.0}) {
      const qreal near = kMedallionY + sign * 22;
      const qreal far = kMedallionY + sign * 150;
      tendrils.moveTo(x, near);
      tendrils.lineTo(x, far);
      const qreal mid = (near + far) / 2;
      tendrils.addPolygon(
          QPolygonF{{x, mid - 7}, {x + 4, mid}, {x, mid + 7}, {x - 4, mid}, {x, mid - 7}});
    }
    drawFiligree(painter, tendrils, 1.8);
    for (qreal sign : {-1.0, 1.0}) drawRivet(painter, QPointF(x, kMedallionY + sign * 152), 2.6);
  }
}

// The crest continued down into the top band as a pointed plate.
QPainterPath plaqueShape() {
  QPainterPath path;
  traceCrestTop(path);
  path.lineTo(mirrorX(196), 84);
  path.lineTo(mirrorX(290), 94);
  path.lineTo(kAxis, 104);
  path.lineTo(290, 94);
  path.lineTo(196, 84);
  path.closeSubpath();
  return path;
}

void drawTitlePlaque(QPainter& painter, const QFont& titleFont) {
  const QPainterPath plaque = plaqueShape();
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0, 0, 0, 130));
  painter.drawPath(plaque.translated(0, 3));
  QLinearGradient lacquer(0, 18, 0, 104);
  lacquer.setColorAt(0.0, QColor(74, 22, 18));
  lacquer.setColorAt(0.5, QColor(40, 10, 9));
  lacquer.setColorAt(1.0, QColor(18, 6, 5));
  painter.setBrush(lacquer);
  painter.drawPath(plaque);
  strokeGoldRim(painter, plaque, 3.2);
  const QPainterPath inner = insetPath(plaque, 7);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(QColor(214, 168, 82, 150), 1.0));
  painter.drawPath(inner);

  QRadialGradient glow(QPointF(kAxis, 62), 90);
  glow.setColorAt(0.0, QColor(255, 170, 80, 70));
  glow.setColorAt(1.0, QColor(255, 170, 80, 0));
  painter.setPen(Qt::NoPen);
  painter.setBrush(glow);
  painter.drawPath(inner);

  drawEngravedText(painter, QStringLiteral("Veltra"), titleFont, QPointF(kAxis, 63),
                   goldGradient(QPointF(0, 46), QPointF(0, 80)), QColor(30, 12, 4), 3.0);
  drawGem(painter, QPointF(kAxis, 30), 5.5, kAzure);
  drawGem(painter, QPointF(kAxis, 92), 3.4, kRuby);
}

// Engraved gold rails along the top band, joining the corner scrolls to the plaque.
void drawTopRails(QPainter& painter) {
  const qreal y = 78;
  const QLineF rails[] = {{96, y, 190, y}, {mirrorX(190), y, 466, y}};
  for (const QLineF& rail : rails) {
    painter.setPen(QPen(QColor(0, 0, 0, 160), 4.0));
    painter.drawLine(rail.translated(0, 1));
    painter.setPen(QPen(QBrush(goldGradient(QPointF(0, y - 2), QPointF(0, y + 2))), 2.6));
    painter.drawLine(rail);
  }
  for (qreal x : {qreal(120), qreal(160), mirrorX(160)}) drawRivet(painter, QPointF(x, y), 3.0);
  drawRivet(painter, QPointF(466, y), 3.0);
}

void drawRecess(QPainter& painter) {
  const QRectF recess(41.5, 105.5, 539, 488);
  QPainterPath path;
  path.addRoundedRect(recess, 6, 6);
  QLinearGradient shade(0, recess.top(), 0, recess.bottom());
  shade.setColorAt(0.0, QColor(6, 5, 4, 235));
  shade.setColorAt(1.0, QColor(12, 10, 9, 220));
  painter.setPen(Qt::NoPen);
  painter.setBrush(shade);
  painter.drawPath(path);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(QColor(0, 0, 0), 2.0));
  painter.drawPath(path);
  painter.setPen(QPen(QColor(120, 88, 40, 150), 1.0));
  painter.drawRoundedRect(recess.adjusted(-2, -2, 2, 2), 7, 7);
}

// Four-pixel gold bezel round the web view, thinner under it where the bars begin.
void drawWebBezel(QPainter& painter) {
  const QRect web = layout::kWebView;
  const QRectF outer(web.left() - 4, web.top() - 4, web.width() + 8, web.height() + 6);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QBrush(goldGradient(outer.topLeft(), outer.bottomRight())));
  painter.drawRect(outer);
  painter.setBrush(QColor(255, 236, 170, 90));
  painter.drawRect(QRectF(outer.left(), outer.top(), outer.width(), 1));
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.fillRect(web, Qt::black);
  painter.setRenderHint(QPainter::Antialiasing, true);
}

void fillStripes(QImage& image, const QRect& area) {
  for (int y = area.top(); y <= area.bottom(); ++y) {
    const int depth = std::min(y - area.top(), area.bottom() - y);
    const int shade = std::min(depth, 6) * 2;
    for (int x = area.left(); x <= area.right(); ++x) {
      const bool stripe = ((x + y) / 5) % 2 == 0;
      const int base = (stripe ? 20 : 14) + shade / 2;
      image.setPixel(x, y, qRgb(base, base + 1, base + 4));
    }
  }
}

// One grey frame round both bars; small ticks where the two bars meet.
void drawBarFrame(QPainter& painter) {
  const QRect bars = layout::kBars;
  const QRectF frame(bars.left() - 4, bars.top() - 3, bars.width() + 8, bars.height() + 5);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.fillRect(frame, QBrush(silverGradient(frame.topLeft(), frame.bottomLeft())));
  painter.fillRect(QRectF(frame.left(), frame.top(), frame.width(), 1), QColor(190, 192, 196));
  painter.fillRect(QRectF(frame.left(), frame.bottom() - 1, frame.width(), 1), QColor(40, 40, 44));
  const int seam = bars.top() + 28;
  for (qreal x : {frame.left() + 1, qreal(bars.right() + 2)})
    painter.fillRect(QRectF(x, seam - 1, 2, 2), QColor(210, 212, 216));
  painter.setRenderHint(QPainter::Antialiasing, true);
}

void drawStatusPlate(QPainter& painter) {
  const QRect status = layout::kStatus;
  const QRectF plate(status.left() - 6, status.top(), status.width() + 12, status.height() + 2);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(9, 9, 11));
  painter.drawRoundedRect(plate, 4, 4);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(QColor(120, 90, 44), 1.2));
  painter.drawRoundedRect(plate.adjusted(-1.5, -0.5, 1.5, 1.5), 5, 5);
}

// Scrolls either side of the status plate, pointing at it.
void drawStatusFlourishes(QPainter& painter) {
  const qreal y = layout::kStatus.center().y() + 1;
  QPainterPath left;
  left.moveTo(150, y);
  left.cubicTo(130, y - 9, 112, y + 8, 92, y);
  left.connectPath(spiralCurl(QPointF(92, y), QPointF(84, y - 4), 6, 0, false));
  left.moveTo(150, y);
  left.cubicTo(132, y + 10, 116, y + 12, 100, y + 8);
  QPainterPath both = left;
  both.addPath(QTransform(-1, 0, 0, 1, 2 * kAxis, 0).map(left));
  drawFiligree(painter, both, 1.8);
}

void drawFootGem(QPainter& painter) {
  QPainterPath line;
  line.moveTo(240, 599);
  line.lineTo(mirrorX(240), 599);
  drawFiligree(painter, line, 1.6);
  drawGem(painter, QPointF(kAxis, 598), 4.0, kRuby);
}

QRectF socketRect(QPoint cell) { return QRectF(cell.x() + 2.5, cell.y() + 2.5, 20, 20); }

void drawSocket(QPainter& painter, QPoint cell) {
  const QRectF socket = socketRect(cell);
  QRadialGradient well(socket.center() + QPointF(0, 3), 12);
  well.setColorAt(0.0, QColor(34, 30, 26));
  well.setColorAt(1.0, QColor(8, 7, 6));
  painter.setPen(QPen(QBrush(goldGradient(socket.topLeft(), socket.bottomLeft())), 1.6));
  painter.setBrush(well);
  painter.drawEllipse(socket);
}

enum class GlyphLook { Dim, Bright };

QPainterPath minimizeGlyph(QPoint cell) {
  QPainterPath path;
  path.addRoundedRect(QRectF(cell.x() + 7.5, cell.y() + 14, 10, 3), 1, 1);
  return path;
}

QPainterPath closeGlyph(QPoint cell) {
  const QPointF c(cell.x() + 12.5, cell.y() + 12.5);
  QPainterPath path;
  path.moveTo(c + QPointF(-4.5, -4.5));
  path.lineTo(c + QPointF(4.5, 4.5));
  path.moveTo(c + QPointF(4.5, -4.5));
  path.lineTo(c + QPointF(-4.5, 4.5));
  QPainterPathStroker stroker;
  stroker.setWidth(2.6);
  stroker.setCapStyle(Qt::RoundCap);
  return stroker.createStroke(path);
}

void drawGlyph(QPainter& painter, QPoint cell, const QPainterPath& glyph, GlyphLook look) {
  painter.save();
  painter.setClipRect(
      QRect(cell + QPoint(1, 1), QSize(layout::kGlyphCell - 2, layout::kGlyphCell - 2)));
  if (look == GlyphLook::Bright) {
    const QRectF socket = socketRect(cell);
    QRadialGradient glow(socket.center(), 11);
    glow.setColorAt(0.0, QColor(255, 200, 110, 150));
    glow.setColorAt(0.7, QColor(200, 120, 40, 60));
    glow.setColorAt(1.0, QColor(200, 120, 40, 0));
    painter.setPen(QPen(QColor(255, 226, 150), 1.6));
    painter.setBrush(glow);
    painter.drawEllipse(socket);
  }
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0, 0, 0, 170));
  painter.drawPath(glyph.translated(0.6, 1.0));
  painter.setBrush(look == GlyphLook::Bright ? QColor(255, 246, 214) : QColor(128, 116, 96));
  painter.drawPath(glyph);
  painter.restore();
}

QImage paintArtwork(const QFont& titleFont) {
  QImage art(layout::kFaceWidth, layout::kFaceHeight, QImage::Format_ARGB32);
  art.fill(Qt::black);
  fillStone(art, art.rect(), QColor(52, 46, 40), QColor(26, 23, 20), 203);
  const QPainterPath outline = faceOutline();
  {
    QPainter painter(&art);
    painter.setRenderHint(QPainter::Antialiasing, true);
    drawRecess(painter);
    strokeGoldRim(painter, outline, 5.0);
    painter.setPen(QPen(QColor(196, 150, 70, 110), 1.0));
    painter.drawPath(insetPath(outline, 11));
    drawTopRails(painter);
    drawCornerOrnaments(painter);
    drawMedallions(painter);
    drawTitlePlaque(painter, titleFont);
    drawWebBezel(painter);
    drawBarFrame(painter);
    drawStatusPlate(painter);
    drawStatusFlourishes(painter);
    drawFootGem(painter);
    drawSocket(painter, layout::kMinimizeCell);
    drawSocket(painter, layout::kCloseCell);
  }
  fillStripes(art, layout::kBars);
  return art;
}

// Anything that happens to land on the key colour inside the shape would punch a hole.
QRgb avoidKey(QRgb colour) {
  return (colour | 0xFF000000u) == layout::kKeyColour ? qRgb(254, 0, 254) : colour;
}

QImage cutOut(const QImage& art, const QImage& mask) {
  QImage face(art.size(), QImage::Format_RGB32);
  for (int y = 0; y < face.height(); ++y)
    for (int x = 0; x < face.width(); ++x)
      face.setPixel(
          x, y,
          qAlpha(mask.pixel(x, y)) ? avoidKey(art.pixel(x, y)) | 0xFF000000u : layout::kKeyColour);
  return face;
}

QImage withGlyphs(const QImage& base, GlyphLook look) {
  QImage image = base.copy();
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, true);
  drawGlyph(painter, layout::kMinimizeCell, minimizeGlyph(layout::kMinimizeCell), look);
  drawGlyph(painter, layout::kCloseCell, closeGlyph(layout::kCloseCell), look);
  return image;
}

}  // namespace

FaceImages paintFace(const QFont& titleFont) {
  const QImage base = cutOut(paintArtwork(titleFont), shapeMask(faceOutline()));
  const QImage bright = withGlyphs(base, GlyphLook::Bright);
  const QSize cell(layout::kGlyphCell, layout::kGlyphCell);
  return {withGlyphs(base, GlyphLook::Dim), bright.copy(QRect(layout::kMinimizeCell, cell)),
          bright.copy(QRect(layout::kCloseCell, cell))};
}
