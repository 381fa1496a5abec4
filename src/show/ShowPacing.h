#pragma once

#include <cstdint>

namespace vimbrel {

// What one tick of the show's timer does.
enum class TickAction {
    Wait,    // a movie or sound plays; its end moves the show on
    Count,   // the picture stays: one more tick counted
    Advance, // the picture has stood its time: the next entry comes
};

// An item stays for Interval + 2 ticks: the tick count must pass the
// interval, and the advancing tick itself resets it.
inline TickAction NextTickAction(int16_t& tickCount, int16_t interval, bool playerHasFile) {
    if (playerHasFile) {
        return TickAction::Wait;
    }
    if (tickCount > interval) {
        tickCount = 0;
        return TickAction::Advance;
    }
    if (tickCount < INT16_MAX) {
        ++tickCount;
    }
    return TickAction::Count;
}

// 10 ms for a folder with interval 0, else one second.
inline int TimerIntervalMs(int16_t interval) {
    return interval == 0 ? 10 : 1000;
}

} // namespace vimbrel
