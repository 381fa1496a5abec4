// The mode switch and window handle as the screen-saver host passes them.

#include "startup/CommandLine.h"

#include <gtest/gtest.h>

namespace vimbrel {
namespace {

TEST(CommandLineTest, ArgumentsJoinAsOneLine) {
    const char* argv[] = {"vimbrel", "/p", "1234"};
    EXPECT_EQ(JoinArguments(3, argv), "/p 1234");
    EXPECT_EQ(JoinArguments(1, argv), "");
}

TEST(CommandLineTest, ModeIsTheFirstTwoCharactersUpperCased) {
    EXPECT_EQ(RunModeOf(""), "/C");
    EXPECT_EQ(RunModeOf("/s"), "/S");
    EXPECT_EQ(RunModeOf("/configure"), "/C");
    EXPECT_EQ(RunModeOf("/"), "/");
    EXPECT_EQ(RunModeOf(" /s"), " /");
}

TEST(CommandLineTest, WindowHandleFollowsTheSwitch) {
    EXPECT_EQ(ParentWindowOf("/p 1234"), 1234);
    EXPECT_EQ(ParentWindowOf("/p:1234"), 0);
    EXPECT_EQ(ParentWindowOf("/p"), 0);
    EXPECT_EQ(ParentWindowOf("/a 0x10"), 0);
    EXPECT_EQ(ParentWindowOf("/a &H10"), 16);
    EXPECT_EQ(ParentWindowOf("/p 2.5"), 2);
    EXPECT_EQ(ParentWindowOf("/p 41943045"), 41943045);
}

// A screen locker starts its saver with its own switches; its window in
// XSCREENSAVER_WINDOW wins over them.
TEST(CommandLineTest, LockerSwitchesNameTheWindowToDrawInto) {
    struct Row {
        std::vector<std::string_view> arguments;
        const char* environment;
        bool locker;
        uint32_t window;
        bool error;
    };
    const Row rows[] = {
        {{"-root"}, nullptr, true, 0, false},
        {{"-root"}, "", true, 0, false},
        {{"-root"}, "0x2a00007", true, 0x2a00007, false},
        {{"-root"}, "44040199", true, 44040199, false},
        {{"-window-id", "0x400001"}, nullptr, true, 0x400001, false},
        {{"--window-id", "77"}, nullptr, true, 77, false},
        {{"--window-id=0X1F"}, nullptr, true, 0x1f, false},
        {{"--window-id", "77"}, "0x10", true, 0x10, false},
        {{"--window-id", "seven"}, nullptr, true, 0, true},
        {{"--window-id", "0"}, nullptr, true, 0, true},
        {{"-root"}, "0x", true, 0, true},
        {{"-root"}, "99999999999", true, 0, true},
        {{"-window-id"}, nullptr, false, 0, false},
        {{"-root", "extra"}, nullptr, false, 0, false},
        {{"/s"}, "0x10", false, 0, false},
        {{}, "0x10", false, 0, false},
    };
    for (const Row& row : rows) {
        const std::optional<LockerTarget> target = LockerTargetOf(row.arguments, row.environment);
        const std::string shown = row.arguments.empty() ? "" : std::string(row.arguments[0]);
        ASSERT_EQ(target.has_value(), row.locker) << shown;
        if (target) {
            EXPECT_EQ(target->window, row.window) << shown;
            EXPECT_EQ(!target->error.empty(), row.error) << shown << " " << target->error;
        }
    }
}

} // namespace
} // namespace vimbrel
