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

} // namespace
} // namespace vimbrel
