#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vimbrel {

// The command line as one text: the arguments joined by blanks, as the
// screen-saver switches were always given ("/p 1234").
std::string JoinArguments(int argc, const char* const* argv);

// The mode: the first two characters, upper-cased; "/C" for an empty line.
std::string RunModeOf(std::string_view commandLine);

// The window handle after the switch, read as a number the lenient way:
// "/p 1234" gives 1234, "/p:1234" gives 0, "/p 12 34" gives 1234.
// Out of the 32-bit range is the overflow error.
int32_t ParentWindowOf(std::string_view commandLine);

// Where a screen locker (xsecurelock, xscreensaver) wants its saver to draw.
struct LockerTarget {
    uint32_t window = 0; // an X11 window id; 0 is the whole screen ("-root")
    std::string error;   // not empty when the window was named in a way that names none
};

// The locker's switches: "-root", "-window-id ID" or "--window-id ID" (also
// "--window-id=ID"), ID in decimal or 0x hexadecimal. The locker's
// XSCREENSAVER_WINDOW (given here, null when unset) names the window and
// wins over the switches. Nothing when the arguments are not a locker's.
std::optional<LockerTarget> LockerTargetOf(const std::vector<std::string_view>& arguments,
                                           const char* lockerWindow);

} // namespace vimbrel
