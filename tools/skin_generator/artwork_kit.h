#pragma once
// Drawing pieces shared by the face, the start strip and the icon: metal and
// stone fills, gold trim, gems, filigree and engraved lettering.

#include <QColor>
#include <QFont>
#include <QGradient>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdint>
#include <optional>
#include <vector>

// Smooth deterministic noise in 0..1; the same seed gives the same picture on every machine.
class ValueNoise {
 public:
  explicit ValueNoise(std::uint32_t seed);
  double at(double x, double y) const;

 private:
  static constexpr int kGrid = 64;
  std::vector<double> m_values;
};

QLinearGradient goldGradient(QPointF from, QPointF to);
QLinearGradient silverGradient(QPointF from, QPointF to);

// Dark weathered stone with a vertical light falloff, written pixel by pixel into area.
void fillStone(QImage& image, const QRect& area, QColor top, QColor bottom, std::uint32_t seed);

// A raised gold band along the inside of path: dark edge, metal, dark groove.
void strokeGoldRim(QPainter& painter, const QPainterPath& path, qreal width);
QPainterPath insetPath(const QPainterPath& path, qreal distance);

void drawGem(QPainter& painter, QPointF centre, qreal radius, QColor hue);
void drawRivet(QPainter& painter, QPointF centre, qreal radius);

// Scrollwork curves as a gold line with a dark edge and a drop shadow.
void drawFiligree(QPainter& painter, const QPainterPath& curves, qreal width);

// Lettering with an outline, drop shadow and a gradient fill; centred on centre.
void drawEngravedText(QPainter& painter, const QString& text, const QFont& font, QPointF centre,
                      const QGradient& fill, QColor outline, qreal outlineWidth);

// The named family must really be there, or the lettering would fall back silently.
std::optional<QFont> exactFont(const QString& family, int pixelSize, bool bold);
