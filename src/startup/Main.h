#pragma once

#include <string_view>

namespace vimbrel {

struct ProgramState;
namespace platform {
struct Services;
}

// The window start-up hands the process to once everything is loaded.
enum class Handover {
    None,           // nothing to show: the process ends
    Slideshow,      // the full-screen show (/S)
    Configuration,  // the configuration dialog (/C, no switch, or /S without folders)
    Preview,        // the animation inside the host's preview window (/P)
    PasswordChange, // the change-password dialog (/A)
    ShowInLocker,   // the show inside a screen locker's window
};

// Start-up: finds the settings directory, makes it current, creates the
// master file and the active collection file when they are missing, loads
// the collection and all its folders, shuffles the folder order and lists
// the display modes, in every mode; then reads the mode from the command
// line and says which window comes next. Only a settings directory that
// cannot be found or made is an error for the caller; from there on a
// failing step is passed over and start-up goes on with the next one, so
// that a damaged settings file never keeps the screen saver from running.
Handover Main(ProgramState& state, platform::Services& services, std::string_view commandLine);

} // namespace vimbrel
