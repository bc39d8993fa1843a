#include "emblem_artwork.h"

#include "artwork_kit.h"
#include "skin_layout.h"

#include <QPainterPath>
#include <QRadialGradient>

namespace {

QPainterPath shieldShape(qreal size) {
  const qreal s = size / 256.0;
  QPainterPath path;
  path.moveTo(128 * s, 14 * s);
  path.cubicTo(160 * s, 32 * s, 196 * s, 38 * s, 226 * s, 36 * s);
  path.cubicTo(232 * s, 120 * s, 208 * s, 196 * s, 128 * s, 244 * s);
  path.cubicTo(48 * s, 196 * s, 24 * s, 120 * s, 30 * s, 36 * s);
  path.cubicTo(60 * s, 38 * s, 96 * s, 32 * s, 128 * s, 14 * s);
  path.closeSubpath();
  return path;
}

void fillShield(QImage& icon, const QPainterPath& shield) {
  QImage stone(icon.size(), QImage::Format_ARGB32);
  fillStone(stone, stone.rect(), QColor(70, 62, 54), QColor(24, 21, 18), 128);
  QPainter painter(&icon);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0, 0, 0, 120));
  painter.drawPath(shield.translated(0, 4));
  painter.setBrush(QBrush(stone));
  painter.drawPath(shield);
  QRadialGradient light(QPointF(110, 80), 170);
  light.setColorAt(0.0, QColor(120, 40, 30, 110));
  light.setColorAt(1.0, QColor(0, 0, 0, 120));
  painter.setBrush(light);
  painter.drawPath(shield);
}

}  // namespace

QImage paintEmblem(const QFont& monogramFont) {
  QImage icon(layout::kIconSize, layout::kIconSize, QImage::Format_ARGB32);
  icon.fill(Qt::transparent);
  const QPainterPath shield = shieldShape(layout::kIconSize);
  fillShield(icon, shield);
  QPainter painter(&icon);
  painter.setRenderHint(QPainter::Antialiasing, true);
  strokeGoldRim(painter, shield, 9.0);
  painter.setPen(QPen(QColor(214, 168, 82, 160), 2.0));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(insetPath(shield, 22));
  drawEngravedText(painter, QStringLiteral("V"), monogramFont, QPointF(128, 138),
                   goldGradient(QPointF(0, 70), QPointF(0, 200)), QColor(28, 12, 4), 6.0);
  drawGem(painter, QPointF(128, 46), 12, QColor(40, 140, 205));
  return icon;
}
