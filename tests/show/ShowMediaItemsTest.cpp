// The show window with real videos, sounds and play lists: where they play
// and what their captions say, the show's timer resting while they play,
// the keys that act on them, and files that cannot be played.

#include "EventLoopWait.h"
#include "MediaFiles.h"
#include "ShowWindowFixture.h"
#include "media/MediaPlayer.h"
#include "show/CaptionLabel.h"
#include "show/PictureArea.h"

#include <cstdlib>

namespace vimbrel {
namespace {

using test::WaitUntil;

class ShowMediaItems : public ShowWindow {
protected:
    void Add(const std::string& medium, const std::string& name) {
        std::filesystem::copy_file(test::MediaFolder() / medium, pictures / name);
    }

    void WriteM3u(const std::string& name, const std::vector<std::string>& entries) {
        std::string text = "#EXTM3U\n";
        for (const std::string& entry : entries) {
            text += "#EXTINF:1,Tone\n" + entry + "\n";
        }
        test::WriteBytes(pictures / name, text);
    }

    bool PlayedToTheEnd(MainForm& form) {
        return WaitUntil([&] { return form.Show.Playing.empty(); });
    }
};

TEST_F(ShowMediaItems, VideoPlaysCentredWithItsTitleTheTimerRestsAndThePauseKeyUsesThePlayer) {
    test::WritePicture(pictures / "a.jpg", 64, 48, Qt::red);
    Add("titled.avi", "Sun & Sea.avi");
    Add("movie.avi", "Untitled.avi");
    auto form = Start({.captions = 1, .interval = 0, .options = kSpecialKeys + "key_Beep=1\r\n"});
    Ticks(*form, 2);
    ASSERT_EQ(Shown(), "Sun & Sea.avi");
    EXPECT_EQ(form->Show.Playing, "Sun & Sea.avi");
    EXPECT_FALSE(form->Timer1->isActive());
    // Centred on the whole 800-pixel screen height, caption or not; the
    // caption's top 690 twips (46 pixels) above the video's lower edge.
    EXPECT_EQ(form->MediaPlayer1->geometry(), QRect(320, 340, 160, 120));
    EXPECT_EQ(form->Label1->geometry(), QRect(320, 340 + 120 - 46, 160, form->Label1->height()));
    EXPECT_TRUE(form->Label1->isVisible());
    EXPECT_EQ(form->Label1->Caption(), "Sun && Sea");
    ASSERT_TRUE(WaitUntil([&] { return form->Label1->Caption() != "Sun && Sea"; }));
    EXPECT_EQ(form->Label1->Caption(), "Sun && Sea - Sunset && Sea");
    Ticks(*form, 5); // ticks wait while it plays
    EXPECT_EQ(Shown(), "Sun & Sea.avi");
    MoveOver(form->MediaPlayer1, {5, 5}); // the pointer over the video counts
    MoveOver(form->MediaPlayer1, {6, 6});
    EXPECT_EQ(state.MouseMoveCount, 2);

    Type(*form, 'z');
    EXPECT_TRUE(form->MediaPlayer1->IsPaused());
    EXPECT_TRUE(form->Show.PlayerPaused);
    EXPECT_EQ(form->Label1->Caption(), "Sun && Sea - Sunset && Sea (paused)");
    const double held = form->MediaPlayer1->CurrentPosition();
    QTest::qWait(400);
    EXPECT_NEAR(form->MediaPlayer1->CurrentPosition(), held, 0.05);
    Type(*form, 'Z');
    EXPECT_FALSE(form->MediaPlayer1->IsPaused());
    EXPECT_EQ(form->Label1->Caption(), "Sun && Sea - Sunset && Sea");
    EXPECT_EQ(platform.messageBoxes.beeps, 0);

    ASSERT_TRUE(PlayedToTheEnd(*form));
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_FALSE(form->MediaPlayer1->isVisible());
    EXPECT_EQ(form->MediaPlayer1->pos(), QPoint(-667, -667));
    EXPECT_FALSE(form->Label1->isVisible());
    form->MediaPlayer1_EndOfStream(0); // once more, with nothing playing: harmless
    EXPECT_TRUE(form->Timer1->isActive());
    Ticks(*form, 1); // interval 0: the next item on the second tick
    EXPECT_EQ(Shown(), "Sun & Sea.avi");
    Ticks(*form, 1);
    ASSERT_EQ(Shown(), "Untitled.avi");
    QTest::qWait(400); // no title in the file: the caption stays
    EXPECT_EQ(form->Label1->Caption(), "Untitled");
}

TEST_F(ShowMediaItems, VideoScaleSetsTheDisplaySizeAndPlacementKeepsTheCaptionsRoom) {
    Add("movie.avi", "clip.avi");
    platform.random = test::SequenceRandomSource({0.99F});
    auto form = Start({.captions = 1, .interval = 0});
    // 0 own size, 1 double, 2 half the 800 x 800 screen keeping 4:3, 5 as
    // 0, and -1 keeps the size of the row before.
    const std::pair<int, QSize> rows[] = {{1, {320, 240}}, {0, {160, 120}}, {2, {400, 300}},
                                          {5, {160, 120}}, {2, {400, 300}}, {-1, {400, 300}}};
    for (const auto& [videoScale, size] : rows) {
        form->MediaPlayer1_EndOfStream(0);
        state.model.FolderTable[1].VideoScale = static_cast<int16_t>(videoScale);
        form->VimbleMovie();
        EXPECT_EQ(form->MediaPlayer1->size(), size) << "VideoScale " << videoScale;
    }
    form->MediaPlayer1_EndOfStream(0);
    state.model.FolderTable[1].VideoScale = 1;
    form->VimbleMovie();
    EXPECT_EQ(form->MediaPlayer1->geometry(), QRect(240, 280, 320, 240));
    EXPECT_EQ(form->Label1->geometry(), QRect(240, 280 + 240 - 46, 320, form->Label1->height()));
    form->MediaPlayer1_EndOfStream(0);
    state.model.FolderTable[1].Center = 0;
    form->VimbleMovie();
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
    test::WritePicture(pictures / "a.jpg", 64, 48, Qt::red);
    Add("tone.wav", "b Rock & Roll.wav");
    WriteM3u("c Rock & Roll.m3u", {"tones/1.wav", "tones/2.wav", "tones/3.wav"});
    test::WritePicture(pictures / "d.jpg", 64, 48, Qt::blue);
    auto form = Start({.captions = 1, .interval = 5, .options = kSpecialKeys});
    const QRect picture = form->Image1->geometry();
    Type(*form, 'n');
    ASSERT_EQ(form->Show.Playing, "b Rock & Roll.wav");
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_FALSE(form->MediaPlayer1->isVisible());
    EXPECT_EQ(form->Image1->geometry(), picture); // the picture before stays
    EXPECT_TRUE(Near(form->Image1->Picture().pixelColor(5, 5), Qt::red));
    EXPECT_EQ(form->Label1->Caption(), "b Rock && Roll");
    EXPECT_EQ(form->Label1->geometry(), QRect(0, 0, 800, form->Label1->height()));
    EXPECT_TRUE(form->Label1->isVisible());

    Type(*form, 'n');
    ASSERT_EQ(form->Show.Playing, "c Rock & Roll.m3u");
    // A list's name keeps its "&" single: the caption takes it as a marker.
    EXPECT_EQ(form->Label1->Caption(), "c Rock & Roll - Track 1 of 3");
    Type(*form, 'p'); // entry 1: previous leaves the list
    EXPECT_EQ(Shown(), "b Rock & Roll.wav");
    Type(*form, 'n');
    Type(*form, 'n');
    EXPECT_TRUE(WaitUntil([&] { return form->MediaPlayer1->CurrentEntry() == 2; }));
    Type(*form, 'n');
    EXPECT_TRUE(WaitUntil([&] { return form->MediaPlayer1->CurrentEntry() == 3; }));
    Type(*form, 'p');
    EXPECT_TRUE(WaitUntil([&] { return form->MediaPlayer1->CurrentEntry() == 2; }));
    Type(*form, 'n');
    Type(*form, 'n'); // the last entry: next leaves the list
    EXPECT_EQ(Shown(), "d.jpg");
    EXPECT_TRUE(form->Show.Playing.empty());
    EXPECT_TRUE(form->MediaPlayer1->FileName().empty());
    EXPECT_TRUE(form->Timer1->isActive());
}

TEST_F(ShowMediaItems, MediaThatCannotBePlayedAreMarkedAndTheShowGoesOn) {
    test::WritePicture(pictures / "a.jpg", 64, 48, Qt::red);
    Add("broken.avi", "b.avi");
    Add("empty.avi", "c.avi");
    Add("broken.avi", "d.wmv");
    Add("broken.avi", "e.mp3");
    Add("empty.avi", "f.wav");
    test::WriteBytes(pictures / "g.mid", "MThd but nothing after");
    Add("truncated.mpg", "h.mpg");          // fails part way: plays what it can
    WriteM3u("i.m3u", {"nowhere/one.wav"}); // its entries' fault, not the list's
    auto form = Start({.interval = 0});
    for (const char* name : {"b.avi", "c.avi", "d.wmv", "e.mp3", "f.wav", "g.mid"}) {
        Ticks(*form, 2);
        EXPECT_EQ(LastFileName(), name);
        EXPECT_TRUE(std::filesystem::exists(pictures / ("_" + std::string(name)))) << name;
        EXPECT_TRUE(form->Timer1->isActive());
        EXPECT_TRUE(form->Show.Playing.empty());
    }
    Ticks(*form, 2);
    ASSERT_EQ(Shown(), "h.mpg");
    ASSERT_TRUE(PlayedToTheEnd(*form));
    Ticks(*form, 2);
    ASSERT_EQ(Shown(), "i.m3u");
    EXPECT_TRUE(form->Timer1->isActive());
    Ticks(*form, 2);
    EXPECT_EQ(Shown(), "a.jpg");
    EXPECT_TRUE(std::filesystem::exists(pictures / "h.mpg"));
    EXPECT_TRUE(std::filesystem::exists(pictures / "i.m3u"));
    EXPECT_EQ(LastFileName(), "g.mid");
}

// A sound output that cannot start and a missing sound font are the
// machine's faults: the files keep their names and the show goes on.
TEST_F(ShowMediaItems, MachineFaultsRenameNothing) {
    const std::string font =
        std::getenv("VIMBREL_SOUNDFONT") ? std::getenv("VIMBREL_SOUNDFONT") : "";
    ::setenv("VIMBREL_AUDIO_OUTPUT", "jack", 1);
    ::setenv("VIMBREL_SOUNDFONT", (pictures / "no-such-font.sf2").c_str(), 1);
    Add("tone.wav", "a.wav");
    Add("tone.mp3", "b.mp3");
    Add("chord.mid", "c.mid");
    auto form = Start({.interval = 0});
    ::setenv("VIMBREL_AUDIO_OUTPUT", "null", 1);
    for (const char* name : {"a.wav", "b.mp3", "c.mid"}) {
        EXPECT_EQ(Shown(), name);
        ASSERT_TRUE(PlayedToTheEnd(*form));
        EXPECT_TRUE(WaitUntil([&] { return form->Timer1->isActive(); }));
        Ticks(*form, 2);
    }
    font.empty() ? ::unsetenv("VIMBREL_SOUNDFONT") : ::setenv("VIMBREL_SOUNDFONT", font.c_str(), 1);
    for (const char* name : {"a.wav", "b.mp3", "c.mid"}) {
        EXPECT_TRUE(std::filesystem::exists(pictures / name)) << name;
    }
    EXPECT_EQ(LastFileName(), "<none>");
}

} // namespace
} // namespace vimbrel
