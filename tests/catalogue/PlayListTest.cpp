// The play list: which files of a folder the show takes (the folder's
// listing, the patterns), in which order (names in the user's locale, the
// shuffle, the sort), and the cursor through the list. Folders are real
// folders of empty files.

#include "catalogue/PlayList.h"

#include "PlatformDoubles.h"
#include "catalogue/QuickSort.h"
#include "platform/Collation.h"
#include "platform/DirectoryListing.h"
#include "platform/FileSystem.h"
#include "runtime/Conversions.h"
#include "runtime/Error.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>

namespace vimbrel {
namespace {

using namespace platform;
using test::TempDirectory;
using Names = std::vector<std::string>;

void Touch(const std::filesystem::path& dir, const Names& names) {
    for (const std::string& name : names) {
        test::WriteBytes(dir / name, "");
    }
}

// Folder 1 of a collection file, whose entry names the folder; the
// platform gives the current directory back at the end.
class PlayListTest : public ::testing::Test {
protected:
    PlayListTest() {
        state.catalogue.SupportedPatterns = DefaultSupportedPatterns();
        state.model.settings.CurrentFolder = 1;
        state.model.ResizeFolderTable(1);
    }
    Names Build(const std::filesystem::path& path, std::vector<float> draws = {0.5f},
                int16_t randomOrder = 0) {
        platform.random = test::SequenceRandomSource(std::move(draws));
        test::WriteBytes(platform / "f.ini", test::CrLf({"[Folder1]", "Set=" + path.string()}));
        state.model.FolderTable[1].RandomOrder = randomOrder;
        built = BuildPlayList(state.catalogue, state.model, platform.services, "f.ini");
        EXPECT_TRUE((!built || platform.random.reseeds == 1) &&
                    platform.messageBoxes.shown.empty());
        EXPECT_EQ(state.catalogue.PlayListCount,
                  static_cast<int32_t>(state.catalogue.PlayList.size()));
        shownFolder = CurrentDirectory();
        return state.catalogue.PlayList;
    }
    test::TestPlatform platform;
    ProgramState state;
    TempDirectory folder;
    bool built = false;
    std::filesystem::path shownFolder;
};

// The media types in any case, odd names too, but no hidden file, no name
// marked with a leading "_", with two dots or more, or ending with a dot,
// and nothing of a folder inside; sorted after the shuffle all the same.
TEST_F(PlayListTest, SupportedFilesSortedByNameWithoutRegardToCaseInTheFolderMadeCurrent) {
    // clang-format off
    Touch(folder.path(), {"c.avi", "b.jpg", "APRICOT.GIF", "apple.bmp", "Holiday.Jpg", "x_y.jpg",
        "song.Mp3", "clip.wmv", "tune.rmi", "list.m3u", "list.asx", "notes.txt", "_old.jpg",
        "_.jpg", "holiday.2001.jpg", "holiday.jpeg", "jpg", "ends.", "holiday.jpg.txt",
        "holiday.jp g", ".hidden.jpg", "._resource.jpg", "with blank.jpg", "a&b.jpg",
        "\xff\xfe.jpg", "line\nbreak.jpg", "\xc3\xbc" "ber.gif", "\xfe\xff.jpg", "Caf\xe9.bmp"});
    // clang-format on
    std::filesystem::create_directory(folder / "album.jpg");
    Touch(folder / "album.jpg", {"inner.jpg"});
    state.catalogue.PlayListPosition = 2;
    state.catalogue.CurrentFile = "stale";
    // clang-format off
    const Names sorted = {"a&b.jpg", "apple.bmp", "APRICOT.GIF", "b.jpg", "c.avi", "Caf\xe9.bmp",
        "clip.wmv", "Holiday.Jpg", "line\nbreak.jpg", "list.asx", "list.m3u", "song.Mp3",
        "tune.rmi", "\xc3\xbc" "ber.gif", "with blank.jpg", "x_y.jpg", "\xfe\xff.jpg", "\xff\xfe.jpg"};
    // clang-format on
    EXPECT_EQ(Build(folder.path()), sorted);
    EXPECT_EQ(std::to_string(state.catalogue.PlayListPosition) + state.catalogue.CurrentFile, "0");
    EXPECT_EQ(shownFolder, std::filesystem::canonical(folder.path()));

    // None of them: an empty list (the caller says what happens then).
    TempDirectory none, previous;
    Touch(none.path(), {"notes.txt", "_marked.jpg", ".hidden.jpg"});
    EXPECT_TRUE(Build(none.path()).empty());
    EXPECT_FALSE(built);
    // A folder that has gone: the current directory is scanned, and stays.
    Touch(previous.path(), {"left.jpg", "here.mp3"});
    SetCurrentDirectory(previous.path());
    EXPECT_EQ(Build(folder / "gone"), (Names{"here.mp3", "left.jpg"}));
    EXPECT_EQ(shownFolder, std::filesystem::canonical(previous.path()));
}

// Grouped in the patterns' order first (the play lists after the media),
// then shuffled: place i swaps with place floor(count * draw) (0.9f is just
// below 0.9); the types in turn are known whatever order the file system
// keeps within a type.
TEST_F(PlayListTest, RandomOrderShufflesTheListGroupedByTypeInThePatternsOrder) {
    Touch(folder.path(), {"a.wma", "b.wma", "c.mp3", "d.MP3", "e.jpg", "f.Jpg", "g.jpg", "h.avi",
                          "i.asx", "j.asf", "skip.txt", "_v.jpg"});
    Names types;
    for (const std::string& name : Build(folder.path(), {0.9f, 0.0f, 0.6f, 0.3f}, 1)) {
        types.push_back(UpperAscii(name.substr(2)));
    }
    EXPECT_EQ(types, (Names{"AVI", "WMA", "MP3", "WMA", "JPG", "JPG", "MP3", "JPG", "ASX", "ASF"}));
}

TEST_F(PlayListTest, FolderOfMoreThan32767FilesIsShownWhole) {
    for (int i = 0; i < 32769; ++i) {
        test::WriteBytes(folder / ("p" + std::to_string(i) + ".jpg"), "");
    }
    EXPECT_EQ(Build(folder.path(), {0.5f}, 1).size(), 32769u);
    state.catalogue.PlayListPosition = 32768;
    StepPlayList(state.catalogue);
    EXPECT_EQ(state.catalogue.PlayListPosition, 0);
}

// Forward from the last entry to the first; back (the caller lowers the
// position by 2 first) from the first to the last. Rewinding keeps the
// position; an empty list has no current file.
TEST(StepPlayList, WrapsForwardAndBackAndRewindKeepsThePosition) {
    CatalogueState list, empty;
    list.PlayList = {"a.jpg", "b.jpg", "c.jpg"};
    list.PlayListCount = 3;
    std::string trace; // position and current file after each step
    using Move = void (*)(CatalogueState&);
    // clang-format off
    const std::tuple<CatalogueState*, int32_t, Move> steps[] = {{&list, 0, StepPlayList},
        {&list, 2, StepPlayList}, {&list, -2, StepPlayList}, {&list, -1, StepPlayList},
        {&list, 1, StepPlayList}, {&list, 2, RewindPlayList}, {&empty, 0, StepPlayList},
        {&empty, 0, RewindPlayList}};
    // clang-format on
    for (const auto& [state, from, move] : steps) {
        state->PlayListPosition = from;
        state->CurrentFile = "stale";
        move(*state);
        trace += std::to_string(state->PlayListPosition) + state->CurrentFile + " ";
    }
    EXPECT_EQ(trace, "1b.jpg 0a.jpg 2c.jpg 0a.jpg 2c.jpg 2a.jpg 0 0 ");
}

// Equal but for case or width, the bytes decide; bytes that are no UTF-8
// still give one order. Random names made of pieces the locales treat
// specially (letters that join, "i" and "I" in Turkish, control characters
// that are passed over) are sorted by their keys, heads first, in the
// comparison's order, in lists of plain ASCII and in others.
TEST(NameCollation, IgnoresCaseAndWidthAndSettlesTiesByBytes) {
    // clang-format off
    const Names ordered = {"A.jpg", "a.jpg", "APPLE.jpg", "apple.jpg", "B.GIF", "b.gif", "b.jpg",
        "\xef\xbd\x82.jpg", "Banana.jpg", "c.jpg", "cafe.jpg", "Caf\xc3\xa9.jpg", "Caf\xe9.jpg",
        "cherry.jpg", "\xfe.jpg", "\xff.jpg"};
    const Names ascii = {"a", "b", "c", "h", "s", "z", "l", "y", "i", "I", "d", "A", "C", "H", "Z",
        "aa", "ch", "cs", "sz", "ll", "dz", "ij", "1", "2", "10", " ", "-", "_", ".", "\n", "\t",
        "\x01", "~", "&", "'"};
    // clang-format on
    Names any = ascii;
    any.insert(any.end(), {"\xc3\xa9", "\xc3\xa5", "\xc4\xb1", "\xff", "\xef\xbd\x82"});
    std::mt19937 engine(2024);
    for (const char* locale : {"C", "en_US", "de_DE", "sv_SE", "da_DK", "cs_CZ", "hu_HU", "cy_GB",
                               "tr_TR", "lt_LT", "es_ES", "el_GR", "ja_JP"}) {
        const NameCollation collation{QLocale(QString::fromLatin1(locale))};
        for (std::size_t a = 0; a < ordered.size(); ++a) {
            for (std::size_t b = 0; b < ordered.size(); ++b) {
                EXPECT_EQ(collation.Compare(ordered[a], ordered[b]), (a > b) - (a < b))
                    << locale << ": " << ordered[a] << " / " << ordered[b];
            }
        }
        for (const Names& pieces : {ascii, any}) {
            Names names(120);
            for (std::string& name : names) {
                for (auto length = 1 + engine() % 6; length > 0; --length) {
                    name += pieces[engine() % pieces.size()];
                }
            }
            Names sorted = names;
            QuickSort(sorted, 0, static_cast<int32_t>(sorted.size()) - 1, collation);
            std::sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
                return collation.Compare(a, b) < 0;
            });
            ASSERT_EQ(sorted, names) << locale;
        }
    }
}

// "*" is any run of characters, every other character itself, letters
// without regard to case; patterns kept in a list that grows (and so moves
// them) go on working.
TEST(NamePattern, StarIsAnyRunAndEveryOtherCharacterItself) {
    // clang-format off
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"photo.jpg", "*.JPG", true}, {".JPG", "*.JPG", true}, {"photo.jpeg", "*.JPG", false},
        {"jpg", "*.JPG", false}, {"", "*", true}, {"abcd", "abc", false}, {"ABC", "abc", true},
        {"aXbYc", "a*b*c", true}, {"acb", "a*b*c", false}, {"abab", "*ab*ab", true},
        {"aab", "*ab*ab", false}, {"name.", "*.", true}, {"a?c", "a?c", true}, {"abc", "a?c", false},
        {"\xc3\xa9.JPG", "\xc3\x89.jpg", false}};
    // clang-format on
    std::vector<NamePattern> patterns;
    for (const auto& [name, pattern, matches] : cases) {
        patterns.emplace_back(pattern, LetterCase::Ignored);
    }
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& [name, pattern, matches] = cases[i];
        EXPECT_EQ(patterns[i].Matches(name), matches) << name << " ~ " << pattern;
    }
}

TEST(FolderListing, PlainFilesAndLinksToThemButNoFoldersDotFilesOrOthers) {
    TempDirectory folder;
    Touch(folder.path(), {"a.jpg", "B.JPG", "notes.txt", "with blank.jpg", "line\nbreak.jpg",
                          "\xff.jpg", ".hidden.jpg", "..jpg"});
    std::filesystem::create_directory(folder / "album.jpg");
    std::filesystem::create_symlink("a.jpg", folder / "link.jpg");
    std::filesystem::create_symlink("missing.jpg", folder / "dead.jpg");
    std::filesystem::create_directory_symlink("album.jpg", folder / "dirlink.jpg");
    ::mkfifo((folder / "pipe.jpg").c_str(), 0600);
    Names jpg = ListPlainFiles(folder.path(), "*.jpg");
    std::sort(jpg.begin(), jpg.end());
    EXPECT_EQ(jpg, (Names{"B.JPG", "a.jpg", "line\nbreak.jpg", "link.jpg", "with blank.jpg",
                          "\xff.jpg"}));
    EXPECT_EQ(ListPlainFiles(folder.path(), "NOTES.*"), (Names{"notes.txt"}));
    EXPECT_EQ(ListPlainFiles(folder.path()).size(), 7u);
    EXPECT_TRUE(ListPlainFiles(folder / "album.jpg").empty());
    EXPECT_THROW(ListPlainFiles(folder / "missing"), Error);
    EXPECT_THROW(ListPlainFiles(folder / "a.jpg"), Error);
}

} // namespace
} // namespace vimbrel
