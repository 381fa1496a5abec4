// The real program's other modes, started as a user or a screen-saver host
// starts them: no switch it knows, help, configuration (/C), and the
// preview in a host's window (/P). (The password dialog of /A runs on real
// desktops, DesktopEndToEndTest.cpp.)

#include "VirtualDisplay.h"

#include <QElapsedTimer>
#include <csignal>

namespace vimbrel {
namespace {

using ModesEndToEnd = EndToEnd;

// Starts that show no window of their own, each with a settings folder of
// its own. A preview whose id names no window ends at its first tick, about a
// second after the start; a settings folder that cannot be made is reported,
// and the message answered.
TEST_F(ModesEndToEnd, StartsThatShowNothingEndAndSaySo) {
    struct Row {
        QStringList arguments;
        int exitCode;
        const char* said;
        const char* settings;
        bool made;
    };
    const Row rows[] = {
        {{"/x"}, 2, "Usage: vimbrel", "x", true},
        {{"--help"}, 0, "/S   run the slide show", "help", false},
        {{"/p", "1234"}, 0, "", "p1", true},
        {{"/p"}, 0, "", "p2", true},
        {{"/p", "garbage"}, 0, "", "p3", true},
        {{"/p", "0"}, 0, "", "p4", true},
        {{"/p", "123456789"}, 0, "", "p5", true},
        {{"/p:1234"}, 0, "", "p6", true},
        {{"/S"}, 1, "Error 76 in GetWindowsDirectory: Path not found", "file/vimbrel", false},
    };
    test::WriteBytes(home / "file", "x");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.arguments.join(' ').toStdString());
        qputenv("VIMBREL_HOME", (home / row.settings).c_str());
        QProcess program;
        program.setProcessChannelMode(QProcess::MergedChannels);
        QElapsedTimer started;
        started.start();
        ASSERT_TRUE(Start(program, row.arguments));
        if (row.exitCode == 1 && !program.waitForFinished(3000)) {
            Xdotool({"key", "Return"}); // the message's OK
        }
        ASSERT_TRUE(program.waitForFinished(10000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), row.exitCode);
        EXPECT_TRUE(program.readAll().contains(row.said));
        EXPECT_EQ(std::filesystem::exists(home / row.settings / (row.made ? "vimbrel000.ini" : "")),
                  row.made);
        EXPECT_TRUE(!row.arguments[0].startsWith("/p") || started.elapsed() >= 1000)
            << "ended before the first tick";
    }
}

// The dialog over a collection of three folders: its size and place, the
// selected folder's colour, and OK saving; SIGINT and SIGHUP end it as
// Cancel does, saving nothing.
TEST_F(ModesEndToEnd, ConfigurationDialogOverThreeFoldersOkSavesSignalsCancel) {
    for (const char* name : {"Beach", "alps", "Castles of the Loire"}) {
        std::filesystem::create_directory(media / name);
    }
    test::WriteBytes(home / "vimbrel.ini", test::CrLf({"[Options]", "Settings=vimbrel001.ini"}));
    const std::string collection = test::CrLf(
        {"[Options]", "CurrentFolder=3", "Folders=3", "[Folder1]",
         "Set=" + (media / "Beach").string(), "[Folder2]", "Set=" + (media / "alps").string(),
         "[Folder3]", "Set=" + (media / "Castles of the Loire").string(), "Background=16711680"});
    test::WriteBytes(home / "vimbrel001.ini", collection);
    QProcess program;
    for (const int signal : {SIGINT, SIGHUP}) {
        ASSERT_TRUE(Start(program, {"/C"}));
        ASSERT_FALSE(Window("Vimbrel 4.0 Configuration").isEmpty());
        QThread::msleep(500);
        ::kill(static_cast<pid_t>(program.processId()), signal);
        ASSERT_TRUE(program.waitForFinished(1000)) << "signal " << signal;
        EXPECT_EQ(program.exitCode(), 0) << "signal " << signal;
    }
    EXPECT_EQ(test::ReadBytes(home / "vimbrel001.ini"), collection) << "saved on a signal";

    ASSERT_TRUE(Start(program, {"/C"}));
    const QString id = Window("Vimbrel 4.0 Configuration");
    ASSERT_FALSE(id.isEmpty()) << "the dialog did not appear";
    const QStringList geometry =
        QRegularExpression(R"(X=(\d+)\nY=(\d+)\nWIDTH=(\d+)\nHEIGHT=(\d+))")
            .match(Run("xdotool", {"getwindowgeometry", "--shell", id}))
            .capturedTexts();
    ASSERT_EQ(geometry.size(), 5);
    const QRect window(geometry[1].toInt(), geometry[2].toInt(), geometry[3].toInt(),
                       geometry[4].toInt());
    EXPECT_EQ(window.size(), QSize(497, 345));
    // Near the screen's middle (Qt leaves room above for a title bar that a
    // window manager would add), and whole.
    EXPECT_NEAR(window.center().x(), 320, 20);
    EXPECT_NEAR(window.center().y(), 240, 50);
    EXPECT_TRUE(QRect(0, 0, 640, 480).contains(window));
    // Once drawn, the swatch beside Background shows the third folder's blue.
    EXPECT_TRUE(Shows(Qt::blue, window.topLeft() + QPoint(8 + 314, 8 + 145), 15000));
    KeepScreenshot(Screenshot().copy(window), "configuration-dialog");

    // OK saves the collection (keeping the one before) and ends the program.
    Xdotool({"mousemove", QString::number(window.x() + 444), QString::number(window.y() + 292),
             "click", "1"});
    ASSERT_TRUE(program.waitForFinished(10000)) << "OK did not end the program";
    EXPECT_EQ(program.exitCode(), 0);
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
    ASSERT_TRUE(SOON(host.Children().size() == 1, 15000))
        << "the panel did not move into the host's window";
    // Screenshots are slow on a busy machine: each one is compared with the
    // first of the drawn panel, rather than two taken back to back, which a
    // tick may not fall between.
    QImage drawn;
    const auto hostArea = [] { return Screenshot().copy(10, 10, 152, 112); };
    ASSERT_TRUE(SOON((drawn = hostArea()).pixelColor(0, 0) == Qt::black &&
                         drawn.pixelColor(151, 111) == Qt::black,
                     10000))
        << "the panel was not drawn, or does not fill the host's window";
    EXPECT_TRUE(SOON(hostArea() != drawn, 10000)) << "the icon did not move";
    Xdotool({"windowclose", host.id()});
    QElapsedTimer sinceDestroyed;
    sinceDestroyed.start();
    ASSERT_TRUE(preview.waitForFinished(5000)) << "the preview outlived its host's window";
    EXPECT_LT(sinceDestroyed.elapsed(), 2000);
    EXPECT_EQ(preview.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(preview.exitCode(), 0);

    HostWindow second(200, 150);
    ASSERT_TRUE(Start(preview, {"/P", second.id()}));
    ASSERT_TRUE(SOON(second.Children().size() == 1, 15000));
    second.SendCloseRequest(second.Children()[0]);
    QElapsedTimer sinceRequest;
    sinceRequest.start();
    EXPECT_TRUE(SOON(second.Children().empty(), 500)) << "the panel stayed in the host's window";
    ASSERT_TRUE(preview.waitForFinished(5000));
    EXPECT_LT(sinceRequest.elapsed(), 2000);
    EXPECT_EQ(preview.exitCode(), 0);
    EXPECT_TRUE(Run("xwininfo", {"-id", second.id()}).contains("Width: 200"));
}

} // namespace
} // namespace vimbrel
