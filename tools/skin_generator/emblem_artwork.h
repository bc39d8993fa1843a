#pragma once
// The program icon: the skin's shield emblem on a transparent ground.

#include <QFont>
#include <QImage>

QImage paintEmblem(const QFont& monogramFont);
