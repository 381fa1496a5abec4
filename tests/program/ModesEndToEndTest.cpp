// The real program's other modes, started as a user or a screen-saver host
// starts them: no switch it knows, help, configuration (/C), and the
// preview in a host's window (/P). (The password dialog of /A runs on real
// desktops, DesktopEndToEndTest.cpp.)

#include "VirtualDisplay.h"

#include <csignal>

namespace vimbrel {
namespace {

using ModesEndToEnd = EndToEnd;

// Starts that show no window of their own, each with a settings folder of
// its own (made or not). A preview whose id names no window ends at its
// first tick, about a second after the start; a settings folder that cannot
// be made is reported, and the message answered.
TEST_F(ModesEndToEnd, StartsThatShowNothingEndAndSaySo) {
    test::WriteBytes(home / "file", "x");
    for (const auto& [arguments, exitCode, said, settings, made] :
         std::vector<std::tuple<QStringList, std::string, const char*, const char*, bool>>{
             {{"/x"}, "2", "Usage: vimbrel", "x", true},
             {{"--help"}, "0", "/S   run the slide show", "help", false},
             {{"/p", "1234"}, "0", "", "p1", true},
             {{"/p"}, "0", "", "p2", true},
             {{"/S"}, "1", "Error 76 in GetWindowsDirectory: Path not found", "file/x", false}}) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        qputenv("VIMBREL_HOME", (home / settings).c_str());
        QProcess program;
        program.setProcessChannelMode(QProcess::MergedChannels);
        // The first tick comes a second after start-up, or up to 5 % early
        // (Qt's timers are coarse).
        const QDeadlineTimer tick(950);
        ASSERT_TRUE(Start(program, arguments));
        if (exitCode == "1" && !program.waitForFinished(3000)) {
            Xdotool({"key", "Return"}); // the message's OK
        }
        EXPECT_EQ(Ended(program, 10000), exitCode);
        EXPECT_TRUE(program.readAll().contains(said));
        EXPECT_EQ(std::filesystem::exists(home / settings / (made ? "vimbrel000.ini" : "")), made);
        EXPECT_TRUE(arguments[0] != "/p" || tick.hasExpired()) << "ended before the tick";
    }
}

// The dialog over a collection of three folders: its size and place, the
// selected folder's colour, and OK saving; SIGINT and SIGHUP end it as
// Cancel does, saving nothing.
TEST_F(ModesEndToEnd, ConfigurationDialogOverThreeFoldersOkSavesSignalsCancel) {
    test::WriteBytes(home / "vimbrel.ini", test::CrLf({"[Options]", "Settings=vimbrel001.ini"}));
    const std::string collection =
        test::CrLf({"[Options]", "CurrentFolder=3", "Folders=3", "[Folder1]",
                    "Set=" + media.path().string(), "[Folder2]", "Set=" + runtime.path().string(),
                    "[Folder3]", "Set=" + home.path().string(), "Background=16711680"});
    test::WriteBytes(home / "vimbrel001.ini", collection);
    QProcess program;
    for (const int signal : {SIGINT, SIGHUP}) {
        ASSERT_TRUE(Start(program, {"/C"}));
        ASSERT_FALSE(Window("Vimbrel 4.0 Configuration").isEmpty());
        QThread::msleep(500);
        ::kill(static_cast<pid_t>(program.processId()), signal);
        EXPECT_EQ(Ended(program, 1000), "0") << "signal " << signal;
    }
    EXPECT_EQ(test::ReadBytes(home / "vimbrel001.ini"), collection) << "saved on a signal";

    ASSERT_TRUE(Start(program, {"/C"}));
    const QRegularExpressionMatch geometry =
        QRegularExpression(R"(X=(\d+)\nY=(\d+)\nWIDTH=497\nHEIGHT=365\n)")
            .match(Run("xdotool",
                       {"getwindowgeometry", "--shell", Window("Vimbrel 4.0 Configuration")}));
    ASSERT_TRUE(geometry.hasMatch()) << "no dialog of 497 x 365";
    const QPoint corner(geometry.captured(1).toInt(), geometry.captured(2).toInt());
    // Near the screen's middle (Qt leaves room above for a title bar that a
    // window manager would add), and so whole.
    EXPECT_NEAR(corner.x() + 248, 320, 20);
    EXPECT_NEAR(corner.y() + 182, 240, 50);
    // Once drawn, the swatch beside Background shows the third folder's blue.
    EXPECT_TRUE(Shows(Qt::blue, corner + QPoint(8 + 314, 8 + 145), 15000));
    KeepScreenshot(Screenshot().copy({corner, QSize(497, 365)}), "configuration-dialog");
    // OK saves the collection (keeping the one before) and ends the program.
    Xdotool({"mousemove", QString::number(corner.x() + 444), QString::number(corner.y() + 292),
             "click", "1"});
    EXPECT_EQ(Ended(program, 10000), "0");
    EXPECT_EQ(test::ReadBytes(home / "vimbrel001.bak"), collection);
}

// The panel moves into the window the host lends, fills it, and its icon
// jumps; the preview ends when the host destroys its window, or, when the
// host asks the panel to close, takes it out at once and ends at the next
// tick, leaving the host's window alone.
TEST_F(ModesEndToEnd, PreviewFillsTheHostsWindowAndEndsAsTheHostSays) {
    QProcess preview;
    HostWindow host(152, 112);
    ASSERT_TRUE(Start(preview, {"/p", host.id()}));
    ASSERT_TRUE(SOON(host.Children().size() == 1, 15000)) << "the panel is not in the window";
    // Each screenshot is compared with the first of the drawn panel: two
    // taken back to back on a busy machine may not have a tick between them.
    QImage drawn;
    const auto hostArea = [] { return Screenshot().copy(10, 10, 152, 112); };
    ASSERT_TRUE(SOON((drawn = hostArea()).pixelColor(0, 0) == Qt::black &&
                         drawn.pixelColor(151, 111) == Qt::black,
                     10000))
        << "the panel was not drawn, or does not fill the host's window";
    EXPECT_TRUE(SOON(hostArea() != drawn, 10000)) << "the icon did not move";
    Xdotool({"windowclose", host.id()});
    EXPECT_EQ(Ended(preview, 2000), "0") << "the preview outlived its host's window";

    HostWindow second(200, 150);
    ASSERT_TRUE(Start(preview, {"/P", second.id()}));
    ASSERT_TRUE(SOON(second.Children().size() == 1, 15000));
    second.SendCloseRequest(second.Children()[0]);
    EXPECT_TRUE(SOON(second.Children().empty(), 500)) << "the panel stayed in the host's window";
    EXPECT_EQ(Ended(preview, 2000), "0");
    EXPECT_TRUE(Run("xwininfo", {"-id", second.id()}).contains("Width: 200"));
}

} // namespace
} // namespace vimbrel
