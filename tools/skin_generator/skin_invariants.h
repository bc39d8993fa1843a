#pragma once
// Properties of the drawn skin that the program's window shape, painting and
// hit tests depend on. Each check returns an error text, or nothing when it holds.

#include <QImage>
#include <QString>

#include <optional>

std::optional<QString> checkFace(const QImage& face);
std::optional<QString> checkHoverGlyph(const QImage& hover, const QImage& face, QPoint cell);
std::optional<QString> checkStartStrips(const QImage& idle, const QImage& hover);
