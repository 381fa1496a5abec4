// The media player on real files: every kind of media played to its end at
// its size, files that cannot be opened, video drawn and paused, MIDI tunes
// stopped, play lists, replaced media and pointer input. Sound goes to mpv's
// null output, which plays in real time.

#include "media/MediaPlayer.h"

#include "EventLoopWait.h"
#include "MediaFiles.h"
#include "TempDirectory.h"
#include "runtime/Error.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <set>

namespace vimbrel {
namespace {

using namespace std::chrono_literals;
using test::WaitUntil;

// How many distinct colours a frame has in a coarse grid: a blank frame has
// one, the test pattern many.
std::size_t ColoursIn(const QImage& frame) {
    std::set<QRgb> colours;
    for (int y = 0; y < frame.height(); y += 8) {
        for (int x = 0; x < frame.width(); x += 8) {
            colours.insert(frame.pixel(x, y) & 0xF0F0F0);
        }
    }
    return colours.size();
}

// The error the action raises: its number and source, or {0, ""}.
std::pair<int, std::string> Failure(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& error) {
        return {error.number(), error.source()};
    }
    return {0, ""};
}

class MediaPlayerTest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::current_path(test::MediaFolder()); }
    void TearDown() override { std::filesystem::current_path(m_previousFolder); }

    std::filesystem::path m_previousFolder = std::filesystem::current_path();
    test::TempDirectory folder;
    MediaPlayer player{nullptr, "null"};
    QSignalSpy newStreams{&player, &MediaPlayer::NewStream};
    QSignalSpy ends{&player, &MediaPlayer::EndOfStream};
};

TEST_F(MediaPlayerTest, EachKindOfMediaPlaysOnceToItsEndAtItsSize) {
    // The sizes assume the offscreen platform's single 800x800 screen.
    ASSERT_EQ(QGuiApplication::primaryScreen()->size(), QSize(800, 800));
    // A MIDI file's name is escaped into the address mpv opens.
    const std::string tune = (folder / "Evening #1 (100%25 R\xC3\xA9).mid").string();
    std::filesystem::copy_file("chord.mid", tune);
    // File, display size, the player's size.
    const std::tuple<std::string, int, QSize> media[] = {
        {"movie.avi", DisplaySizes::HalfScreen, {400, 300}},
        {"anamorphic.avi", DisplaySizes::DoubleSize, {640, 240}},
        {"movie.mpg", 5, {160, 120}},
        {"tone.mp3", DisplaySizes::HalfScreen, {0, 0}},
        {tune, DisplaySizes::DoubleSize, {0, 0}},
    };
    for (const auto& [file, displaySize, size] : media) {
        SCOPED_TRACE(file);
        newStreams.clear();
        ends.clear();
        player.SetDisplaySize(displaySize);
        player.SetFileName(file);
        EXPECT_EQ(player.size(), size) << "sized by the assignment";
        EXPECT_EQ(newStreams.count(), 0) << "notifications never come from inside the assignment";
        double reached = 0;
        ASSERT_TRUE(WaitUntil([&] {
            reached = std::max(reached, player.CurrentPosition());
            return ends.count() > 0;
        }));
        QTest::qWait(200);
        EXPECT_GT(reached, 0.5) << "ended without playing";
        EXPECT_EQ(newStreams.count(), 1);
        EXPECT_EQ(ends.count(), 1);
        EXPECT_EQ(ends.at(0).at(0).toInt(), 0);
        EXPECT_EQ(player.FileName(), file) << "the name stays until the program clears it";
    }
}

TEST_F(MediaPlayerTest, FailedReplacedAndUnloadedMediaReportNothing) {
    test::WriteBytes(folder / "bad.mid", "MThd but nothing after");
    const std::pair<std::string, int> files[] = {
        {"broken.avi", ErrorNumber::CannotPlayMedia},
        {(folder / "bad.mid").string(), ErrorNumber::CannotPlayMedia},
        {"missing.avi", ErrorNumber::FileNotFound},
        {"clips", ErrorNumber::PathFileAccessError},
    };
    for (const auto& [file, number] : files) {
        SCOPED_TRACE(file);
        player.SetFileName("movie.avi");
        EXPECT_EQ(Failure([&] { player.SetFileName(file); }),
                  std::make_pair(number, std::string("MediaPlayer1")));
        EXPECT_EQ(player.FileName(), "");
    }
    // Replaced while playing: only the sound that replaced it ends.
    player.SetFileName("movie.avi");
    ASSERT_TRUE(WaitUntil([&] { return player.CurrentPosition() > 0.2; }));
    player.SetFileName("tone.wav");
    ASSERT_TRUE(WaitUntil([&] { return ends.count() == 1; }));
    // Unloaded while playing.
    player.SetFileName("movie.avi");
    ASSERT_TRUE(WaitUntil([&] { return player.CurrentPosition() > 0.2; }));
    player.SetFileName("");
    EXPECT_EQ(player.FileName(), "");
    QTest::qWait(1500);
    EXPECT_EQ(ends.count(), 1);
    EXPECT_EQ(newStreams.count(), 3) << "neither the failed files nor those they replaced";
}

TEST_F(MediaPlayerTest, VideoIsDrawnRedrawnWhilePausedStartsOverAndPassesThePointerOn) {
    player.show();
    player.SetFileName("clips/inner.avi");
    // The name was taken in the folder current at the assignment.
    std::filesystem::current_path("clips");
    const QImage& frame = player.Surface().Frame();
    ASSERT_TRUE(WaitUntil([&] { return !frame.isNull() && ColoursIn(frame) > 4; }));
    EXPECT_EQ(frame.size(), QSize(160, 120));
    ASSERT_TRUE(WaitUntil([&] { return player.CurrentPosition() > 0.2; }));

    player.Pause();
    QTest::qWait(300);
    player.SetDisplaySize(DisplaySizes::DoubleSize);
    EXPECT_TRUE(WaitUntil([&] { return frame.size() == QSize(320, 240); }))
        << "a paused video is drawn again at its new size";
    EXPECT_GT(ColoursIn(frame), 4u);

    // Pointer input passes the video surface on its way to the player.
    QSignalSpy moves(&player, &MediaPlayer::MouseMoved);
    QSignalSpy downs(&player, &MediaPlayer::MouseDown);
    QTest::mouseMove(player.windowHandle(), QPoint(40, 30));
    QTest::mouseMove(player.windowHandle(), QPoint(60, 50));
    QTest::mousePress(player.windowHandle(), Qt::LeftButton, {}, QPoint(60, 50));
    EXPECT_GE(moves.count(), 1);
    EXPECT_EQ(downs.count(), 1);
    QTest::qWait(1000);
    EXPECT_EQ(ends.count(), 0) << "paused";
    player.Play();
    ASSERT_TRUE(WaitUntil([&] { return ends.count() == 1; }));
    player.Play();
    EXPECT_TRUE(WaitUntil([&] { return ends.count() == 2; }));
    EXPECT_EQ(newStreams.count(), 2);
    EXPECT_EQ(player.FileName(), "clips/inner.avi");
    player.Pause();
    player.SetFileName("inner.avi");
    EXPECT_FALSE(player.IsPaused()) << "a file assigned always plays";
    player.SetFileName("");
    EXPECT_TRUE(frame.isNull()) << "no picture of the media left behind";
}

TEST_F(MediaPlayerTest, PlayListPlaysItsEntriesInTurnStopsAndEndsOnce) {
    // A damaged tune fails inside mpv, where the list passes it over.
    test::WriteBytes(folder / "bad.mid", "not MIDI");
    player.SetPlayList("party.m3u",
                       {"tone.wav", "movie.avi", (folder / "bad.mid").string(), "chord.mid"});
    // The entries were taken in the folder current at the assignment.
    std::filesystem::current_path("clips");
    EXPECT_EQ(player.FileName(), "party.m3u");
    EXPECT_EQ(player.EntryCount(), 4);
    EXPECT_EQ(player.CurrentEntry(), 1);
    player.PreviousEntry();
    QTest::qWait(100);
    EXPECT_EQ(player.CurrentEntry(), 1) << "nothing before the first entry";
    player.NextEntry();
    EXPECT_TRUE(WaitUntil([&] { return player.CurrentEntry() == 2; }));
    EXPECT_TRUE(WaitUntil([&] { return player.size() == QSize(160, 120); }))
        << "the video entry sizes the player";
    player.NextEntry();
    EXPECT_TRUE(WaitUntil([&] { return player.CurrentEntry() == 4; })) << "past the damaged tune";

    // Stop holds the tune at its start (mpv seeks in the synthesized stream).
    ASSERT_TRUE(WaitUntil([&] { return player.CurrentPosition() > 0.4; }));
    player.Stop();
    EXPECT_TRUE(WaitUntil([&] { return player.CurrentPosition() < 0.05; }));
    QTest::qWait(1000);
    EXPECT_LT(player.CurrentPosition(), 0.05);
    player.Play();
    ASSERT_TRUE(WaitUntil([&] { return player.CurrentPosition() > 0.2; }));
    // Leaving the last entry is no end; back past the damaged tune.
    player.PreviousEntry();
    EXPECT_TRUE(WaitUntil([&] { return player.CurrentEntry() == 2; }));
    EXPECT_EQ(ends.count(), 0) << "moving, the failing entry and stopping end nothing";
    ASSERT_TRUE(WaitUntil([&] { return ends.count() == 1; }, 8s));
    QTest::qWait(300);
    EXPECT_EQ(ends.count(), 1);
    EXPECT_EQ(ends.at(0).at(0).toInt(), 0);
    EXPECT_EQ(newStreams.count(), 5) << "tone, movie, tune, movie again, tune again";

    EXPECT_EQ(Failure([&] {
                  player.SetPlayList("bad.m3u", {"broken.avi", "missing.avi"});
              }).first,
              ErrorNumber::CannotPlayMedia);
    EXPECT_EQ(player.EntryCount(), 0);
}

TEST(DisplayAreaSize, FitsHalfTheScreenKeepingTheAspect) {
    EXPECT_EQ(DisplayAreaSize(7, {160, 120}, {1920, 1080}), QSize(720, 540));
    EXPECT_EQ(DisplayAreaSize(7, {1920, 800}, {1920, 1080}), QSize(960, 400));
    // A video larger than half the screen is reduced, not cut.
    EXPECT_EQ(DisplayAreaSize(7, {3840, 2160}, {1280, 1024}), QSize(640, 360));
    EXPECT_EQ(DisplayAreaSize(7, {300, 100}, {500, 1000}), QSize(250, 83));
    EXPECT_EQ(DisplayAreaSize(7, {160, 120}, {0, 0}), QSize(160, 120));
    EXPECT_EQ(DisplayAreaSize(2, {0, 0}, {800, 800}), QSize(0, 0));
}

} // namespace
} // namespace vimbrel
