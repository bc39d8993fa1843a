#include "skin_invariants.h"

#include "skin_layout.h"

namespace {

struct Run {
  int first = -1;
  int last = -1;
};

bool isKey(const QImage& image, int x, int y) {
  return (image.pixel(x, y) | 0xFF000000u) == layout::kKeyColour;
}

// Counts the runs of non-key pixels in a row, the way the window shape is built.
int countRuns(const QImage& image, int y, Run& widest) {
  int runs = 0;
  int x = 0;
  while (x < image.width()) {
    while (x < image.width() && isKey(image, x, y)) ++x;
    const int start = x;
    while (x < image.width() && !isKey(image, x, y)) ++x;
    if (x > start) {
      ++runs;
      widest = {start, x - 1};
    }
  }
  return runs;
}

std::optional<QString> checkShapeRows(const QImage& face) {
  int leftmost = face.width();
  int rightmost = -1;
  for (int y = 0; y < face.height(); ++y) {
    Run run;
    const int runs = countRuns(face, y, run);
    const bool inShape = y >= layout::kFirstShapeRow && y <= layout::kLastShapeRow;
    if (inShape && runs != 1)
      return QStringLiteral("row %1 has %2 runs, wants one").arg(y).arg(runs);
    if (!inShape && runs != 0) return QStringLiteral("row %1 must be key colour only").arg(y);
    if (inShape) {
      leftmost = std::min(leftmost, run.first);
      rightmost = std::max(rightmost, run.last);
    }
  }
  if (leftmost != layout::kWidestLeft || rightmost != layout::kWidestRight)
    return QStringLiteral("shape spans columns %1..%2").arg(leftmost).arg(rightmost);
  return std::nullopt;
}

std::optional<QString> checkWebViewBlack(const QImage& face) {
  const QRect area = layout::kWebView;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if ((face.pixel(x, y) & 0xFFFFFFu) != 0)
        return QStringLiteral("web view area not black at (%1, %2)").arg(x).arg(y);
  const int midRow = area.center().y();
  if ((face.pixel(area.left() - 1, midRow) & 0xFFFFFFu) == 0 ||
      (face.pixel(area.right() + 1, midRow) & 0xFFFFFFu) == 0)
    return QStringLiteral("black reaches past the web view columns");
  return std::nullopt;
}

// The status text is thin blue-on-transparent; anything bright behind it hurts legibility.
std::optional<QString> checkStatusPlain(const QImage& face) {
  const QRect area = layout::kStatus;
  constexpr int kDarkLimit = 40;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) {
      const QRgb c = face.pixel(x, y);
      if (std::max({qRed(c), qGreen(c), qBlue(c)}) > kDarkLimit)
        return QStringLiteral("status area too bright at (%1, %2)").arg(x).arg(y);
    }
  return std::nullopt;
}

}  // namespace

std::optional<QString> checkFace(const QImage& face) {
  if (face.size() != QSize(layout::kFaceWidth, layout::kFaceHeight))
    return QStringLiteral("face has the wrong size");
  if (auto error = checkShapeRows(face)) return error;
  if (auto error = checkWebViewBlack(face)) return error;
  return checkStatusPlain(face);
}

std::optional<QString> checkHoverGlyph(const QImage& hover, const QImage& face, QPoint cell) {
  if (hover.size() != QSize(layout::kGlyphCell, layout::kGlyphCell))
    return QStringLiteral("hover glyph has the wrong size");
  const QImage under = face.copy(QRect(cell, hover.size())).convertToFormat(QImage::Format_RGB32);
  const QImage over = hover.convertToFormat(QImage::Format_RGB32);
  if (under == over)
    return QStringLiteral("hover glyph at (%1, %2) looks like the idle one")
        .arg(cell.x())
        .arg(cell.y());
  for (int i = 0; i < layout::kGlyphCell; ++i) {
    const QPoint edge[] = {
        {i, 0}, {i, layout::kGlyphCell - 1}, {0, i}, {layout::kGlyphCell - 1, i}};
    for (const QPoint& p : edge)
      if (under.pixel(p) != over.pixel(p))
        return QStringLiteral("hover glyph border differs from the face at (%1, %2)")
            .arg(cell.x() + p.x())
            .arg(cell.y() + p.y());
  }
  return std::nullopt;
}

std::optional<QString> checkStartStrips(const QImage& idle, const QImage& hover) {
  if (idle.size() != layout::kStripSize || hover.size() != layout::kStripSize)
    return QStringLiteral("start strip has the wrong size");
  const QImage a = idle.convertToFormat(QImage::Format_RGB32);
  const QImage b = hover.convertToFormat(QImage::Format_RGB32);
  int differing = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      if (a.pixel(x, y) == b.pixel(x, y)) continue;
      if (!layout::kStripButtonBox.contains(x, y))
        return QStringLiteral("start strips differ outside the button at (%1, %2)").arg(x).arg(y);
      ++differing;
    }
  if (differing == 0) return QStringLiteral("start strips are identical");
  return std::nullopt;
}
