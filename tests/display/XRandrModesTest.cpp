// Display modes on a real X server: a private Xvfb, whose one RandR output
// ("screen") starts with the screen's own 640 x 480 and takes any mode no
// larger; the test adds a 400 x 300 one and looks at the server through
// xrandr. (The program switching modes under Qt on X11: ShowEndToEndTest.)

#include "display/XRandrModes.h"

#include "../program/VirtualDisplay.h"
#include "PlatformDoubles.h"
#include "display/ChangeResolution.h"
#include "state/ProgramState.h"

#include <gtest/gtest.h>

namespace vimbrel {
namespace {

// Runs xrandr on the server: its output, or "failed".
QString Xrandr(const VirtualDisplay& server, const QStringList& arguments = {}) {
    QProcess xrandr;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DISPLAY", server.name());
    xrandr.setProcessEnvironment(environment);
    xrandr.start("xrandr", arguments);
    xrandr.waitForFinished(10000);
    return xrandr.exitCode() == 0 ? QString::fromLocal8Bit(xrandr.readAllStandardOutput())
                                  : "failed";
}

// The screen's size and the mode its output shows: "400x300 400x300+0+0".
std::string Shown(const VirtualDisplay& server) {
    const QRegularExpressionMatch match =
        QRegularExpression(R"(current (\d+) x (\d+).*\nscreen connected (\S+))")
            .match(Xrandr(server));
    return (match.captured(1) + "x" + match.captured(2) + " " + match.captured(3)).toStdString();
}

TEST(XRandrModes, ListsSwitchesAndRefusesModesOfARealServer) {
    EXPECT_EQ(XRandrModeSource::Open(":4999"), nullptr);
    VirtualDisplay server;
    ASSERT_TRUE(server.ready()) << "Xvfb did not start";
    ASSERT_NE(Xrandr(server, {"--newmode", "400x300", "9.75", "400", "416", "456", "512", "300",
                              "303", "307", "317", "-hsync", "+vsync"}),
              "failed");
    ASSERT_NE(Xrandr(server, {"--addmode", "screen", "400x300"}), "failed");
    const std::unique_ptr<XRandrModeSource> source =
        XRandrModeSource::Open(server.name().toLatin1().constData());
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(source->DesktopColorDepth(), 24);
    // In the server's order; Xvfb's own mode has no timings, so no rate.
    const std::optional<DisplayMode> own = source->Mode(0), smaller = source->Mode(1);
    ASSERT_TRUE(own && smaller);
    EXPECT_EQ(std::tuple(own->PelsWidth, own->PelsHeight, own->DisplayFrequency, own->BitsPerPel),
              std::tuple(640, 480, 0, 24));
    EXPECT_EQ(std::tuple(smaller->PelsWidth, smaller->PelsHeight, smaller->DisplayFrequency),
              std::tuple(400, 300, 60));
    EXPECT_FALSE(source->Mode(2) || source->Mode(-1));

    // The show's path: the table, a folder's mode, the desktop's again.
    ProgramState state;
    EnumerateDisplayModes(state.display, *source, 640 * 15, 480 * 15);
    test::AnsweringMessageBoxes boxes;
    for (const auto& [index, shown] : {std::pair{1, "400x300 400x300+0+0"},
                                       {0, "640x480 640x480+0+0"},
                                       {0, "640x480 640x480+0+0"}}) {
        ChangeResolution(state.display, state.screen, *source, boxes, nullptr, index);
        EXPECT_EQ(Shown(server), shown);
    }
    EXPECT_TRUE(boxes.shown.empty());

    // A mode no longer offered, or an id that now names another size.
    DisplayMode stale = *own;
    stale.PelsWidth = 641;
    EXPECT_EQ(source->Change(stale), XRandrModeSource::kModeGone);
    ASSERT_NE(Xrandr(server, {"--delmode", "screen", "400x300"}), "failed");
    EXPECT_EQ(source->Change(*smaller), XRandrModeSource::kModeGone);
    EXPECT_EQ(Shown(server), "640x480 640x480+0+0");

    // Where the GUI is not on X11 (here Qt's offscreen platform), the screen
    // stays as it is, even with an X server at hand.
    const QByteArray previous = qgetenv("DISPLAY");
    qputenv("DISPLAY", server.name().toLatin1());
    const std::unique_ptr<DisplayModeSource> kept = OpenDisplayModeSource(800, 600, 24);
    qputenv("DISPLAY", previous);
    EXPECT_EQ(dynamic_cast<XRandrModeSource*>(kept.get()), nullptr);
    ASSERT_TRUE(kept->Mode(0) && !kept->Mode(1));
    EXPECT_EQ(std::tuple(kept->Mode(0)->PelsWidth, kept->Mode(0)->PelsHeight),
              std::tuple(800, 600));
    EXPECT_EQ(kept->Change(*kept->Mode(0)), 0);
    EXPECT_NE(kept->Change(*smaller), 0);
}

} // namespace
} // namespace vimbrel
