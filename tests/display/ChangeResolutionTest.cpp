// Switching the display to a folder's mode: what the display system is
// asked, the screen size the show works with, the window that covers it,
// and what the viewer is told when the switch fails.

#include "display/ChangeResolution.h"

#include "PlatformDoubles.h"
#include "state/ProgramState.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <gtest/gtest.h>

// Geometry in failure messages as the reader thinks of it, not as bytes.
static void PrintTo(const QRect& rect, std::ostream* out) {
    *out << rect.x() << "," << rect.y() << " " << rect.width() << "x" << rect.height();
}

namespace vimbrel {
namespace {

using platform::MessageButtons;
using platform::MessageIcon;

DisplayMode ModeOf(int32_t width, int32_t height, uint64_t id) {
    DisplayMode mode;
    mode.BitsPerPel = 24;
    mode.PelsWidth = width;
    mode.PelsHeight = height;
    mode.DisplayFrequency = 60;
    mode.PlatformId = id;
    return mode;
}

// A desktop at 1024 x 768 with two smaller modes, and a show window over it.
class ChangeResolutionTest : public ::testing::Test {
protected:
    ChangeResolutionTest()
        : source(24, {ModeOf(1024, 768, 71), ModeOf(800, 600, 72), ModeOf(640, 480, 73)}) {
        EnumerateDisplayModes(state.display, source, 1024 * 15, 768 * 15);
        state.screen.ScreenWidth = 1024 * 15;
        state.screen.ScreenHeight = 768 * 15;
        form.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        form.setGeometry(0, 0, 1024, 768);
        form.show();
    }

    void Change(int32_t index, QWidget* window) {
        ChangeResolution(state.display, state.screen, source, boxes, window, index);
    }
    void Change(int32_t index) { Change(index, &form); }

    // What a screen tells the GUI library when its size changed.
    static void ScreenReportsNewGeometry() {
        QScreen* screen = QGuiApplication::primaryScreen();
        emit screen->geometryChanged(screen->geometry());
    }

    ProgramState state;
    test::TableModeSource source;
    test::AnsweringMessageBoxes boxes;
    QWidget form;
};

TEST_F(ChangeResolutionTest, SwitchesToTheModeAndFitsScreenAndWindowToIt) {
    Change(2);

    ASSERT_EQ(source.changes.size(), 1u);
    const DisplayMode& asked = source.changes[0];
    EXPECT_EQ(asked.PlatformId, 73u);
    EXPECT_EQ(asked.PelsWidth, 640);
    EXPECT_EQ(asked.PelsHeight, 480);
    EXPECT_EQ(asked.BitsPerPel, 24);
    EXPECT_EQ(asked.Fields, 0x1C0000u); // depth, width and height
    EXPECT_EQ(state.display.DisplayModes[2].Fields, 0x1C0000u);
    EXPECT_EQ(state.display.DisplayModes[1].Fields, 0u);

    EXPECT_EQ(state.screen.ScreenWidth, 640 * 15);
    EXPECT_EQ(state.screen.ScreenHeight, 480 * 15);
    EXPECT_EQ(form.geometry(), QRect(0, 0, 640, 480));
    EXPECT_TRUE(boxes.shown.empty());

    // And back to the desktop's own mode, as the show does at its end.
    Change(state.display.CurrentModeIndex);
    ASSERT_EQ(source.changes.size(), 2u);
    EXPECT_EQ(source.changes[1].PlatformId, 71u);
    EXPECT_EQ(state.screen.ScreenWidth, 1024 * 15);
    EXPECT_EQ(state.screen.ScreenHeight, 768 * 15);
    EXPECT_EQ(form.geometry(), QRect(0, 0, 1024, 768));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(ChangeResolutionTest, WindowMovedAwayIsPutBackAtTheOrigin) {
    form.setGeometry(30, 40, 200, 100);
    Change(1);
    EXPECT_EQ(form.geometry(), QRect(0, 0, 800, 600));
}

TEST_F(ChangeResolutionTest, WithoutAWindowOnlyTheDisplayAndScreenSizeChange) {
    Change(1, nullptr);
    ASSERT_EQ(source.changes.size(), 1u);
    EXPECT_EQ(state.screen.ScreenWidth, 800 * 15);
    EXPECT_EQ(state.screen.ScreenHeight, 600 * 15);
    EXPECT_EQ(form.geometry(), QRect(0, 0, 1024, 768));
}

// Any code but 0 is a failure, told once with the code, whatever its sign;
// 1 (a restart needed elsewhere) gets no question about restarting either.
class FailedChange : public ChangeResolutionTest, public ::testing::WithParamInterface<int32_t> {};

TEST_P(FailedChange, IsToldWithItsCodeAndTheWindowStillTakesTheModeSize) {
    source.changeResult = GetParam();
    Change(1);

    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              "Error changing resolution! Returned: " + std::to_string(GetParam()));
    EXPECT_EQ(boxes.shown[0].icon, MessageIcon::Information);
    EXPECT_EQ(boxes.shown[0].buttons, MessageButtons::Ok);

    EXPECT_EQ(source.changes.size(), 1u); // asked once, never again
    EXPECT_EQ(state.screen.ScreenWidth, 800 * 15);
    EXPECT_EQ(state.screen.ScreenHeight, 600 * 15);
    EXPECT_EQ(form.geometry(), QRect(0, 0, 800, 600));
}

INSTANTIATE_TEST_SUITE_P(Codes, FailedChange, ::testing::Values(-2, 1, 3, -2147483647 - 1));

// A Resolution edited by hand, a mode that is no longer offered, a display
// without modes: nothing happens, and nothing is said.
TEST_F(ChangeResolutionTest, IndexThatNamesNoModeLeavesEverythingAsItIs) {
    form.setGeometry(0, 0, 700, 500);
    // The table has spare entries past the last mode: they are no modes.
    ASSERT_GT(state.display.DisplayModes.size(), 3u);
    for (int32_t index : {-1, 3, 8, 32767, -32768}) {
        SCOPED_TRACE(index);
        Change(index);
        EXPECT_TRUE(source.changes.empty());
        EXPECT_TRUE(boxes.shown.empty());
        EXPECT_EQ(state.screen.ScreenWidth, 1024 * 15);
        EXPECT_EQ(state.screen.ScreenHeight, 768 * 15);
        EXPECT_EQ(form.geometry(), QRect(0, 0, 700, 500));
    }
    for (const DisplayMode& mode : state.display.DisplayModes) {
        EXPECT_EQ(mode.Fields, 0u);
    }
}

TEST_F(ChangeResolutionTest, DisplayWithoutModesIsLeftAlone) {
    test::TableModeSource none(24, {});
    DisplayModeState display;
    EnumerateDisplayModes(display, none, 1024 * 15, 768 * 15);
    ASSERT_EQ(display.ModeCount, -1);
    for (int32_t index :
         {int32_t{0}, int32_t{display.FirstModeIndex}, int32_t{display.CurrentModeIndex}}) {
        ChangeResolution(display, state.screen, none, boxes, &form, index);
    }
    EXPECT_TRUE(none.changes.empty());
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(state.screen.ScreenWidth, 1024 * 15);
    EXPECT_EQ(form.geometry(), QRect(0, 0, 1024, 768));

    // A table never filled: no modes at all, not even spare entries.
    DisplayModeState empty;
    empty.ModeCount = 0;
    ChangeResolution(empty, state.screen, none, boxes, &form, 0);
    EXPECT_TRUE(none.changes.empty());
    EXPECT_TRUE(boxes.shown.empty());
}

// The GUI library learns a new screen size from the display system a moment
// after the switch; meanwhile a window manager may have fitted the window
// to the old screen. The window goes back over the mode's area then.
TEST_F(ChangeResolutionTest, WindowFollowsWhenTheScreenReportsItsNewSize) {
    Change(1);
    form.setGeometry(0, 0, 400, 300); // fitted by someone else meanwhile
    ScreenReportsNewGeometry();
    EXPECT_EQ(form.geometry(), QRect(0, 0, 800, 600));

    // A second switch replaces the first one's follower: only the newest
    // mode's size is followed.
    Change(2);
    form.setGeometry(10, 10, 100, 100);
    ScreenReportsNewGeometry();
    EXPECT_EQ(form.geometry(), QRect(0, 0, 640, 480));
    EXPECT_EQ(form.findChildren<QObject*>("vimbrel-screen-follower").size(), 1);
}

TEST_F(ChangeResolutionTest, FailedSwitchLeavesTheWindowToItsOwner) {
    source.changeResult = -1;
    Change(1);
    form.setGeometry(0, 0, 400, 300);
    ScreenReportsNewGeometry();
    EXPECT_EQ(form.geometry(), QRect(0, 0, 400, 300));
}

TEST_F(ChangeResolutionTest, WindowClosedWhileFollowingIsNoFault) {
    auto window = std::make_unique<QWidget>();
    window->show();
    ChangeResolution(state.display, state.screen, source, boxes, window.get(), 1);
    EXPECT_EQ(window->geometry(), QRect(0, 0, 800, 600));
    window.reset();
    ScreenReportsNewGeometry();
    QCoreApplication::processEvents();
    EXPECT_TRUE(boxes.shown.empty());
}

} // namespace
} // namespace vimbrel
