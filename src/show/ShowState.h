#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vimbrel {

// What the show is doing beyond what its widgets show: plain data that the
// window and its key commands act on, and that tests read without a screen.
struct ShowState {
    // Timer1's ticks since the last automatic advance (ShowPacing.h). Only a
    // tick resets it; a key that moves the show on does not.
    int16_t TickCount = 0;
    // The viewer paused what the player plays. Like the player's own
    // settings it outlives the file: only the pause key changes it.
    bool PlayerPaused = false;
};

// The caption while paused: " (paused)" after it.
std::string CaptionPaused(std::string_view caption);

// The caption going on again: every " (paused)" taken out of it.
std::string CaptionResumed(std::string_view caption);

} // namespace vimbrel
