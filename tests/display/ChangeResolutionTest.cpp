// The table of display modes built at start-up, and switching the display to
// a folder's mode: what the display system is asked, the screen size the
// show works with, the window that covers it, and what the viewer is told
// when the switch fails.

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

DisplayMode ModeOf(int32_t width, int32_t height, int16_t depth = 24, uint64_t id = 0) {
    return {depth, width, height, 0, 0, id};
}

TEST(DisplayModeTable, FindsTheDepthsFirstModeAndTheDesktopsMode) {
    std::vector<DisplayMode> twelve;
    for (int i = 0; i < 12; ++i) {
        twelve.push_back(ModeOf(640 + 16 * i, 480));
    }
    // Of two modes of the desktop's size the later is the desktop's; twelve
    // modes grow the table by 8 at a time; without modes the desktop's
    // mode stays as it was.
    const struct {
        int32_t depth;
        std::vector<DisplayMode> modes;
        int32_t desktopWidth, desktopHeight, first, current, count, entries;
    } cases[] = {
        // clang-format off
        {16, {ModeOf(640, 480, 8), ModeOf(640, 480, 16), ModeOf(800, 600, 16),
              ModeOf(1024, 768, 16), ModeOf(640, 480, 32)}, 1024, 768, 1, 3, 4, 9},
        {24, {ModeOf(1280, 720), ModeOf(1920, 1080), ModeOf(1920, 1080)}, 1920, 1080, 0, 2, 2, 9},
        {24, twelve, 640, 480, 0, 0, 11, 17},
        {24, {}, 800, 600, 0, 5, -1, 9}};
    // clang-format on
    for (const auto& c : cases) {
        test::TableModeSource source(c.depth, c.modes);
        DisplayModeState state;
        state.CurrentModeIndex = 5;
        EnumerateDisplayModes(state, source, c.desktopWidth * 15, c.desktopHeight * 15);
        EXPECT_EQ(std::tuple(state.ColorDepth, int32_t{state.FirstModeIndex},
                             int32_t{state.CurrentModeIndex}, state.ModeCount,
                             state.DisplayModes.size()),
                  std::tuple(c.depth, c.first, c.current, c.count, std::size_t(c.entries)));
        EXPECT_EQ(state.DisplayModes[std::max(c.count, 0)].PelsWidth,
                  c.modes.empty() ? 0 : c.modes.back().PelsWidth);
    }
}

// A desktop at 1024 x 768 with two smaller modes, and a show window over it.
class ChangeResolutionTest : public ::testing::Test {
protected:
    ChangeResolutionTest() {
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
    // What a screen tells the GUI library when its size changed; meanwhile a
    // window manager may have fitted the window to the old screen.
    QRect AfterScreenReport(QRect fittedBySomeoneElse) {
        form.setGeometry(fittedBySomeoneElse);
        QScreen* screen = QGuiApplication::primaryScreen();
        emit screen->geometryChanged(screen->geometry());
        return form.geometry();
    }
    QSize ScreenSize() const {
        return {state.screen.ScreenWidth / 15, state.screen.ScreenHeight / 15};
    }

    ProgramState state;
    test::TableModeSource source{
        24, {ModeOf(1024, 768, 24, 71), ModeOf(800, 600, 24, 72), ModeOf(640, 480, 24, 73)}};
    test::AnsweringMessageBoxes boxes;
    QWidget form;
};

TEST_F(ChangeResolutionTest, SwitchesToTheModeAndBackAndTheWindowFollowsTheScreen) {
    form.setGeometry(30, 40, 200, 100); // moved away: put back at the origin
    Change(2, &form);
    ASSERT_EQ(source.changes.size(), 1u);
    EXPECT_EQ(source.changes[0].PlatformId, 73u);
    EXPECT_EQ(source.changes[0].Fields, 0x1C0000u); // depth, width and height
    EXPECT_EQ(state.display.DisplayModes[1].Fields, 0u);
    EXPECT_EQ(ScreenSize(), QSize(640, 480));
    EXPECT_EQ(form.geometry(), QRect(0, 0, 640, 480));
    EXPECT_EQ(AfterScreenReport({0, 0, 400, 300}), QRect(0, 0, 640, 480));

    // A second switch replaces the first one's follower; and back to the
    // desktop's own mode, as the show does at its end.
    Change(state.display.CurrentModeIndex, &form);
    ASSERT_EQ(source.changes.size(), 2u);
    EXPECT_EQ(source.changes[1].PlatformId, 71u);
    EXPECT_EQ(ScreenSize(), QSize(1024, 768));
    EXPECT_EQ(AfterScreenReport({10, 10, 100, 100}), QRect(0, 0, 1024, 768));
    EXPECT_EQ(form.findChildren<QObject*>("vimbrel-screen-follower").size(), 1);
    EXPECT_TRUE(boxes.shown.empty());

    // Without a window only the display and the screen size change; a
    // window closed while followed is no fault.
    Change(1, nullptr);
    EXPECT_EQ(ScreenSize(), QSize(800, 600));
    EXPECT_EQ(form.geometry(), QRect(0, 0, 1024, 768));
    auto window = std::make_unique<QWidget>();
    Change(2, window.get());
    EXPECT_EQ(window->geometry(), QRect(0, 0, 640, 480));
    window.reset();
    AfterScreenReport({0, 0, 1024, 768});
    EXPECT_TRUE(boxes.shown.empty());
}

// Any code but 0 is a failure, told once with the code, whatever its sign;
// the window still takes the mode's size but is left to its owner then.
TEST_F(ChangeResolutionTest, FailureIsToldWithItsCode) {
    for (const int32_t code : {-2, 1, 3, -2147483647 - 1}) {
        source.changeResult = code;
        source.changes.clear();
        boxes.shown.clear();
        Change(1, &form);
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text,
                  "Error changing resolution! Returned: " + std::to_string(code));
        EXPECT_EQ(boxes.shown[0].icon, platform::MessageIcon::Information);
        EXPECT_EQ(boxes.shown[0].buttons, platform::MessageButtons::Ok);
        EXPECT_EQ(source.changes.size(), 1u);
        EXPECT_EQ(ScreenSize(), QSize(800, 600));
        EXPECT_EQ(form.geometry(), QRect(0, 0, 800, 600));
        EXPECT_EQ(AfterScreenReport({0, 0, 400, 300}), QRect(0, 0, 400, 300));
    }
}

// A Resolution edited by hand, a mode that is no longer offered, a display
// without modes: nothing happens, and nothing is said.
TEST_F(ChangeResolutionTest, IndexThatNamesNoModeLeavesEverythingAsItIs) {
    form.setGeometry(0, 0, 700, 500);
    ASSERT_GT(state.display.DisplayModes.size(), 3u); // spare entries are no modes
    for (int32_t index : {-1, 3, 8, 32767, -32768}) {
        Change(index, &form);
    }
    test::TableModeSource none(24, {});
    DisplayModeState empty, unfilled;
    EnumerateDisplayModes(empty, none, 1024 * 15, 768 * 15);
    for (DisplayModeState* display : {&empty, &unfilled}) {
        for (int32_t index : {0, -1, 1}) {
            ChangeResolution(*display, state.screen, none, boxes, &form, index);
        }
    }
    EXPECT_TRUE(source.changes.empty() && none.changes.empty());
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(ScreenSize(), QSize(1024, 768));
    EXPECT_EQ(form.geometry(), QRect(0, 0, 700, 500));
    for (const DisplayMode& mode : state.display.DisplayModes) {
        EXPECT_EQ(mode.Fields, 0u);
    }
}

} // namespace
} // namespace vimbrel
