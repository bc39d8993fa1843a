#include "face_outline.h"

#include "skin_layout.h"

#include <QPainter>

namespace face {

// Rises monotonically towards the axis on both sides, so every row stays one run.
void traceCrestTop(QPainterPath& path) {
  path.moveTo(184, kBodyTop + 1);
  path.quadTo(210, kBodyTop + 1, 214, 32);
  path.lineTo(282, 32);
  path.quadTo(300, 32, 306, 18);
  path.lineTo(mirrorX(306), 18);
  path.quadTo(mirrorX(300), 32, mirrorX(282), 32);
  path.lineTo(mirrorX(214), 32);
  path.quadTo(mirrorX(210), kBodyTop + 1, mirrorX(184), kBodyTop + 1);
}

namespace {

QPainterPath bodyShape() {
  constexpr qreal chamfer = 14;
  QPolygonF outline{{kBodyLeft + chamfer, kBodyTop},     {kBodyRight - chamfer, kBodyTop},
                    {kBodyRight, kBodyTop + chamfer},    {kBodyRight, kBodyBottom - chamfer},
                    {kBodyRight - chamfer, kBodyBottom}, {kBodyLeft + chamfer, kBodyBottom},
                    {kBodyLeft, kBodyBottom - chamfer},  {kBodyLeft, kBodyTop + chamfer}};
  QPainterPath path;
  path.addPolygon(outline);
  path.closeSubpath();
  return path;
}

QPainterPath crestShape() {
  QPainterPath path;
  traceCrestTop(path);
  path.closeSubpath();
  return path;
}

QPainterPath footShape() {
  QPainterPath path;
  path.addPolygon(QPolygonF{
      {206, kBodyBottom - 4}, {236, 606}, {mirrorX(236), 606}, {mirrorX(206), kBodyBottom - 4}});
  path.closeSubpath();
  return path;
}

QPainterPath medallionShapes() {
  QPainterPath path;
  path.addEllipse(QPointF(28, kMedallionY), 20, 20);
  path.addEllipse(QPointF(mirrorX(28), kMedallionY), 20, 20);
  return path;
}

}  // namespace

QPainterPath faceOutline() {
  return bodyShape()
      .united(crestShape())
      .united(footShape())
      .united(medallionShapes())
      .simplified();
}

QImage shapeMask(const QPainterPath& outline) {
  QImage mask(layout::kFaceWidth, layout::kFaceHeight, QImage::Format_ARGB32);
  mask.fill(Qt::transparent);
  QPainter painter(&mask);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.fillPath(outline, Qt::white);
  painter.end();
  for (int y = 0; y < mask.height(); ++y) {
    int first = -1;
    int last = -1;
    for (int x = 0; x < mask.width(); ++x)
      if (qAlpha(mask.pixel(x, y)) != 0) {
        if (first < 0) first = x;
        last = x;
      }
    for (int x = first; first >= 0 && x <= last; ++x) mask.setPixel(x, y, 0xFFFFFFFFu);
  }
  return mask;
}

}  // namespace face
