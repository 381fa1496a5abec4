// The show window with real videos, sounds and play lists: where they play
// and what their captions say, the show's timer resting while they play,
// the keys that act on them, and files that cannot be played.

#include "ShowWindowFixture.h"
#include "media/MediaPlayer.h"
#include "show/PictureArea.h"

#include <cstdlib>

namespace vimbrel {
namespace {

using ShowMediaItems = ShowWindow;

TEST_F(ShowMediaItems, VideoPlaysCentredWithItsTitleTheTimerRestsAndThePauseKeyUsesThePlayer) {
    WritePicture(pictures / "a.jpg", 64, 48, Qt::red);
    Add("titled.avi", "Sun & Sea.avi");
    Add("movie.avi", "Untitled.avi");
    auto form = Start({.captions = 1, .interval = 0, .options = kSpecialKeys + "key_Beep=1\r\n"});
    Ticks(*form, 2);
    // The clip's title joins the caption as the stream starts.
    EXPECT_EQ(Seen(*form), "Sun & Sea.avi | Sun && Sea - Sunset && Sea | stopped");
    // Centred on the whole 800-pixel screen height, caption or not; the
    // caption's top 690 twips (46 pixels) above the video's lower edge.
    EXPECT_EQ(form->MediaPlayer1->geometry(), QRect(320, 340, 160, 120));
    EXPECT_EQ(form->Label1->geometry(), QRect(320, 340 + 120 - 46, 160, form->Label1->height()));
    // The pointer over the video counts (the video may have appeared under
    // the pointer, which counts too).
    const int16_t counted = state.MouseMoveCount;
    MoveOver(form->MediaPlayer1, {5, 5});
    EXPECT_EQ(state.MouseMoveCount, counted + 1);

    Type(*form, "z");
    EXPECT_TRUE(form->MediaPlayer1->IsPaused() && form->Show.PlayerPaused);
    EXPECT_EQ(Seen(*form), "Sun & Sea.avi | Sun && Sea - Sunset && Sea (paused) | stopped");
    Type(*form, "Z");
    EXPECT_FALSE(form->MediaPlayer1->IsPaused());
    EXPECT_EQ(Seen(*form), "Sun & Sea.avi | Sun && Sea - Sunset && Sea | stopped");
    EXPECT_EQ(platform.messageBoxes.beeps, 0);

    ASSERT_TRUE(QTest::qWaitFor([&] { return form->Show.Playing.empty(); }, 6000));
    EXPECT_EQ(Seen(*form), "Sun & Sea.avi | - | 10 ms");
    EXPECT_FALSE(form->MediaPlayer1->isVisible());
    Ticks(*form, 2);
    ASSERT_EQ(Shown(), "Untitled.avi");
    QTest::qWait(400); // no title in the file: the caption stays
    EXPECT_EQ(form->Label1->Caption(), "Untitled");
}

TEST_F(ShowMediaItems, VideoScaleSetsTheDisplaySizeAndPlacementKeepsTheCaptionsRoom) {
    Add("movie.avi", "clip.avi");
    platform.random = test::SequenceRandomSource({0.99F});
    auto form = Start({.captions = 1, .interval = 0});
    // 0 own size, 1 double, 2 half the 800 x 800 screen keeping 4:3, 5 as
    // 0, and -1 keeps the size of the row before; each centred, with the
    // caption over its lower part.
    const std::pair<int, QRect> rows[] = {{1, {240, 280, 320, 240}}, {0, {320, 340, 160, 120}},
                                          {2, {200, 250, 400, 300}}, {5, {320, 340, 160, 120}},
                                          {2, {200, 250, 400, 300}}, {-1, {200, 250, 400, 300}}};
    for (const auto& [videoScale, area] : rows) {
        form->MediaPlayer1_EndOfStream(0);
        state.model.FolderTable[1].VideoScale = static_cast<int16_t>(videoScale);
        form->VimbleMovie();
        Settle(*form);
        EXPECT_EQ(form->MediaPlayer1->geometry(), area) << "VideoScale " << videoScale;
        EXPECT_EQ(form->Label1->geometry(),
                  QRect(area.left(), area.bottom() + 1 - 46, area.width(), form->Label1->height()));
    }
    form->MediaPlayer1_EndOfStream(0);
    state.model.FolderTable[1].Center = 0;
    form->VimbleMovie();
    Settle(*form);
    const QRect area = form->MediaPlayer1->geometry();
    EXPECT_LE(area.bottom() + 1, 800 - form->Label1->height() + 1);
    EXPECT_GE(area.left(), 0);
    EXPECT_LE(area.right(), 800);
}

TEST_F(ShowMediaItems, SoundsAndPlayListsPlayUnseenAndTheKeysStepInsideTheListFirst) {
    std::filesystem::create_directory(pictures / "tones");
    for (const char* name : {"1.wav", "2.wav", "3.wav"}) {
        std::filesystem::copy_file(test::MediaFolder() / "tone.wav", pictures / "tones" / name);
    }
    WritePicture(pictures / "a.jpg", 64, 48, Qt::red);
    Add("tone.wav", "b Rock & Roll.wav");
    test::WriteBytes(pictures / "c Rock & Roll.m3u", "tones/1.wav\ntones/2.wav\ntones/3.wav\n");
    WritePicture(pictures / "d.jpg", 64, 48, Qt::blue);
    auto form = Start({.captions = 1, .interval = 5, .options = kSpecialKeys});
    const QRect picture = form->Image1->geometry();
    Type(*form, "n");
    EXPECT_EQ(Seen(*form), "b Rock & Roll.wav | b Rock && Roll | stopped");
    EXPECT_FALSE(form->MediaPlayer1->isVisible());
    EXPECT_EQ(form->Image1->geometry(), picture); // the picture before stays
    EXPECT_TRUE(Near(form->Image1->Picture().pixelColor(5, 5), Qt::red));
    EXPECT_EQ(form->Label1->geometry(), QRect(0, 0, 800, form->Label1->height()));

    Type(*form, "n");
    // A list's name keeps its "&" single: the caption takes it as a marker.
    EXPECT_EQ(Seen(*form), "c Rock & Roll.m3u | c Rock & Roll - Track 1 of 3 | stopped");
    Type(*form, "p"); // entry 1: previous leaves the list
    EXPECT_EQ(Shown(), "b Rock & Roll.wav");
    Type(*form, "n");
    const auto step = [&](const char* key, int entry) {
        Type(*form, key);
        return QTest::qWaitFor([&] { return form->MediaPlayer1->CurrentEntry() == entry; }, 6000);
    };
    EXPECT_TRUE(step("n", 2) && step("n", 3) && step("p", 2) && step("n", 3));
    Type(*form, "n"); // the last entry: next leaves the list
    EXPECT_EQ(Seen(*form), "d.jpg | d | 1000 ms");
    EXPECT_TRUE(form->Show.Playing.empty() && form->MediaPlayer1->FileName().empty());
}

TEST_F(ShowMediaItems, MediaThatCannotBePlayedAreMarkedAndTheShowGoesOn) {
    WritePicture(pictures / "a.jpg", 64, 48, Qt::red);
    Add("broken.avi", "b.avi");
    Add("empty.avi", "c.avi");
    Add("broken.avi", "e.mp3");
    Add("empty.avi", "f.wav");
    test::WriteBytes(pictures / "g.mid", "MThd but nothing after");
    Add("truncated.mpg", "h.mpg");                             // fails part way: plays what it can
    test::WriteBytes(pictures / "i.m3u", "nowhere/one.wav\n"); // its entries' fault, not the list's
    auto form = Start({.interval = 0});
    for (const std::string name : {"b.avi", "c.avi", "e.mp3", "f.wav", "g.mid"}) {
        Ticks(*form, 2);
        EXPECT_EQ(Seen(*form) + " " + LastFileName(), name + " | - | 10 ms " + name);
    }
    Ticks(*form, 2);
    ASSERT_EQ(Shown(), "h.mpg");
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->Show.Playing.empty(); }, 6000));
    Ticks(*form, 2);
    EXPECT_EQ(Seen(*form), "i.m3u | - | 10 ms");
    Ticks(*form, 2);
    EXPECT_EQ(Shown(), "a.jpg");
    EXPECT_EQ(Files(), "_b.avi _c.avi _e.mp3 _f.wav _g.mid a.jpg h.mpg i.m3u");
    EXPECT_EQ(LastFileName(), "g.mid");
}

// A sound output that cannot start, a missing sound font and a file that
// does not open in time (a hung mount) are no faults of the files: they
// keep their names and the show goes on.
TEST_F(ShowMediaItems, MachineFaultsRenameNothing) {
    const std::string font =
        std::getenv("VIMBREL_SOUNDFONT") ? std::getenv("VIMBREL_SOUNDFONT") : "";
    ::setenv("VIMBREL_AUDIO_OUTPUT", "jack", 1);
    ::setenv("VIMBREL_SOUNDFONT", (pictures / "no-such-font.sf2").c_str(), 1);
    Add("tone.wav", "a.wav");
    Add("tone.mp3", "b.mp3");
    Add("chord.mid", "c.mid");
    Add("movie.avi", "d.avi");
    auto form = Start({.interval = 0});
    ::setenv("VIMBREL_AUDIO_OUTPUT", "null", 1);
    for (const char* name : {"a.wav", "b.mp3", "c.mid", "d.avi"}) {
        form->MediaPlayer1->SetOpenTimeout(std::string(name) == "d.avi" ? 1 : 10000);
        EXPECT_EQ(Shown(), name);
        ASSERT_TRUE(QTest::qWaitFor([&] { return form->Timer1->isActive(); }, 6000));
        Ticks(*form, 2);
    }
    font.empty() ? ::unsetenv("VIMBREL_SOUNDFONT") : ::setenv("VIMBREL_SOUNDFONT", font.c_str(), 1);
    EXPECT_EQ(Files(), "a.wav b.mp3 c.mid d.avi");
    EXPECT_EQ(LastFileName(), "<none>");
}

} // namespace
} // namespace vimbrel
