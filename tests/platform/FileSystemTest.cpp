// Text files and whole-file replacement.

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

int NumberOfError(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& error) {
        return error.number();
    }
    return 0;
}

TEST(PlainFiles, ReadUpToTheirLimitAndPipesAndFoldersAreRefusedUnread) {
    TempDirectory home;
    WriteBytes(home / "ten.m3u", "0123456789");
    EXPECT_EQ(ReadPlainFileUpTo(home / "ten.m3u", 10, "test"), "0123456789");
    EXPECT_EQ(ReadPlainFileUpTo(home / "ten.m3u", 9, "test"), std::nullopt);
    WriteBytes(home / "empty.m3u", "");
    EXPECT_EQ(ReadPlainFileUpTo(home / "empty.m3u", 0, "test"), "");
    EXPECT_NO_THROW(CheckPlainFileReadable(home / "ten.m3u", "test"));

    // A pipe would make a reader that waits on it hang for good.
    ASSERT_EQ(::mkfifo((home / "pipe.mid").c_str(), 0600), 0);
    std::filesystem::create_directory(home / "folder.avi");
    for (const char* name : {"pipe.mid", "folder.avi"}) {
        EXPECT_EQ(NumberOfError([&] { ReadPlainFileUpTo(home / name, 100, "test"); }),
                  ErrorNumber::PathFileAccessError)
            << name;
        EXPECT_EQ(NumberOfError([&] { CheckPlainFileReadable(home / name, "test"); }),
                  ErrorNumber::PathFileAccessError)
            << name;
    }
    EXPECT_EQ(NumberOfError([&] { ReadPlainFileUpTo(home / "none", 100, "test"); }),
              ErrorNumber::FileNotFound);
    EXPECT_EQ(NumberOfError([&] { CheckPlainFileReadable(home / "none", "test"); }),
              ErrorNumber::FileNotFound);
    const int pipe = OpenForReading(home / "pipe.mid");
    ASSERT_GE(pipe, 0);
    CloseDescriptor(pipe);

    EXPECT_TRUE(PathExists(home / "folder.avi"));
    EXPECT_TRUE(PathExists(home / "pipe.mid"));
    std::filesystem::create_symlink(home / "gone", home / "dangling.wav");
    EXPECT_FALSE(PathExists(home / "dangling.wav"));
    EXPECT_EQ(RealPath(home / "folder.avi" / ".." / "ten.m3u", "test"),
              std::filesystem::canonical(home / "ten.m3u").string());
}

TEST(WholeFiles, PrivateReplacementIsTheOwnersAloneWhateverTheFileWas) {
    TempDirectory home;
    const auto modeOf = [](const std::filesystem::path& path) {
        struct stat info {};
        return ::stat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0;
    };
    WriteBytes(home / "secret", "old");
    ::chmod((home / "secret").c_str(), 0444);
    WriteFileReplacing(home / "secret", "new", "test", FileAccess::Private);
    EXPECT_EQ(ReadBytes(home / "secret"), "new");
    EXPECT_EQ(modeOf(home / "secret"), 0600u);
    WriteFileReplacing(home / "fresh", "first", "test", FileAccess::Private);
    EXPECT_EQ(modeOf(home / "fresh"), 0600u);

    RemoveFileIfPresent(home / "fresh", "test");
    EXPECT_FALSE(std::filesystem::exists(home / "fresh"));
    EXPECT_NO_THROW(RemoveFileIfPresent(home / "fresh", "test"));
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
