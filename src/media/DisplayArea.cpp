#include "media/DisplayArea.h"

#include <algorithm>
#include <cmath>

namespace vimbrel {

QSize DisplayAreaSize(int displaySize, QSize video, QSize screen) {
    if (video.isEmpty()) {
        return {0, 0};
    }
    switch (displaySize) {
    case DisplaySizes::DoubleSize:
        return video * 2;
    case DisplaySizes::HalfScreen: {
        if (screen.isEmpty()) {
            return video;
        }
        const double scale =
            std::min(screen.width() / 2.0 / video.width(), screen.height() / 2.0 / video.height());
        return {static_cast<int>(std::nearbyint(video.width() * scale)),
                static_cast<int>(std::nearbyint(video.height() * scale))};
    }
    default:
        return video;
    }
}

} // namespace vimbrel
