// The show (/S) of the real program under a virtual X server, as a viewer
// sees it: started on idle, its media played in turn, its folders in display
// modes of their own, and ended from outside by signals or a fault.

#include "VirtualDisplay.h"

#include <QElapsedTimer>
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
    ASSERT_NO_FATAL_FAILURE(WriteFoldersInTwoModes(1));
    QProcess ffmpeg;
    ffmpeg.setWorkingDirectory(QString::fromStdString((media / "first").string()));
    ffmpeg.start("ffmpeg", {"-nostdin", "-loglevel", "error", "-f", "lavfi", "-i",
                            "testsrc=size=320x240:rate=25:duration=1", "-f", "lavfi", "-i",
                            "sine=frequency=440:duration=1", "-map", "0", "-c:v", "mpeg4", "b.avi",
                            "-map", "1", "c.wav"});
    ASSERT_TRUE(ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0);
    test::WriteBytes(media / "first" / "d.avi", "RIFF but no video at all");
    const std::filesystem::path ended = runtime / "exit-code";
    QProcess locker;
    locker.start("xss-lock",
                 {"--", "sh", "-c",
                  QString("'%1' /S; echo $? > '%2'")
                      .arg(VIMBREL_PROGRAM_PATH, QString::fromStdString(ended.string()))});
    ASSERT_TRUE(locker.waitForStarted(10000));
    QThread::msleep(1000);
    Run("xset", {"s", "activate"});

    ASSERT_TRUE(Shows(Qt::red, {320, 240}, 15000))
        << "the show did not start when the screen saver came on";
    QProcess second;
    ASSERT_TRUE(Start(second, {"/S"}));
    EXPECT_TRUE(second.waitForFinished(10000) && second.exitCode() == 0);
    // The video's test pattern has many colours, centred on the screen.
    const auto videoShown = [] {
        const QImage screen = Screenshot();
        std::set<QRgb> colours;
        for (int y = 130; !screen.isNull() && y < 350; y += 6) {
            for (int x = 170; x < 470; x += 6) {
                colours.insert(screen.pixel(x, y) & 0xE0E0E0);
            }
        }
        return colours.size() >= 8;
    };
    ASSERT_TRUE(WaitFor(videoShown, 15000)) << "the video did not appear";
    QElapsedTimer afterVideo;
    afterVideo.start();
    // The video ends and stands its interval, the sound plays and stands its
    // interval, and then the corrupt video's turn comes.
    const std::string corrupt = "LastFileName=d.avi\r\n";
    ASSERT_TRUE(
        SOON(test::ReadBytes(home / "vimbrel000.ini").find(corrupt) != std::string::npos, 20000))
        << "the corrupt video was not taken out";
    EXPECT_GE(afterVideo.elapsed(), 4000) << "the sound was not played in its turn";
    EXPECT_TRUE(std::filesystem::exists(media / "first" / "_d.avi"));
    // Round again, to the video once more.
    ASSERT_TRUE(WaitFor(videoShown, 20000)) << "the show did not come round again";
    for (const char* name : {"a.jpg", "b.avi", "c.wav"}) {
        EXPECT_TRUE(std::filesystem::exists(media / "first" / name)) << name << " was renamed";
    }

    Xdotool({"key", "s"});
    EXPECT_TRUE(SOON(ScreenSize() == QSize(400, 300), 5000)) << "the folder's mode was not set";
    EXPECT_TRUE(Shows(Qt::blue, {200, 150}, 5000)) << "not centred on the smaller screen";
    EXPECT_TRUE(Shows(QColor(0, 255, 0), {5, 5}));
    Xdotool({"key", "s"});
    QThread::msleep(1500);
    EXPECT_FALSE(std::filesystem::exists(ended)) << "the show did not wait for the message";
    Xdotool({"key", "Return"});
    ASSERT_TRUE(SOON(std::filesystem::exists(ended), 10000))
        << "Return did not reach the message, or xss-lock did not see the show end";
    EXPECT_EQ(test::ReadBytes(ended), "0\n");
    EXPECT_EQ(ScreenSize(), QSize(640, 480)) << "the desktop's mode did not come back";
    locker.terminate();
    locker.waitForFinished(5000);
    EXPECT_TRUE(locker.readAllStandardError().contains("Could not find any supported files"));
}

// SIGTERM ends a show in a folder's mode within a second, the desktop's
// mode coming back and nothing saved; a fault is reported in a window of
// its own on the bare screen, back in the desktop's mode, though the
// crashed process can do neither.
TEST_F(ShowEndToEnd, TerminationEndsTheShowAndAFaultIsReportedOnTheDesktop) {
    ASSERT_NO_FATAL_FAILURE(WriteFoldersInTwoModes(30));
    const std::string collection = test::ReadBytes(home / "vimbrel000.ini");
    for (const int signal : {SIGTERM, SIGSEGV}) {
        QProcess show;
        ASSERT_TRUE(Start(show, {"/S"}));
        ASSERT_TRUE(Shows(Qt::red, {320, 240}, 15000));
        Xdotool({"key", "s"});
        ASSERT_TRUE(SOON(ScreenSize() == QSize(400, 300), 5000));
        ::kill(static_cast<pid_t>(show.processId()), signal);
        ASSERT_TRUE(show.waitForFinished(signal == SIGTERM ? 1000 : 5000));
        EXPECT_EQ(show.exitStatus() == QProcess::NormalExit && show.exitCode() == 0,
                  signal == SIGTERM);
        EXPECT_EQ(show.readAllStandardError().contains(
                      "Error 10000 in MyExceptionFilter: Access Violation"),
                  signal == SIGSEGV);
        EXPECT_EQ(test::ReadBytes(home / "vimbrel000.ini"), collection) << "saved on a signal";
        EXPECT_TRUE(SOON(ScreenSize() == QSize(640, 480), 5000))
            << "the desktop's mode did not come back";
    }
    ASSERT_FALSE(Window("Vimbrel").isEmpty()) << "no report window";
    // The report stands alone in the middle of the bare screen.
    QThread::msleep(500);
    KeepScreenshot(Screenshot(), "fault-report");
    EXPECT_FALSE(Shows(Qt::black));
    EXPECT_TRUE(Shows(Qt::black, {5, 5}));
    Xdotool({"key", "Return"});
}

} // namespace
} // namespace vimbrel
