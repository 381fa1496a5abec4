// Loading and saving a collection file: what a load makes of a file, shown
// through the full save that follows it, and what a save leaves on disk.

#include "settings/CollectionStore.h"

#include "ExpectedCollection.h"
#include "PlatformDoubles.h"
#include "runtime/Error.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <tuple>

namespace vimbrel::test {
namespace {

struct CollectionStore : ::testing::Test {
    void Save(const std::string& file = "vimbrel000.ini") {
        SaveCollectionSettings(model, platform.profiles, platform.settingsDirectory().string(),
                               file);
    }
    TestPlatform platform;
    SettingsModel model;
};

// An overflow stops the load of a folder at its key: the keys after it keep
// their values. The size limits come from [Options], never [Renaming].
TEST_F(CollectionStore, LoadReadsEveryFolderAndStopsAtAnOverflow) {
    const std::string longPath = "/" + std::string(252, 'p');
    WriteBytes(platform / "vimbrel000.ini",
               CrLf({"[Options]", "Folders=3", "MinWidth=100", "[Renaming]", "MinHeight=50",
                     "[Folder1]", "background=4294967295", "Interval=10",
                     "Set=\"\v spaced name  \"", "[folder2]", "Captions=1", "Interval=32768",
                     "ImageScale=5", "[Folder3]", "Center=1", "Set=" + longPath}));
    LoadCollectionSettings(model.settings, platform.services, "vimbrel000.ini", false);
    EXPECT_EQ(std::tuple(model.settings.MinWidth, model.settings.MinHeight), std::tuple(100, 0));
    model.ResizeFolderTable(3);
    model.FolderTable[2] = {-7, -7, -7, -7, -7, -7, "", -7, -7};
    const auto load = [&](int16_t n) {
        LoadFolderTable(model, platform.profiles, "vimbrel000.ini", 2, n);
    };
    load(1);
    EXPECT_THROW(load(2), Error);
    load(3);
    Save();
    EXPECT_EQ(
        ReadBytes(platform / "vimbrel000.ini"),
        ExpectedCollection("", {"Background=-1|Interval=10|Set=\"\v spaced name  \"|Resolution=2",
                                "Captions=1|Interval=-7|ImageScale=-7|RandomOrder=-7|"
                                "Set=<unknown>|VideoScale=-7|Resolution=-7",
                                "Center=1|Set=" + longPath + "|Resolution=2"}));
}

TEST(CollectionLoad, TheShowStartsInARandomFolderOnlyWhenAskedExactly) {
    const std::tuple<bool, int, int, float, int> cases[] = {
        // a show starting, RandomFolder, Folders, the draw, the folder it starts in
        {true, 1, 5, 0.99f, 5},  {true, 1, 5, 0.0f, 1},        {true, 1, 5, 0.1999f, 1},
        {true, 1, 5, 0.2f, 2},   {true, 1, 5, 0.99999994f, 5}, {true, 1, 0, 0.7f, 1},
        {false, 1, 5, 0.99f, 2}, {true, 2, 5, 0.99f, 2},
    };
    for (const auto& [show, random, folders, draw, expected] : cases) {
        SCOPED_TRACE(testing::Message() << show << " " << random << " " << folders << " " << draw);
        TestPlatform platform({draw});
        WriteBytes(platform / "c.ini",
                   CrLf({"[Options]", "CurrentFolder=2", "RandomFolder=" + std::to_string(random),
                         "Folders=" + std::to_string(folders)}));
        CollectionSettings settings;
        LoadCollectionSettings(settings, platform.services, "c.ini", show);
        EXPECT_EQ(settings.CurrentFolder, expected);
        EXPECT_EQ(platform.random.reseeds, show && random == 1 ? 1 : 0);
    }
}

// The defaults (a load of no file) saved over a file with LF line ends and
// no ".ini" in its name, and in place of one that has gone.
TEST_F(CollectionStore, SaveWritesTheWholeFileAndBacksUpThePreviousOne) {
    LoadCollectionSettings(model.settings, platform.services, "none.ini", false);
    WriteBytes(platform / "mine", "[Options]\nDescription=lf");
    Save("mine");
    Save("gone.ini");
    EXPECT_EQ(ReadBytes(platform / "mine.bak"), "[Options]\r\nDescription=lf\r\n");
    EXPECT_EQ(ReadBytes(platform / "mine") + ReadBytes(platform / "gone.ini"),
              ExpectedCollection("", {}) + ExpectedCollection("", {}));
    EXPECT_FALSE(std::filesystem::exists(platform / "gone.bak"));
    EXPECT_EQ(std::filesystem::canonical(std::filesystem::current_path()),
              std::filesystem::canonical(platform.settingsDirectory()));
}

// MoreFormats is on at 1 only, and written, right after Folders, only when
// on: a one-folder collection without it is saved in the classic 33 lines.
TEST_F(CollectionStore, MoreFormatsIsWrittenOnlyWhenOn) {
    for (const auto& [stored, on] : {std::pair<std::string, bool>{"", false},
                                     {"MoreFormats=0", false},
                                     {"MoreFormats=1", true},
                                     {"moreformats=1", true},
                                     {"MoreFormats=2", false}}) {
        WriteBytes(platform / "vimbrel000.ini",
                   CrLf({"[Options]", "Folders=1", stored, "[Folder1]", "Set=/a"}));
        LoadCollectionSettings(model.settings, platform.services, "vimbrel000.ini", false);
        model.ResizeFolderTable(1);
        LoadFolderTable(model, platform.profiles, "vimbrel000.ini", 0, 1);
        Save();
        const std::string saved = ReadBytes(platform / "vimbrel000.ini");
        EXPECT_EQ(saved, ExpectedCollection("", {"Set=/a"}, on)) << stored;
        EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), on ? 34 : 33) << stored;
    }
}

} // namespace
} // namespace vimbrel::test
