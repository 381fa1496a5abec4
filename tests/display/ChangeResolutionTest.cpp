// The table of display modes built at start-up, and switching the display to
// a folder's mode: what the display system is asked, the screen size the
// show works with, the window that covers it, and what the viewer is told
// when the switch fails; then the modes of a real X server. (The program
// switching modes under Qt on X11: ShowEndToEndTest.)

#include "display/ChangeResolution.h"

#include "../program/VirtualDisplay.h"
#include "PlatformDoubles.h"
#include "display/XRandrModes.h"
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

// Of two modes of the desktop's size the later is the desktop's; twelve
// modes grow the table by 8 at a time and all stay; without modes the
// desktop's mode stays as it was.
TEST(DisplayModeTable, FindsTheDepthsFirstModeAndTheDesktopsMode) {
    // Depth, modes, the desktop's size; then the depth, first, current,
    // last index, entries and the last mode's width the table holds.
    // clang-format off
    const std::tuple<int32_t, std::vector<DisplayMode>, QSize, std::string> cases[] = {
        {16, {ModeOf(640, 480, 8), ModeOf(640, 480, 16), ModeOf(800, 600, 16), ModeOf(1024, 768, 16),
              ModeOf(640, 480, 32)}, {1024, 768}, "16 1 3 4 9 640"},
        {24, std::vector(12, ModeOf(640, 480)), {640, 480}, "24 0 11 11 17 640"},
        {24, {}, {800, 600}, "24 0 5 -1 9 0"}};
    // clang-format on
    for (const auto& [depth, modes, desktop, expected] : cases) {
        test::TableModeSource source(depth, modes);
        DisplayModeState s;
        s.CurrentModeIndex = 5;
        EnumerateDisplayModes(s, source, desktop.width() * 15, desktop.height() * 15);
        std::ostringstream table;
        table << s.ColorDepth << " " << s.FirstModeIndex << " " << s.CurrentModeIndex << " "
              << s.ModeCount << " " << s.DisplayModes.size() << " "
              << s.DisplayModes[std::max(s.ModeCount, 0)].PelsWidth;
        EXPECT_EQ(table.str(), expected);
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
    // After the change: the modes asked for (id and fields), the screen
    // size, and the messages with their icon and buttons (00: Information,
    // OK).
    std::string Change(int32_t index, QWidget* window) {
        ChangeResolution(state.display, state.screen, source, boxes, window, index);
        std::ostringstream out;
        for (const DisplayMode& mode : source.changes) {
            out << mode.PlatformId << "/" << std::hex << mode.Fields << std::dec << " ";
        }
        out << state.screen.ScreenWidth / 15 << "x" << state.screen.ScreenHeight / 15;
        for (const auto& box : boxes.shown) {
            out << " [" << box.text << "] " << int(box.icon) << int(box.buttons);
        }
        return out.str();
    }
    // What a screen tells the GUI library when its size changed; meanwhile a
    // window manager may have fitted the window to the old screen.
    QRect AfterScreenReport(QRect fittedBySomeoneElse) {
        form.setGeometry(fittedBySomeoneElse);
        QScreen* screen = QGuiApplication::primaryScreen();
        emit screen->geometryChanged(screen->geometry());
        return form.geometry();
    }

    ProgramState state;
    test::TableModeSource source{
        24, {ModeOf(1024, 768, 24, 71), ModeOf(800, 600, 24, 72), ModeOf(640, 480, 24, 73)}};
    test::AnsweringMessageBoxes boxes;
    QWidget form;
};

// An index that names no mode (a Resolution edited by hand, a mode no longer
// offered, a spare entry of the table, a display without modes) changes
// nothing and says nothing.
TEST_F(ChangeResolutionTest, SwitchesToTheModeAndBackAndTheWindowFollowsTheScreen) {
    form.setGeometry(30, 40, 200, 100);
    test::TableModeSource none(24, {});
    DisplayModeState empty, unfilled, &modes = state.display;
    EnumerateDisplayModes(empty, none, 1024 * 15, 768 * 15);
    // clang-format off
    for (const auto& [display, index] : {std::pair{&empty, 0}, {&empty, 1}, {&unfilled, 0},
             {&unfilled, -1}, {&modes, 3}, {&modes, 8}, {&modes, 32767}, {&modes, -32768}}) {
        // clang-format on
        ChangeResolution(*display, state.screen, source, boxes, &form, index);
    }
    EXPECT_EQ(Change(-1, &form), "1024x768");
    EXPECT_EQ(form.geometry(), QRect(30, 40, 200, 100));

    // Moved away, the window is put back at the origin.
    EXPECT_EQ(Change(2, &form), "73/1c0000 640x480");
    EXPECT_EQ(state.display.DisplayModes[1].Fields, 0u);
    EXPECT_EQ(form.geometry(), QRect(0, 0, 640, 480));
    EXPECT_EQ(AfterScreenReport({0, 0, 400, 300}), QRect(0, 0, 640, 480));

    // A second switch replaces the first one's follower; and back to the
    // desktop's own mode, as the show does at its end.
    EXPECT_EQ(Change(state.display.CurrentModeIndex, &form), "73/1c0000 71/1c0000 1024x768");
    EXPECT_EQ(AfterScreenReport({10, 10, 100, 100}), QRect(0, 0, 1024, 768));
    EXPECT_EQ(form.findChildren<QObject*>("vimbrel-screen-follower").size(), 1);

    // Without a window only the display and the screen size change.
    EXPECT_EQ(Change(1, nullptr), "73/1c0000 71/1c0000 72/1c0000 800x600");
    EXPECT_EQ(form.geometry(), QRect(0, 0, 1024, 768));
    EXPECT_TRUE(boxes.shown.empty());
}

// Any code but 0 is a failure, told once with the code, whatever its sign;
// the window still takes the mode's size but is left to its owner then.
TEST_F(ChangeResolutionTest, FailureIsToldWithItsCode) {
    for (const int32_t code : {-2, 1, 3, -2147483647 - 1}) {
        source.changeResult = code;
        source.changes.clear();
        boxes.shown.clear();
        EXPECT_EQ(Change(1, &form), "72/1c0000 800x600 [Error changing resolution! Returned: " +
                                        std::to_string(code) + "] 00");
        EXPECT_EQ(form.geometry(), QRect(0, 0, 800, 600));
        EXPECT_EQ(AfterScreenReport({0, 0, 400, 300}), QRect(0, 0, 400, 300));
    }
}

// A private Xvfb, whose one RandR output ("screen") starts with the
// screen's own 640 x 480 and takes any mode no larger; the test adds a
// 400 x 300 one. Runs xrandr on the server with the arguments given, then
// asks what it shows: the screen's size and the output's mode
// ("400x300 400x300+0+0"), or "failed".
std::string Xrandr(const VirtualDisplay& server, const QStringList& arguments = {}) {
    QProcess xrandr;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DISPLAY", server.name());
    xrandr.setProcessEnvironment(environment);
    for (const QStringList& run : {arguments, QStringList()}) {
        xrandr.start("xrandr", run);
        if (!xrandr.waitForFinished(10000) || xrandr.exitCode() != 0) {
            return "failed";
        }
    }
    const QRegularExpressionMatch match =
        QRegularExpression(R"(current (\d+) x (\d+).*\nscreen connected (\S+))")
            .match(QString::fromLocal8Bit(xrandr.readAllStandardOutput()));
    return (match.captured(1) + "x" + match.captured(2) + " " + match.captured(3)).toStdString();
}

TEST(XRandrModes, ListsSwitchesAndRefusesModesOfARealServer) {
    EXPECT_EQ(XRandrModeSource::Open(":4999"), nullptr);
    VirtualDisplay server;
    ASSERT_TRUE(server.ready()) << "Xvfb did not start";
    ASSERT_EQ(Xrandr(server, {"--newmode", "400x300", "9.75", "400", "416", "456", "512", "300",
                              "303", "307", "317", "-hsync", "+vsync"}),
              "640x480 640x480+0+0");
    ASSERT_EQ(Xrandr(server, {"--addmode", "screen", "400x300"}), "640x480 640x480+0+0");
    const auto source = XRandrModeSource::Open(server.name().toLatin1().constData());
    ASSERT_NE(source, nullptr);
    // In the server's order; Xvfb's own mode has no timings, so no rate.
    const std::optional<DisplayMode> own = source->Mode(0), smaller = source->Mode(1);
    ASSERT_TRUE(own && smaller);
    EXPECT_EQ(std::tuple(source->DesktopColorDepth(), own->BitsPerPel, own->PelsWidth,
                         own->PelsHeight, own->DisplayFrequency, smaller->PelsWidth,
                         smaller->PelsHeight, smaller->DisplayFrequency),
              std::tuple(24, 24, 640, 480, 0, 400, 300, 60));
    EXPECT_FALSE(source->Mode(2) || source->Mode(-1));

    // The show's path: the table, a folder's mode, the desktop's again.
    ProgramState state;
    EnumerateDisplayModes(state.display, *source, 640 * 15, 480 * 15);
    test::AnsweringMessageBoxes boxes;
    for (const auto& [index, shown] : {std::pair{1, "400x300 400x300+0+0"},
                                       {0, "640x480 640x480+0+0"},
                                       {0, "640x480 640x480+0+0"}}) {
        ChangeResolution(state.display, state.screen, *source, boxes, nullptr, index);
        EXPECT_EQ(Xrandr(server), shown);
    }
    EXPECT_TRUE(boxes.shown.empty());

    // A mode no longer offered, or an id that now names another size.
    DisplayMode stale = *own;
    stale.PelsWidth = 641;
    EXPECT_EQ(source->Change(stale), XRandrModeSource::kModeGone);
    ASSERT_EQ(Xrandr(server, {"--delmode", "screen", "400x300"}), "640x480 640x480+0+0");
    EXPECT_EQ(source->Change(*smaller), XRandrModeSource::kModeGone);
    EXPECT_EQ(Xrandr(server), "640x480 640x480+0+0");

    // Where the GUI is not on X11 (here Qt's offscreen platform), the screen
    // stays as it is, even with an X server at hand.
    const QByteArray previous = qgetenv("DISPLAY");
    qputenv("DISPLAY", server.name().toLatin1());
    const std::unique_ptr<DisplayModeSource> kept = OpenDisplayModeSource(800, 600, 24);
    qputenv("DISPLAY", previous);
    EXPECT_EQ(dynamic_cast<XRandrModeSource*>(kept.get()), nullptr);
    EXPECT_EQ(kept->Change(kept->Mode(0).value()), 0);
}

} // namespace
} // namespace vimbrel
