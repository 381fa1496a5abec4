// Text files, plain files that never make a reader wait, and private
// whole-file replacement. (Pipes in play lists and MIDI files, settings files
// replaced in place, the password file: the tests of their users.)

#include "platform/FileSystem.h"

#include "TempDirectory.h"
#include "runtime/Error.h"

#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace vimbrel::platform {
namespace {

using test::ReadBytes;
using test::TempDirectory;

int NumberOfError(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& error) {
        return error.number();
    }
    return 0;
}

TEST(FileSystem, TextLinesSplitAtEveryLineEndAndAreWrittenWithCrLf) {
    using Lines = std::vector<std::string>;
    EXPECT_EQ(SplitTextLines("a\r\nb\nc\rd\r\n\r\n"), (Lines{"a", "b", "c", "d", ""}));
    EXPECT_EQ(SplitTextLines("\n\n"), (Lines{"", ""}));
    EXPECT_TRUE(SplitTextLines("").empty());
    TempDirectory home;
    WriteTextLines(home / "t.ini", {"[Options]", "Settings=v.ini", ""}, "test");
    EXPECT_EQ(ReadBytes(home / "t.ini"), "[Options]\r\nSettings=v.ini\r\n\r\n");
    EXPECT_TRUE(FileExists(home / "t.ini"));
    EXPECT_FALSE(FileExists(home.path()) || FileExists(home / "none"));
    EXPECT_EQ(NumberOfError([&] { ReadWholeFile(home / "none"); }), ErrorNumber::FileNotFound);
    EXPECT_NE(NumberOfError([&] { WriteFileReplacing(home / "no" / "f.ini", "x", "test"); }), 0);
    EXPECT_EQ(NumberOfError([&] { SetCurrentDirectory(home / "missing"); }),
              ErrorNumber::PathNotFound);
}

TEST(FileSystem, PipesAndFoldersAreRefusedUnreadAndPrivateFilesAreTheOwnersAlone) {
    TempDirectory home;
    test::WriteBytes(home / "ten.m3u", "0123456789");
    EXPECT_EQ(ReadPlainFileUpTo(home / "ten.m3u", 10, "test"), "0123456789");
    EXPECT_EQ(ReadPlainFileUpTo(home / "ten.m3u", 9, "test"), std::nullopt);
    ASSERT_EQ(::mkfifo((home / "pipe.mid").c_str(), 0600), 0);
    std::filesystem::create_directory(home / "folder.avi");
    for (const auto& [name, number] :
         {std::pair{"ten.m3u", 0}, {"none", 53}, {"pipe.mid", 75}, {"folder.avi", 75}}) {
        EXPECT_EQ(NumberOfError([&] { CheckPlainFileReadable(home / name, "test"); }), number);
    }
    const int pipe = OpenForReading(home / "pipe.mid");
    ASSERT_GE(pipe, 0);
    CloseDescriptor(pipe);
    EXPECT_TRUE(PathExists(home / "folder.avi") && PathExists(home / "pipe.mid"));
    std::filesystem::create_symlink(home / "gone", home / "dangling.wav");
    EXPECT_FALSE(PathExists(home / "dangling.wav"));

    // Private: the owner's alone, even over a file made read-only.
    test::WriteBytes(home / "secret", "old");
    ::chmod((home / "secret").c_str(), 0444);
    WriteFileReplacing(home / "secret", "new", "test", FileAccess::Private);
    EXPECT_EQ(ReadBytes(home / "secret"), "new");
    EXPECT_EQ(std::filesystem::status(home / "secret").permissions(), std::filesystem::perms{0600});
    RemoveFileIfPresent(home / "secret", "test");
    EXPECT_FALSE(std::filesystem::exists(home / "secret"));
    EXPECT_NO_THROW(RemoveFileIfPresent(home / "secret", "test"));
}

} // namespace
} // namespace vimbrel::platform
