// Loading a collection: defaults, the random first folder, and the 16-bit
// overflow that stops a load at its key.

#include "PlatformDoubles.h"
#include "runtime/Error.h"
#include "settings/CollectionStore.h"

#include <gtest/gtest.h>

namespace vimbrel {
namespace {

using test::CrLf;
using test::TestPlatform;
using test::WriteBytes;

class LoadCollection : public ::testing::Test {
protected:
    void Write(const std::string& bytes) {
        WriteBytes(platform / "vimbrel000.ini", bytes);
        state.files.CollectionFile = "vimbrel000.ini";
    }
    TestPlatform platform{{0.99f}};
    ProgramState state;
};

TEST_F(LoadCollection, DescriptionOnlyFileGivesTheDefaults) {
    Write(CrLf({"[Options]", "Description=<default collection>", ""}));
    LoadCollectionSettings(state, platform.services, "vimbrel000.ini");
    const CollectionSettings& s = state.model.settings;
    EXPECT_EQ(s.key_Special, 0);
    EXPECT_EQ(s.key_Beep, 0);
    EXPECT_EQ(std::vector<int>({s.key_Captions, s.key_NewFolder, s.key_Next, s.key_Pause,
                                s.key_Previous, s.key_Rename}),
              std::vector<int>({'f', 's', 'n', 'z', 'p', 'r'}));
    EXPECT_EQ(s.CurrentFolder, 1);
    EXPECT_EQ(s.MouseMoves, 4);
    EXPECT_EQ(s.RandomFolder, 1);
    EXPECT_EQ(s.Folders, 0);
    EXPECT_EQ(std::vector<int>({s.MinWidth, s.MinHeight, s.MaxWidth, s.MaxHeight}),
              std::vector<int>({0, 0, 0, 0}));
    EXPECT_EQ(s.Description, "<default collection>");
}

TEST_F(LoadCollection, MissingFileGivesTheDefaultModel) {
    LoadCollectionSettings(state, platform.services, "vimbrel123.ini");
    EXPECT_EQ(state.model.settings.Folders, 0);
    EXPECT_EQ(state.model.settings.Description, "<default collection>");
}

TEST_F(LoadCollection, ShowStartsInARandomFolderOnlyWhenAskedExactly) {
    Write(CrLf({"[Options]", "CurrentFolder=2", "RandomFolder=1", "Folders=5"}));
    state.run.RunMode = "/S";
    LoadCollectionSettings(state, platform.services, "vimbrel000.ini");
    EXPECT_EQ(state.model.settings.CurrentFolder, 5); // floor(5 * 0.99 + 1)
    EXPECT_EQ(platform.random.reseeds, 1);

    state.run.RunMode = "/C";
    LoadCollectionSettings(state, platform.services, "vimbrel000.ini");
    EXPECT_EQ(state.model.settings.CurrentFolder, 2);

    Write(CrLf({"[Options]", "CurrentFolder=2", "RandomFolder=2", "Folders=5"}));
    state.run.RunMode = "/S";
    LoadCollectionSettings(state, platform.services, "vimbrel000.ini");
    EXPECT_EQ(state.model.settings.CurrentFolder, 2);
}

TEST_F(LoadCollection, RandomFolderCoversTheWholeRange) {
    Write(CrLf({"[Options]", "RandomFolder=1", "Folders=5"}));
    state.run.RunMode = "/S";
    for (const auto& [r, expected] :
         {std::pair{0.0f, 1}, {0.1999f, 1}, {0.2f, 2}, {0.99999994f, 5}}) {
        TestPlatform draws({r});
        ProgramState fresh;
        fresh.run.RunMode = "/S";
        WriteBytes(draws / "c.ini", CrLf({"[Options]", "RandomFolder=1", "Folders=5"}));
        LoadCollectionSettings(fresh, draws.services, "c.ini");
        EXPECT_EQ(fresh.model.settings.CurrentFolder, expected) << r;
    }
    // No folders at all still gives folder 1.
    TestPlatform empty({0.7f});
    ProgramState none;
    none.run.RunMode = "/S";
    LoadCollectionSettings(none, empty.services, "missing.ini");
    EXPECT_EQ(none.model.settings.CurrentFolder, 1);
}

TEST_F(LoadCollection, OverflowStopsAtItsKeyAndKeepsTheRest) {
    Write(CrLf({"[Options]", "key_Beep=1", "CurrentFolder=3", "MouseMoves=40000", "Folders=2",
                "Description=never read"}));
    state.model.settings.Folders = 9;
    state.model.settings.Description = "before";
    try {
        LoadCollectionSettings(state, platform.services, "vimbrel000.ini");
        FAIL() << "no overflow";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), ErrorNumber::Overflow);
    }
    EXPECT_EQ(state.model.settings.key_Beep, 1);
    EXPECT_EQ(state.model.settings.CurrentFolder, 3);
    EXPECT_EQ(state.model.settings.MouseMoves, 0);
    EXPECT_EQ(state.model.settings.Folders, 9);
    EXPECT_EQ(state.model.settings.Description, "before");
}

TEST_F(LoadCollection, SizeLimitsComeFromOptionsNotRenaming) {
    Write(CrLf({"[Options]", "MinWidth=100", "MaxHeight=-1", "[Renaming]", "MinHeight=50"}));
    LoadCollectionSettings(state, platform.services, "vimbrel000.ini");
    EXPECT_EQ(state.model.settings.MinWidth, 100);
    EXPECT_EQ(state.model.settings.MinHeight, 0);
    EXPECT_EQ(state.model.settings.MaxHeight, -1);
}

TEST_F(LoadCollection, FolderEntriesWithDefaultsWhiteAndOverflow) {
    Write(CrLf({"[Options]", "Folders=3", "[Folder1]", "Background=16777215", "Set=/pics",
                "Interval=10", "[folder2]", "Captions=1", "Interval=32768", "ImageScale=5",
                "[Folder3]", "Center=1"}));
    state.display.FirstModeIndex = 1;
    state.display.CurrentModeIndex = 3;
    state.model.ResizeFolderTable(3);
    FolderEntry& second = state.model.FolderTable[2];
    second.ImageScale = -7;
    second.RandomOrder = -7;
    second.VideoScale = -7;
    second.Resolution = -7;

    LoadFolderTable(state, platform.services, 1);
    EXPECT_THROW(LoadFolderTable(state, platform.services, 2), Error);
    LoadFolderTable(state, platform.services, 3);

    const FolderEntry& first = state.model.FolderTable[1];
    EXPECT_EQ(first.Background, 16777215);
    EXPECT_EQ(first.Folder, "/pics");
    EXPECT_EQ(first.Interval, 10);
    EXPECT_EQ(first.ImageScale, 2);
    EXPECT_EQ(first.RandomOrder, 1);
    EXPECT_EQ(first.Resolution, 2); // the desktop's mode when read

    EXPECT_EQ(second.Captions, 1);
    EXPECT_EQ(second.Folder, "<unknown>");
    EXPECT_EQ(std::vector<int>(
                  {second.ImageScale, second.RandomOrder, second.VideoScale, second.Resolution}),
              std::vector<int>({-7, -7, -7, -7}));

    const FolderEntry& third = state.model.FolderTable[3];
    EXPECT_EQ(third.Folder, "<unknown>");
    EXPECT_EQ(third.Center, 1);
    EXPECT_EQ(third.Interval, 3);
}

TEST_F(LoadCollection, BackgroundKeepsAllThirtyTwoBits) {
    Write(CrLf({"[Folder1]", "background=4294967295", "Set=\"  spaced name  \""}));
    state.model.ResizeFolderTable(1);
    LoadFolderTable(state, platform.services, 1);
    EXPECT_EQ(state.model.FolderTable[1].Background, -1);
    EXPECT_EQ(state.model.FolderTable[1].Folder, "  spaced name  ");
}

} // namespace
} // namespace vimbrel
