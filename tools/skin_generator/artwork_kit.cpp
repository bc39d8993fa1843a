#include "artwork_kit.h"

#include <QFontInfo>
#include <QPainterPathStroker>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <random>

ValueNoise::ValueNoise(std::uint32_t seed) : m_values(kGrid * kGrid) {
  std::mt19937 engine(seed);
  for (double& v : m_values) v = static_cast<double>(engine()) / 4294967295.0;
}

double ValueNoise::at(double x, double y) const {
  const double fx = std::floor(x);
  const double fy = std::floor(y);
  const int x0 = static_cast<int>(fx) & (kGrid - 1);
  const int y0 = static_cast<int>(fy) & (kGrid - 1);
  const int x1 = (x0 + 1) & (kGrid - 1);
  const int y1 = (y0 + 1) & (kGrid - 1);
  auto smooth = [](double t) { return t * t * (3.0 - 2.0 * t); };
  const double tx = smooth(x - fx);
  const double ty = smooth(y - fy);
  auto v = [this](int ix, int iy) { return m_values[iy * kGrid + ix]; };
  const double top = v(x0, y0) + (v(x1, y0) - v(x0, y0)) * tx;
  const double bottom = v(x0, y1) + (v(x1, y1) - v(x0, y1)) * tx;
  return top + (bottom - top) * ty;
}

QLinearGradient goldGradient(QPointF from, QPointF to) {
  QLinearGradient g(from, to);
  g.setColorAt(0.00, QColor(255, 240, 190));
  g.setColorAt(0.22, QColor(226, 184, 96));
  g.setColorAt(0.48, QColor(150, 102, 38));
  g.setColorAt(0.70, QColor(214, 164, 78));
  g.setColorAt(1.00, QColor(92, 58, 20));
  return g;
}

QLinearGradient silverGradient(QPointF from, QPointF to) {
  QLinearGradient g(from, to);
  g.setColorAt(0.00, QColor(170, 172, 176));
  g.setColorAt(0.40, QColor(98, 100, 106));
  g.setColorAt(0.60, QColor(72, 74, 80));
  g.setColorAt(1.00, QColor(132, 134, 140));
  return g;
}

void fillStone(QImage& image, const QRect& area, QColor top, QColor bottom, std::uint32_t seed) {
  const ValueNoise coarse(seed);
  const ValueNoise fine(seed * 7919u + 17u);
  std::mt19937 grain(seed ^ 0x5A5A5A5Au);
  const int height = std::max(1, area.height() - 1);
  for (int y = area.top(); y <= area.bottom(); ++y) {
    const double t = double(y - area.top()) / height;
    QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = area.left(); x <= area.right(); ++x) {
      const double mottling =
          0.80 + 0.30 * coarse.at(x / 46.0, y / 46.0) + 0.12 * fine.at(x / 9.0, y / 9.0);
      const double speck = (static_cast<int>(grain() % 9) - 4) * 0.9;
      auto channel = [&](int a, int b) {
        const double base = a + (b - a) * t;
        return std::clamp(static_cast<int>(base * mottling + speck), 0, 255);
      };
      row[x] = qRgb(channel(top.red(), bottom.red()), channel(top.green(), bottom.green()),
                    channel(top.blue(), bottom.blue()));
    }
  }
}

QPainterPath insetPath(const QPainterPath& path, qreal distance) {
  QPainterPathStroker stroker;
  stroker.setWidth(2 * distance);
  stroker.setJoinStyle(Qt::RoundJoin);
  return path.subtracted(stroker.createStroke(path)).simplified();
}

void strokeGoldRim(QPainter& painter, const QPainterPath& path, qreal width) {
  const QRectF box = path.boundingRect();
  painter.save();
  painter.setClipPath(path, Qt::IntersectClip);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(
      QPen(QColor(20, 12, 4), 2 * width + 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.drawPath(path);
  painter.setPen(QPen(QBrush(goldGradient(box.topLeft(), box.bottomLeft())), 2 * width,
                      Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.drawPath(path);
  painter.setPen(QPen(QColor(255, 236, 170, 120), 1.2));
  painter.drawPath(insetPath(path, width * 0.45));
  painter.setPen(QPen(QColor(12, 8, 3), 2.5));
  painter.drawPath(path);
  painter.restore();
}

void drawGem(QPainter& painter, QPointF centre, qreal radius, QColor hue) {
  painter.save();
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0, 0, 0, 110));
  painter.drawEllipse(centre + QPointF(0.8, 1.4), radius + 2.6, radius + 2.6);
  const QRectF setting(centre.x() - radius - 2.5, centre.y() - radius - 2.5, 2 * radius + 5,
                       2 * radius + 5);
  painter.setBrush(QBrush(goldGradient(setting.topLeft(), setting.bottomRight())));
  painter.drawEllipse(setting);
  QRadialGradient body(centre - QPointF(radius * 0.3, radius * 0.35), radius * 1.3);
  body.setColorAt(0.0, hue.lighter(190));
  body.setColorAt(0.45, hue);
  body.setColorAt(1.0, hue.darker(420));
  painter.setBrush(body);
  painter.setPen(QPen(QColor(30, 18, 6), 0.8));
  painter.drawEllipse(centre, radius, radius);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(255, 255, 255, 200));
  painter.drawEllipse(centre + QPointF(-radius * 0.35, -radius * 0.4), radius * 0.28,
                      radius * 0.18);
  painter.setBrush(QColor(255, 255, 255, 70));
  painter.drawEllipse(centre + QPointF(radius * 0.3, radius * 0.35), radius * 0.35, radius * 0.22);
  painter.restore();
}

void drawRivet(QPainter& painter, QPointF centre, qreal radius) {
  painter.save();
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0, 0, 0, 140));
  painter.drawEllipse(centre + QPointF(0.6, 0.9), radius + 0.8, radius + 0.8);
  QRadialGradient head(centre - QPointF(radius * 0.4, radius * 0.4), radius * 1.6);
  head.setColorAt(0.0, QColor(255, 236, 176));
  head.setColorAt(0.5, QColor(176, 126, 52));
  head.setColorAt(1.0, QColor(60, 36, 12));
  painter.setBrush(head);
  painter.drawEllipse(centre, radius, radius);
  painter.restore();
}

void drawFiligree(QPainter& painter, const QPainterPath& curves, qreal width) {
  const QRectF box = curves.boundingRect();
  painter.save();
  painter.setBrush(Qt::NoBrush);
  painter.setPen(
      QPen(QColor(0, 0, 0, 150), width + 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.drawPath(curves.translated(0.8, 1.3));
  painter.setPen(QPen(QColor(40, 24, 8), width + 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.drawPath(curves);
  painter.setPen(QPen(QBrush(goldGradient(box.topLeft(), box.bottomRight())), width, Qt::SolidLine,
                      Qt::RoundCap, Qt::RoundJoin));
  painter.drawPath(curves);
  painter.restore();
}

void drawEngravedText(QPainter& painter, const QString& text, const QFont& font, QPointF centre,
                      const QGradient& fill, QColor outline, qreal outlineWidth) {
  QPainterPath glyphs;
  glyphs.addText(0, 0, font, text);
  const QRectF box = glyphs.boundingRect();
  glyphs.translate(centre - box.center());
  painter.save();
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0, 0, 0, 150));
  painter.drawPath(glyphs.translated(1.2, 2.0));
  painter.setPen(QPen(outline, outlineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(glyphs);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QBrush(fill));
  painter.drawPath(glyphs);
  painter.restore();
}

std::optional<QFont> exactFont(const QString& family, int pixelSize, bool bold) {
  QFont font(family);
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  font.setStyleStrategy(QFont::PreferAntialias);
  if (QFontInfo(font).family() != family) return std::nullopt;
  return font;
}
