#pragma once
// Uncompressed 24-bit bottom-up BMP (BITMAPINFOHEADER), the one form the
// program's loader is promised.

#include <QImage>
#include <QString>

#include <optional>

// Returns an error text, or nothing on success.
std::optional<QString> writeBmp24(const QImage& image, const QString& path);

// Reads back a file written by writeBmp24 and compares it with the image;
// catches header fields or row order going wrong.
std::optional<QString> verifyBmp24(const QString& path, const QImage& expected);
