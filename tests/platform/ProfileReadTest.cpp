// Reading profile files: what a hand-edited or foreign settings file gives.

#include "TempDirectory.h"
#include "platform/ProfileFile.h"

#include <gtest/gtest.h>

namespace vimbrel::platform {
namespace {

using test::CrLf;
using test::TempDirectory;
using test::WriteBytes;

struct ReadCase {
    const char* name;
    std::string file;
    const char* section;
    const char* key;
    const char* expected; // with "<default>" as the default
};

class ProfileRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ProfileRead, GivesWhatTheFileSays) {
    const ReadCase& c = GetParam();
    TempDirectory home;
    WriteBytes(home / "s.ini", c.file);
    ProfileFiles profiles(home.path());
    EXPECT_EQ(profiles.GetPrivateProfileString(c.section, c.key, "<default>", "s.ini"), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Semantics, ProfileRead,
    ::testing::Values(
        ReadCase{"SectionAndKeyIgnoreCase", CrLf({"[OPTIONS]", "FOLDERS=3"}), "options", "folders",
                 "3"},
        ReadCase{"ValueKeepsCase", CrLf({"[a]", "k=MiXeD"}), "A", "K", "MiXeD"},
        ReadCase{"BlanksAroundNamesAndValue", CrLf({" [ Options ] ", "  Folders = 3  "}), "Options",
                 "Folders", "3"},
        ReadCase{"TabsAroundValue", CrLf({"[a]", "\tk\t=\tv v\t"}), "a", "k", "v v"},
        ReadCase{"AskedNamesTrimmed", CrLf({"[Options]", "Folders=3"}), "  Options ", " Folders ",
                 "3"},
        ReadCase{"MatchingDoubleQuotesRemoved", CrLf({"[a]", "Set=\"C:\\a b\""}), "a", "Set",
                 "C:\\a b"},
        ReadCase{"MatchingSingleQuotesRemoved", CrLf({"[a]", "k='x'"}), "a", "k", "x"},
        ReadCase{"OnlyOnePairRemoved", CrLf({"[a]", "k=\"\"x\"\""}), "a", "k", "\"x\""},
        ReadCase{"UnmatchedQuotesStay", CrLf({"[a]", "k=\"x'"}), "a", "k", "\"x'"},
        ReadCase{"LoneQuoteStays", CrLf({"[a]", "k=\""}), "a", "k", "\""},
        ReadCase{"SemicolonLineIsComment", CrLf({"[a]", " ;k=1", "k=2"}), "a", "k", "2"},
        ReadCase{"SemicolonInValueKept", CrLf({"[a]", "k=1;2 # 3"}), "a", "k", "1;2 # 3"},
        ReadCase{"SplitsAtFirstEquals", CrLf({"[a]", "k=a=b"}), "a", "k", "a=b"},
        ReadCase{"EmptyValueIsNotDefault", CrLf({"[a]", "k="}), "a", "k", ""},
        ReadCase{"LineWithoutEqualsIsNoKey", CrLf({"[a]", "k", "k=2"}), "a", "k", "2"},
        ReadCase{"KeyAboveFirstSectionUnreadable", CrLf({"k=1", "[a]"}), "", "k", "<default>"},
        ReadCase{"TextAfterBracketIgnored", CrLf({"[a] trailing", "k=1"}), "a", "k", "1"},
        ReadCase{"HeaderWithoutBracketStartsASection", CrLf({"[Options ", "Folders=2"}), "Options",
                 "Folders", "2"},
        ReadCase{"VerticalTabsTrimmed", CrLf({"[\va\v]", "\vk \v= \vv\v"}), "a", "k", "v"},
        ReadCase{"EmptySectionName", CrLf({"[]", "k=1"}), "", "k", "1"},
        ReadCase{"FirstSectionOnlySearched", CrLf({"[a]", "x=1", "[b]", "[a]", "k=2"}), "a", "k",
                 "<default>"},
        ReadCase{"FirstKeyWins", CrLf({"[a]", "k=1", "K=2"}), "a", "k", "1"},
        ReadCase{"KeyOfNextSectionNotTaken", CrLf({"[a]", "[b]", "k=1"}), "a", "k", "<default>"},
        ReadCase{"MissingSection", CrLf({"[a]", "k=1"}), "b", "k", "<default>"},
        ReadCase{"MissingKey", CrLf({"[a]", "k=1"}), "a", "j", "<default>"},
        ReadCase{"LfOnlyLines", "[a]\nx=0\nk=lf\n", "a", "k", "lf"},
        ReadCase{"CrOnlyLines", "[a]\rk=cr\r", "a", "k", "cr"},
        ReadCase{"NoFinalLineEnd", "[a]\r\nk=last", "a", "k", "last"},
        ReadCase{"Utf8ByteOrderMark", "\xEF\xBB\xBF[a]\r\nk=bom\r\n", "a", "k", "bom"},
        ReadCase{"NulCutsValue", std::string("[a]\r\nk=ab\0cd\r\n", 14), "a", "k", "ab"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(ProfileReadLimits, ValuesAreCutAfter253Characters) {
    TempDirectory home;
    const std::string longValue(400, 'x');
    WriteBytes(home / "s.ini", CrLf({"[a]", "k=" + longValue}));
    ProfileFiles profiles(home.path());
    EXPECT_EQ(profiles.GetPrivateProfileString("a", "k", "", "s.ini").size(), 253u);
    EXPECT_EQ(profiles.GetPrivateProfileString("a", "k", "", "s.ini", 10), "xxxxxxxxx");
}

TEST(ProfileReadLimits, DefaultLosesTrailingBlanksAndMissingFileGivesIt) {
    TempDirectory home;
    ProfileFiles profiles(home.path());
    EXPECT_EQ(profiles.GetPrivateProfileString("a", "k", "  def  ", "missing.ini"), "  def");
    EXPECT_EQ(profiles.GetPrivateProfileInt("a", "k", 77, "missing.ini"), 77);
}

TEST(ProfileReadLimits, BareNameIsLookedUpInItsDirectoryNotTheCurrentOne) {
    TempDirectory home;
    TempDirectory elsewhere;
    WriteBytes(home / "s.ini", CrLf({"[a]", "k=home"}));
    WriteBytes(elsewhere / "s.ini", CrLf({"[a]", "k=elsewhere"}));
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(elsewhere.path());
    ProfileFiles profiles(home.path());
    EXPECT_EQ(profiles.GetPrivateProfileString("a", "k", "", "s.ini"), "home");
    std::filesystem::current_path(previous);
}

TEST(ProfileReadLimits, RereadsAFileChangedBehindItsBack) {
    TempDirectory home;
    WriteBytes(home / "s.ini", CrLf({"[a]", "k=1"}));
    ProfileFiles profiles(home.path());
    ASSERT_EQ(profiles.GetPrivateProfileInt("a", "k", 0, "s.ini"), 1);
    // Same size, written within the same instant: the change must still show.
    WriteBytes(home / "s.ini", CrLf({"[a]", "k=2"}));
    EXPECT_EQ(profiles.GetPrivateProfileInt("a", "k", 0, "s.ini"), 2);
}

struct NumberCase {
    const char* value;
    int32_t expected;
};

class ProfileNumberRead : public ::testing::TestWithParam<NumberCase> {};

TEST_P(ProfileNumberRead, ReadsTheLeadingNumber) {
    TempDirectory home;
    WriteBytes(home / "s.ini", CrLf({"[a]", std::string("k=") + GetParam().value}));
    ProfileFiles profiles(home.path());
    EXPECT_EQ(profiles.GetPrivateProfileInt("a", "k", 55, "s.ini"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, ProfileNumberRead,
    ::testing::Values(NumberCase{"42", 42}, NumberCase{"42A9", 42}, NumberCase{"B42", 0},
                      NumberCase{"-1", -1}, NumberCase{"+7", 7}, NumberCase{"4294967297", 1},
                      NumberCase{"2147483648", -2147483647 - 1}, NumberCase{"\"12\"", 12},
                      NumberCase{"'-3'", -3}, NumberCase{"3.9", 3}, NumberCase{"", 55},
                      NumberCase{"- 5", 0}, NumberCase{"16777215", 16777215},
                      NumberCase{"0xFF0000", 16711680}, NumberCase{"0X2", 2},
                      NumberCase{"-0x10", -16}, NumberCase{"0x1G", 1}, NumberCase{"0x", 0},
                      NumberCase{"0xffffffff", -1}, NumberCase{"\v7\v", 7}));

} // namespace
} // namespace vimbrel::platform
