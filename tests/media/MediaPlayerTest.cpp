// The media player on real files: opening, the end and start of streams,
// display sizes, clip titles, pausing, play lists, pointer input and the
// frames drawn. Sound goes to mpv's null output, which plays in real time.

#include "media/MediaPlayer.h"

#include "EventLoopWait.h"
#include "MediaFiles.h"
#include "runtime/Error.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <iostream>
#include <optional>
#include <set>

namespace vimbrel {
namespace {

using namespace std::chrono_literals;

using test::WaitUntil;

// How many distinct colours a frame has in a coarse grid: a black or blank
// frame has one, the test pattern many.
std::size_t ColoursIn(const QImage& frame) {
    std::set<QRgb> colours;
    for (int y = 0; y < frame.height(); y += 8) {
        for (int x = 0; x < frame.width(); x += 8) {
            colours.insert(frame.pixel(x, y) & 0xF0F0F0);
        }
    }
    return colours.size();
}

class MediaPlayerTest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::current_path(test::MediaFolder()); }
    void TearDown() override { std::filesystem::current_path(m_previousFolder); }

    std::filesystem::path m_previousFolder = std::filesystem::current_path();
    MediaPlayer player{nullptr, "null"};
    QSignalSpy newStreams{&player, &MediaPlayer::NewStream};
    QSignalSpy ends{&player, &MediaPlayer::EndOfStream};
};

class OpeningEachKindOfMedia : public MediaPlayerTest,
                               public ::testing::WithParamInterface<const char*> {};

TEST_P(OpeningEachKindOfMedia, PlaysInRealTimeAndReportsStartAndEndOnce) {
    QElapsedTimer elapsed;
    elapsed.start();
    player.SetFileName(GetParam());
    const qint64 openMs = elapsed.elapsed();
    EXPECT_EQ(player.FileName(), GetParam());
    // Notifications never come from inside the assignment.
    EXPECT_EQ(newStreams.count(), 0);

    ASSERT_TRUE(WaitUntil([&] { return ends.count() == 1; }));
    const qint64 playedMs = elapsed.elapsed();
    QTest::qWait(300);
    EXPECT_EQ(newStreams.count(), 1);
    EXPECT_EQ(ends.count(), 1);
    EXPECT_EQ(ends.at(0).at(0).toInt(), 0);
    // A one-second file that "ends" much sooner failed to play.
    EXPECT_GE(playedMs, 400);
    EXPECT_EQ(player.FileName(), GetParam()) << "the name stays until the program clears it";
    std::cout << GetParam() << ": open " << openMs << " ms, end after " << playedMs << " ms\n";
}

INSTANTIATE_TEST_SUITE_P(MediaPlayer, OpeningEachKindOfMedia,
                         ::testing::Values("movie.avi", "movie.mpg", "tone.wav", "tone.mp3"));

struct UnopenableCase {
    const char* name;
    int number;
};

void PrintTo(const UnopenableCase& row, std::ostream* out) {
    *out << row.name << " raises " << row.number;
}

class UnopenableFiles : public MediaPlayerTest,
                        public ::testing::WithParamInterface<UnopenableCase> {};

TEST_P(UnopenableFiles, RaiseTheErrorAtTheAssignmentAndReportNothing) {
    player.SetFileName("movie.avi");
    try {
        player.SetFileName(GetParam().name);
        FAIL() << "no error for " << GetParam().name;
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), GetParam().number);
        EXPECT_EQ(error.source(), "MediaPlayer1");
    }
    EXPECT_EQ(player.FileName(), "");
    QTest::qWait(1500);
    EXPECT_EQ(newStreams.count(), 0) << "neither the failed file nor the one it replaced";
    EXPECT_EQ(ends.count(), 0);

    player.SetFileName("tone.wav");
    EXPECT_TRUE(WaitUntil([&] { return ends.count() == 1; }));
}

INSTANTIATE_TEST_SUITE_P(
    MediaPlayer, UnopenableFiles,
    ::testing::Values(UnopenableCase{"broken.avi", ErrorNumber::CannotPlayMedia},
                      UnopenableCase{"missing.avi", ErrorNumber::FileNotFound},
                      UnopenableCase{"clips", ErrorNumber::PathFileAccessError}));

// A sound device that cannot start (no JACK server runs for the tests) is
// the machine's trouble: a sound raises the output's own error, or plays to
// a quick end, but is never reported as a file that cannot be played; a
// video plays without its sound.
TEST(MediaPlayerWithoutSoundDevice, SoundIsNotTheFilesFaultAndVideoPlaysSilently) {
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(test::MediaFolder());
    MediaPlayer player{nullptr, "jack"};
    QSignalSpy ends{&player, &MediaPlayer::EndOfStream};
    try {
        player.SetFileName("tone.wav");
        EXPECT_TRUE(WaitUntil([&] { return ends.count() == 1; }));
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), ErrorNumber::OutputUnavailable) << error.description();
    }
    ends.clear();
    player.SetFileName("movie.avi");
    EXPECT_EQ(player.VideoSize(), QSize(160, 120));
    EXPECT_TRUE(WaitUntil([&] { return ends.count() == 1; }));
    std::filesystem::current_path(previous);
}

TEST_F(MediaPlayerTest, NamesAreRelativeToTheCurrentFolderAtTheAssignment) {
    player.SetFileName("clips/inner.avi");
    // Changing folder while it plays does not matter any more.
    std::filesystem::current_path("clips");
    EXPECT_TRUE(WaitUntil([&] { return ends.count() == 1; }));
    EXPECT_EQ(newStreams.count(), 1);
    player.SetFileName("inner.avi");
    EXPECT_EQ(player.FileName(), "inner.avi");
}

TEST_F(MediaPlayerTest, ReplacedOrUnloadedMediaReportsNoEnd) {
    // Replaced before its notifications were delivered.
    player.SetFileName("movie.avi");
    player.SetFileName("tone.wav");
    ASSERT_TRUE(WaitUntil([&] { return ends.count() == 1; }));
    EXPECT_EQ(newStreams.count(), 1);

    // Replaced while playing.
    player.SetFileName("movie.avi");
    ASSERT_TRUE(WaitUntil([&] { return newStreams.count() == 2; }));
    player.SetFileName("movie.mpg");
    ASSERT_TRUE(WaitUntil([&] { return ends.count() == 2; }));
    QTest::qWait(300);
    EXPECT_EQ(ends.count(), 2);
    EXPECT_EQ(newStreams.count(), 3);

    // Unloaded while playing.
    player.SetFileName("movie.avi");
    QTest::qWait(200);
    player.SetFileName("");
    EXPECT_EQ(player.FileName(), "");
    QTest::qWait(1500);
    EXPECT_EQ(ends.count(), 2);
}

TEST_F(MediaPlayerTest, ClipTitleComesFromTheFilesMetadata) {
    EXPECT_THROW(player.ClipTitle(), Error) << "nothing loaded";
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"titled.avi", "Sunset & Sea"},
        {"titled.mp3", "Evening Tone"},
        {"movie.avi", std::nullopt},
        {"tone.wav", std::nullopt},
    };
    for (const auto& [file, title] : cases) {
        SCOPED_TRACE(file);
        player.SetFileName(file);
        if (title) {
            EXPECT_EQ(player.ClipTitle(), *title);
        } else {
            try {
                player.ClipTitle();
                ADD_FAILURE() << "a title where there is none";
            } catch (const Error& error) {
                EXPECT_EQ(error.number(), ErrorNumber::NoMediaInformation);
            }
        }
    }
}

struct SizeCase {
    const char* file;
    int displaySize;
    QSize expected;
};

void PrintTo(const SizeCase& row, std::ostream* out) {
    *out << row.file << " at display size " << row.displaySize;
}

class DisplaySizesOfMedia : public MediaPlayerTest,
                            public ::testing::WithParamInterface<SizeCase> {};

TEST_P(DisplaySizesOfMedia, SizeTheWidgetToTheVideoArea) {
    // The rows assume the offscreen platform's single 800x800 screen.
    ASSERT_EQ(QGuiApplication::primaryScreen()->size(), QSize(800, 800));
    const SizeCase& row = GetParam();
    // Set before the file: the assignment applies it.
    player.SetDisplaySize(row.displaySize);
    player.SetFileName(row.file);
    EXPECT_EQ(player.size(), row.expected);
    EXPECT_EQ(player.DisplaySize(), row.displaySize);
    // And set again on loaded media.
    player.SetDisplaySize(DisplaySizes::OwnSize);
    player.SetDisplaySize(row.displaySize);
    EXPECT_EQ(player.size(), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    MediaPlayer, DisplaySizesOfMedia,
    ::testing::Values(SizeCase{"movie.avi", DisplaySizes::OwnSize, {160, 120}},
                      SizeCase{"movie.avi", DisplaySizes::DoubleSize, {320, 240}},
                      SizeCase{"movie.avi", DisplaySizes::HalfScreen, {400, 300}},
                      SizeCase{"movie.mpg", DisplaySizes::DoubleSize, {320, 240}},
                      SizeCase{"wide.avi", DisplaySizes::HalfScreen, {400, 150}},
                      SizeCase{"anamorphic.avi", DisplaySizes::OwnSize, {320, 120}},
                      SizeCase{"anamorphic.avi", DisplaySizes::HalfScreen, {400, 150}},
                      SizeCase{"movie.avi", 5, {160, 120}},
                      SizeCase{"tone.wav", DisplaySizes::DoubleSize, {0, 0}}));

TEST(DisplayAreaSize, FitsHalfTheScreenKeepingTheAspect) {
    EXPECT_EQ(DisplayAreaSize(7, {160, 120}, {1920, 1080}), QSize(720, 540));
    EXPECT_EQ(DisplayAreaSize(7, {1920, 800}, {1920, 1080}), QSize(960, 400));
    // A video larger than half the screen is reduced, not cut.
    EXPECT_EQ(DisplayAreaSize(7, {3840, 2160}, {1280, 1024}), QSize(640, 360));
    // Halves round to even.
    EXPECT_EQ(DisplayAreaSize(7, {300, 100}, {500, 1000}), QSize(250, 83));
    EXPECT_EQ(DisplayAreaSize(7, {160, 120}, {0, 0}), QSize(160, 120));
    EXPECT_EQ(DisplayAreaSize(2, {0, 0}, {800, 800}), QSize(0, 0));
}

TEST_F(MediaPlayerTest, PauseHoldsThePositionAndPlayGoesOn) {
    player.SetFileName("movie.avi");
    ASSERT_TRUE(WaitUntil([&] { return player.CurrentPosition() > 0.2; }));
    player.Pause();
    QTest::qWait(100);
    const double held = player.CurrentPosition();
    QTest::qWait(1200);
    EXPECT_TRUE(player.IsPaused());
    EXPECT_NEAR(player.CurrentPosition(), held, 0.05);
    EXPECT_EQ(ends.count(), 0);

    player.Play();
    EXPECT_TRUE(WaitUntil([&] { return ends.count() == 1; }));
}

TEST_F(MediaPlayerTest, StopHoldsAtTheStartAndPlayStartsOverAfterTheEnd) {
    player.SetFileName("movie.avi");
    ASSERT_TRUE(WaitUntil([&] { return player.CurrentPosition() > 0.4; }));
    player.Stop();
    EXPECT_TRUE(WaitUntil([&] { return player.CurrentPosition() < 0.05; }));
    QTest::qWait(1000);
    EXPECT_EQ(ends.count(), 0);
    EXPECT_LT(player.CurrentPosition(), 0.05);

    player.Play();
    ASSERT_TRUE(WaitUntil([&] { return ends.count() == 1; }));
    player.Play();
    EXPECT_TRUE(WaitUntil([&] { return ends.count() == 2; }));
    EXPECT_EQ(newStreams.count(), 2);
}

TEST_F(MediaPlayerTest, PlayListPlaysItsEntriesInTurnAndEndsOnce) {
    player.SetPlayList("party.m3u", {"tone.wav", "broken.avi", "movie.avi"});
    EXPECT_EQ(player.FileName(), "party.m3u");
    EXPECT_EQ(player.EntryCount(), 3);
    EXPECT_EQ(player.CurrentEntry(), 1);
    EXPECT_TRUE(WaitUntil([&] { return player.CurrentEntry() == 3; }));
    EXPECT_TRUE(WaitUntil([&] { return player.size() == QSize(160, 120); }))
        << "the video entry sizes the player";
    ASSERT_TRUE(WaitUntil([&] { return ends.count() == 1; }));
    QTest::qWait(300);
    EXPECT_EQ(ends.count(), 1) << "the broken entry in the middle does not end the list";
    EXPECT_EQ(newStreams.count(), 2);

    EXPECT_THROW(player.SetPlayList("bad.m3u", {"broken.avi", "missing.avi"}), Error);
    EXPECT_EQ(player.EntryCount(), 0);
}

TEST_F(MediaPlayerTest, MovingThroughThePlayListEndsNothing) {
    player.SetPlayList("party.m3u", {"movie.avi", "movie.mpg", "tone.wav"});
    player.NextEntry();
    EXPECT_TRUE(WaitUntil([&] { return player.CurrentEntry() == 2; }));
    player.PreviousEntry();
    EXPECT_TRUE(WaitUntil([&] { return player.CurrentEntry() == 1; }));
    player.PreviousEntry();
    QTest::qWait(100);
    EXPECT_EQ(player.CurrentEntry(), 1) << "nothing before the first entry";
    EXPECT_EQ(ends.count(), 0);
    EXPECT_TRUE(WaitUntil([&] { return ends.count() == 1; }, 8s));
}

TEST_F(MediaPlayerTest, PointerInputOverTheVideoIsReported) {
    player.SetFileName("movie.avi");
    player.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&player));
    QSignalSpy moves(&player, &MediaPlayer::MouseMoved);
    QSignalSpy downs(&player, &MediaPlayer::MouseDown);
    QSignalSpy clicks(&player, &MediaPlayer::Clicked);
    QSignalSpy doubleClicks(&player, &MediaPlayer::DoubleClicked);
    // Sent to the window, so that they pass the video surface on their way.
    QWindow* window = player.windowHandle();
    QTest::mouseMove(window, QPoint(40, 30));
    QTest::mouseMove(window, QPoint(60, 50));
    EXPECT_GE(moves.count(), 1);
    QTest::mouseClick(window, Qt::LeftButton, {}, QPoint(60, 50));
    EXPECT_EQ(downs.count(), 1);
    EXPECT_EQ(clicks.count(), 1);
    QTest::mouseDClick(window, Qt::LeftButton, {}, QPoint(60, 50));
    EXPECT_EQ(doubleClicks.count(), 1);
    // Pressed here, released elsewhere: no click.
    const int clicksBefore = static_cast<int>(clicks.count());
    QTest::mousePress(window, Qt::RightButton, {}, QPoint(60, 50));
    QTest::mouseRelease(window, Qt::RightButton, {}, QPoint(500, 500));
    EXPECT_EQ(clicks.count(), clicksBefore);
}

TEST_F(MediaPlayerTest, FramesAreDrawnAtTheWidgetsSize) {
    player.show();
    QElapsedTimer elapsed;
    elapsed.start();
    player.SetFileName("movie.avi");
    const QImage& frame = player.Surface().Frame();
    ASSERT_TRUE(WaitUntil([&] { return !frame.isNull() && ColoursIn(frame) > 4; }));
    std::cout << "first frame after " << elapsed.elapsed() << " ms\n";
    EXPECT_EQ(frame.size(), QSize(160, 120));

    player.Pause();
    player.SetDisplaySize(DisplaySizes::DoubleSize);
    EXPECT_TRUE(WaitUntil([&] { return frame.size() == QSize(320, 240); }))
        << "a paused video is drawn again at the new size";
    EXPECT_GT(ColoursIn(frame), 4u);

    player.SetFileName("");
    EXPECT_TRUE(player.Surface().Frame().isNull()) << "no picture of the media left behind";
}

TEST_F(MediaPlayerTest, HiddenVideoStillPlaysInRealTime) {
    // mpv waits for every frame to be taken; a hidden player that took none
    // would show a one-second video in five.
    QElapsedTimer elapsed;
    elapsed.start();
    player.SetFileName("movie.avi");
    ASSERT_TRUE(WaitUntil([&] { return ends.count() == 1; }));
    EXPECT_LT(elapsed.elapsed(), 2500);
}

TEST(VideoSurface, SoftwareDrawingCanBeForced) {
    ::setenv("VIMBREL_VIDEO_OUTPUT", "software", 1);
    MediaPlayer player(nullptr, "null");
    ::unsetenv("VIMBREL_VIDEO_OUTPUT");
    EXPECT_EQ(player.Surface().Path(), VideoSurface::RenderPath::Software);
}

// The largest difference between two frames in the mean colour of one row:
// a picture upside down, or with red and blue swapped, shows at once.
int LargestRowDifference(const QImage& first, const QImage& second) {
    int largest = 0;
    for (int y = 0; y < first.height(); ++y) {
        int sum = 0;
        for (int x = 0; x < first.width(); ++x) {
            const QRgb a = first.pixel(x, y);
            const QRgb b = second.pixel(x, y);
            sum += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                   std::abs(qBlue(a) - qBlue(b));
        }
        largest = std::max(largest, sum / (3 * first.width()));
    }
    return largest;
}

// Where a GL context exists (run the tests with a display), the OpenGL
// drawing must give the same picture as the software one.
TEST(VideoSurface, OpenGlDrawingMatchesSoftware) {
    const auto previousFolder = std::filesystem::current_path();
    std::filesystem::current_path(test::MediaFolder());
    auto firstFrame = [](const char* output) {
        ::setenv("VIMBREL_VIDEO_OUTPUT", output, 1);
        MediaPlayer player(nullptr, "null");
        ::unsetenv("VIMBREL_VIDEO_OUTPUT");
        player.show();
        player.SetFileName("movie.avi");
        player.Pause();
        const QImage& frame = player.Surface().Frame();
        WaitUntil([&] { return !frame.isNull() && ColoursIn(frame) > 4; });
        return std::make_pair(player.Surface().Path(), frame.convertToFormat(QImage::Format_RGB32));
    };
    const auto gl = firstFrame("opengl");
    const auto software = firstFrame("software");
    std::filesystem::current_path(previousFolder);
    if (gl.first != VideoSurface::RenderPath::OpenGL) {
        GTEST_SKIP() << "no OpenGL context here";
    }
    ASSERT_EQ(gl.second.size(), software.second.size());
    EXPECT_LT(LargestRowDifference(gl.second, software.second), 24);
    EXPECT_GT(LargestRowDifference(gl.second, software.second.mirrored(false, true)), 60)
        << "the comparison sees a picture upside down";
}

} // namespace
} // namespace vimbrel
