// The media player on real files: every kind of media played to its end at
// its size, files that cannot be opened, video drawn and paused, MIDI tunes
// stopped, play lists, replaced media and pointer input. Sound goes to mpv's
// null output, which plays in real time.

#include "media/MediaPlayer.h"

#include "MediaFiles.h"
#include "TempDirectory.h"
#include "runtime/Error.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

namespace vimbrel {
namespace {

using namespace std::string_literals;

class MediaPlayerTest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::current_path(test::MediaFolder()); }
    void TearDown() override { std::filesystem::current_path(m_previousFolder); }
    // The frame is drawn at the size given, with the test pattern's bars, not blank.
    bool Drawn(QSize size) const {
        const QImage& f = player.Surface().Frame();
        return f.size() == size && f.pixel(f.width() / 4, 2) != f.pixel(f.width() * 3 / 4, 2);
    }

    // Opens as the show does, returning once the player has said how it went.
    void Open(const std::function<void()>& open) {
        const qsizetype before = opened.count() + failed.count();
        open();
        EXPECT_EQ(opened.count() + failed.count(), before) << "reported from inside the call";
        EXPECT_TRUE(QTest::qWaitFor([&] { return opened.count() + failed.count() > before; }));
    }
    // A play list file naming these files of the media folder (or paths).
    std::string List(const std::string& name, std::initializer_list<std::string> entries) {
        std::string text;
        for (const std::string& entry : entries) {
            text += std::filesystem::absolute(entry).string() + "\n";
        }
        test::WriteBytes(folder / name, text);
        return (folder / name).string();
    }

    std::filesystem::path m_previousFolder = std::filesystem::current_path();
    test::TempDirectory folder;
    MediaPlayer player{nullptr, "null"};
    QSignalSpy opened{&player, &MediaPlayer::Opened};
    QSignalSpy failed{&player, &MediaPlayer::OpenFailed};
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
        newStreams.clear(), ends.clear(), opened.clear();
        player.SetDisplaySize(displaySize);
        Open([&] { player.SetFileName(file); });
        // Sized when it reports the open, the stream's start right after.
        EXPECT_EQ(std::tuple(opened.count(), player.size(), newStreams.count()),
                  std::tuple(1, size, 1));
        double reached = 0;
        ASSERT_TRUE(QTest::qWaitFor([&] {
            reached = std::max(reached, player.CurrentPosition());
            return ends.count() > 0;
        }));
        QTest::qWait(200);
        // Played, one stream, one normal end, the name kept until the program clears it.
        EXPECT_EQ(std::tuple(reached > 0.5, newStreams.count(), ends.count(),
                             ends.at(0).at(0).toInt(), player.FileName()),
                  std::tuple(true, 1, 1, 0, file));
    }
    EXPECT_EQ(DisplayAreaSize(7, {160, 120}, {1920, 1080}), QSize(720, 540));
    // A video larger than half the screen is reduced, not cut.
    EXPECT_EQ(DisplayAreaSize(7, {3840, 2160}, {1280, 1024}), QSize(640, 360));
    EXPECT_EQ(DisplayAreaSize(7, {300, 100}, {500, 1000}), QSize(250, 83));
}

TEST_F(MediaPlayerTest, FailedReplacedAndUnloadedMediaReportNothing) {
    test::WriteBytes(folder / "bad.mid", "MThd but nothing after");
    const std::pair<std::string, int> files[] = {
        {"broken.avi", ErrorNumber::CannotPlayMedia},
        {(folder / "bad.mid").string(), ErrorNumber::CannotPlayMedia},
        {"missing.avi", ErrorNumber::FileNotFound},
        {"clips", ErrorNumber::PathFileAccessError},
        {"bad.m3u", ErrorNumber::PlayListUnplayable},
    };
    for (const auto& [file, number] : files) {
        SCOPED_TRACE(file);
        failed.clear();
        // Replaced before it opened: the movie reports nothing.
        player.SetFileName("movie.avi");
        Open([&] {
            file == "bad.m3u" ? player.SetPlayList(file, List(file, {"broken.avi", "missing.avi"}))
                              : player.SetFileName(file);
        });
        EXPECT_EQ(std::tuple(failed.count(), failed.count() ? failed.at(0).at(0).toInt() : 0,
                             player.FileName(), player.EntryCount()),
                  std::tuple(1, number, ""s, 0));
    }
    // A list that cannot be read is the list's fault, one naming nothing too.
    Open([&] { player.SetPlayList("none.m3u", (folder / "none.m3u").string()); });
    Open([&] { player.SetPlayList("empty.m3u", List("empty.m3u", {})); });
    EXPECT_EQ(std::tuple(failed.count(), failed.at(failed.count() - 2).at(0).toInt(),
                         failed.at(failed.count() - 1).at(0).toInt()),
              std::tuple(3, int(ErrorNumber::FileNotFound), int(ErrorNumber::CannotPlayMedia)));
    // The player still plays; unloaded while playing, it reports no end.
    Open([&] { player.SetFileName("movie.avi"); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return player.CurrentPosition() > 0.2; }));
    player.SetFileName("");
    QTest::qWait(1500);
    // Neither the failed files nor those they replaced report a stream.
    EXPECT_EQ(std::tuple(player.FileName(), opened.count(), newStreams.count(), ends.count()),
              std::tuple(""s, 1, 1, 0));
}

TEST_F(MediaPlayerTest, VideoIsDrawnRedrawnWhilePausedStartsOverAndPassesThePointerOn) {
    player.show();
    player.SetFileName("clips/inner.avi");
    // The name was taken in the folder current at the assignment.
    std::filesystem::current_path("clips");
    ASSERT_TRUE(QTest::qWaitFor([&] { return opened.count() == 1; }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Drawn({160, 120}); }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return player.CurrentPosition() > 0.2; }));
    player.Pause();
    QTest::qWait(300);
    player.SetDisplaySize(DisplaySizes::DoubleSize);
    // Paused, it is drawn again at its new size.
    EXPECT_TRUE(QTest::qWaitFor([&] { return Drawn({320, 240}); }));

    // Pointer input passes the video surface on its way to the player.
    QSignalSpy downs(&player, &MediaPlayer::MouseDown);
    QTest::mousePress(player.windowHandle(), Qt::LeftButton, {}, QPoint(60, 50));
    EXPECT_EQ(downs.count(), 1);
    QTest::qWait(1000);
    EXPECT_EQ(ends.count(), 0) << "paused";
    player.Play();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ends.count() == 1; }));
    player.Play();
    EXPECT_TRUE(QTest::qWaitFor([&] { return ends.count() == 2; }));
    EXPECT_EQ(std::tuple(newStreams.count(), player.FileName()), std::tuple(2, "clips/inner.avi"s));
    player.Pause();
    player.SetFileName("inner.avi");
    EXPECT_FALSE(player.IsPaused()) << "a file assigned always plays";
    player.SetFileName("");
    EXPECT_TRUE(player.Surface().Frame().isNull()) << "no picture of the media left behind";
}

// A show of pictures never starts mpv; the core made for media goes after a
// while without any, and a core made again draws video and plays tunes.
TEST_F(MediaPlayerTest, TheCoreComesWithMediaAndGoesAfterAWhileWithout) {
    EXPECT_FALSE(player.Prepared());
    player.SetIdleRelease(300);
    player.show();
    for (const char* file : {"movie.avi", "movie.avi", "chord.mid"}) {
        SCOPED_TRACE(file);
        ends.clear();
        player.SetFileName(file);
        EXPECT_TRUE(QTest::qWaitFor([&] { return ends.count() == 1; }, 8000));
        EXPECT_EQ(ends.count() == 1 ? ends.at(0).at(0).toInt() : -1, 0);
        EXPECT_TRUE(player.Prepared()) << "kept while the media stays loaded";
        player.SetFileName("");
        EXPECT_TRUE(QTest::qWaitFor([&] { return !player.Prepared(); }, 2000));
    }
    // An open that stalls is passed over, and the next media gets a new core.
    player.SetOpenTimeout(1);
    Open([&] { player.SetFileName("movie.avi"); });
    player.SetOpenTimeout(10000);
    Open([&] { player.SetFileName("movie.avi"); });
    EXPECT_EQ(
        std::tuple(failed.count(), failed.count() ? failed.at(0).at(0).toInt() : 0, opened.count()),
        std::tuple(1, int(ErrorNumber::MediaStalled), 4));
    player.SetFileName("");
    player.Prepare();
    EXPECT_TRUE(player.Prepared());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !player.Prepared(); }, 2000)) << "nothing came";
}

TEST_F(MediaPlayerTest, PlayListPlaysItsEntriesInTurnStopsAndEndsOnce) {
    // A damaged tune fails inside mpv, where the list passes it over.
    test::WriteBytes(folder / "bad.mid", "not MIDI");
    player.SetPlayList(
        "party.m3u",
        List("party.m3u", {"tone.wav", "movie.avi", (folder / "bad.mid").string(), "chord.mid"}));
    // The list was read in the folder current at the assignment.
    std::filesystem::current_path("clips");
    ASSERT_TRUE(QTest::qWaitFor([&] { return opened.count() == 1; }));
    // Nothing comes before the first entry.
    player.PreviousEntry();
    QTest::qWait(100);
    EXPECT_EQ(std::tuple(player.FileName(), player.EntryCount(), player.CurrentEntry()),
              std::tuple("party.m3u"s, 4, 1));
    player.NextEntry();
    EXPECT_TRUE(QTest::qWaitFor([&] { return player.CurrentEntry() == 2; }));
    // The video sizes the player; the next entry is past the damaged tune.
    EXPECT_TRUE(QTest::qWaitFor([&] { return player.size() == QSize(160, 120); }));
    player.NextEntry();
    EXPECT_TRUE(QTest::qWaitFor([&] { return player.CurrentEntry() == 4; }));

    // Stop holds the tune at its start (mpv seeks in the synthesized stream).
    ASSERT_TRUE(QTest::qWaitFor([&] { return player.CurrentPosition() > 0.4; }));
    player.Stop();
    EXPECT_TRUE(QTest::qWaitFor([&] { return player.CurrentPosition() < 0.05; }));
    QTest::qWait(1000);
    EXPECT_LT(player.CurrentPosition(), 0.05);
    player.Play();
    ASSERT_TRUE(QTest::qWaitFor([&] { return player.CurrentPosition() > 0.2; }));
    // Leaving the last entry is no end; back past the damaged tune.
    player.PreviousEntry();
    EXPECT_TRUE(QTest::qWaitFor([&] { return player.CurrentEntry() == 2; }));
    EXPECT_EQ(ends.count(), 0) << "moving, the failing entry and stopping end nothing";
    ASSERT_TRUE(QTest::qWaitFor([&] { return ends.count() == 1; }, 8000));
    QTest::qWait(300);
    // Tone, movie, tune, movie again, tune again; one normal end.
    EXPECT_EQ(std::tuple(newStreams.count(), ends.count(), ends.at(0).at(0).toInt()),
              std::tuple(5, 1, 0));
}

} // namespace
} // namespace vimbrel
