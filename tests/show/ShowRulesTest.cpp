// The show's rules over its plain state, without a window: sizing and
// placing pictures, size limits, names and captions, pacing, the viewer's
// keys and the pointer's counting window.

#include "PlatformDoubles.h"
#include "catalogue/MediaKind.h"
#include "controls/EndingTheShow.h"
#include "show/CaptionLabel.h"
#include "show/ImageLayout.h"
#include "show/ShowState.h"

#include <gtest/gtest.h>

namespace vimbrel {
namespace {

constexpr int32_t kWidth = 1024 * 15;
constexpr int32_t kHeight = 768 * 15;

PictureSize Pixels(float w, float h) {
    return {w * 15, h * 15};
}

TEST(PictureLayout, SizingPlacingAndLimits) {
    const PictureSize small = Pixels(320, 240);
    const PictureSize large = Pixels(3000, 1000);
    for (int16_t choice : {int16_t{0}, int16_t{4}, int16_t{-1}}) { // natural size
        EXPECT_EQ(ScalePicture(large, choice, kHeight, kWidth).W, large.W) << choice;
    }
    EXPECT_EQ(ScalePicture(small, SizeImagesDown, kHeight, kWidth).W, small.W);
    EXPECT_EQ(ScalePicture(large, SizeImagesUp, kHeight, kWidth).W, large.W);
    const PictureSize down = ScalePicture(large, SizeImagesDown, kHeight, kWidth);
    EXPECT_LE(down.W, kWidth);
    EXPECT_GT(down.W, kWidth * 0.99f); // the first step that fits
    EXPECT_NEAR(down.W / down.H, 3.0, 0.001);
    const PictureSize up = ScalePicture(small, SizeImagesUp, kHeight, kWidth);
    EXPECT_GE(up.H, kHeight);
    EXPECT_LT(up.H, kHeight * 1.0101f); // at most one 1 % step past
    const int32_t withCaption = kHeight - 375;
    const PictureSize fitted = ScalePicture(Pixels(10, 10), SizeImagesToFit, withCaption, kWidth);
    EXPECT_LE(fitted.H, withCaption);
    EXPECT_GT(fitted.H, withCaption * 0.98f);
    // Nothing to scale, or no room: the loops still end.
    EXPECT_EQ(ScalePicture({0, 0}, SizeImagesToFit, withCaption, kWidth).W, 0);
    EXPECT_EQ(ScalePicture(Pixels(10, 10), SizeImagesToFit, 0, kWidth).W, 150);

    test::SequenceRandomSource random({0.5f, 0.25f});
    const PicturePlace centred = PlacePicture(Pixels(100, 50), 1, 1000, 2000, random);
    EXPECT_DOUBLE_EQ(centred.top, (1000 - 750) / 2.0);
    EXPECT_DOUBLE_EQ(centred.left, (2000 - 1500) / 2.0);
    const PicturePlace placed = PlacePicture(Pixels(100, 50), 0, 1000, 2000, random);
    EXPECT_DOUBLE_EQ(placed.top, std::floor(250 * 0.5 + 1));
    EXPECT_DOUBLE_EQ(placed.left, std::floor(500 * 0.25 + 1));
    test::SequenceRandomSource high({0.9f});
    const PicturePlace over = PlacePicture(Pixels(400, 400), 2, 1000, 2000, high);
    EXPECT_LT(over.top, 0); // larger than the screen: it may start off it
    EXPECT_LT(over.left, 0);

    CollectionSettings limits;
    EXPECT_FALSE(BrokenSizeLimit(320, 240, limits).has_value()); // 0: no limit
    limits.MinWidth = 640;
    limits.MaxHeight = 100;
    EXPECT_EQ(BrokenSizeLimit(320, 240, limits), 640); // the first broken one
    limits.MinWidth = -5;                              // negative: no limit
    EXPECT_EQ(BrokenSizeLimit(320, 240, limits), 100);
    EXPECT_EQ(SizeRenamedName(640, "photo.jpg"), "_640_photo.jpg");
}

TEST(Names, KindsAndCaptions) {
    EXPECT_EQ(ExtensionOf("holiday.Jpg"), "JPG");
    EXPECT_EQ(ExtensionOf("noext"), "NOEXT");
    const std::pair<const char*, MediaKind> kinds[] = {
        {"a.JPG", MediaKind::Picture},  {"a.gif", MediaKind::Picture},
        {"a.Bmp", MediaKind::Picture},  {"a.wav", MediaKind::Sound},
        {"a.MP3", MediaKind::Sound},    {"a.wma", MediaKind::Sound},
        {"a.mid", MediaKind::Tune},     {"a.RMI", MediaKind::Tune},
        {"a.m3u", MediaKind::PlayList}, {"a.Asx", MediaKind::PlayList},
        {"a.asf", MediaKind::Video},    {"a.AVI", MediaKind::Video},
        {"a.mov", MediaKind::Video},    {"a.mpg", MediaKind::Video},
        {"a.wmv", MediaKind::Video}};
    for (const auto& [name, kind] : kinds) {
        EXPECT_EQ(MediaKindOf(name), kind) << name;
    }
    EXPECT_EQ(CaptionOfFile("Tom & Jerry.x.gif", " - A&B"), "Tom && Jerry - A&&B");
    EXPECT_EQ(CaptionPaused("Sea"), "Sea (paused)");
    // Going on takes every mark out, also one the file's name brought.
    EXPECT_EQ(CaptionResumed("Song (paused) - Take 2 (paused)"), "Song - Take 2");
    EXPECT_EQ(CaptionRichText("Tom && Jerry"), "Tom &amp; Jerry");
    EXPECT_EQ(CaptionRichText("Rock & Roll"), "Rock <u> </u>Roll");
    EXPECT_EQ(CaptionRichText("a&b<c>"), "a<u>b</u>&lt;c&gt;");
    EXPECT_EQ(CaptionRichText("end&"), "end");
    EXPECT_EQ(NameOutOfTheShow("a.jpg"), "_a.jpg");
    EXPECT_FALSE(NameOutOfTheShow("_a.jpg").has_value()); // out already
    EXPECT_FALSE(NameOutOfTheShow("").has_value());       // an empty show
}

TEST(Pacing, AnItemStaysIntervalPlusTwoTicksAndNothingCountsWhileMediaPlays) {
    for (int16_t interval : {int16_t{0}, int16_t{3}, int16_t{5}}) {
        ShowState show;
        int advancedAt = 0;
        for (int tick = 1; tick <= 20 && advancedAt == 0; ++tick) {
            if (NextTickAction(show, interval) == TickAction::Advance) {
                advancedAt = tick;
            }
        }
        EXPECT_EQ(advancedAt, interval + 2) << interval;
        EXPECT_EQ(show.TickCount, 0);
    }
    ShowState playing{.TickCount = 7, .Playing = "b.avi"};
    EXPECT_EQ(NextTickAction(playing, 3), TickAction::Wait);
    EXPECT_EQ(playing.TickCount, 7);
    ShowState saturated{.TickCount = INT16_MAX};
    EXPECT_EQ(NextTickAction(saturated, INT16_MAX), TickAction::Count);
    EXPECT_EQ(TimerIntervalMs(0), 10);
    EXPECT_EQ(TimerIntervalMs(3), 1000);
}

TEST(ViewerKeys, EachCodeAsksForOneCommandInTheTestOrder) {
    CollectionSettings keys{};
    keys.key_Special = 1;
    keys.key_Captions = 'f';
    keys.key_NewFolder = 's';
    keys.key_Pause = 'z';
    keys.key_Rename = 'r';
    keys.key_Next = 'n';
    keys.key_Previous = 'p';
    const std::pair<int, ShowCommand> table[] = {
        {'f', ShowCommand::ToggleCaptions},
        {'F', ShowCommand::ToggleCaptions},
        {'s', ShowCommand::NextFolder},
        {'Z', ShowCommand::Pause},
        {'r', ShowCommand::Rename},
        {'n', ShowCommand::NextItem},
        {'N', ShowCommand::NextItem},
        {'P', ShowCommand::PreviousItem},
        {'x', ShowCommand::End},
        {'\r', ShowCommand::End},
        {'\x1b', ShowCommand::End},
        {'\t', ShowCommand::End},
        {'n' + 32, ShowCommand::End}, // only 32 below the stored code answers
        {0, ShowCommand::End}};
    for (const auto& [key, command] : table) {
        EXPECT_EQ(CommandOfKey(key, keys), command) << key;
    }
    // Two commands on one code: the one tested first wins.
    keys.key_Captions = 'n';
    EXPECT_EQ(CommandOfKey('n', keys), ShowCommand::ToggleCaptions);
    // Codes no key can type match nothing, and harm nothing.
    for (int16_t unreachable : {int16_t{-5}, int16_t{400}, int16_t{32767}, int16_t{-32768}}) {
        keys.key_Pause = unreachable;
        EXPECT_EQ(CommandOfKey(' ', keys), ShowCommand::End) << unreachable;
    }
    keys.key_Special = 0; // every character ends the show
    EXPECT_EQ(CommandOfKey('N', keys), ShowCommand::End);
}

TEST(ViewerKeys, PauseNextPreviousAndNextFolderFollowWhatPlays) {
    const ShowState pictures;
    const ShowState video{.Playing = "clip.avi"};
    const ShowState list{.Playing = "list.m3u"};
    EXPECT_EQ(PauseStepOf(pictures), PauseStep::PauseTimedShow);
    EXPECT_EQ(PauseStepOf(ShowState{.TimedShowPaused = true}), PauseStep::ResumeTimedShow);
    EXPECT_EQ(PauseStepOf(video), PauseStep::PausePlayer);
    EXPECT_EQ(PauseStepOf(ShowState{.Playing = "a.wav", .PlayerPaused = true}),
              PauseStep::ResumePlayer);
    // Only a play list has entries to step through; its ends lead out.
    EXPECT_TRUE(NextStaysInPlayList(list, {1, 3}));
    EXPECT_FALSE(NextStaysInPlayList(list, {3, 3}));
    EXPECT_TRUE(PreviousStaysInPlayList(list, {2, 3}));
    EXPECT_FALSE(PreviousStaysInPlayList(list, {1, 3}));
    EXPECT_FALSE(NextStaysInPlayList(video, {1, 3}));
    EXPECT_FALSE(PreviousStaysInPlayList(pictures, {2, 3}));
    EXPECT_EQ(NextFolderPosition(0, 3), 1);
    EXPECT_EQ(NextFolderPosition(2, 3), 0);
    EXPECT_FALSE(NextFolderPosition(0, 1).has_value());
}

// Feeds pointer events at the given times; the number of the event that
// ends the show, or 0.
int EventThatEnds(int16_t mouseMoves, std::initializer_list<double> times) {
    int16_t count = 0;
    MouseCountingWindow window;
    int number = 0;
    for (double t : times) {
        ++number;
        if (CountMouseEvent(mouseMoves, count, window, t)) {
            return number;
        }
    }
    return 0;
}

TEST(MouseCounting, TheCountingWindowRules) {
    EXPECT_EQ(EventThatEnds(4, {100, 101, 102, 103}), 4);
    EXPECT_EQ(EventThatEnds(4, {100, 101, 102, 113}), 4); // counted before the age test
    EXPECT_EQ(EventThatEnds(4, {100, 101, 111.5, 112, 113, 114, 115}), 7); // cleared at 111.5
    EXPECT_EQ(EventThatEnds(4, {100, 101, 110, 111}), 4); // ten seconds is not enough
    EXPECT_EQ(EventThatEnds(0, {1, 2, 3, 4, 5, 6}), 0);
    EXPECT_EQ(EventThatEnds(1, {5}), 1);
    EXPECT_EQ(EventThatEnds(4, {86398, 86399, 20, 21}), 0); // across midnight
    int16_t count = INT16_MAX - 1;                          // refused passwords never overflow it
    MouseCountingWindow window{100};
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(CountMouseEvent(4, count, window, 101));
    }
    EXPECT_EQ(count, INT16_MAX);
}

} // namespace
} // namespace vimbrel
