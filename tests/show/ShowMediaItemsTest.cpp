// The show window with real videos, sounds and play lists: placement and
// captions, the pause of the show's timer while they play and the pacing
// after their end, and what happens to files that cannot be played.

#include "EventLoopWait.h"
#include "MediaFiles.h"
#include "ShowWindowFixture.h"
#include "media/MediaPlayer.h"
#include "show/CaptionLabel.h"
#include "show/PictureArea.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace vimbrel {
namespace {

using test::WaitUntil;

class ShowMediaItems : public ShowWindow {
protected:
    // Copies one of the test media into the shown folder under a name.
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

    // Advances from the picture shown first to the next entry.
    void AdvanceFromFirst(MainForm& form) {
        form.Show.TickCount = 100;
        form.Timer1_Timer();
    }

    bool PlayedToTheEnd(MainForm& form) {
        return WaitUntil([&] { return form.MediaPlayer1->FileName().empty(); });
    }
};

TEST_F(ShowMediaItems, VideoStopsTheTimerPlaysCentredAndTheShowGoesOnAfterItsEnd) {
    test::WritePicture(pictures / "a.jpg", 64, 48, Qt::red);
    Add("movie.avi", "b.avi");
    auto form = Start({.captions = 1, .interval = 0});
    ASSERT_EQ(state.catalogue.CurrentFile, "a.jpg");
    AdvanceFromFirst(*form);
    ASSERT_EQ(state.catalogue.CurrentFile, "b.avi");

    EXPECT_FALSE(form->Timer1->isActive());
    ASSERT_TRUE(form->MediaPlayer1->isVisible());
    // Centred on the whole 800-pixel screen height, caption or not.
    EXPECT_EQ(form->MediaPlayer1->geometry(), QRect(320, 340, 160, 120));
    EXPECT_EQ(form->Label1->Caption(), "b");
    EXPECT_TRUE(form->Label1->isVisible());
    // The caption's top lies 690 twips (46 pixels) above the video's edge.
    EXPECT_EQ(form->Label1->geometry(), QRect(320, 340 + 120 - 46, 160, form->Label1->height()));
    // While it plays, ticks do nothing.
    Ticks(*form, 5);
    EXPECT_EQ(state.catalogue.CurrentFile, "b.avi");

    ASSERT_TRUE(PlayedToTheEnd(*form));
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_EQ(form->Timer1->interval(), 10);
    EXPECT_FALSE(form->MediaPlayer1->isVisible());
    EXPECT_EQ(form->MediaPlayer1->pos(), QPoint(-667, -667));
    EXPECT_FALSE(form->Label1->isVisible());
    // With interval 0 the next entry comes on the second tick after the end.
    Ticks(*form, 1);
    EXPECT_EQ(state.catalogue.CurrentFile, "b.avi");
    Ticks(*form, 1);
    EXPECT_EQ(state.catalogue.CurrentFile, "a.jpg");
}

TEST_F(ShowMediaItems, VideoScalesSetTheDisplaySizeAndNegativeLeavesItAsItWas) {
    Add("movie.avi", "b.avi");
    struct Row {
        int videoScale;
        QSize size;
    };
    // 0 own size, 1 double, 2 half the 800 x 800 screen keeping 4:3, 5 as 0,
    // and -1 keeps the half-screen size of the row before.
    const Row rows[] = {{1, {320, 240}}, {0, {160, 120}}, {2, {400, 300}},
                        {5, {160, 120}}, {2, {400, 300}}, {-1, {400, 300}}};
    auto form = Start({.interval = 0});
    for (const Row& row : rows) {
        form->MediaPlayer1_EndOfStream(0);
        state.model.FolderTable[1].VideoScale = static_cast<int16_t>(row.videoScale);
        form->VimbleMovie();
        EXPECT_EQ(form->MediaPlayer1->size(), row.size) << "VideoScale " << row.videoScale;
    }
}

TEST_F(ShowMediaItems, DoubleSizeVideoCentredWithCaptionOverItsLowerEdge) {
    Add("movie.avi", "clip.avi");
    auto form = Start({.captions = 1, .center = 1, .interval = 0});
    state.model.FolderTable[1].VideoScale = 1;
    form->MediaPlayer1_EndOfStream(0);
    form->VimbleMovie();
    EXPECT_EQ(form->MediaPlayer1->geometry(), QRect(240, 280, 320, 240));
    EXPECT_EQ(form->Label1->geometry().top(), 280 + 240 - 46);
    EXPECT_EQ(form->Label1->width(), 320);
}

TEST_F(ShowMediaItems, RandomPlacementKeepsTheVideoAboveTheCaptionsRoom) {
    Add("movie.avi", "clip.avi");
    platform.random = test::SequenceRandomSource({0.99F});
    auto form = Start({.captions = 1, .center = 0, .interval = 0});
    const QRect area = form->MediaPlayer1->geometry();
    EXPECT_EQ(area.size(), QSize(160, 120));
    EXPECT_LE(area.bottom() + 1, 800 - form->Label1->height() + 1);
    EXPECT_GE(area.left(), 0);
    EXPECT_LE(area.right() + 1, 800 + 1);
}

TEST_F(ShowMediaItems, ClipTitleJoinsTheCaptionWhenTheStreamStarts) {
    Add("titled.avi", "Sun & Sea.avi");
    Add("movie.avi", "Untitled.avi");
    auto form = Start({.captions = 1, .interval = 0});
    ASSERT_EQ(state.catalogue.CurrentFile, "Sun & Sea.avi");
    EXPECT_EQ(form->Label1->Caption(), "Sun && Sea");
    ASSERT_TRUE(WaitUntil([&] { return form->Label1->Caption() != "Sun && Sea"; }));
    EXPECT_EQ(form->Label1->Caption(), "Sun && Sea - Sunset && Sea");
    ASSERT_TRUE(PlayedToTheEnd(*form));
    Ticks(*form, 2);
    ASSERT_EQ(state.catalogue.CurrentFile, "Untitled.avi");
    // No title in the file: the caption stays.
    QTest::qWait(400);
    EXPECT_EQ(form->Label1->Caption(), "Untitled");
}

TEST_F(ShowMediaItems, SoundPlaysUnseenOverThePictureBeforeWithItsCaptionTopLeft) {
    test::WritePicture(pictures / "a.jpg", 64, 48, Qt::red);
    Add("tone.wav", "Rock & Roll.wav");
    auto form = Start({.captions = 1, .interval = 0});
    const QRect picture = form->Image1->geometry();
    AdvanceFromFirst(*form);
    ASSERT_EQ(state.catalogue.CurrentFile, "Rock & Roll.wav");
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_FALSE(form->MediaPlayer1->isVisible());
    EXPECT_TRUE(form->Image1->isVisible());
    EXPECT_EQ(form->Image1->geometry(), picture);
    EXPECT_TRUE(Near(form->Image1->Picture().pixelColor(5, 5), Qt::red));
    EXPECT_EQ(form->Label1->Caption(), "Rock && Roll");
    EXPECT_EQ(form->Label1->geometry(), QRect(0, 0, 800, form->Label1->height()));
    EXPECT_TRUE(form->Label1->isVisible());
    ASSERT_TRUE(PlayedToTheEnd(*form));
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_FALSE(form->Label1->isVisible());
}

TEST_F(ShowMediaItems, SoundWithCaptionsOffShowsNoCaption) {
    Add("tone.mp3", "song.mp3");
    auto form = Start({.captions = 0, .interval = 0});
    EXPECT_EQ(form->MediaPlayer1->FileName(), "song.mp3");
    EXPECT_FALSE(form->Label1->isVisible());
}

TEST_F(ShowMediaItems, PlayListCaptionCountsItsEntries) {
    std::filesystem::create_directory(pictures / "tones");
    std::vector<std::string> entries;
    for (int i = 1; i <= 12; ++i) {
        const std::string name = "tone" + std::to_string(i) + ".wav";
        std::filesystem::copy_file(test::MediaFolder() / "tone.wav", pictures / "tones" / name);
        entries.push_back("tones/" + name);
    }
    WriteM3u("party.m3u", entries);
    auto form = Start({.captions = 1, .interval = 0});
    EXPECT_EQ(form->Label1->Caption(), "party - Track 1 of 12");
    EXPECT_EQ(form->Label1->geometry().topLeft(), QPoint(0, 0));
    EXPECT_EQ(form->Label1->width(), 800);
    EXPECT_EQ(form->MediaPlayer1->EntryCount(), 12);
    form->MediaPlayer1->NextEntry();
    EXPECT_TRUE(WaitUntil([&] { return form->MediaPlayer1->CurrentEntry() == 2; }));
    EXPECT_FALSE(form->Timer1->isActive());
}

TEST_F(ShowMediaItems, PlayListNameKeepsItsAmpersandSingleAsAMarker) {
    std::filesystem::create_directory(pictures / "tracks");
    std::filesystem::copy_file(test::MediaFolder() / "tone.wav", pictures / "tracks" / "one.wav");
    test::WriteBytes(pictures / "Rock & Roll.ASX",
                     "<ASX version=\"3.0\"><Entry><Ref HREF=\"tracks/one.wav\"/></Entry></ASX>");
    auto form = Start({.captions = 1, .interval = 0});
    ASSERT_EQ(state.catalogue.CurrentFile, "Rock & Roll.ASX");
    EXPECT_EQ(form->Label1->Caption(), "Rock & Roll - Track 1 of 1");
}

struct BadMedium {
    const char* medium;
    const char* name;
};

void PrintTo(const BadMedium& row, std::ostream* out) {
    *out << row.name;
}

class MediaThatCannotBePlayed : public ShowMediaItems,
                                public ::testing::WithParamInterface<BadMedium> {};

TEST_P(MediaThatCannotBePlayed, AreMarkedRecordedAndTheShowGoesOn) {
    test::WritePicture(pictures / "a.jpg", 64, 48, Qt::red);
    Add(GetParam().medium, GetParam().name);
    auto form = Start({.captions = 1, .interval = 0});
    AdvanceFromFirst(*form);
    const std::string name = GetParam().name;
    EXPECT_TRUE(std::filesystem::exists(pictures / ("_" + name)));
    EXPECT_FALSE(std::filesystem::exists(pictures / name));
    EXPECT_EQ(LastFileName(), name);
    EXPECT_EQ(state.catalogue.PlayList[1], "_" + name);
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_TRUE(form->MediaPlayer1->FileName().empty());
    Ticks(*form, 2);
    EXPECT_EQ(state.catalogue.CurrentFile, "a.jpg");
    EXPECT_TRUE(form->isVisible());
}

INSTANTIATE_TEST_SUITE_P(ShowWindow, MediaThatCannotBePlayed,
                         ::testing::Values(BadMedium{"broken.avi", "b.avi"},
                                           BadMedium{"empty.avi", "b.avi"},
                                           BadMedium{"broken.avi", "b.wmv"},
                                           BadMedium{"broken.avi", "b.mp3"},
                                           BadMedium{"empty.avi", "b.wav"}));

TEST_F(ShowMediaItems, VideoFailingPartWayEndsLikeAnyOtherAndKeepsItsName) {
    Add("truncated.mpg", "b.mpg");
    test::WritePicture(pictures / "c.jpg", 64, 48, Qt::red);
    auto form = Start({.interval = 0});
    ASSERT_EQ(state.catalogue.CurrentFile, "b.mpg");
    ASSERT_TRUE(PlayedToTheEnd(*form));
    Ticks(*form, 2);
    EXPECT_EQ(state.catalogue.CurrentFile, "c.jpg");
    EXPECT_TRUE(std::filesystem::exists(pictures / "b.mpg"));
    EXPECT_EQ(LastFileName(), "<none>");
}

TEST_F(ShowMediaItems, PlayListWhoseEntriesAreAllMissingIsPassedOverUnrenamed) {
    WriteM3u("gone.m3u", {"nowhere/one.wav", "nowhere/two.mp3"});
    test::WritePicture(pictures / "z.jpg", 64, 48, Qt::red);
    auto form = Start({.captions = 1, .interval = 0});
    ASSERT_EQ(state.catalogue.CurrentFile, "gone.m3u");
    EXPECT_TRUE(std::filesystem::exists(pictures / "gone.m3u"));
    EXPECT_EQ(LastFileName(), "<none>");
    EXPECT_TRUE(form->Timer1->isActive());
    Ticks(*form, 2);
    EXPECT_EQ(state.catalogue.CurrentFile, "z.jpg");
}

TEST_F(ShowMediaItems, SoundDeviceThatCannotStartRenamesNothing) {
    ::setenv("VIMBREL_AUDIO_OUTPUT", "jack", 1);
    Add("tone.wav", "a.wav");
    Add("tone.mp3", "b.mp3");
    auto form = Start({.interval = 0});
    ::setenv("VIMBREL_AUDIO_OUTPUT", "null", 1);
    for (const char* name : {"a.wav", "b.mp3"}) {
        EXPECT_EQ(state.catalogue.CurrentFile, name);
        ASSERT_TRUE(PlayedToTheEnd(*form));
        EXPECT_TRUE(WaitUntil([&] { return form->Timer1->isActive(); }));
        Ticks(*form, 2);
    }
    EXPECT_TRUE(std::filesystem::exists(pictures / "a.wav"));
    EXPECT_TRUE(std::filesystem::exists(pictures / "b.mp3"));
    EXPECT_EQ(LastFileName(), "<none>");
}

TEST_F(ShowMediaItems, PointerOverTheVideoCountsTowardsTheEnd) {
    Add("movie.avi", "b.avi");
    auto form = Start({.interval = 0});
    ASSERT_TRUE(form->MediaPlayer1->isVisible());
    MoveOver(form->MediaPlayer1, {5, 5});
    MoveOver(form->MediaPlayer1, {6, 6});
    EXPECT_EQ(state.MouseMoveCount, 2);
}

TEST_F(ShowMediaItems, EndOfStreamWithNothingPlayingIsHarmless) {
    test::WritePicture(pictures / "a.jpg", 64, 48, Qt::red);
    auto form = Start({.interval = 0});
    form->MediaPlayer1_EndOfStream(0);
    form->MediaPlayer1_EndOfStream(0);
    EXPECT_TRUE(form->MediaPlayer1->FileName().empty());
    EXPECT_FALSE(form->MediaPlayer1->isVisible());
    EXPECT_EQ(form->MediaPlayer1->pos(), QPoint(-667, -667));
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_TRUE(form->Image1->isVisible());
}

TEST_F(ShowMediaItems, EveryKindOfVideoAndSoundPlaysInTurn) {
    const char* media[] = {"chord.mid", "chord.rmi", "movie.asf", "movie.avi", "movie.mov",
                           "movie.mpg", "movie.wmv", "tone.mp3",  "tone.wav",  "tone.wma"};
    for (const char* medium : media) {
        Add(medium, medium);
    }
    auto form = Start({.interval = 0});
    for (const char* medium : media) {
        ASSERT_EQ(state.catalogue.CurrentFile, medium);
        EXPECT_EQ(form->MediaPlayer1->FileName(), medium);
        ASSERT_TRUE(PlayedToTheEnd(*form)) << medium;
        Ticks(*form, 2);
    }
    EXPECT_EQ(LastFileName(), "<none>");
}

TEST_F(ShowMediaItems, MidiPlaysAsAPlayListEntryToo) {
    std::filesystem::create_directory(pictures / "tunes");
    std::filesystem::copy_file(test::MediaFolder() / "chord.mid", pictures / "tunes" / "a.mid");
    std::filesystem::copy_file(test::MediaFolder() / "chord.rmi", pictures / "tunes" / "b.RMI");
    WriteM3u("tunes.m3u", {"tunes/a.mid", "tunes/b.RMI"});
    auto form = Start({.captions = 1, .interval = 0});
    EXPECT_EQ(form->Label1->Caption(), "tunes - Track 1 of 2");
    EXPECT_TRUE(WaitUntil([&] { return form->MediaPlayer1->CurrentEntry() == 2; }));
    ASSERT_TRUE(PlayedToTheEnd(*form));
    EXPECT_EQ(LastFileName(), "<none>");
}

TEST_F(ShowMediaItems, CorruptMidiIsMarkedButMissingSoundFontRenamesNothing) {
    test::WriteBytes(pictures / "bad.mid", "MThd but nothing after");
    Add("chord.mid", "good.mid");
    const char* previous = std::getenv("VIMBREL_SOUNDFONT");
    auto form = Start({.interval = 0});
    ASSERT_EQ(state.catalogue.CurrentFile, "bad.mid");
    EXPECT_TRUE(std::filesystem::exists(pictures / "_bad.mid"));
    EXPECT_EQ(LastFileName(), "bad.mid");

    ::setenv("VIMBREL_SOUNDFONT", (pictures / "no-such-font.sf2").c_str(), 1);
    Ticks(*form, 2);
    ASSERT_EQ(state.catalogue.CurrentFile, "good.mid");
    if (previous != nullptr) {
        ::setenv("VIMBREL_SOUNDFONT", previous, 1);
    } else {
        ::unsetenv("VIMBREL_SOUNDFONT");
    }
    EXPECT_TRUE(std::filesystem::exists(pictures / "good.mid"));
    EXPECT_EQ(LastFileName(), "bad.mid");
    EXPECT_TRUE(form->Timer1->isActive());
}

TEST_F(ShowMediaItems, PlayListOfAHundredThousandLinesPlaysAndCountsThem) {
    std::filesystem::create_directory(pictures / "tones");
    std::filesystem::copy_file(test::MediaFolder() / "tone.wav", pictures / "tones" / "t.wav");
    std::string text;
    for (int i = 0; i < 100'000; ++i) {
        text += "tones/t.wav\n";
    }
    test::WriteBytes(pictures / "long.m3u", text);
    QElapsedTimer elapsed;
    elapsed.start();
    auto form = Start({.captions = 1, .interval = 0});
    std::printf("100,000 entries loaded in %lld ms\n", static_cast<long long>(elapsed.elapsed()));
    EXPECT_EQ(form->Label1->Caption(), "long - Track 1 of 100000");
    form->MediaPlayer1->NextEntry();
    EXPECT_TRUE(WaitUntil([&] { return form->MediaPlayer1->CurrentEntry() == 2; }));
}

} // namespace
} // namespace vimbrel
