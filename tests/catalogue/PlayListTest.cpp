// The play list: which files of a folder the show takes, in which order, the
// cursor through the list, and its sort. Folders are real folders of empty
// files. (Names in the user's order: CollationTest.cpp.)

#include "catalogue/PlayList.h"

#include "PlatformDoubles.h"
#include "catalogue/QuickSort.h"
#include "platform/FileSystem.h"
#include "runtime/Conversions.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <random>

namespace vimbrel {
namespace {

using test::TempDirectory;
using Names = std::vector<std::string>;

class PlayListTest : public ::testing::Test {
protected:
    PlayListTest() {
        state.catalogue.SupportedPatterns = DefaultSupportedPatterns();
        state.model.settings.CurrentFolder = 1;
        state.model.ResizeFolderTable(1);
    }
    ~PlayListTest() override { std::filesystem::current_path(start); }
    static void Touch(const std::filesystem::path& dir, const Names& names) {
        for (const std::string& name : names) {
            test::WriteBytes(dir / name, "");
        }
    }
    // The list of folder 1, whose entry in the collection file names the path.
    Names Build(const std::filesystem::path& path, std::vector<float> draws = {0.5f},
                int16_t randomOrder = 0) {
        test::TestPlatform platform(std::move(draws));
        test::WriteBytes(platform / "f.ini", test::CrLf({"[Folder1]", "Set=" + path.string()}));
        state.model.FolderTable[1].RandomOrder = randomOrder;
        built = BuildPlayList(state.catalogue, state.model, platform.services, "f.ini");
        EXPECT_TRUE(!built || platform.random.reseeds == 1);
        EXPECT_TRUE(platform.messageBoxes.shown.empty());
        EXPECT_EQ(state.catalogue.PlayListCount,
                  static_cast<int32_t>(state.catalogue.PlayList.size()));
        shownFolder = platform::CurrentDirectory();
        return state.catalogue.PlayList;
    }
    const std::filesystem::path start = std::filesystem::current_path();
    ProgramState state;
    TempDirectory folder;
    bool built = false;
    std::filesystem::path shownFolder;
};

// The media types in any case, odd names too, but no hidden file, no name
// marked with a leading "_", with two dots or more, or ending with a dot,
// and nothing of a folder inside; the order does not depend on the draws.
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
    EXPECT_EQ(state.catalogue.PlayListPosition, 0);
    EXPECT_EQ(state.catalogue.CurrentFile, "");
    EXPECT_EQ(shownFolder, std::filesystem::canonical(folder.path()));
    for (const std::vector<float>& draws : {std::vector<float>{0.99f, 0.5f, 0.01f}, {0.0f}}) {
        EXPECT_EQ(Build(folder.path(), draws), sorted);
    }
}

TEST_F(PlayListTest, RandomOrderShufflesTheListGroupedByTypeInThePatternsOrder) {
    // One file per type, so that the grouped list is known whatever order
    // the file system keeps: z.asf, y.avi, x.bmp, w.gif.
    Touch(folder.path(), {"w.gif", "x.bmp", "y.avi", "z.asf", "skip.txt", "_v.jpg"});
    // i=0 takes j=3, i=1 j=0, i=2 j=2, i=3 j=1.
    EXPECT_EQ(Build(folder.path(), {0.9f, 0.0f, 0.6f, 0.3f}, 1),
              (Names{"y.avi", "z.asf", "x.bmp", "w.gif"}));

    TempDirectory types;
    Touch(types.path(), {"a.wma", "b.wma", "c.mp3", "d.MP3", "e.jpg", "f.Jpg", "g.jpg", "h.avi",
                         "i.asx", "j.asf"});
    // Draws that leave every entry where it is: j = floor(10 * (i + 0.5) / 10).
    const std::vector<float> still = {0.05f, 0.15f, 0.25f, 0.35f, 0.45f,
                                      0.55f, 0.65f, 0.75f, 0.85f, 0.95f};
    Names order;
    for (const std::string& name : Build(types.path(), still, 1)) {
        order.push_back(UpperAscii(name.substr(2)));
    }
    EXPECT_EQ(order, (Names{"ASF", "AVI", "JPG", "JPG", "JPG", "MP3", "MP3", "ASX", "WMA", "WMA"}));
}

// The caller says what happens then (the show's window names the folder).
TEST_F(PlayListTest, FolderWithoutSupportedFilesGivesAnEmptyListAndAMissingOneTheCurrent) {
    Touch(folder.path(), {"notes.txt", "_marked.jpg", ".hidden.jpg"});
    EXPECT_TRUE(Build(folder.path()).empty());
    EXPECT_FALSE(built);

    // A folder that has gone: the current directory is scanned, and stays.
    TempDirectory previous;
    Touch(previous.path(), {"left.jpg", "here.mp3"});
    platform::SetCurrentDirectory(previous.path());
    EXPECT_EQ(Build(folder / "gone"), (Names{"here.mp3", "left.jpg"}));
    EXPECT_EQ(shownFolder, std::filesystem::canonical(previous.path()));
}

TEST_F(PlayListTest, FolderOfMoreThan32767FilesIsShownWhole) {
    constexpr int kFiles = 32769;
    for (int i = 0; i < kFiles; ++i) {
        test::WriteBytes(folder / ("p" + std::to_string(i) + ".jpg"), "");
    }
    EXPECT_EQ(Build(folder.path(), {0.5f}, 1).size(), static_cast<std::size_t>(kFiles));
    state.catalogue.PlayListPosition = kFiles - 1;
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
    for (const auto& [from, to] : {std::pair{0, 1}, {2, 0}, {-2, 2}, {0, 1}, {-1, 0}, {1, 2}}) {
        list.PlayListPosition = from;
        StepPlayList(list);
        EXPECT_EQ(list.PlayListPosition, to) << from;
        EXPECT_EQ(list.CurrentFile, list.PlayList[static_cast<std::size_t>(to)]);
    }
    RewindPlayList(list);
    EXPECT_EQ(list.CurrentFile + std::to_string(list.PlayListPosition), "a.jpg2");
    empty.CurrentFile = "stale";
    StepPlayList(empty);
    EXPECT_EQ(empty.CurrentFile + std::to_string(empty.PlayListPosition), "0");
    empty.CurrentFile = "stale";
    RewindPlayList(empty);
    EXPECT_EQ(empty.CurrentFile, "");
}

using Ints = std::vector<int>;
const auto kLess = [](int a, int b) { return a < b; };

// Sorting both parts by recursion would take input in reverse order 10,000
// calls deep, past the end of this small stack.
void* SortEveryShape(void* failures) {
    std::mt19937 engine(12345);
    std::vector<Ints> inputs = {{}, {1}, {2, 1}, {1, 2}, Ints(50, 4), {}, {}, {}, {}};
    for (int i = 0; i < 20000; ++i) {
        inputs[5].push_back(20000 - i);
        inputs[6].push_back(static_cast<int>(engine() % 4));
        inputs[7].push_back(static_cast<int>(engine() % 100000));
        if (i < 300) {
            inputs[8].push_back(i);
        }
    }
    for (const Ints& input : inputs) {
        Ints sorted = input;
        QuickSort(sorted, 0, static_cast<int32_t>(sorted.size()) - 1, kLess);
        *static_cast<int*>(failures) +=
            !std::is_sorted(sorted.begin(), sorted.end()) ||
            !std::is_permutation(sorted.begin(), sorted.end(), input.begin(), input.end());
    }
    return nullptr;
}

TEST(QuickSort, OrdersEveryShapeOfInputOnASmallStackAndOnlyItsRange) {
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 128 * 1024);
    int failures = 0;
    pthread_t thread;
    ASSERT_EQ(pthread_create(&thread, &attributes, SortEveryShape, &failures), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
    EXPECT_EQ(failures, 0);

    Ints part = {9, 8, 3, 2, 1, 0};
    QuickSort(part, 1, 4, kLess);
    EXPECT_EQ(part, (Ints{9, 1, 2, 3, 8, 0}));
}

} // namespace
} // namespace vimbrel
