// Loading and saving a collection file: what a load makes of a file, shown
// through the full save that follows it, and what a save leaves on disk.

#include "settings/CollectionStore.h"

#include "ExpectedCollection.h"
#include "PlatformDoubles.h"
#include "runtime/Error.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <tuple>

namespace vimbrel::test {
namespace {

struct CollectionStore : ::testing::Test {
    CollectionStore() {
        state.files.WindowsDirectory = platform.settingsDirectory().string();
        state.files.CollectionFile = "vimbrel000.ini";
    }
    TestPlatform platform;
    ProgramState state;
};

TEST_F(CollectionStore, LoadReadsEveryFolderAndStopsOneAtAnOverflow) {
    state.display.FirstModeIndex = 1;
    state.display.CurrentModeIndex = 3; // a missing Resolution is the desktop's mode, 2
    state.model.ResizeFolderTable(2);
    state.model.FolderTable[2] = {-7, -7, -7, -7, -7, -7, "", -7, -7};
    const std::string longPath = "/" + std::string(252, 'p');
    WriteBytes(platform / "vimbrel000.ini",
               CrLf({"[Options]", "Folders=3", "MinWidth=100", "MaxHeight=-1", "[Renaming]",
                     "MinHeight=50", "[Folder1]", "background=4294967295", "Interval=10",
                     "Set=\"  spaced name  \"", "[folder2]", "Captions=1", "Interval=32768",
                     "ImageScale=5", "[Folder3]", "Center=1", "Set=" + longPath}));
    LoadCollectionSettings(state.model.settings, platform.services, "vimbrel000.ini", false);
    const CollectionSettings& s = state.model.settings;
    // Size limits come from [Options], never [Renaming].
    EXPECT_EQ(std::tuple(s.MinWidth, s.MinHeight, s.MaxHeight), std::tuple(100, 0, -1));
    state.model.ResizeFolderTable(3);
    for (const int16_t n : {1, 2, 3}) {
        try {
            LoadFolderTable(state.model, platform.profiles, "vimbrel000.ini",
                            CurrentResolution(state.display), n);
            EXPECT_NE(n, 2);
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), ErrorNumber::Overflow) << n;
        }
    }
    SaveCollectionSettings(state.model, platform.profiles, state.files.WindowsDirectory,
                           state.files.CollectionFile);
    EXPECT_EQ(
        ReadBytes(platform / "vimbrel000.ini"),
        ExpectedCollection("", {"Background=-1|Interval=10|Set=\"  spaced name  \"|Resolution=2",
                                // The keys from the overflow on keep their values.
                                "Captions=1|Interval=-7|ImageScale=-7|RandomOrder=-7|Set=<unknown>|"
                                "VideoScale=-7|Resolution=-7",
                                "Center=1|Set=" + longPath + "|Resolution=2"}));
}

TEST_F(CollectionStore, AnOverflowStopsTheLoadOfOptionsAtItsKey) {
    WriteBytes(platform / "vimbrel000.ini",
               CrLf({"[Options]", "key_Beep=1", "CurrentFolder=3", "MouseMoves=40000", "Folders=2",
                     "Description=never"}));
    state.model.settings = {.Folders = 9, .Description = "before"};
    EXPECT_THROW(
        LoadCollectionSettings(state.model.settings, platform.services, "vimbrel000.ini", false),
        Error);
    const CollectionSettings& s = state.model.settings;
    EXPECT_EQ(std::tuple(s.key_Beep, s.CurrentFolder, s.MouseMoves, s.Folders, s.Description),
              std::tuple(1, 3, 0, 9, "before"));
}

TEST(CollectionLoad, TheShowStartsInARandomFolderOnlyWhenAskedExactly) {
    const std::tuple<const char*, int, int, float, int> cases[] = {
        // mode, RandomFolder, Folders, the draw, the folder it starts in
        {"/S", 1, 5, 0.99f, 5}, {"/S", 1, 5, 0.0f, 1},        {"/S", 1, 5, 0.1999f, 1},
        {"/S", 1, 5, 0.2f, 2},  {"/S", 1, 5, 0.99999994f, 5}, {"/S", 1, 0, 0.7f, 1},
        {"/C", 1, 5, 0.99f, 2}, {"/S", 2, 5, 0.99f, 2},
    };
    for (const auto& [mode, random, folders, draw, expected] : cases) {
        SCOPED_TRACE(testing::Message() << mode << " " << random << " " << folders << " " << draw);
        TestPlatform platform({draw});
        WriteBytes(platform / "c.ini",
                   CrLf({"[Options]", "CurrentFolder=2", "RandomFolder=" + std::to_string(random),
                         "Folders=" + std::to_string(folders)}));
        ProgramState state;
        LoadCollectionSettings(state.model.settings, platform.services, "c.ini",
                               std::string(mode) == "/S");
        EXPECT_EQ(state.model.settings.CurrentFolder, expected);
        EXPECT_EQ(platform.random.reseeds, std::string(mode) == "/S" && random == 1 ? 1 : 0);
    }
}

// A collection of defaults: what a load of no file gives.
struct CollectionSave : CollectionStore {
    CollectionSave() {
        LoadCollectionSettings(state.model.settings, platform.services, "none.ini", false);
    }
    const std::string expected = ExpectedCollection("", {});
};

TEST_F(CollectionSave, WritesTheWholeFileAndBacksUpThePreviousOne) {
    const std::tuple<const char*, const char*, const char*, std::string> cases[] = {
        // file, what it held (nothing: none), its backup, what that holds then
        {"vimbrel000.ini", "[Options]\r\nDescription=C\r\n", "vimbrel000.bak",
         "[Options]\r\nDescription=C\r\n"},
        {"vimbrel000.ini", nullptr, "vimbrel000.bak", expected}, // the save before
        {"mine", "[Options]\nDescription=lf", "mine.bak", "[Options]\r\nDescription=lf\r\n"},
        {"gone.ini", nullptr, "gone.bak", ""},
    };
    for (const auto& [file, held, backup, backedUp] : cases) {
        state.files.CollectionFile = file;
        if (held) {
            WriteBytes(platform / file, held);
        }
        SaveCollectionSettings(state.model, platform.profiles, state.files.WindowsDirectory,
                               state.files.CollectionFile);
        EXPECT_EQ(ReadBytes(platform / file), expected) << file;
        EXPECT_EQ(std::filesystem::exists(platform / backup) ? ReadBytes(platform / backup) : "",
                  backedUp)
            << file;
    }
    EXPECT_EQ(std::filesystem::canonical(std::filesystem::current_path()),
              std::filesystem::canonical(platform.settingsDirectory()));
}

// Nothing is written in place: a folder that takes no new file keeps what
// it holds.
TEST_F(CollectionSave, AnUnwritableDirectoryIsReportedAndTouchesNothing) {
    VIMBREL_SKIP_WITHOUT_PERMISSION_CHECKS();
    WriteBytes(platform / "vimbrel000.ini", "keep me");
    ::chmod(platform.settingsDirectory().c_str(), 0555);
    const int result = RunWithoutPermissionOverride(
        [](void* test) {
            try {
                auto* t = static_cast<CollectionSave*>(test);
                SaveCollectionSettings(t->state.model, t->platform.profiles,
                                       t->state.files.WindowsDirectory,
                                       t->state.files.CollectionFile);
            } catch (const Error& error) {
                return error.number();
            }
            return 0;
        },
        this);
    ::chmod(platform.settingsDirectory().c_str(), 0755);
    EXPECT_EQ(result, ErrorNumber::PermissionDenied);
    EXPECT_EQ(ReadBytes(platform / "vimbrel000.ini"), "keep me");
    EXPECT_FALSE(std::filesystem::exists(platform / "vimbrel000.bak"));
}

} // namespace
} // namespace vimbrel::test
