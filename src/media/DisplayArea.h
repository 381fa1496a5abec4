#pragma once

#include <QSize>

namespace vimbrel {

// Display sizes the show asks for (MediaPlayer::SetDisplaySize).
namespace DisplaySizes {
inline constexpr int OwnSize = 0;
inline constexpr int DoubleSize = 2;
inline constexpr int HalfScreen = 7;
} // namespace DisplaySizes

// The size in pixels of the area that shows a video of the given own size
// (mpv's display size, pixel aspect applied) under a display size, on a
// screen of the given size. Half screen fits the video into half the
// screen's width and height, keeping its aspect; any value other than double
// and half screen shows the video at its own size. No video, no area.
QSize DisplayAreaSize(int displaySize, QSize video, QSize screen);

} // namespace vimbrel
