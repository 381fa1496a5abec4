// The play list: which files of a folder the show takes, in which order, and
// the cursor through the list. Folders are real folders of empty files.

#include "catalogue/PlayList.h"

#include "PlatformDoubles.h"
#include "controls/CursorHelpers.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace vimbrel {
namespace {

using test::CrLf;
using test::TempDirectory;
using test::TestPlatform;
using test::WriteBytes;
using Names = std::vector<std::string>;

TEST(IsSupportedFile, AcceptsTheMediaTypesInAnyCaseAndRejectsMarkedOrDottedNames) {
    const Names patterns = DefaultSupportedPatterns();
    const std::pair<const char*, bool> cases[] = {
        {"holiday.jpg", true},    {"HOLIDAY.JPG", true},       {"Holiday.Jpg", true},
        {"x_y.jpg", true},        {"song.Mp3", true},          {"clip.wmv", true},
        {"tune.rmi", true},       {"list.m3u", true},          {"list.asx", true},
        {"with blank.gif", true}, {"a&b.bmp", true},           {"line\nbreak.jpg", true},
        {"\xff\xfe.avi", true},   {"holiday.jpeg", false},     {"_holiday.jpg", false},
        {"_.jpg", false},         {"holiday.2001.jpg", false}, {"notes.txt", false},
        {"jpg", false},           {"holiday.jpg.txt", false},  {"holiday.jp g", false},
    };
    for (const auto& [name, accepted] : cases) {
        EXPECT_EQ(IsSupportedFile(patterns, name), accepted) << name;
    }
}

TEST(IsSupportedFile, ExclusionsHoldWhateverThePatternsAdmit) {
    const Names everything = {"*"};
    const std::pair<const char*, bool> cases[] = {
        {"plain", true},  {"_marked", true}, {"_marked.x", false}, {"ends.", false},
        {"a.b.c", false}, {"a.b", true},     {"..", false},
    };
    for (const auto& [name, accepted] : cases) {
        EXPECT_EQ(IsSupportedFile(everything, name), accepted) << name;
    }
    // The name is upper-cased before it is compared, so a pattern written in
    // lower case never matches.
    EXPECT_FALSE(IsSupportedFile({"*.jpg"}, "a.jpg"));
    EXPECT_TRUE(IsSupportedFile({"*.jpg", "*.JPG"}, "a.jpg"));
}

class BuildPlayListTest : public ::testing::Test {
protected:
    BuildPlayListTest() {
        state.catalogue.SupportedPatterns = DefaultSupportedPatterns();
        state.files.CollectionFile = "vimbrel000.ini";
        state.model.settings.CurrentFolder = 1;
        state.model.ResizeFolderTable(1);
        UseFolder(folder.path().string(), 0);
    }

    // Folder 1 of the collection file is this path, shown in this order.
    void UseFolder(const std::string& path, int16_t randomOrder) {
        WriteBytes(platform / "vimbrel000.ini", CrLf({"[Folder1]", "Set=" + path}));
        state.model.FolderTable[1].RandomOrder = randomOrder;
    }
    static void Touch(const std::filesystem::path& dir, const Names& names) {
        for (const std::string& name : names) {
            WriteBytes(dir / name, "");
        }
    }
    Names Build() {
        BuildPlayList(state, platform.services, "vimbrel000.ini");
        return state.catalogue.PlayList;
    }
    TestPlatform platform;
    TempDirectory folder;
    ProgramState state;
};

TEST_F(BuildPlayListTest, SortedFolderListsItsMediaByNameAndBecomesCurrent) {
    Touch(folder.path(), {"c.avi", "b.jpg", "notes.txt", "a.bmp", "_old.jpg"});
    state.catalogue.PlayListPosition = 2;
    state.catalogue.CurrentFile = "stale";
    EXPECT_EQ(Build(), (Names{"a.bmp", "b.jpg", "c.avi"}));
    EXPECT_EQ(state.catalogue.PlayListCount, 3);
    EXPECT_EQ(state.catalogue.PlayListPosition, 0);
    EXPECT_EQ(state.catalogue.CurrentFile, "");
    EXPECT_EQ(platform::CurrentDirectory(), std::filesystem::canonical(folder.path()));
    EXPECT_EQ(platform.random.reseeds, 1);
}

TEST_F(BuildPlayListTest, SortIgnoresLetterCase) {
    Touch(folder.path(), {"cherry.jpg", "Banana.jpg", "apple.jpg", "APRICOT.GIF"});
    EXPECT_EQ(Build(), (Names{"apple.jpg", "APRICOT.GIF", "Banana.jpg", "cherry.jpg"}));
}

TEST_F(BuildPlayListTest, RandomOrderIsTheShuffleOfTheListGroupedByType) {
    // One file per type, so that the grouped list is known whatever order
    // the file system keeps: z.asf, y.avi, x.bmp, w.gif.
    Touch(folder.path(), {"w.gif", "x.bmp", "y.avi", "z.asf", "skip.txt", "_v.jpg"});
    TestPlatform draws({0.9f, 0.0f, 0.6f, 0.3f});
    state.model.FolderTable[1].RandomOrder = 1;
    WriteBytes(draws / "vimbrel000.ini", CrLf({"[Folder1]", "Set=" + folder.path().string()}));
    BuildPlayList(state, draws.services, "vimbrel000.ini");
    // i=0 takes j=3, i=1 j=0, i=2 j=2, i=3 j=1.
    EXPECT_EQ(state.catalogue.PlayList, (Names{"y.avi", "z.asf", "x.bmp", "w.gif"}));
    EXPECT_EQ(draws.random.reseeds, 1);
}

TEST_F(BuildPlayListTest, ListIsGroupedByTypeInThePatternsOrder) {
    Touch(folder.path(), {"a.wma", "b.wma", "c.mp3", "d.MP3", "e.jpg", "f.Jpg", "g.jpg", "h.avi",
                          "i.asx", "j.asf", "notes.txt"});
    // Draws that leave every entry where it is: j = floor(10 * (i + 0.5) / 10).
    std::vector<float> draws;
    for (int i = 0; i < 10; ++i) {
        draws.push_back((static_cast<float>(i) + 0.5f) / 10.0f);
    }
    TestPlatform still(draws);
    WriteBytes(still / "vimbrel000.ini", CrLf({"[Folder1]", "Set=" + folder.path().string()}));
    state.model.FolderTable[1].RandomOrder = 1;
    BuildPlayList(state, still.services, "vimbrel000.ini");

    const Names patterns = DefaultSupportedPatterns();
    const auto patternOf = [&](const std::string& name) {
        return std::find_if(patterns.begin(), patterns.end(),
                            [&](const std::string& p) { return IsSupportedFile({p}, name); }) -
               patterns.begin();
    };
    ASSERT_EQ(state.catalogue.PlayList.size(), 10u);
    std::vector<long> order;
    for (const std::string& name : state.catalogue.PlayList) {
        order.push_back(patternOf(name));
    }
    // ASF, AVI, JPG, MP3, ASX, WMA.
    EXPECT_EQ(order, (std::vector<long>{0, 1, 4, 4, 4, 7, 7, 13, 14, 14}));
}

TEST_F(BuildPlayListTest, OddNamesAreListedAndSortedTheSameWhateverTheDraws) {
    const Names odd = {"with blank.jpg",
                       "a&b.jpg",
                       "\xff\xfe.jpg",
                       "line\nbreak.jpg",
                       "\xc3\xbc"
                       "ber.gif",
                       "\xfe\xff.jpg",
                       "Caf\xe9.bmp"};
    Touch(folder.path(), odd);
    Touch(folder.path(), {".hidden.jpg", "._resource.jpg"});
    std::filesystem::create_directory(folder / "album.jpg");
    Touch(folder / "album.jpg", {"inner.jpg"});

    Names sorted = Build();
    Names expected = odd;
    std::sort(expected.begin(), expected.end());
    Names listed = sorted;
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, expected);

    for (const std::vector<float>& draws : {std::vector<float>{0.99f, 0.5f, 0.01f},
                                            std::vector<float>{0.0f}, std::vector<float>{0.7f}}) {
        TestPlatform other(draws);
        WriteBytes(other / "vimbrel000.ini", CrLf({"[Folder1]", "Set=" + folder.path().string()}));
        BuildPlayList(state, other.services, "vimbrel000.ini");
        EXPECT_EQ(state.catalogue.PlayList, sorted);
    }
}

// The caller says what happens then (the show's window names the folder).
TEST_F(BuildPlayListTest, FolderWithoutSupportedFilesGivesAnEmptyList) {
    for (const Names& contents : {Names{}, Names{"notes.txt", "_marked.jpg", ".hidden.jpg"}}) {
        TestPlatform fresh;
        TempDirectory empty;
        Touch(empty.path(), contents);
        WriteBytes(fresh / "vimbrel000.ini", CrLf({"[Folder1]", "Set=" + empty.path().string()}));
        EXPECT_FALSE(BuildPlayList(state, fresh.services, "vimbrel000.ini"));
        EXPECT_TRUE(state.catalogue.PlayList.empty());
        EXPECT_EQ(state.catalogue.PlayListCount, 0);
        EXPECT_TRUE(fresh.messageBoxes.shown.empty());
    }
}

TEST_F(BuildPlayListTest, MissingFolderScansThePreviousCurrentDirectory) {
    TempDirectory previous;
    Touch(previous.path(), {"left.jpg", "here.mp3"});
    // A path that does not exist, and a collection file without the folder.
    for (const std::string& entry : {"[Folder1]\r\nSet=" + (folder / "gone").string() + "\r\n",
                                     std::string("[Folder2]\r\nSet=/tmp\r\n")}) {
        platform::SetCurrentDirectory(previous.path());
        WriteBytes(platform / "vimbrel000.ini", entry);
        EXPECT_EQ(Build(), (Names{"here.mp3", "left.jpg"})) << entry;
        EXPECT_EQ(platform::CurrentDirectory(), std::filesystem::canonical(previous.path()));
    }

    TempDirectory empty;
    platform::SetCurrentDirectory(empty.path());
    UseFolder((folder / "gone").string(), 0);
    EXPECT_FALSE(BuildPlayList(state, platform.services, "vimbrel000.ini"));
    EXPECT_EQ(platform::CurrentDirectory(), std::filesystem::canonical(empty.path()));
}

TEST_F(BuildPlayListTest, FolderOfMoreThan32767FilesIsShownWhole) {
    constexpr int kFiles = 32769;
    for (int i = 0; i < kFiles; ++i) {
        WriteBytes(folder / ("p" + std::to_string(i) + ".jpg"), "");
    }
    state.model.FolderTable[1].RandomOrder = 1;
    EXPECT_EQ(Build().size(), static_cast<std::size_t>(kFiles));
    EXPECT_EQ(state.catalogue.PlayListCount, kFiles);
    state.catalogue.PlayListPosition = kFiles - 1;
    StepPlayList(state.catalogue);
    EXPECT_EQ(state.catalogue.PlayListPosition, 0);
}

TEST(StepPlayList, WrapsForwardAndBackAndRewindKeepsThePosition) {
    CatalogueState list;
    list.PlayList = {"a.jpg", "b.jpg", "c.jpg"};
    list.PlayListCount = 3;
    // Position before, how the caller moves it first, position after.
    const struct {
        int32_t from;
        int32_t lowerBy;
        int32_t to;
    } steps[] = {{0, 0, 1}, {1, 0, 2}, {2, 0, 0}, {0, 2, 2}, {2, 2, 1}, {1, 2, 0}};
    for (const auto& step : steps) {
        list.PlayListPosition = step.from - step.lowerBy;
        StepPlayList(list);
        EXPECT_EQ(list.PlayListPosition, step.to) << step.from << " - " << step.lowerBy;
        EXPECT_EQ(list.CurrentFile, list.PlayList[static_cast<std::size_t>(step.to)]);
    }

    list.PlayListPosition = 1;
    StepPlayList(list);
    RewindPlayList(list);
    EXPECT_EQ(list.CurrentFile, "a.jpg");
    EXPECT_EQ(list.PlayListPosition, 2);
}

TEST(StepPlayList, EmptyListHasNoCurrentFile) {
    CatalogueState list;
    list.CurrentFile = "stale";
    StepPlayList(list);
    EXPECT_EQ(list.PlayListPosition, 0);
    EXPECT_EQ(list.CurrentFile, "");
    list.CurrentFile = "stale";
    RewindPlayList(list);
    EXPECT_EQ(list.CurrentFile, "");
}

} // namespace
} // namespace vimbrel
