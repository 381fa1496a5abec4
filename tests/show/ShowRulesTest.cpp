// The show's arithmetic: sizing loops, placement, size limits, pacing,
// the mouse counting window and the caption's ampersands.

#include "PlatformDoubles.h"
#include "catalogue/MediaKind.h"
#include "controls/EndingTheShow.h"
#include "show/CaptionLabel.h"
#include "show/ImageLayout.h"
#include "show/ShowPacing.h"
#include "show/ShowState.h"

#include <gtest/gtest.h>

namespace vimbrel {
namespace {

constexpr int32_t kScreenWidth = 1024 * 15;
constexpr int32_t kScreenHeight = 768 * 15;

PictureSize Pixels(float w, float h) {
    return {w * 15, h * 15};
}

TEST(PictureSizing, EachChoiceGrowsOrShrinksOnlyAsItSays) {
    const PictureSize small = Pixels(320, 240);
    const PictureSize large = Pixels(3000, 1000);
    // Default size, and any unknown choice: natural size.
    for (int16_t choice : {int16_t{0}, int16_t{4}, int16_t{-1}}) {
        const PictureSize shown = ScalePicture(large, choice, kScreenHeight, kScreenWidth);
        EXPECT_EQ(shown.W, large.W) << choice;
    }
    // Down never enlarges; Up never reduces.
    EXPECT_EQ(ScalePicture(small, SizeImagesDown, kScreenHeight, kScreenWidth).W, small.W);
    EXPECT_EQ(ScalePicture(large, SizeImagesUp, kScreenHeight, kScreenWidth).W, large.W);

    const PictureSize down = ScalePicture(large, SizeImagesDown, kScreenHeight, kScreenWidth);
    EXPECT_LE(down.W, kScreenWidth);
    EXPECT_GT(down.W, kScreenWidth * 0.99f); // stopped at the first step that fits
    EXPECT_NEAR(down.W / down.H, 3.0, 0.001);

    const PictureSize up = ScalePicture(small, SizeImagesUp, kScreenHeight, kScreenWidth);
    EXPECT_GE(up.H, kScreenHeight);           // 4:3 on 4:3 reaches the height first...
    EXPECT_LT(up.H, kScreenHeight * 1.0101f); // ...by at most one 1 % step
}

TEST(PictureSizing, ToFitEndsForATinyPictureAndFitsTheAreaLeftByTheCaption) {
    const int32_t withCaption = kScreenHeight - 375;
    const PictureSize fitted =
        ScalePicture(Pixels(10, 10), SizeImagesToFit, withCaption, kScreenWidth);
    EXPECT_LE(fitted.H, withCaption);
    EXPECT_LE(fitted.W, kScreenWidth);
    EXPECT_GT(fitted.H, withCaption * 0.98f);
    // An empty picture or no room at all cannot loop for ever.
    EXPECT_EQ(ScalePicture({0, 0}, SizeImagesToFit, withCaption, kScreenWidth).W, 0);
    EXPECT_EQ(ScalePicture(Pixels(10, 10), SizeImagesToFit, 0, kScreenWidth).W, 150);
}

TEST(PicturePlacement, CentredOrRandomWithNegativeOffsetsForLargePictures) {
    test::SequenceRandomSource random({0.5f, 0.25f});
    const PicturePlace centred = PlacePicture(Pixels(100, 50), 1, 1000, 2000, random);
    EXPECT_DOUBLE_EQ(centred.top, (1000 - 750) / 2.0);
    EXPECT_DOUBLE_EQ(centred.left, (2000 - 1500) / 2.0);

    const PicturePlace randomPlace = PlacePicture(Pixels(100, 50), 0, 1000, 2000, random);
    EXPECT_DOUBLE_EQ(randomPlace.top, std::floor(250 * 0.5 + 1));
    EXPECT_DOUBLE_EQ(randomPlace.left, std::floor(500 * 0.25 + 1));

    test::SequenceRandomSource high({0.9f});
    const PicturePlace overlapping = PlacePicture(Pixels(400, 400), 2, 1000, 2000, high);
    EXPECT_LT(overlapping.top, 0);
    EXPECT_LT(overlapping.left, 0);
}

TEST(SizeLimits, FirstBrokenLimitNamesTheRename) {
    CollectionSettings limits;
    EXPECT_FALSE(BrokenSizeLimit(320, 240, limits).has_value()); // all 0: never
    limits.MinWidth = 640;
    EXPECT_EQ(BrokenSizeLimit(320, 240, limits), 640);
    EXPECT_FALSE(BrokenSizeLimit(640, 240, limits).has_value());
    limits.MaxHeight = 100;
    EXPECT_EQ(BrokenSizeLimit(320, 240, limits), 640); // two broken: the first counts
    limits.MinWidth = -5;                              // negative: not applied
    EXPECT_EQ(BrokenSizeLimit(320, 240, limits), 100);
    EXPECT_EQ(SizeRenamedName(640, "photo.jpg"), "_640_photo.jpg");
}

TEST(Names, KindByExtensionAndCaptionText) {
    EXPECT_EQ(ExtensionOf("holiday.Jpg"), "JPG");
    EXPECT_EQ(ExtensionOf("noext"), "NOEXT");
    const std::pair<const char*, MediaKind> kinds[] = {
        {"a.JPG", MediaKind::Picture},  {"a.jpg", MediaKind::Picture},
        {"a.gif", MediaKind::Picture},  {"a.Bmp", MediaKind::Picture},
        {"a.wav", MediaKind::Sound},    {"a.MP3", MediaKind::Sound},
        {"a.wma", MediaKind::Sound},    {"a.mid", MediaKind::Tune},
        {"a.RMI", MediaKind::Tune},     {"a.m3u", MediaKind::PlayList},
        {"a.Asx", MediaKind::PlayList}, {"a.asf", MediaKind::Video},
        {"a.AVI", MediaKind::Video},    {"a.mov", MediaKind::Video},
        {"a.mpg", MediaKind::Video},    {"a.wmv", MediaKind::Video}};
    for (const auto& [name, kind] : kinds) {
        EXPECT_EQ(MediaKindOf(name), kind) << name;
    }
    EXPECT_EQ(NameBeforeFirstDot("Tom & Jerry.gif"), "Tom & Jerry");
    EXPECT_EQ(CaptionOfFile("Tom & Jerry.gif", " - A&B"), "Tom && Jerry - A&&B");
    EXPECT_EQ(CaptionPaused("Sea"), "Sea (paused)");
    // Going on takes every mark out, also one the file's name brought.
    EXPECT_EQ(CaptionResumed("Song (paused) - Take 2 (paused)"), "Song - Take 2");
    EXPECT_EQ(CaptionRichText("Tom && Jerry"), "Tom &amp; Jerry");
    EXPECT_EQ(CaptionRichText("Rock & Roll"), "Rock <u> </u>Roll");
    EXPECT_EQ(CaptionRichText("a&b<c>"), "a<u>b</u>&lt;c&gt;");
    EXPECT_EQ(CaptionRichText("end&"), "end");
}

TEST(Pacing, AnItemStaysIntervalPlusTwoTicks) {
    for (int16_t interval : {int16_t{0}, int16_t{3}, int16_t{5}}) {
        int16_t ticks = 0;
        int advancedAt = 0;
        for (int tick = 1; tick <= 20 && advancedAt == 0; ++tick) {
            if (NextTickAction(ticks, interval, false) == TickAction::Advance) {
                advancedAt = tick;
            }
        }
        EXPECT_EQ(advancedAt, interval + 2) << interval;
        EXPECT_EQ(ticks, 0);
    }
    int16_t ticks = 7;
    EXPECT_EQ(NextTickAction(ticks, 3, true), TickAction::Wait);
    EXPECT_EQ(ticks, 7);
    EXPECT_EQ(TimerIntervalMs(0), 10);
    EXPECT_EQ(TimerIntervalMs(3), 1000);
}

// Feeds pointer events at the given times; the event number whose close
// request was due, or 0.
int EventThatEnds(int16_t mouseMoves, std::initializer_list<double> times,
                  int16_t* count = nullptr) {
    int16_t mouseMoveCount = 0;
    MouseCountingWindow window;
    int number = 0;
    for (double t : times) {
        ++number;
        if (CountMouseEvent(mouseMoves, mouseMoveCount, window, t)) {
            return number;
        }
    }
    if (count != nullptr) {
        *count = mouseMoveCount;
    }
    return 0;
}

TEST(MouseCounting, TheCountingWindowRules) {
    EXPECT_EQ(EventThatEnds(4, {100, 101, 102, 103}), 4);
    // The fourth event counts before the window's age is tested.
    EXPECT_EQ(EventThatEnds(4, {100, 101, 102, 113}), 4);
    // Two, a pause of eleven seconds, a third: cleared; four more end it.
    int16_t count = -1;
    EXPECT_EQ(EventThatEnds(4, {100, 101, 111.5}, &count), 0);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(EventThatEnds(4, {100, 101, 111.5, 112, 113, 114, 115}), 7);
    // Ten seconds exactly is not enough to clear the window.
    EXPECT_EQ(EventThatEnds(4, {100, 101, 110, 111}), 4);
    EXPECT_EQ(EventThatEnds(0, {1, 2, 3, 4, 5, 6}), 0);
    EXPECT_EQ(EventThatEnds(1, {5}), 1);
    // Across midnight the window still expires.
    EXPECT_EQ(EventThatEnds(4, {86398, 86399, 20, 21}), 0);
}

TEST(MouseCounting, RefusedPasswordsNeverOverflowTheCount) {
    int16_t count = INT16_MAX - 1;
    MouseCountingWindow window{100};
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(CountMouseEvent(4, count, window, 101));
    }
    EXPECT_EQ(count, INT16_MAX);
}

} // namespace
} // namespace vimbrel
