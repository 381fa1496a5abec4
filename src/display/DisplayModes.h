#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace vimbrel {

// One mode the display can be set to.
struct DisplayMode {
    int16_t BitsPerPel = 0;
    int32_t PelsWidth = 0;
    int32_t PelsHeight = 0;
    int32_t DisplayFrequency = 0; // refresh rate in hertz, 0 when unknown
    uint32_t Fields = 0;          // which members a change sets
    uint64_t PlatformId = 0;      // the mode's identity for the display system
};

// The modes the display offers, in the order the system lists them, and the
// desktop's own mode among them. A folder's Resolution p means mode
// FirstModeIndex + p.
struct DisplayModeState {
    std::vector<DisplayMode> DisplayModes;
    int32_t ModeCount = 0; // highest index holding a mode; -1 when there is none
    int32_t ColorDepth = 0;
    int16_t FirstModeIndex = 0;
    int16_t CurrentModeIndex = 0;
};

// The mode in use as a folder's Resolution names it: its place after the
// first mode of the table.
inline int32_t CurrentResolution(const DisplayModeState& display) {
    return display.CurrentModeIndex - display.FirstModeIndex;
}

// Where the modes come from: the display system, or a table in a test.
class DisplayModeSource {
public:
    virtual ~DisplayModeSource() = default;
    // The desktop's bits per pixel.
    virtual int32_t DesktopColorDepth() = 0;
    // Mode number i, or nothing past the last mode.
    virtual std::optional<DisplayMode> Mode(int i) = 0;
    // Switches the display to a mode this source listed: 0 when done, any
    // other value is the display system's failure code. A display that
    // cannot be switched answers with a failure for any mode but its own.
    virtual int32_t Change(const DisplayMode& mode) = 0;
};

// The one mode of a display that cannot be switched: the screen as it is.
class CurrentModeOnly final : public DisplayModeSource {
public:
    CurrentModeOnly(int32_t widthPixels, int32_t heightPixels, int32_t colorDepth);
    int32_t DesktopColorDepth() override { return m_mode.BitsPerPel; }
    std::optional<DisplayMode> Mode(int i) override;
    int32_t Change(const DisplayMode& mode) override;

private:
    DisplayMode m_mode;
};

// Fills the table from the source, with the desktop's size taken from the
// screen size in twips.
void EnumerateDisplayModes(DisplayModeState& state, DisplayModeSource& source,
                           int32_t screenWidthTwips, int32_t screenHeightTwips);

} // namespace vimbrel
