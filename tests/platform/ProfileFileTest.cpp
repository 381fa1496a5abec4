// Profile files: what a hand-edited, foreign or damaged settings file gives,
// and writing one key in place so that every other byte of the file stays.

#include "platform/ProfileFile.h"

#include "TempDirectory.h"
#include "runtime/Error.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>

namespace vimbrel::platform {
namespace {

using test::CrLf;
using test::ReadBytes;
using test::TempDirectory;
using test::WriteBytes;

// A file edited by hand, with a key for each rule of the reader.
// clang-format off
const std::string kEdited = CrLf({
    "above=1", " [\v OPTIONS\t] trailing", "\t Folders \v= \v3\t ", "Mixed=MiXeD",
    "dq=\"C:\\a b\"", "sq='x'", "two=\"\"x\"\"", "odd=\"x'", "lone=\"", " ;c=1",
    "semi=1;2 # 3", "eq=a=b", "empty=", "bare", "first=1", "FIRST=2", "[b]", "next=1",
    "[Options]", "late=1", "[]", "blank=1", "[Open ", "open=2", "]x=3"});
// clang-format on

TEST(ProfileFile, ReadsWhatTheFileSays) {
    // Section, key and the value read, "-" for the default.
    // clang-format off
    const char* const keys[][3] = {
        {"options", "folders", "3"}, {"  Options ", " Folders ", "3"}, {"OPTIONS", "MIXED", "MiXeD"},
        {"Options", "dq", "C:\\a b"}, {"Options", "sq", "x"}, {"Options", "two", "\"x\""},
        {"Options", "odd", "\"x'"}, {"Options", "lone", "\""}, {"Options", ";c", "-"},
        {"Options", "semi", "1;2 # 3"}, {"Options", "eq", "a=b"}, {"Options", "empty", ""},
        {"Options", "bare", "-"}, {"Options", "first", "1"}, {"Options", "next", "-"},
        {"Options", "late", "-"}, {"b", "next", "1"}, {"", "above", "-"}, {"", "blank", "1"},
        {"Open", "open", "2"}, {"Open", "]x", "3"}, {"none", "k", "-"}};
    // clang-format on
    TempDirectory home, elsewhere;
    ProfileFiles profiles(home.path());
    WriteBytes(home / "s.ini", kEdited);
    for (const auto& [section, key, expected] : keys) {
        EXPECT_EQ(profiles.GetPrivateProfileString(section, key, "-", "s.ini"), expected)
            << section << "/" << key;
    }
    // Key k of section a in files of other line ends, and numbers.
    // clang-format off
    const std::pair<std::string, std::string> files[] = {
        {"[a]\nx=0\nk=lf\n", "lf"}, {"[a]\rk=cr\r", "cr"}, {"[a]\r\nk=last", "last"},
        {"\xEF\xBB\xBF[a]\r\nk=bom\r\n", "bom"}, {std::string("[a]\r\nk=ab\0cd\r\n", 14), "ab"},
        {"[a]\r\nd=" + std::string(10 << 20, 'd') + "\r\nk=2", "2"}};
    const std::pair<const char*, int32_t> numbers[] = {
        {"42", 42}, {"42A9", 42}, {"B42", 0}, {"-1", -1}, {"+7", 7}, {"\"12\"", 12}, {"'-3'", -3},
        {"3.9", 3}, {"", 55}, {"- 5", 0}, {"0X2", 2}, {"0xFF0000", 0xFF0000}, {"-0x10", -16},
        {"0x1G", 1}, {"0x", 0}, {"\v7\v", 7}, {"4294967297", 1}, {"0xffffffff", -1},
        {"2147483648", INT32_MIN}};
    // clang-format on
    for (const auto& [file, expected] : files) {
        WriteBytes(home / "s.ini", file);
        EXPECT_EQ(profiles.GetPrivateProfileString("a", "k", "-", "s.ini"), expected);
    }
    EXPECT_EQ(profiles.GetPrivateProfileString("a", "d", "", "s.ini"), std::string(253, 'd'));
    EXPECT_EQ(profiles.GetPrivateProfileString("a", "d", "", "s.ini", 10), "ddddddddd");
    for (const auto& [value, expected] : numbers) {
        WriteBytes(home / "s.ini", "[a]\r\nk=" + std::string(value));
        EXPECT_EQ(profiles.GetPrivateProfileInt("a", "k", 55, "s.ini"), expected) << value;
    }
    EXPECT_EQ(profiles.GetPrivateProfileInt("a", "k", 77, "missing.ini"), 77);
    EXPECT_EQ(profiles.GetPrivateProfileString("a", "k", "  def  ", "missing.ini"), "  def");
    std::filesystem::create_directory(home / "d.ini");
    EXPECT_EQ(profiles.GetPrivateProfileInt("a", "k", 5, "d.ini"), 5);

    // A bare name is the settings directory's file, whatever the current
    // directory; a change of the same size within the same instant shows.
    WriteBytes(home / "s.ini", "[a]\r\nk=home");
    WriteBytes(elsewhere / "s.ini", "[a]\r\nk=away");
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(elsewhere.path());
    EXPECT_EQ(profiles.GetPrivateProfileString("a", "k", "", "s.ini"), "home");
    WriteBytes(home / "s.ini", "[a]\r\nk=HOME");
    EXPECT_EQ(profiles.GetPrivateProfileString("a", "k", "", "s.ini"), "HOME");
    std::filesystem::current_path(previous);
}

// Keys written one after another into a linked file: the whole file after.
TEST(ProfileFile, WritesKeysInPlaceKeepingEveryOtherByte) {
    TempDirectory home, dotfiles;
    WriteBytes(
        dotfiles / "real.ini",
        "\xEF\xBB\xBF; note\r\n[OPTIONS]\r\n  LastFILENAME = old  \r\nFolders=2\r\n\r\n; "
        "c\r\n[x]\r\nk=1\r\nk=2\r\n[x]\r\nk=3\r\n[lf]\nk=1\nz=9\n[empty]\r\n\r\n[end]\r\nk=1");
    ::chmod((dotfiles / "real.ini").c_str(), 0640);
    std::filesystem::create_symlink(dotfiles / "real.ini", home / "c.ini");
    ProfileFiles profiles(home.path());
    ASSERT_EQ(profiles.GetPrivateProfileString("x", "k", "", "c.ini"), "1");
    // clang-format off
    const char* const writes[][3] = {
        {"Options", "LastFileName", "new.jpg"}, {"Options", "New", "f"}, {"Options", "Folders", ""},
        {"X", "K", "x"}, {"lf", "k", "22"}, {"empty", "k", "v"}, {"end", "j", "2"},
        {"new", "L", "x\r\n[Options]\nSettings=../y"}};
    // clang-format on
    for (const auto& [section, key, value] : writes) {
        profiles.WritePrivateProfileString(section, key, value, "c.ini");
    }
    EXPECT_EQ(
        ReadBytes(dotfiles / "real.ini"),
        "\xEF\xBB\xBF; note\r\n[OPTIONS]\r\n  LastFILENAME=new.jpg\r\nFolders=\r\nNew=f\r\n\r\n; "
        "c\r\n[x]\r\nk=x\r\nk=2\r\n[x]\r\nk=3\r\n[lf]\nk=22\nz=9\n[empty]\r\nk=v\r\n\r\n["
        "end]\r\nk=1\r\nj=2\r\n[new]\r\nL=x??[Options]?Settings=../y\r\n");
    EXPECT_EQ(profiles.GetPrivateProfileString("x", "k", "", "c.ini"), "x");
    EXPECT_TRUE(std::filesystem::is_symlink(home / "c.ini"));
    EXPECT_EQ(std::filesystem::status(dotfiles / "real.ini").permissions(),
              std::filesystem::perms{0640});
    // No temporary file left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dotfiles.path()), {}), 1);

    // A missing file is made; garbage takes a key; a folder is left alone.
    std::string garbage(64 * 1024, '\0');
    std::mt19937 engine(1234);
    std::generate(garbage.begin(), garbage.end(), [&] { return static_cast<char>(engine()); });
    WriteBytes(home / "g.ini", garbage);
    std::filesystem::create_directory(home / "d.ini");
    EXPECT_EQ(profiles.GetPrivateProfileInt("Options", "Folders", 5, "g.ini"), 5);
    for (const char* file : {"new.ini", "g.ini"}) {
        profiles.WritePrivateProfileString("Options", "Settings", "v.ini", file);
        EXPECT_EQ(profiles.GetPrivateProfileString("Options", "Settings", "", file), "v.ini");
    }
    EXPECT_EQ(ReadBytes(home / "new.ini"), CrLf({"[Options]", "Settings=v.ini"}));
    EXPECT_EQ(WithProfileKey("[a]\r\nk=1", "b", "j", "2"), CrLf({"[a]", "k=1", "[b]", "j=2"}));
    EXPECT_ANY_THROW(profiles.WritePrivateProfileString("a", "k", "1", "d.ini"));
    EXPECT_TRUE(std::filesystem::is_directory(home / "d.ini"));
}

TEST(ProfileFile, ReadOnlyFileOrFolderIsAnErrorAndStaysAsItWas) {
    VIMBREL_SKIP_WITHOUT_PERMISSION_CHECKS();
    TempDirectory home;
    std::filesystem::path directory = home.path();
    const std::string before = CrLf({"[a]", "k=1"});
    WriteBytes(home / "c.ini", before);
    const auto write = [](void* folder) {
        try {
            ProfileFiles(*static_cast<std::filesystem::path*>(folder))
                .WritePrivateProfileString("a", "k", "2", "c.ini");
        } catch (const Error& error) {
            return error.number();
        }
        return 0;
    };
    for (const auto& [file, folder] : {std::pair{0444, 0755}, std::pair{0644, 0555}}) {
        ::chmod((home / "c.ini").c_str(), file);
        ::chmod(home.path().c_str(), folder);
        EXPECT_EQ(test::RunWithoutPermissionOverride(write, &directory), 70);
        ::chmod(home.path().c_str(), 0755);
        EXPECT_EQ(ReadBytes(home / "c.ini"), before);
    }
}

} // namespace
} // namespace vimbrel::platform
