// The show (/S) of the real program under a virtual X server, as a viewer
// sees it: started on idle, its media played in turn, its folders in display
// modes of their own, and ended from outside by signals or a fault.

#include "VirtualDisplay.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcessEnvironment>
#include <csignal>
#include <set>

namespace vimbrel {
namespace {

using ShowEndToEnd = EndToEnd;

// Started by an idle tool as users set it up (xss-lock, when the X screen
// saver comes on), the show plays its first folder: a picture, a video and
// a sound in turn, and round again; a corrupt video is taken out without
// stopping it. A second show meanwhile ends at once. "s" switches the screen
// to the next folder's display mode; then a message (the third folder is
// empty) takes the keys under the show's grab, the show ends, and the
// desktop's mode comes back.
TEST_F(ShowEndToEnd, MediaPlayInTurnFoldersSwitchModesAndAMessageTakesTheKeys) {
    WriteFolders(1);
    const QString first = QString::fromStdString((media / "first").string()) + "/";
    Run("ffmpeg", {"-nostdin", "-loglevel", "error", "-f", "lavfi", "-i",
                   "testsrc=size=320x240:rate=25:duration=1", "-f", "lavfi", "-i",
                   "sine=frequency=440:duration=1", "-map", "0", "-c:v", "mpeg4", first + "b.avi",
                   "-map", "1", first + "c.wav"});
    test::WriteBytes(media / "first" / "d.avi", "RIFF but no video at all");
    const std::filesystem::path ended = runtime / "exit-code";
    QProcess locker;
    locker.start("xss-lock",
                 {"--", "sh", "-c",
                  QString("'%1' /S; echo $? > '%2'").arg(VIMBREL_PROGRAM_PATH, ended.c_str())});
    QThread::msleep(1000);
    Run("xset", {"s", "activate"});
    ASSERT_TRUE(Shows(Qt::red, {320, 240}, 15000)) << "no show when the screen saver came on";
    QProcess second;
    ASSERT_TRUE(Start(second, {"/S"}));
    EXPECT_EQ(Ended(second, 10000), "0");
    // The video's test pattern has many colours, centred on the screen.
    const auto videoShown = [] {
        const QImage screen = Screenshot().copy(170, 130, 300, 220).scaled(50, 37);
        std::set<QRgb> colours;
        for (int i = 0; !screen.isNull() && i < 50 * 37; ++i) {
            colours.insert(screen.pixel(i % 50, i / 50) & 0xE0E0E0);
        }
        return colours.size() >= 8;
    };
    ASSERT_TRUE(WaitFor(videoShown, 15000)) << "the video did not appear";
    const QDeadlineTimer soundsTurn(4000);
    // The video ends and stands its interval, the sound plays and stands its
    // interval, and then the corrupt video's turn comes.
    ASSERT_TRUE(SOON(test::ReadBytes(home / "vimbrel000.ini").find("LastFileName=d.avi\r\n") !=
                         std::string::npos,
                     20000))
        << "the corrupt video was not taken out";
    EXPECT_TRUE(soundsTurn.hasExpired()) << "the sound was not played in its turn";
    ASSERT_TRUE(WaitFor(videoShown, 20000)) << "the show did not come round again";
    EXPECT_EQ(QDir(first).entryList(QDir::Files).join(' '), "_d.avi a.jpg b.avi c.wav");

    Xdotool({"key", "s"});
    EXPECT_TRUE(Shows(Qt::blue, {200, 150}, 5000) && Screenshot().size() == QSize(400, 300))
        << "the folder's mode was not set, or the picture not centred on it";
    EXPECT_TRUE(Shows(Qt::green, {5, 5}));
    Xdotool({"key", "s"});
    QThread::msleep(1500);
    EXPECT_FALSE(std::filesystem::exists(ended)) << "the show did not wait for the message";
    Xdotool({"key", "Return"});
    EXPECT_TRUE(SOON(test::ReadBytes(ended) == "0\n", 10000))
        << "Return did not reach the message, or xss-lock did not see the show end with 0";
    EXPECT_EQ(Screenshot().size(), QSize(640, 480)) << "the desktop's mode did not come back";
    locker.terminate();
    locker.waitForFinished(5000);
    EXPECT_TRUE(locker.readAllStandardError().contains("Could not find any supported files"));
}

// SIGTERM ends a show in a folder's mode within a second, the desktop's
// mode coming back and nothing saved; a fault is reported in a window of
// its own on the bare screen, back in the desktop's mode, though the
// crashed process can do neither.
TEST_F(ShowEndToEnd, TerminationEndsTheShowAndAFaultIsReportedOnTheDesktop) {
    WriteFolders();
    const std::string collection = test::ReadBytes(home / "vimbrel000.ini");
    for (const int signal : {SIGTERM, SIGSEGV}) {
        QProcess show;
        ASSERT_TRUE(Start(show, {"/S"}));
        ASSERT_TRUE(Shows(Qt::red, {320, 240}, 15000));
        if (signal == SIGTERM) {
            // A show of pictures carries none of the libraries of media it
            // does not show: not the media player's, the synthesizer's or
            // the HEIF decoder's, nor OpenGL, which without a graphics
            // processor would only be a software rasterizer.
            const std::string maps = test::ReadBytes(std::filesystem::path("/proc") /
                                                     std::to_string(show.processId()) / "maps");
            for (const char* library : {"libGLX_mesa", "libmpv", "libfluidsynth", "libheif"}) {
                EXPECT_EQ(maps.find(library), std::string::npos) << library << " loaded";
            }
        }
        Xdotool({"key", "s"});
        ASSERT_TRUE(SOON(Screenshot().size() == QSize(400, 300), 5000));
        ::kill(static_cast<pid_t>(show.processId()), signal);
        EXPECT_EQ(Ended(show, signal == SIGTERM ? 1000 : 5000), signal == SIGTERM ? "0" : "crash");
        EXPECT_EQ(show.readAllStandardError().contains(
                      "Error 10000 in MyExceptionFilter: Access Violation"),
                  signal == SIGSEGV);
        EXPECT_EQ(test::ReadBytes(home / "vimbrel000.ini"), collection) << "saved on a signal";
        EXPECT_TRUE(SOON(Screenshot().size() == QSize(640, 480), 5000))
            << "the desktop's mode did not come back";
    }
    ASSERT_FALSE(Window("Vimbrel").isEmpty()) << "no report window";
    // The report stands alone in the middle of the bare screen.
    QThread::msleep(500);
    KeepScreenshot(Screenshot(), "fault-report");
    EXPECT_FALSE(Shows(Qt::black));
    EXPECT_TRUE(Shows(Qt::black, {5, 5}));
}

// Files on a mount that does not answer (their open() held for 8 s, as a
// hung network mount holds it, by support/HoldOpen.cpp preloaded) hold
// nothing up: while the video opens, a key ends the show at once; while the
// picture is read, the pointer does. Neither file is blamed.
TEST_F(ShowEndToEnd, AFileThatDoesNotAnswerHoldsNothingUpAndIsNotBlamed) {
    WriteFolders(1);
    const std::filesystem::path first = media / "first";
    Run("ffmpeg", {"-nostdin", "-loglevel", "error", "-f", "lavfi", "-i",
                   "testsrc=size=320x240:rate=25:duration=10", "-c:v", "mpeg4",
                   (first / "slow.avi").c_str()});
    for (const char* held : {"slow.avi", "slow.jpg"}) {
        SCOPED_TRACE(held);
        if (std::string(held) == "slow.jpg") {
            std::filesystem::rename(first / "slow.avi", first / "slow.jpg");
        }
        QProcess show;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("LD_PRELOAD", VIMBREL_HOLD_OPEN_PATH);
        show.setProcessEnvironment(environment);
        ASSERT_TRUE(Start(show, {"/S"}));
        ASSERT_TRUE(Shows(Qt::red, {320, 240}, 15000));
        // The red picture stands three seconds; then the held file's turn.
        QThread::msleep(4500);
        EXPECT_TRUE(Shows(Qt::red)) << "the held file is shown: nothing held it";
        QElapsedTimer ending;
        ending.start();
        if (std::string(held) == "slow.avi") {
            Xdotool({"key", "q"});
        } else {
            // Apart, so that each reaches the show as a move of its own.
            for (int i = 0; i < 5; ++i) {
                Xdotool({"mousemove", QString::number(100 + 40 * i), "100"});
                QThread::msleep(100);
            }
        }
        EXPECT_EQ(Ended(show, 3000), "0");
        EXPECT_LT(ending.elapsed(), 3000);
    }
    EXPECT_EQ(QDir(first.c_str()).entryList(QDir::Files).join(' '), "a.jpg slow.jpg");
}

// Where OpenGL draws the video (asked for here: a virtual X server's OpenGL
// draws on the processor, and would not be chosen), the frame reaches the
// screen upright: a video white above and black below.
TEST_F(ShowEndToEnd, VideoDrawnThroughOpenGlIsUpright) {
    WriteFolders(1);
    Run("ffmpeg", {"-nostdin", "-loglevel", "error", "-f", "lavfi", "-i",
                   "color=c=black:size=320x240:rate=25:duration=10", "-vf",
                   "drawbox=x=0:y=0:w=320:h=120:color=white:t=fill", "-c:v", "mpeg4",
                   (media / "first" / "b.avi").c_str()});
    QProcess show;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("VIMBREL_VIDEO_OUTPUT", "opengl");
    show.setProcessEnvironment(environment);
    ASSERT_TRUE(Start(show, {"/S"}));
    ASSERT_TRUE(Shows(Qt::red, {320, 240}, 15000));
    // Centred on the 640 x 480 screen: from (160, 120) to (480, 360).
    EXPECT_TRUE(SOON(Near(Screenshot().pixelColor(320, 150), Qt::white) &&
                         Near(Screenshot().pixelColor(320, 330), Qt::black),
                     15000))
        << "no upright video";
    ::kill(static_cast<pid_t>(show.processId()), SIGTERM);
    EXPECT_EQ(Ended(show, 5000), "0");
}

} // namespace
} // namespace vimbrel
