// The helpers every part of the program shares.

#include "PlatformDoubles.h"
#include "controls/CursorHelpers.h"
#include "platform/WindowTitleLock.h"
#include "runtime/Conversions.h"
#include "startup/Main.h"
#include "state/ProgramState.h"

#include <gtest/gtest.h>

namespace vimbrel {
namespace {

TEST(ReplaceTextTest, ReplacesEveryOccurrenceOnce) {
    const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
        {"vimbrel000.ini", ".ini", ".bak", "vimbrel000.bak"},
        {"vimbrel000.INI", ".ini", ".bak", "vimbrel000.INI"},
        {"plain", ".ini", ".bak", "plain"},
        {"a&b&c", "&", "&&", "a&&b&&c"},
        {"&&", "&", "&&", "&&&&"},
        {"aaa", "aa", "b", "ba"},
        {"x.ini.ini", ".ini", ".bak", "x.bak.bak"},
        {"", "a", "b", ""},
        {"abc", "", "x", "abc"},
    };
    for (const auto& [text, find, replacement, expected] : cases) {
        EXPECT_EQ(ReplaceText(text, find, replacement), expected) << text << " " << find;
    }
}

TEST(CursorHelpers, DriveTheCounterPastTheirThresholds) {
    platform::CursorCounter cursor;
    HideCursor(cursor);
    EXPECT_EQ(cursor.value(), -6);
    HideCursor(cursor);
    EXPECT_EQ(cursor.value(), -7);
    RestoreCursor(cursor);
    EXPECT_EQ(cursor.value(), 6);
    RestoreCursor(cursor);
    EXPECT_EQ(cursor.value(), 7);
    HideCursor(cursor);
    EXPECT_EQ(cursor.value(), -6);
    // Five show requests from elsewhere still leave it hidden.
    for (int i = 0; i < 5; ++i) {
        cursor.ShowCursor(true);
    }
    EXPECT_FALSE(cursor.visible());
    RestoreCursor(cursor);
    EXPECT_TRUE(cursor.visible());
}

TEST(IsWindowAbsentTest, FalseWhileTheShowWindowIsOpen) {
    test::TestPlatform platform; // a runtime folder of the test's own
    EXPECT_TRUE(platform::IsWindowAbsent(kSlideshowTitle));
    {
        platform::WindowTitleLock show;
        ASSERT_TRUE(show.Acquire(kSlideshowTitle));
        EXPECT_FALSE(platform::IsWindowAbsent(kSlideshowTitle));
        EXPECT_FALSE(platform::IsWindowAbsent("screensaver: vimbrel"));
        EXPECT_TRUE(platform::IsWindowAbsent("Vimbrel"));
    }
    EXPECT_TRUE(platform::IsWindowAbsent(kSlideshowTitle));
}

} // namespace
} // namespace vimbrel
