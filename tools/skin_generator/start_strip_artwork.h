#pragma once
// The start strips (bitmaps 208 and 210): the bar trough with a pill button on it.

#include <QColor>
#include <QFont>
#include <QImage>

enum class StartLook { Idle, Hover };

// trough is the face's striped bar area under the strip, so the strip blends into it.
QImage paintStartStrip(const QImage& trough, const QFont& labelFont, StartLook look);
