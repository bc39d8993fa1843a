#include "ico_file.h"

#include <QBuffer>
#include <QFile>

namespace {

void putWord(QByteArray& out, unsigned value) {
  out.append(static_cast<char>(value & 0xFF));
  out.append(static_cast<char>((value >> 8) & 0xFF));
}

void putDword(QByteArray& out, unsigned value) {
  putWord(out, value & 0xFFFF);
  putWord(out, value >> 16);
}

}  // namespace

// ICONDIR (reserved, type 1, count), one ICONDIRENTRY a size (a size of 256
// is written as 0), then the images.
std::optional<QString> writeIco(const QImage& image, const std::vector<int>& sizes,
                                const QString& path) {
  std::vector<QByteArray> images;
  for (int size : sizes) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    const QImage scaled = image.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                              .convertToFormat(QImage::Format_ARGB32);
    if (!scaled.save(&buffer, "PNG")) return QStringLiteral("cannot make the icon's PNG images");
    images.push_back(png);
  }
  QByteArray out;
  putWord(out, 0);
  putWord(out, 1);
  putWord(out, static_cast<unsigned>(sizes.size()));
  unsigned offset = 6 + 16 * static_cast<unsigned>(sizes.size());
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    const unsigned side = sizes[i] >= 256 ? 0 : static_cast<unsigned>(sizes[i]);
    out.append(static_cast<char>(side));
    out.append(static_cast<char>(side));
    out.append('\0');  // no palette
    out.append('\0');
    putWord(out, 1);   // planes
    putWord(out, 32);  // bits per pixel
    putDword(out, static_cast<unsigned>(images[i].size()));
    putDword(out, offset);
    offset += static_cast<unsigned>(images[i].size());
  }
  for (const QByteArray& png : images) out.append(png);
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size()) {
    return QStringLiteral("cannot write %1").arg(path);
  }
  return std::nullopt;
}
