#pragma once

#include <cstdint>

namespace vimbrel::platform {

// Window geometry is kept in twips, 1/1440 inch: Qt's logical pixels are 96
// to the inch, so a pixel is 15 twips either way.
inline constexpr int TwipsPerPixelX = 15;
inline constexpr int TwipsPerPixelY = 15;

struct ScreenSize {
    // 32 bits: a 4K screen is 57600 twips wide.
    int32_t widthTwips = 0;
    int32_t heightTwips = 0;
};

// The primary screen's size in twips; 0 x 0 where no screen is known.
ScreenSize PrimaryScreenSize();

} // namespace vimbrel::platform
