#pragma once
// The window face (bitmap 203) and the bright title-button glyphs cut from it.

#include <QFont>
#include <QImage>
#include <QPoint>

struct FaceImages {
  QImage face;           // 623 x 617, key colour outside the shape
  QImage minimizeHover;  // 25 x 25 for the minimise cell
  QImage closeHover;     // 25 x 25 for the close cell
};

FaceImages paintFace(const QFont& titleFont);
