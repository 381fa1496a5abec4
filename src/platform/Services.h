#pragma once

namespace vimbrel {
class DisplayModeSource;
}

namespace vimbrel::platform {

class ProfileFiles;
class MessageBoxes;
class Clock;
class RandomSource;
class CursorCounter;
class ProcessControl;

// The system services the program's logic reaches through, gathered so that
// a window or a test hands over one thing. main() builds the real ones; a
// test builds its own with a fixed random sequence, a clock it moves by
// hand and message boxes it answers.
struct Services {
    ProfileFiles& profiles;
    MessageBoxes& messageBoxes;
    Clock& clock;
    RandomSource& random;
    CursorCounter& cursor;
    DisplayModeSource& displayModes;
    ProcessControl& process;
};

} // namespace vimbrel::platform
