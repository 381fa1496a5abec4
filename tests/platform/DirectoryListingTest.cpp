// Listing a folder's plain files and matching names against patterns.

#include "platform/DirectoryListing.h"

#include "TempDirectory.h"
#include "runtime/Error.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace vimbrel::platform {
namespace {

using test::TempDirectory;
using test::WriteBytes;
using Names = std::vector<std::string>;

TEST(NamePattern, StarIsAnyRunAndEveryOtherCharacterItself) {
    const struct {
        const char* name;
        const char* pattern;
        bool ignoringCase;
        bool exactly;
    } cases[] = {
        {"photo.jpg", "*.JPG", true, false},
        {"PHOTO.JPG", "*.JPG", true, true},
        {".JPG", "*.JPG", true, true},
        {"photo.jpeg", "*.JPG", false, false},
        {"jpg", "*.JPG", false, false},
        {"photo.jpg", "*", true, true},
        {"", "*", true, true},
        {"", "", true, true},
        {"abc", "abc", true, true},
        {"abcd", "abc", false, false},
        {"ABC", "abc", true, false},
        {"vimbrel012.ini", "vimbrel*.ini", true, true},
        {"vimbrel.ini", "vimbrel*.ini", true, true},
        {"vimbrel.in", "vimbrel*.ini", false, false},
        {"aXbYc", "a*b*c", true, true},
        {"acb", "a*b*c", false, false},
        {"abab", "*ab*ab", true, true},
        {"aab", "*ab*ab", false, false},
        {"xaAbB", "*a*b", true, false},
        {"_x.y", "_*.*", true, true},
        {"x_y.z", "_*.*", false, false},
        {"a.b.c", "*.*.*", true, true},
        {"a.b", "*.*.*", false, false},
        {"name.", "*.", true, true},
        {"a?c", "a?c", true, true},
        {"abc", "a?c", false, false},
        {"\xc3\xa9.JPG", "\xc3\x89.jpg", false, false}, // only ASCII letters fold
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MatchesPattern(c.name, c.pattern, LetterCase::Ignored), c.ignoringCase)
            << c.name << " ~ " << c.pattern;
        EXPECT_EQ(MatchesPattern(c.name, c.pattern, LetterCase::Exact), c.exactly)
            << c.name << " = " << c.pattern;
    }
}

TEST(NamePattern, KeepsWorkingAfterMovingIntoAList) {
    std::vector<NamePattern> patterns;
    for (const char* text : {"*.JPG", "vimbrel*.ini", "a*b*c", "short"}) {
        patterns.emplace_back(text, LetterCase::Ignored);
    }
    EXPECT_TRUE(patterns[0].Matches("x.jpg"));
    EXPECT_TRUE(patterns[1].Matches("VIMBREL001.INI"));
    EXPECT_TRUE(patterns[2].Matches("a-b-c"));
    EXPECT_TRUE(patterns[3].Matches("SHORT"));
}

class FolderListing : public ::testing::Test {
protected:
    FolderListing() {
        for (const char* name : {"a.jpg", "B.JPG", "notes.txt", "with blank.jpg", "line\nbreak.jpg",
                                 "\xff.jpg", ".hidden.jpg", "..jpg"}) {
            WriteBytes(folder / name, "");
        }
        std::filesystem::create_directory(folder / "album.jpg");
        std::filesystem::create_symlink("a.jpg", folder / "link.jpg");
        std::filesystem::create_symlink("missing.jpg", folder / "dead.jpg");
        std::filesystem::create_directory_symlink("album.jpg", folder / "dirlink.jpg");
        ::mkfifo((folder / "pipe.jpg").c_str(), 0600);
    }
    static Names Sorted(Names names) {
        std::sort(names.begin(), names.end());
        return names;
    }
    TempDirectory folder;
};

TEST_F(FolderListing, PlainFilesAndLinksToThemButNoFoldersDotFilesOrOthers) {
    EXPECT_EQ(Sorted(ListPlainFiles(folder.path())),
              (Names{"B.JPG", "a.jpg", "line\nbreak.jpg", "link.jpg", "notes.txt", "with blank.jpg",
                     "\xff.jpg"}));
    EXPECT_EQ(
        Sorted(ListPlainFiles(folder.path(), "*.jpg")),
        (Names{"B.JPG", "a.jpg", "line\nbreak.jpg", "link.jpg", "with blank.jpg", "\xff.jpg"}));
    EXPECT_EQ(ListPlainFiles(folder.path(), "NOTES.*"), (Names{"notes.txt"}));
    EXPECT_TRUE(ListPlainFiles(folder / "album.jpg").empty());
}

TEST_F(FolderListing, FolderThatCannotBeReadIsAnError) {
    try {
        ListPlainFiles(folder / "missing");
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), ErrorNumber::FileNotFound);
    }
    EXPECT_THROW(ListPlainFiles(folder / "a.jpg"), Error);
}

} // namespace
} // namespace vimbrel::platform
