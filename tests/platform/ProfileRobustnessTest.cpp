// Settings files that were damaged, hand-edited or never ours: each loads
// what it can, and nothing crashes.

#include "TempDirectory.h"
#include "platform/ProfileFile.h"

#include <gtest/gtest.h>
#include <random>

namespace vimbrel::platform {
namespace {

using test::TempDirectory;
using test::WriteBytes;

TEST(ProfileRobustness, BinaryGarbageGivesDefaultsAndStaysWritable) {
    std::mt19937 engine(1234);
    std::string garbage(64 * 1024, '\0');
    for (char& c : garbage) {
        c = static_cast<char>(engine() & 0xFF);
    }
    TempDirectory home;
    WriteBytes(home / "g.ini", garbage);
    ProfileFiles profiles(home.path());
    EXPECT_EQ(profiles.GetPrivateProfileInt("Options", "Folders", 0, "g.ini"), 0);
    profiles.WritePrivateProfileString("Options", "LastFileName", "x", "g.ini");
    EXPECT_EQ(profiles.GetPrivateProfileString("Options", "LastFileName", "", "g.ini"), "x");
}

TEST(ProfileRobustness, TenMegabyteLineIsReadAndCut) {
    TempDirectory home;
    std::string bytes =
        "[Options]\r\nDescription=" + std::string(10 * 1024 * 1024, 'd') + "\r\nFolders=2\r\n";
    WriteBytes(home / "big.ini", bytes);
    ProfileFiles profiles(home.path());
    EXPECT_EQ(profiles.GetPrivateProfileString("Options", "Description", "", "big.ini").size(),
              253u);
    EXPECT_EQ(profiles.GetPrivateProfileInt("Options", "Folders", 0, "big.ini"), 2);
}

// A header without "]" starts its section all the same; a stray "]" starts
// a key.
TEST(ProfileRobustness, UnterminatedHeaderStartsItsSectionAndStrayBracketsAreKeys) {
    TempDirectory home;
    WriteBytes(home / "h.ini", "[Options\r\nk=1\r\n]x=2\r\n");
    ProfileFiles profiles(home.path());
    EXPECT_EQ(profiles.GetPrivateProfileInt("Options", "k", 0, "h.ini"), 1);
    EXPECT_EQ(profiles.GetPrivateProfileString("Options", "]x", "", "h.ini"), "2");
    // The first section of a name is the only one searched.
    WriteBytes(home / "h.ini", "[Options\r\n[Options]\r\nk=1\r\n");
    EXPECT_EQ(profiles.GetPrivateProfileInt("Options", "k", 0, "h.ini"), 0);
}

TEST(ProfileRobustness, FolderInPlaceOfFileGivesDefaultsAndRefusesWrites) {
    TempDirectory home;
    std::filesystem::create_directory(home / "d.ini");
    ProfileFiles profiles(home.path());
    EXPECT_EQ(profiles.GetPrivateProfileInt("a", "k", 5, "d.ini"), 5);
    EXPECT_ANY_THROW(profiles.WritePrivateProfileString("a", "k", "1", "d.ini"));
    EXPECT_TRUE(std::filesystem::is_directory(home / "d.ini"));
}

} // namespace
} // namespace vimbrel::platform
