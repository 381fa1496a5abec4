// Writing one key in place: the key's line changes, every other byte stays.

#include "TempDirectory.h"
#include "platform/ProfileFile.h"
#include "runtime/Error.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace vimbrel::platform {
namespace {

using test::CrLf;
using test::ReadBytes;
using test::TempDirectory;
using test::WriteBytes;

struct WriteCase {
    const char* name;
    std::string before;
    const char* section;
    const char* key;
    const char* value;
    std::string after;
};

class ProfileWrite : public ::testing::TestWithParam<WriteCase> {};

TEST_P(ProfileWrite, ChangesOnlyWhatItMust) {
    const WriteCase& c = GetParam();
    EXPECT_EQ(WithProfileKey(c.before, c.section, c.key, c.value), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    InPlace, ProfileWrite,
    ::testing::Values(
        WriteCase{"MissingFileIsCreated", "", "Options", "Settings", "vimbrel001.ini",
                  CrLf({"[Options]", "Settings=vimbrel001.ini"})},
        WriteCase{"ExistingKeyKeepsLineAndSpelling",
                  CrLf({"; note", "[OPTIONS]", "  LastFILENAME = old  ", "Folders=2", "", "[x]"}),
                  "Options", "LastFileName", "new.jpg",
                  CrLf({"; note", "[OPTIONS]", "  LastFILENAME=new.jpg", "Folders=2", "", "[x]"})},
        WriteCase{
            "NewKeyAfterLastKeyLineOfSection",
            CrLf({"[Options]", "a=1", "b=2", "", "; c", "[Folder1]", "Set=/x"}), "Options",
            "LastFileName", "f",
            CrLf({"[Options]", "a=1", "b=2", "LastFileName=f", "", "; c", "[Folder1]", "Set=/x"})},
        WriteCase{"NewKeyInSectionWithoutKeys", CrLf({"[Options]", "", "[b]"}), "Options", "k", "v",
                  CrLf({"[Options]", "k=v", "", "[b]"})},
        WriteCase{"NewSectionAtEndWithoutBlankLine", CrLf({"[a]", "k=1"}), "Options", "k", "v",
                  CrLf({"[a]", "k=1", "[Options]", "k=v"})},
        WriteCase{"FileWithoutFinalLineEnd", "[a]\r\nk=1", "a", "j", "2",
                  CrLf({"[a]", "k=1", "j=2"})},
        WriteCase{"NewSectionAfterFileWithoutFinalLineEnd", "[a]\r\nk=1", "b", "j", "2",
                  CrLf({"[a]", "k=1", "[b]", "j=2"})},
        WriteCase{"LfLinesKeepTheirEnds", "[a]\nk=1\nz=9\n", "a", "k", "22", "[a]\nk=22\nz=9\n"},
        WriteCase{"FirstOfRepeatedKeysAndSections", CrLf({"[a]", "k=1", "k=2", "[a]", "k=3"}), "A",
                  "K", "x", CrLf({"[a]", "k=x", "k=2", "[a]", "k=3"})},
        WriteCase{"ByteOrderMarkKept", "\xEF\xBB\xBF[a]\r\nk=1\r\n", "a", "k", "2",
                  "\xEF\xBB\xBF[a]\r\nk=2\r\n"},
        WriteCase{"EmptyValue", CrLf({"[a]", "k=1"}), "a", "k", "", CrLf({"[a]", "k="})},
        WriteCase{"LineBreaksInValueCannotForgeKeys", CrLf({"[Options]", "LastFileName="}),
                  "Options", "LastFileName", "x\r\n[Options]\nSettings=../y",
                  CrLf({"[Options]", "LastFileName=x??[Options]?Settings=../y"})}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(ProfileWriteFile, WritesThroughToDiskAndReadsBack) {
    TempDirectory home;
    const std::string before = CrLf({"; kept", "[Options]", "Description=mine", "", "[Folder1]"});
    WriteBytes(home / "c.ini", before);
    ProfileFiles profiles(home.path());
    ASSERT_EQ(profiles.GetPrivateProfileString("Options", "Description", "", "c.ini"), "mine");
    profiles.WritePrivateProfileString("Options", "LastFileName", "pic.jpg", "c.ini");
    EXPECT_EQ(ReadBytes(home / "c.ini"), CrLf({"; kept", "[Options]", "Description=mine",
                                               "LastFileName=pic.jpg", "", "[Folder1]"}));
    EXPECT_EQ(profiles.GetPrivateProfileString("Options", "LastFileName", "", "c.ini"), "pic.jpg");
}

TEST(ProfileWriteFile, KeepsPermissionsAndLeavesNoTemporaryFiles) {
    TempDirectory home;
    WriteBytes(home / "c.ini", CrLf({"[a]"}));
    ::chmod((home / "c.ini").c_str(), 0640);
    ProfileFiles profiles(home.path());
    profiles.WritePrivateProfileString("a", "k", "v", "c.ini");
    struct stat info {};
    ASSERT_EQ(::stat((home / "c.ini").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(home.path())) {
        ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST(ProfileWriteFile, SymbolicLinkIsFollowedNotReplaced) {
    TempDirectory home;
    TempDirectory dotfiles;
    WriteBytes(dotfiles / "real.ini", CrLf({"[a]", "k=1"}));
    std::filesystem::create_symlink(dotfiles / "real.ini", home / "c.ini");
    ProfileFiles profiles(home.path());
    profiles.WritePrivateProfileString("a", "k", "2", "c.ini");
    EXPECT_TRUE(std::filesystem::is_symlink(home / "c.ini"));
    EXPECT_EQ(ReadBytes(dotfiles / "real.ini"), CrLf({"[a]", "k=2"}));
}

struct ReadOnlyArgs {
    std::filesystem::path directory;
};

int WriteIntoReadOnly(void* argument) {
    auto* args = static_cast<ReadOnlyArgs*>(argument);
    ProfileFiles profiles(args->directory);
    try {
        profiles.WritePrivateProfileString("a", "k", "2", "c.ini");
    } catch (const Error& error) {
        return error.number();
    }
    return 0;
}

TEST(ProfileWriteFile, ReadOnlyFileOrFolderIsAnErrorAndStaysAsItWas) {
    VIMBREL_SKIP_WITHOUT_PERMISSION_CHECKS();
    TempDirectory home;
    const std::string before = CrLf({"[a]", "k=1"});
    WriteBytes(home / "c.ini", before);
    ReadOnlyArgs args{home.path()};

    ::chmod((home / "c.ini").c_str(), 0444);
    EXPECT_EQ(test::RunWithoutPermissionOverride(WriteIntoReadOnly, &args), 70);
    EXPECT_EQ(ReadBytes(home / "c.ini"), before);

    ::chmod((home / "c.ini").c_str(), 0644);
    ::chmod(home.path().c_str(), 0555);
    EXPECT_EQ(test::RunWithoutPermissionOverride(WriteIntoReadOnly, &args), 70);
    ::chmod(home.path().c_str(), 0755);
    EXPECT_EQ(ReadBytes(home / "c.ini"), before);
}

} // namespace
} // namespace vimbrel::platform
