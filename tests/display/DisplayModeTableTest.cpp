// The table of display modes built at start-up from what the display
// offers: which mode is the desktop's, where the desktop's colour depth
// starts, and how a folder's Resolution names a mode.

#include "display/DisplayModes.h"

#include "PlatformDoubles.h"

#include <gtest/gtest.h>

namespace vimbrel {
namespace {

DisplayMode Mode(int width, int height, int depth, int rate = 60) {
    DisplayMode mode;
    mode.PelsWidth = width;
    mode.PelsHeight = height;
    mode.BitsPerPel = static_cast<int16_t>(depth);
    mode.DisplayFrequency = rate;
    return mode;
}

DisplayModeState Enumerate(test::TableModeSource& source, int width, int height) {
    DisplayModeState state;
    EnumerateDisplayModes(state, source, width * 15, height * 15);
    return state;
}

TEST(DisplayModeTable, FindsTheDepthsFirstModeAndTheDesktopsMode) {
    test::TableModeSource source(16, {Mode(640, 480, 8), Mode(640, 480, 16), Mode(800, 600, 16),
                                      Mode(1024, 768, 16), Mode(640, 480, 32)});
    const DisplayModeState state = Enumerate(source, 1024, 768);
    EXPECT_EQ(state.ColorDepth, 16);
    EXPECT_EQ(state.FirstModeIndex, 1);
    EXPECT_EQ(state.CurrentModeIndex, 3);
    EXPECT_EQ(state.ModeCount, 4);
    // A folder's Resolution 1 is the second mode of the desktop's depth.
    EXPECT_EQ(state.DisplayModes[static_cast<std::size_t>(1 + state.FirstModeIndex)].PelsWidth,
              800);
}

TEST(DisplayModeTable, ModeZeroOfTheDesktopsDepthIsTheFirst) {
    test::TableModeSource source(24, {Mode(1280, 720, 24), Mode(1920, 1080, 24)});
    const DisplayModeState state = Enumerate(source, 1920, 1080);
    EXPECT_EQ(state.FirstModeIndex, 0);
    EXPECT_EQ(state.CurrentModeIndex, 1);
}

TEST(DisplayModeTable, OfTwoModesOfTheDesktopsSizeTheLaterIsTheDesktops) {
    test::TableModeSource source(
        24, {Mode(1920, 1080, 24, 60), Mode(1920, 1080, 24, 75), Mode(1280, 720, 24)});
    EXPECT_EQ(Enumerate(source, 1920, 1080).CurrentModeIndex, 1);
}

TEST(DisplayModeTable, TwelveModesGrowTheTableByEightAtATime) {
    std::vector<DisplayMode> modes;
    for (int i = 0; i < 12; ++i) {
        modes.push_back(Mode(640 + 16 * i, 480, 24));
    }
    test::TableModeSource source(24, modes);
    const DisplayModeState state = Enumerate(source, 640, 480);
    EXPECT_EQ(state.ModeCount, 11);
    EXPECT_EQ(state.DisplayModes.size(), 17U);
    EXPECT_EQ(state.DisplayModes[11].PelsWidth, 640 + 16 * 11);
}

TEST(DisplayModeTable, NoModeAtAllLeavesTheDesktopsModeAsItWas) {
    test::TableModeSource source(24, {});
    DisplayModeState state;
    state.CurrentModeIndex = 0;
    EnumerateDisplayModes(state, source, 800 * 15, 600 * 15);
    EXPECT_EQ(state.ModeCount, -1);
    EXPECT_EQ(state.FirstModeIndex, 0);
    EXPECT_EQ(state.CurrentModeIndex, 0);
}

} // namespace
} // namespace vimbrel
