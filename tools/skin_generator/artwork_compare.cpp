// Compares the artwork drawn into one folder with the committed artwork in
// another, as the tests do after redrawing it:
//
//   artwork_compare DRAWN COMMITTED
//
// Prints each file that differs and why, and ends with 1 if any does.

#include <QDir>
#include <QImage>
#include <QTextStream>

#include <functional>
#include <optional>
#include <vector>

#include "artwork_match.h"
#include "ico_file.h"

namespace {

using Images = std::optional<std::vector<QImage>>;
using Rule = std::function<std::optional<QString>(const QImage&, const QImage&)>;

Images readPicture(const QString& path) {
  const QImage image(path);
  if (image.isNull()) return std::nullopt;
  return std::vector<QImage>{image};
}

std::optional<QString> compare(const QString& drawnPath, const QString& committedPath,
                               const std::function<Images(const QString&)>& read,
                               const Rule& rule) {
  const Images drawn = read(drawnPath);
  const Images committed = read(committedPath);
  if (!drawn) return QStringLiteral("the generator's file cannot be read");
  if (!committed) return QStringLiteral("the committed file cannot be read");
  if (drawn->size() != committed->size())
    return QStringLiteral("%1 images, committed %2").arg(drawn->size()).arg(committed->size());
  for (std::size_t i = 0; i < drawn->size(); ++i) {
    if (auto error = rule((*drawn)[i], (*committed)[i]))
      return QStringLiteral("image %1: %2").arg(i).arg(*error);
  }
  return std::nullopt;
}

struct Artwork {
  const char* file;
  std::function<Images(const QString&)> read;
  Rule rule;
};

}  // namespace

int main(int argc, char** argv) {
  QTextStream err(stderr);
  if (argc != 3) {
    err << "usage: artwork_compare DRAWN COMMITTED\n";
    return 2;
  }
  const QDir drawn(QString::fromLocal8Bit(argv[1]));
  const QDir committed(QString::fromLocal8Bit(argv[2]));
  const std::vector<Artwork> artwork = {{"bitmaps/203.bmp", readPicture, skinMismatch},
                                        {"bitmaps/206.bmp", readPicture, skinMismatch},
                                        {"bitmaps/207.bmp", readPicture, skinMismatch},
                                        {"bitmaps/208.bmp", readPicture, skinMismatch},
                                        {"bitmaps/210.bmp", readPicture, skinMismatch},
                                        {"icon_128.png", readPicture, iconMismatch},
                                        {"icon_128.ico", readIco, iconMismatch}};
  int differing = 0;
  for (const Artwork& item : artwork) {
    const QString file = QString::fromLatin1(item.file);
    if (auto error =
            compare(drawn.filePath(file), committed.filePath(file), item.read, item.rule)) {
      err << file << ": " << *error << '\n';
      ++differing;
    }
  }
  return differing == 0 ? 0 : 1;
}
