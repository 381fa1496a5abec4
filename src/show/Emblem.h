#pragma once

#include <QImage>

namespace vimbrel {

// The emblem that stands for an entry the show has marked unusable: a white
// symbol on black, 73 x 88 pixels, drawn by the program itself.
inline constexpr int kEmblemWidth = 73;
inline constexpr int kEmblemHeight = 88;

QImage DrawEmblem();

} // namespace vimbrel
