#pragma once

#include <cstdint>

namespace vimbrel {

// What the end of the show depends on.
struct PasswordState {
    int16_t UsePassword = 0; // not 0: the user asked for a password
    int32_t PlatformId = 0;  // 2 would be a system that never asks
};

// Mouse activity counted against the collection's sensitivity. A counting
// window opens with the first event after a reset; the first event more than
// ten seconds after it opened still counts, then clears the count.
struct MouseCountingWindow {
    int32_t MoveWindowStart = 0; // whole seconds since midnight; 0: no window open
};

// Counts one pointer event at the time of day `now` (seconds since
// midnight) and says whether the show's close request is due.
bool CountMouseEvent(int16_t mouseMoves, int16_t& mouseMoveCount, MouseCountingWindow& window,
                     double now);

// The version the password logic asks about: this system honours a
// password set by the user.
int32_t ReadVersionInfo();

} // namespace vimbrel
