#pragma once
// Whether a freshly drawn picture is the committed one. What the program
// depends on is compared exactly: the size, and for the skin which pixels
// are the key colour (they cut the window's shape and find the start strip).
// Colours only within a small tolerance: Qt's raster engine picks its
// antialiasing code by the processor, and two processors may round an edge
// pixel one step apart.

#include <QImage>
#include <QString>

#include <optional>

// Per channel, of 255.
constexpr int kRoundingTolerance = 2;

// A skin bitmap. Returns what differs, or nothing when it matches.
std::optional<QString> skinMismatch(const QImage& drawn, const QImage& committed);

// An icon image: the same size, the same fully transparent pixels, and the
// colours (with their alpha, premultiplied, as they are blended on screen)
// within the tolerance.
std::optional<QString> iconMismatch(const QImage& drawn, const QImage& committed);
