// Draws the skin bitmaps and the program icon into the folder given as the
// only argument, checks what the window depends on, and fails loudly if a
// drawing change broke it.

#include "artwork_kit.h"
#include "bmp_file.h"
#include "emblem_artwork.h"
#include "face_artwork.h"
#include "ico_file.h"
#include "skin_invariants.h"
#include "skin_layout.h"
#include "start_strip_artwork.h"

#include <QDir>
#include <QGuiApplication>
#include <QTextStream>

#include <optional>
#include <vector>

namespace {

struct Fonts {
  QFont title;
  QFont label;
  QFont monogram;
};

std::optional<Fonts> loadFonts() {
  auto title = exactFont(QStringLiteral("DejaVu Serif"), 40, true);
  auto label = exactFont(QStringLiteral("DejaVu Sans"), 21, true);
  auto monogram = exactFont(QStringLiteral("DejaVu Serif"), 140, true);
  if (!title || !label || !monogram) return std::nullopt;
  return Fonts{*title, *label, *monogram};
}

struct Bitmap {
  QString name;
  QImage image;
};

std::optional<QString> checkAll(const FaceImages& face, const QImage& idle, const QImage& hover) {
  if (auto error = checkFace(face.face)) return error;
  if (auto error = checkHoverGlyph(face.minimizeHover, face.face, layout::kMinimizeCell))
    return error;
  if (auto error = checkHoverGlyph(face.closeHover, face.face, layout::kCloseCell)) return error;
  return checkStartStrips(idle, hover);
}

// Bitmaps go to OUT/bitmaps, the icon (PNG, and ICO for Windows) to OUT itself.
std::optional<QString> writeAll(const QDir& out, const std::vector<Bitmap>& bitmaps,
                                const QImage& icon) {
  if (!out.mkpath(QStringLiteral("bitmaps")))
    return QStringLiteral("cannot create the bitmaps folder");
  const QDir folder(out.filePath(QStringLiteral("bitmaps")));
  for (const Bitmap& bitmap : bitmaps) {
    const QString path = folder.filePath(bitmap.name);
    if (auto error = writeBmp24(bitmap.image, path)) return error;
    if (auto error = verifyBmp24(path, bitmap.image)) return error;
  }
  if (!icon.save(out.filePath(QStringLiteral("icon_128.png")), "PNG"))
    return QStringLiteral("cannot write the icon");
  // The same icon for Windows, at its small, large and larger sizes.
  return writeIco(icon, {16, 24, 32, 48, 128}, out.filePath(QStringLiteral("icon_128.ico")));
}

int fail(const QString& message) {
  QTextStream(stderr) << "skin_generator: " << message << '\n';
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 2) return fail(QStringLiteral("usage: skin_generator OUTPUT_FOLDER (res/)"));

  const auto fonts = loadFonts();
  if (!fonts)
    return fail(QStringLiteral("DejaVu Sans and DejaVu Serif are needed (fonts-dejavu-core)"));

  const FaceImages face = paintFace(fonts->title);
  const QImage trough = face.face.copy(QRect(layout::kStripOrigin, layout::kStripSize));
  const QImage idle = paintStartStrip(trough, fonts->label, StartLook::Idle);
  const QImage hover = paintStartStrip(trough, fonts->label, StartLook::Hover);
  if (auto error = checkAll(face, idle, hover)) return fail(*error);

  const QDir out(QString::fromLocal8Bit(argv[1]));
  const std::vector<Bitmap> all = {{QStringLiteral("203.bmp"), face.face},
                                   {QStringLiteral("207.bmp"), face.minimizeHover},
                                   {QStringLiteral("206.bmp"), face.closeHover},
                                   {QStringLiteral("208.bmp"), idle},
                                   {QStringLiteral("210.bmp"), hover}};
  if (auto error = writeAll(out, all, paintEmblem(fonts->monogram))) return fail(*error);
  return 0;
}
