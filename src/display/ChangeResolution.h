#pragma once

#include "display/DisplayModes.h"

#include <cstdint>

class QWidget;

namespace vimbrel {

struct ScreenState;

namespace platform {
class MessageBoxes;
}

// What a change asks of the display: depth, width and height.
inline constexpr uint32_t kChangeDepthAndSize = 0x1C0000;

// How long the window keeps following the screen after a change: the GUI
// library learns the screen's new size from the X server a moment later.
inline constexpr int kFollowScreenMilliseconds = 5000;

// Switches the display to mode `index` of the table and makes the show's
// window (when given) cover the screen at 0,0 in the mode's size, in the
// screen's twips too. The window takes that size whether or not the switch
// succeeded; a failure is shown with the display system's code.
//
// On X11 the GUI library hears of the new screen size from the server a few
// milliseconds after the switch. A bare X server leaves the window as it is
// set here, but a window manager may fit it to the old screen meanwhile; so
// after a switch the window is fitted again each time a screen reports a new
// geometry, for a few seconds. Nothing waits: the caller's events go on.
//
// An index that names no mode (below 0 or past ModeCount: a hand-edited
// Resolution, a mode that is no longer offered, a display without modes)
// changes nothing: the display, the screen size and the window stay as they
// are, and no message appears.
void ChangeResolution(DisplayModeState& display, ScreenState& screen, DisplayModeSource& source,
                      platform::MessageBoxes& boxes, QWidget* form, int32_t index);

} // namespace vimbrel
