#include "bmp_file.h"

#include <QByteArray>
#include <QFile>

#include <cstdint>

namespace {

constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;
constexpr int kPixelOffset = kFileHeaderSize + kInfoHeaderSize;
constexpr int kPixelsPerMetre = 2835;  // 72 DPI

int rowStride(int width) { return (width * 3 + 3) & ~3; }

void putLe(QByteArray& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::uint32_t getLe(const QByteArray& in, int offset, int bytes) {
  std::uint32_t value = 0;
  for (int i = 0; i < bytes; ++i)
    value |= static_cast<std::uint32_t>(static_cast<unsigned char>(in[offset + i])) << (8 * i);
  return value;
}

QByteArray headers(int width, int height) {
  const std::uint32_t imageSize = static_cast<std::uint32_t>(rowStride(width) * height);
  QByteArray out;
  out.append("BM");
  putLe(out, kPixelOffset + imageSize, 4);
  putLe(out, 0, 4);
  putLe(out, kPixelOffset, 4);
  putLe(out, kInfoHeaderSize, 4);
  putLe(out, static_cast<std::uint32_t>(width), 4);
  putLe(out, static_cast<std::uint32_t>(height), 4);  // positive: bottom-up
  putLe(out, 1, 2);                                   // planes
  putLe(out, 24, 2);                                  // bits per pixel
  putLe(out, 0, 4);                                   // BI_RGB
  putLe(out, imageSize, 4);
  putLe(out, kPixelsPerMetre, 4);
  putLe(out, kPixelsPerMetre, 4);
  putLe(out, 0, 4);
  putLe(out, 0, 4);
  return out;
}

QByteArray pixelRows(const QImage& image) {
  const int padding = rowStride(image.width()) - image.width() * 3;
  QByteArray out;
  for (int y = image.height() - 1; y >= 0; --y) {
    const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      out.append(static_cast<char>(qBlue(row[x])));
      out.append(static_cast<char>(qGreen(row[x])));
      out.append(static_cast<char>(qRed(row[x])));
    }
    out.append(padding, '\0');
  }
  return out;
}

}  // namespace

std::optional<QString> writeBmp24(const QImage& image, const QString& path) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
    return QStringLiteral("cannot open %1 for writing").arg(path);
  const QByteArray bytes = headers(rgb.width(), rgb.height()) + pixelRows(rgb);
  if (file.write(bytes) != bytes.size()) return QStringLiteral("short write to %1").arg(path);
  return std::nullopt;
}

std::optional<QString> verifyBmp24(const QString& path, const QImage& expected) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return QStringLiteral("cannot reopen %1").arg(path);
  const QByteArray in = file.readAll();
  const int width = expected.width();
  const int height = expected.height();
  if (in.size() != kPixelOffset + rowStride(width) * height)
    return QStringLiteral("%1: unexpected file size").arg(path);
  const bool headerOk = in.startsWith("BM") && getLe(in, 10, 4) == kPixelOffset &&
                        getLe(in, 14, 4) == kInfoHeaderSize &&
                        getLe(in, 18, 4) == std::uint32_t(width) &&
                        getLe(in, 22, 4) == std::uint32_t(height) && getLe(in, 26, 2) == 1 &&
                        getLe(in, 28, 2) == 24 && getLe(in, 30, 4) == 0;
  if (!headerOk) return QStringLiteral("%1: header is not 24-bit bottom-up uncompressed").arg(path);
  const QImage rgb = expected.convertToFormat(QImage::Format_RGB32);
  for (int y = 0; y < height; ++y) {
    const int rowStart = kPixelOffset + (height - 1 - y) * rowStride(width);
    for (int x = 0; x < width; ++x) {
      const int at = rowStart + 3 * x;
      const QRgb stored =
          qRgb(static_cast<unsigned char>(in[at + 2]), static_cast<unsigned char>(in[at + 1]),
               static_cast<unsigned char>(in[at]));
      if (stored != rgb.pixel(x, y))
        return QStringLiteral("%1: pixel (%2, %3) differs after writing").arg(path).arg(x).arg(y);
    }
  }
  return std::nullopt;
}
