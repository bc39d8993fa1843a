#include "start_strip_artwork.h"

#include "artwork_kit.h"
#include "skin_layout.h"

#include <QPainterPath>
#include <QRadialGradient>

namespace {

struct PillColours {
  QColor light;
  QColor middle;
  QColor dark;
  QColor glow;
};

PillColours coloursFor(StartLook look) {
  if (look == StartLook::Hover)
    return {QColor(120, 230, 100), QColor(34, 150, 46), QColor(10, 66, 18), QColor(90, 255, 110)};
  return {QColor(240, 90, 70), QColor(172, 22, 24), QColor(82, 8, 10), QColor(255, 80, 40)};
}

void drawPill(QPainter& painter, const QRectF& pill, const PillColours& colours,
              const QFont& labelFont) {
  const qreal radius = pill.height() / 2;
  QRadialGradient halo(pill.center(), pill.width() / 2 + 4);
  halo.setColorAt(0.6, QColor(colours.glow.red(), colours.glow.green(), colours.glow.blue(), 70));
  halo.setColorAt(1.0, QColor(colours.glow.red(), colours.glow.green(), colours.glow.blue(), 0));
  painter.setPen(Qt::NoPen);
  painter.setBrush(halo);
  painter.drawRoundedRect(pill.adjusted(-3, -3, 3, 3), radius + 3, radius + 3);

  painter.setBrush(QBrush(goldGradient(pill.topLeft(), pill.bottomLeft())));
  painter.setPen(QPen(QColor(24, 12, 4), 1.0));
  painter.drawRoundedRect(pill, radius, radius);

  const QRectF face = pill.adjusted(3, 3, -3, -3);
  QLinearGradient body(face.topLeft(), face.bottomLeft());
  body.setColorAt(0.0, colours.light);
  body.setColorAt(0.45, colours.middle);
  body.setColorAt(1.0, colours.dark);
  painter.setBrush(body);
  painter.setPen(QPen(QColor(0, 0, 0, 160), 1.0));
  painter.drawRoundedRect(face, face.height() / 2, face.height() / 2);

  const QRectF shine(face.left() + 10, face.top() + 2, face.width() - 20, face.height() * 0.42);
  QLinearGradient gloss(shine.topLeft(), shine.bottomLeft());
  gloss.setColorAt(0.0, QColor(255, 255, 255, 120));
  gloss.setColorAt(1.0, QColor(255, 255, 255, 8));
  painter.setPen(Qt::NoPen);
  painter.setBrush(gloss);
  painter.drawRoundedRect(shine, shine.height() / 2, shine.height() / 2);

  QLinearGradient letters(0, face.top() + 8, 0, face.bottom() - 8);
  letters.setColorAt(0.0, QColor(255, 255, 255));
  letters.setColorAt(1.0, QColor(255, 232, 180));
  drawEngravedText(painter, QStringLiteral("BAŞLA"), labelFont, face.center() + QPointF(0, 0.5),
                   letters, colours.dark.darker(160), 2.4);
}

}  // namespace

QImage paintStartStrip(const QImage& trough, const QFont& labelFont, StartLook look) {
  QImage strip = trough.convertToFormat(QImage::Format_RGB32);
  QPainter painter(&strip);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setClipRect(layout::kStripButtonBox);
  const QRectF box = layout::kStripButtonBox;
  drawPill(painter, box.adjusted(4, 4, -4, -4), coloursFor(look), labelFont);
  return strip;
}
