// The password switch in the settings' registry file and the stored hash.

#include "controls/Passwords.h"

#include "PlatformDoubles.h"
#include "platform/Registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace vimbrel {
namespace {

using test::CrLf;
using test::WriteBytes;

TEST(Registry, NumbersReadAsThreeDigitsAndTextAsItStands) {
    test::TestPlatform platform;
    const char* section = "[HKEY_CURRENT_USER\\Control Panel\\Desktop]";
    WriteBytes(platform / "registry.ini",
               CrLf({section, "Zero=dword:00000000", "One=dword:00000001", "Big=dword:000004d2",
                     "Text=1", "Word=yes", "Bad=dword:xyz"}));
    auto read = [&](const char* value) {
        return platform::ReadRegistryString(platform.profiles, platform::kCurrentUserRoot,
                                            "Control Panel\\Desktop", value);
    };
    EXPECT_EQ(read("Zero"), "000");
    EXPECT_EQ(read("One"), "001");
    EXPECT_EQ(read("Big"), "123"); // 1234 keeps three characters
    EXPECT_EQ(read("Text"), "1");
    EXPECT_EQ(read("Word"), "yes");
    EXPECT_EQ(read("Bad"), "dword:xyz");
    EXPECT_EQ(read("Missing"), "");
    EXPECT_EQ(platform::ReadRegistryString(platform.profiles, 0x7FFFFFFF, "Control Panel\\Desktop",
                                           "One"),
              "");

    platform::WriteRegistryNumber(platform.profiles, platform::kCurrentUserRoot,
                                  "Control Panel\\Desktop", "ScreenSaveUsePassword", 1);
    EXPECT_EQ(read("ScreenSaveUsePassword"), "001");
}

TEST(PasswordStore, OnlyTheRightPasswordPassesAndTheFileIsPrivate) {
    test::TestPlatform platform;
    const auto home = platform.settingsDirectory();
    // Nothing stored: only the empty entry passes.
    EXPECT_TRUE(CheckScreenSavePassword(home, ""));
    EXPECT_FALSE(CheckScreenSavePassword(home, "guess"));

    StoreScreenSavePassword(home, "sesame");
    EXPECT_TRUE(CheckScreenSavePassword(home, "sesame"));
    EXPECT_FALSE(CheckScreenSavePassword(home, "Sesame"));
    EXPECT_FALSE(CheckScreenSavePassword(home, ""));
    struct stat info {};
    ASSERT_EQ(::stat((home / "password").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(test::ReadBytes(home / "password").find("sesame"), std::string::npos);

    StoreScreenSavePassword(home, "");
    EXPECT_FALSE(std::filesystem::exists(home / "password"));
    EXPECT_EQ(StoredPasswordState(home), StoredPassword::None);
}

// A spoiled or unreadable file must never let a protected show end: it
// accepts nothing, not even the empty entry that a missing file accepts.
TEST(PasswordStore, DamagedFileAcceptsNothing) {
    test::TestPlatform platform;
    const auto home = platform.settingsDirectory();
    for (const char* damage : {"garbage", "",
                               "$argon2id$v=19$truncated-and-far-too-long-"
                               "to-be-a-hash-of-this-library-xxxxxxxxxxxxxxxxxxxxx"
                               "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"}) {
        WriteBytes(home / "password", damage);
        EXPECT_EQ(StoredPasswordState(home), StoredPassword::Damaged) << damage;
        EXPECT_FALSE(CheckScreenSavePassword(home, "")) << damage;
        EXPECT_FALSE(CheckScreenSavePassword(home, "sesame")) << damage;
    }
    std::filesystem::remove(home / "password");
    std::filesystem::create_directory(home / "password");
    EXPECT_EQ(StoredPasswordState(home), StoredPassword::Damaged);
    EXPECT_FALSE(CheckScreenSavePassword(home, ""));
    EXPECT_NE(DamagedPasswordNotice(home).find((home / "password").string()), std::string::npos);
}

} // namespace
} // namespace vimbrel
