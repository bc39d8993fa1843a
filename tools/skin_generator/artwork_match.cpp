#include "artwork_match.h"

#include <cstdlib>

#include "skin_layout.h"

namespace {

bool channelsNear(QRgb a, QRgb b) {
  return std::abs(qRed(a) - qRed(b)) <= kRoundingTolerance &&
         std::abs(qGreen(a) - qGreen(b)) <= kRoundingTolerance &&
         std::abs(qBlue(a) - qBlue(b)) <= kRoundingTolerance &&
         std::abs(qAlpha(a) - qAlpha(b)) <= kRoundingTolerance;
}

QString at(const char* what, int x, int y) {
  return QStringLiteral("%1 at (%2, %3)").arg(QLatin1String(what)).arg(x).arg(y);
}

std::optional<QString> sizeMismatch(const QImage& drawn, const QImage& committed) {
  if (drawn.size() == committed.size()) return std::nullopt;
  return QStringLiteral("size %1x%2, committed %3x%4")
      .arg(drawn.width())
      .arg(drawn.height())
      .arg(committed.width())
      .arg(committed.height());
}

// Both images in one format, the same size; the first pixel where the rule
// fails, with its name.
template <typename Rule>
std::optional<QString> firstMismatch(const QImage& drawn, const QImage& committed, Rule rule) {
  for (int y = 0; y < drawn.height(); ++y) {
    const QRgb* ours = reinterpret_cast<const QRgb*>(drawn.constScanLine(y));
    const QRgb* theirs = reinterpret_cast<const QRgb*>(committed.constScanLine(y));
    for (int x = 0; x < drawn.width(); ++x) {
      if (const char* broken = rule(ours[x], theirs[x])) return at(broken, x, y);
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<QString> skinMismatch(const QImage& drawn, const QImage& committed) {
  if (auto error = sizeMismatch(drawn, committed)) return error;
  return firstMismatch(drawn.convertToFormat(QImage::Format_RGB32),
                       committed.convertToFormat(QImage::Format_RGB32),
                       [](QRgb ours, QRgb theirs) -> const char* {
                         if ((ours == layout::kKeyColour) != (theirs == layout::kKeyColour))
                           return "key colour";
                         return channelsNear(ours, theirs) ? nullptr : "colour";
                       });
}

std::optional<QString> iconMismatch(const QImage& drawn, const QImage& committed) {
  if (auto error = sizeMismatch(drawn, committed)) return error;
  return firstMismatch(drawn.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                       committed.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                       [](QRgb ours, QRgb theirs) -> const char* {
                         if ((qAlpha(ours) == 0) != (qAlpha(theirs) == 0)) return "alpha mask";
                         return channelsNear(ours, theirs) ? nullptr : "colour";
                       });
}
