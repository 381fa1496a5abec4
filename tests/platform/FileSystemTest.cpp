// Text files and whole-file replacement.

#include "platform/FileSystem.h"

#include "TempDirectory.h"
#include "runtime/Error.h"

#include <gtest/gtest.h>

namespace vimbrel::platform {
namespace {

using test::ReadBytes;
using test::TempDirectory;
using test::WriteBytes;

TEST(TextLines, SplitAtEveryKindOfLineEnd) {
    EXPECT_EQ(SplitTextLines("a\r\nb\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitTextLines("a\r\n\r\n"), (std::vector<std::string>{"a", ""}));
    EXPECT_EQ(SplitTextLines("\n\n"), (std::vector<std::string>{"", ""}));
    EXPECT_TRUE(SplitTextLines("").empty());
    EXPECT_EQ(JoinTextLines({"[Options]", ""}), "[Options]\r\n\r\n");
}

TEST(TextLines, WrittenWithCrLfAndReadBack) {
    TempDirectory home;
    WriteTextLines(home / "t.ini", {"[Options]", "Settings=vimbrel000.ini", ""}, "test");
    EXPECT_EQ(ReadBytes(home / "t.ini"), "[Options]\r\nSettings=vimbrel000.ini\r\n\r\n");
    EXPECT_TRUE(FileExists(home / "t.ini"));
    EXPECT_FALSE(FileExists(home.path()));
    EXPECT_FALSE(FileExists(home / "none"));
}

TEST(WholeFiles, MissingFileIsErrorFiftyThreeAndMissingFolderOnWrite) {
    TempDirectory home;
    EXPECT_FALSE(ReadFileIfPresent(home / "none").has_value());
    try {
        ReadWholeFile(home / "none");
        FAIL();
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), ErrorNumber::FileNotFound);
    }
    EXPECT_THROW(WriteFileReplacing(home / "no" / "such" / "f.ini", "x", "test"), Error);
}

TEST(WholeFiles, CurrentDirectoryChangesAndMissingFolderIsPathNotFound) {
    TempDirectory home;
    const auto previous = CurrentDirectory();
    SetCurrentDirectory(home.path());
    EXPECT_EQ(std::filesystem::canonical(CurrentDirectory()),
              std::filesystem::canonical(home.path()));
    try {
        SetCurrentDirectory(home / "missing");
        FAIL();
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), ErrorNumber::PathNotFound);
    }
    SetCurrentDirectory(previous);
}

} // namespace
} // namespace vimbrel::platform
