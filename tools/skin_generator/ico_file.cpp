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

unsigned getWord(const QByteArray& in, int at) {
  return static_cast<unsigned char>(in[at]) | static_cast<unsigned char>(in[at + 1]) << 8;
}

unsigned getDword(const QByteArray& in, int at) {
  return getWord(in, at) | getWord(in, at + 2) << 16;
}

constexpr int kDirectorySize = 6;
constexpr int kEntrySize = 16;

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

std::optional<std::vector<QImage>> readIco(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  const QByteArray in = file.readAll();
  if (in.size() < kDirectorySize || getWord(in, 0) != 0 || getWord(in, 2) != 1) return std::nullopt;
  const int count = static_cast<int>(getWord(in, 4));
  if (in.size() < kDirectorySize + kEntrySize * count) return std::nullopt;
  std::vector<QImage> images;
  for (int i = 0; i < count; ++i) {
    const int entry = kDirectorySize + kEntrySize * i;
    const qint64 size = getDword(in, entry + 8);
    const qint64 offset = getDword(in, entry + 12);
    if (offset + size > in.size()) return std::nullopt;
    const QImage image =
        QImage::fromData(in.mid(static_cast<int>(offset), static_cast<int>(size)), "PNG");
    if (image.isNull()) return std::nullopt;
    images.push_back(image);
  }
  return images;
}
