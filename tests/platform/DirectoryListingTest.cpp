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
using Names = std::vector<std::string>;

// "*" is any run of characters, every other character itself; patterns
// kept in a list that grows (and so moves them) go on working.
TEST(NamePattern, StarIsAnyRunAndEveryOtherCharacterItself) {
    // Name, pattern, matches without regard to case, matches exactly.
    // clang-format off
    const std::tuple<const char*, const char*, bool, bool> cases[] = {
        {"photo.jpg", "*.JPG", true, false}, {"PHOTO.JPG", "*.JPG", true, true},
        {".JPG", "*.JPG", true, true}, {"photo.jpeg", "*.JPG", false, false},
        {"jpg", "*.JPG", false, false}, {"", "*", true, true}, {"", "", true, true},
        {"abcd", "abc", false, false}, {"ABC", "abc", true, false},
        {"vimbrel012.ini", "vimbrel*.ini", true, true}, {"vimbrel.ini", "vimbrel*.ini", true, true},
        {"vimbrel.in", "vimbrel*.ini", false, false}, {"aXbYc", "a*b*c", true, true},
        {"acb", "a*b*c", false, false}, {"abab", "*ab*ab", true, true}, {"aab", "*ab*ab", false, false},
        {"xaAbB", "*a*b", true, false}, {"x_y.z", "_*.*", false, false}, {"a.b.c", "*.*.*", true, true},
        {"a.b", "*.*.*", false, false}, {"name.", "*.", true, true}, {"a?c", "a?c", true, true},
        {"abc", "a?c", false, false}, {"\xc3\xa9.JPG", "\xc3\x89.jpg", false, false}};
    // clang-format on
    std::vector<NamePattern> ignoring, exact;
    for (const auto& [name, pattern, ignoringCase, exactly] : cases) {
        ignoring.emplace_back(pattern, LetterCase::Ignored);
        exact.emplace_back(pattern, LetterCase::Exact);
    }
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& [name, pattern, ignoringCase, exactly] = cases[i];
        EXPECT_EQ(ignoring[i].Matches(name), ignoringCase) << name << " ~ " << pattern;
        EXPECT_EQ(exact[i].Matches(name), exactly) << name << " = " << pattern;
    }
}

TEST(FolderListing, PlainFilesAndLinksToThemButNoFoldersDotFilesOrOthers) {
    TempDirectory folder;
    for (const char* name : {"a.jpg", "B.JPG", "notes.txt", "with blank.jpg", "line\nbreak.jpg",
                             "\xff.jpg", ".hidden.jpg", "..jpg"}) {
        test::WriteBytes(folder / name, "");
    }
    std::filesystem::create_directory(folder / "album.jpg");
    std::filesystem::create_symlink("a.jpg", folder / "link.jpg");
    std::filesystem::create_symlink("missing.jpg", folder / "dead.jpg");
    std::filesystem::create_directory_symlink("album.jpg", folder / "dirlink.jpg");
    ::mkfifo((folder / "pipe.jpg").c_str(), 0600);
    const auto sorted = [](Names names) {
        std::sort(names.begin(), names.end());
        return names;
    };
    EXPECT_EQ(
        sorted(ListPlainFiles(folder.path(), "*.jpg")),
        (Names{"B.JPG", "a.jpg", "line\nbreak.jpg", "link.jpg", "with blank.jpg", "\xff.jpg"}));
    EXPECT_EQ(ListPlainFiles(folder.path(), "NOTES.*"), (Names{"notes.txt"}));
    EXPECT_EQ(ListPlainFiles(folder.path()).size(), 7u);
    EXPECT_TRUE(ListPlainFiles(folder / "album.jpg").empty());
    try {
        ListPlainFiles(folder / "missing");
        ADD_FAILURE() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), ErrorNumber::FileNotFound);
    }
    EXPECT_THROW(ListPlainFiles(folder / "a.jpg"), Error);
}

} // namespace
} // namespace vimbrel::platform
