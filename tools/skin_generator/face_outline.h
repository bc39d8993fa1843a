#pragma once
// The silhouette of the face: the outline the frame is drawn along and the
// hard-edged mask that decides which pixels are cut out as key colour.

#include <QImage>
#include <QPainterPath>

namespace face {

// The face is mirror-symmetric about this column.
constexpr qreal kAxis = 310.5;
constexpr qreal kBodyTop = 56;
constexpr qreal kBodyBottom = 594;
constexpr qreal kBodyLeft = 16;
constexpr qreal kBodyRight = 605;
constexpr qreal kMedallionY = 306;

constexpr qreal mirrorX(qreal x) { return 2 * kAxis - x; }

// The upper edge of the title crest, from its left foot over the peak to its right foot.
void traceCrestTop(QPainterPath& path);

QPainterPath faceOutline();

// Opaque where the face is; gaps inside a row are closed so each row is one run.
QImage shapeMask(const QPainterPath& outline);

}  // namespace face
