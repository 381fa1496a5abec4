#include "controls/EndingTheShow.h"

#include <cmath>

namespace vimbrel {

namespace {
constexpr double kSecondsPerDay = 86400;
}

bool CountMouseEvent(int16_t mouseMoves, int16_t& mouseMoveCount, MouseCountingWindow& window,
                     double now) {
    if (mouseMoves == 0) {
        return false;
    }
    // Refused passwords keep the count growing; it stops at the top of its
    // range instead of wrapping round to negative numbers.
    if (mouseMoveCount < INT16_MAX) {
        ++mouseMoveCount;
    }
    const bool closeDue = mouseMoveCount >= mouseMoves;
    if (window.MoveWindowStart != 0) {
        double elapsed = now - window.MoveWindowStart;
        // The start is rounded to the nearest second, so up to half a
        // second before it is still the same window; further back, the
        // clock went past midnight.
        if (elapsed < -0.5) {
            elapsed += kSecondsPerDay;
        }
        if (elapsed > 10) {
            window.MoveWindowStart = 0;
            mouseMoveCount = 0;
        }
    } else {
        window.MoveWindowStart = static_cast<int32_t>(std::nearbyint(now));
    }
    return closeDue;
}

int32_t ReadVersionInfo() {
    return 1;
}

} // namespace vimbrel
