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

using namespace std::string_literals;

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
    const auto place = [&](PictureSize size, int16_t center) {
        const PicturePlace at = PlacePicture(size, center, 1000, 2000, random);
        return std::pair(at.top, at.left);
    };
    EXPECT_EQ(place(Pixels(100, 50), 1), std::pair(125.0, 250.0));
    EXPECT_EQ(place(Pixels(100, 50), 0),
              std::pair(std::floor(250 * 0.5 + 1), std::floor(500 * 0.25 + 1)));
    // Larger than the screen: it may start off it.
    const auto [top, left] = place(Pixels(400, 400), 2);
    EXPECT_LT(std::max(top, left), 0);

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
    std::string kinds; // 0 picture, 1 sound, 2 tune, 3 play list, 4 video
    for (const char* name : {"a.JPG", "a.gif", "a.Bmp", "a.wav", "a.MP3", "a.wma", "a.mid", "a.RMI",
                             "a.m3u", "a.Asx", "a.asf", "a.AVI", "a.mov", "a.mpg", "a.wmv"}) {
        kinds += std::to_string(static_cast<int>(MediaKindOf(name)));
    }
    EXPECT_EQ(kinds, "000111223344444");
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
        int ticks = 1;
        while (NextTickAction(show, interval) != TickAction::Advance && ticks < 20) {
            ++ticks;
        }
        EXPECT_EQ(ticks, interval + 2) << interval;
        EXPECT_EQ(show.TickCount, 0);
    }
    ShowState playing{.TickCount = 7, .Playing = "b.avi"};
    EXPECT_EQ(NextTickAction(playing, 3), TickAction::Wait);
    EXPECT_EQ(playing.TickCount, 7);
    ShowState saturated;
    saturated.TickCount = INT16_MAX;
    EXPECT_EQ(NextTickAction(saturated, INT16_MAX), TickAction::Count);
}

// The command each key asks for, one letter a key: End, Captions, Folder,
// Pause, Rename, Next, Back.
std::string Commands(const std::string& keys, const CollectionSettings& settings) {
    std::string letters;
    for (char key : keys) {
        letters +=
            "ECFPRNB"[static_cast<int>(CommandOfKey(static_cast<unsigned char>(key), settings))];
    }
    return letters;
}

TEST(ViewerKeys, EachCodeAsksForOneCommandInTheTestOrder) {
    CollectionSettings keys;
    keys.key_Special = 1;
    std::tie(keys.key_Captions, keys.key_NewFolder, keys.key_Pause, keys.key_Rename, keys.key_Next,
             keys.key_Previous) = std::tuple('f', 's', 'z', 'r', 'n', 'p');
    // Only the code 32 below a stored one answers too: 'n' + 32 ends the show.
    EXPECT_EQ(Commands("fFsZrnNPx\r\x1b\t\x8e\0"s, keys), "CCFPRNNBEEEEEE");
    keys.key_Captions = 'n';    // two commands on one code: the one tested first wins
    keys.key_Pause = ' ' + 256; // a code no key types matches nothing
    EXPECT_EQ(Commands("n ", keys), "CE");
    keys.key_Special = 0; // every character ends the show
    EXPECT_EQ(Commands("fN", keys), "EE");
}

// Only a play list has entries to step through; its ends lead out.
TEST(ViewerKeys, NextAndPreviousStayInAPlayListUntilItsEnds) {
    const ShowState list{.Playing = "list.m3u"};
    EXPECT_TRUE(NextStaysInPlayList(list, {1, 3}));
    EXPECT_FALSE(NextStaysInPlayList(list, {3, 3}));
    EXPECT_TRUE(PreviousStaysInPlayList(list, {2, 3}));
    EXPECT_FALSE(PreviousStaysInPlayList(list, {1, 3}));
    EXPECT_FALSE(NextStaysInPlayList(ShowState{.Playing = "clip.avi"}, {1, 3}));
    EXPECT_FALSE(PreviousStaysInPlayList(ShowState{}, {2, 3}));
}

// Feeds pointer events at the given times; the number of the event that
// ends the show, or 0.
int EventThatEnds(int16_t mouseMoves, std::initializer_list<double> times) {
    int16_t count = 0;
    MouseCountingWindow window;
    for (std::size_t i = 0; i < times.size(); ++i) {
        if (CountMouseEvent(mouseMoves, count, window, times.begin()[i])) {
            return static_cast<int>(i + 1);
        }
    }
    return 0;
}

TEST(MouseCounting, TheCountingWindowRules) {
    EXPECT_EQ(EventThatEnds(4, {100, 101, 102, 113}), 4); // counted before the age test
    EXPECT_EQ(EventThatEnds(4, {100, 101, 111.5, 112, 113, 114, 115}), 7); // cleared at 111.5
    EXPECT_EQ(EventThatEnds(4, {100, 101, 110, 111}), 4); // ten seconds is not enough
    EXPECT_EQ(EventThatEnds(0, {1, 2, 3, 4, 5, 6}), 0);
    EXPECT_EQ(EventThatEnds(4, {86398, 86399, 20, 21}), 0); // across midnight
    // The window's start is rounded up to 101: events before it are no
    // clock gone round.
    EXPECT_EQ(EventThatEnds(4, {100.6, 100.7, 100.8, 100.9}), 4);
    int16_t count = INT16_MAX - 1; // refused passwords never overflow it
    MouseCountingWindow window{100};
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(CountMouseEvent(4, count, window, 101));
    }
    EXPECT_EQ(count, INT16_MAX);
}

} // namespace
} // namespace vimbrel
