#pragma once
// A Windows icon file (.ico) holding the icon at the sizes Windows asks for,
// each image stored as PNG, which Windows Vista and later (and wine) read.

#include <QImage>
#include <QString>

#include <optional>
#include <vector>

// The image scaled to each size, largest last. Returns an error text, or
// nothing on success.
std::optional<QString> writeIco(const QImage& image, const std::vector<int>& sizes,
                                const QString& path);

// The images of a file writeIco wrote, in its order; nothing when the file
// is not one.
std::optional<std::vector<QImage>> readIco(const QString& path);
