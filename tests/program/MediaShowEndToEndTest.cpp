// The real program under a virtual X server with a folder of mixed media:
// a picture, a video and a sound play in turn and the show comes round to
// them again; the video is seen on the screen; a corrupt video is taken
// out of the show without stopping it.

#include "TempDirectory.h"
#include "VirtualDisplay.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>
#include <set>

namespace vimbrel {
namespace {

using test::TempDirectory;

void Ffmpeg(const QStringList& arguments) {
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", QStringList{"-nostdin", "-loglevel", "error", "-y"} + arguments);
    ASSERT_TRUE(ffmpeg.waitForFinished(60000));
    ASSERT_EQ(ffmpeg.exitCode(), 0);
}

// How many distinct colours a region of the screen has in a coarse grid: a
// plain picture or background has one or two, the video's test pattern many.
std::size_t ColoursIn(const QImage& screen, const QRect& region) {
    std::set<QRgb> colours;
    for (int y = region.top(); y <= region.bottom(); y += 6) {
        for (int x = region.left(); x <= region.right(); x += 6) {
            colours.insert(screen.pixel(x, y) & 0xE0E0E0);
        }
    }
    return colours.size();
}

TEST(MediaShowEndToEnd, PictureVideoAndSoundPlayInTurnAndACorruptVideoIsTakenOut) {
    VirtualDisplay display;
    ASSERT_TRUE(display.ready()) << "Xvfb did not start";
    TempDirectory home, runtime, media;
    ASSERT_TRUE(WritePicture(media / "a.jpg", Qt::red));
    Ffmpeg({"-f", "lavfi", "-i", "testsrc=size=320x240:rate=25:duration=1", "-c:v", "mpeg4",
            QString::fromStdString((media / "b.avi").string())});
    Ffmpeg({"-f", "lavfi", "-i", "sine=frequency=440:duration=1",
            QString::fromStdString((media / "c.wav").string())});
    test::WriteBytes(media / "d.avi", "RIFF but no video at all");
    WriteCollection(home.path(), {"[Options]", "RandomFolder=0", "Folders=1", "", "[Folder1]",
                                  "Background=65280", "Center=1", "Interval=1", "ImageScale=0",
                                  "RandomOrder=0", "Set=" + media.path().string()});

    QProcess show;
    ASSERT_TRUE(
        StartProgram(show, ProgramEnvironment(display, home.path(), runtime.path()), {"/S"}));

    // The 640 x 480 screen: the picture and the video both lie centred on it.
    const QRect videoArea(160 + 10, 120 + 10, 300, 220);
    const auto pictureShown = [&] {
        const QImage screen = display.Screenshot();
        return !screen.isNull() && Near(screen.pixelColor(320, 240), Qt::red);
    };
    const auto videoShown = [&] {
        const QImage screen = display.Screenshot();
        return !screen.isNull() && ColoursIn(screen, videoArea) >= 8;
    };
    const auto corruptTakenOut = [&] {
        return test::ReadBytes(home / "vimbrel000.ini").find("LastFileName=d.avi\r\n") !=
               std::string::npos;
    };

    ASSERT_TRUE(WaitFor(pictureShown, 15000)) << "the picture did not appear";
    ASSERT_TRUE(WaitFor(videoShown, 15000)) << "the video did not appear";
    QElapsedTimer afterVideo;
    afterVideo.start();
    // The video ends, stands its interval, the sound plays and stands its
    // interval, and then the corrupt video's turn comes.
    ASSERT_TRUE(WaitFor(corruptTakenOut, 20000)) << "the corrupt video was not taken out";
    EXPECT_GE(afterVideo.elapsed(), 4000) << "the sound was not played in its turn";
    EXPECT_TRUE(std::filesystem::exists(media / "_d.avi"));
    EXPECT_FALSE(std::filesystem::exists(media / "d.avi"));
    EXPECT_EQ(show.state(), QProcess::Running);

    // Round again: the picture, then the video once more.
    ASSERT_TRUE(WaitFor(videoShown, 20000)) << "the show did not come round again";
    EXPECT_TRUE(std::filesystem::exists(media / "a.jpg"));
    EXPECT_TRUE(std::filesystem::exists(media / "b.avi"));
    EXPECT_TRUE(std::filesystem::exists(media / "c.wav"));

    display.Run("xdotool", {"key", "x"});
    ASSERT_TRUE(show.waitForFinished(10000)) << "a key did not end the show";
    EXPECT_EQ(show.exitCode(), 0);
}

} // namespace
} // namespace vimbrel
