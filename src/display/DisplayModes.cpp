#include "display/DisplayModes.h"

#include "platform/Screen.h"

namespace vimbrel {

CurrentModeOnly::CurrentModeOnly(int32_t widthPixels, int32_t heightPixels, int32_t colorDepth) {
    m_mode.BitsPerPel = static_cast<int16_t>(colorDepth);
    m_mode.PelsWidth = widthPixels;
    m_mode.PelsHeight = heightPixels;
}

std::optional<DisplayMode> CurrentModeOnly::Mode(int i) {
    if (i != 0) {
        return std::nullopt;
    }
    return m_mode;
}

int32_t CurrentModeOnly::Change(const DisplayMode& mode) {
    // Nothing to switch: only the screen's own size is "done".
    const bool own = mode.PelsWidth == m_mode.PelsWidth && mode.PelsHeight == m_mode.PelsHeight;
    return own ? 0 : -1;
}

void EnumerateDisplayModes(DisplayModeState& state, DisplayModeSource& source,
                           int32_t screenWidthTwips, int32_t screenHeightTwips) {
    state.ColorDepth = source.DesktopColorDepth();
    const int32_t desktopWidth = screenWidthTwips / platform::TwipsPerPixelX;
    const int32_t desktopHeight = screenHeightTwips / platform::TwipsPerPixelY;

    state.DisplayModes.assign(9, DisplayMode{});
    state.FirstModeIndex = 0;
    bool firstFound = false;
    int i = 0;
    for (std::optional<DisplayMode> mode = source.Mode(0); mode; mode = source.Mode(i)) {
        state.DisplayModes[static_cast<std::size_t>(i)] = *mode;
        if (mode->BitsPerPel == state.ColorDepth) {
            if (!firstFound) {
                state.FirstModeIndex = static_cast<int16_t>(i);
                firstFound = true;
            }
            if (mode->PelsWidth == desktopWidth && mode->PelsHeight == desktopHeight) {
                state.CurrentModeIndex = static_cast<int16_t>(i);
            }
        }
        ++i;
        if (static_cast<std::size_t>(i) >= state.DisplayModes.size()) {
            state.DisplayModes.resize(state.DisplayModes.size() + 8);
        }
        if (i >= 32767) {
            break; // the mode indices are 16-bit
        }
    }
    state.ModeCount = i - 1;
}

} // namespace vimbrel
