#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vimbrel {

struct CollectionSettings;

// What the running show is doing, as plain data: the window and its
// presenters keep it up to date and act on what the rules below decide, and
// tests read it without a screen. Which item of the folder comes, and which
// folder, are the catalogue's and the folder order's (ProgramState).
struct ShowState {
    // Timer1's ticks since the last automatic advance. Only a tick resets
    // it; a key that moves the show on does not.
    int16_t TickCount = 0;
    // The video, sound or play list the player opens or plays; empty while
    // the show's own timer paces pictures.
    std::string Playing;
    // The picture being read off the UI thread; the timer waits until it
    // is shown.
    std::string Loading;
    // The viewer paused what the player plays. Like the player's own
    // settings it outlives the file: only the pause key changes it.
    bool PlayerPaused = false;
    // The viewer paused the timed show: the picture stays until the pause
    // key comes again. Anything that starts the show's timer ends it.
    bool TimedShowPaused = false;
};

// What one tick of the show's timer does.
enum class TickAction {
    Wait,    // a movie or sound plays, its end moves the show on; or a picture
             // is being read
    Count,   // the picture stays: one more tick counted
    Advance, // the picture has stood its time: the next entry comes
};

// An item stays for Interval + 2 ticks: the tick count must pass the
// interval, and the advancing tick itself resets it.
TickAction NextTickAction(ShowState& show, int16_t interval);

// The show's timer: 10 ms for a folder with interval 0, else one second.
int TimerIntervalMs(int16_t interval);

// What a typed character asks of the show.
enum class ShowCommand { End, ToggleCaptions, NextFolder, Pause, Rename, NextItem, PreviousItem };

// With special keys off every character ends the show. With them on, the
// keys are tested in a fixed order (captions, next folder, pause, rename,
// next, previous), so the first of two commands on one code wins; a stored
// lower-case letter also answers to its upper case.
ShowCommand CommandOfKey(int keyAscii, const CollectionSettings& settings);

// What the pause key does now: the player's pause while it plays something,
// else the timed show's.
enum class PauseStep { PausePlayer, ResumePlayer, PauseTimedShow, ResumeTimedShow };
PauseStep PauseStepOf(const ShowState& show);

// Where the player stands in the play list it plays (entries from 1).
struct PlayListPlace {
    int entry = 0;
    int entries = 0;
};

// The next and previous keys move inside a play list that plays, until its
// last (next) or first (previous) entry; from there they leave it for the
// show's next or previous item.
bool NextStaysInPlayList(const ShowState& show, PlayListPlace place);
bool PreviousStaysInPlayList(const ShowState& show, PlayListPlace place);

// The position in the folder order after `from`, coming round to the first;
// none when the show has fewer than two folders.
std::optional<int16_t> NextFolderPosition(int16_t from, int16_t folders);

// The name that takes a file out of the show: "_" before it. None for no
// file, or one whose name has the mark already.
std::optional<std::string> NameOutOfTheShow(std::string_view name);

// The caption while paused: " (paused)" after it.
std::string CaptionPaused(std::string_view caption);

// The caption going on again: every " (paused)" taken out of it.
std::string CaptionResumed(std::string_view caption);

} // namespace vimbrel
