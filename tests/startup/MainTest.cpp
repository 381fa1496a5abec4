// Start-up in every mode: the default files, the loaded collection, the
// folder order and the window that comes next.

#include "startup/Main.h"

#include "PlatformDoubles.h"
#include "platform/WindowTitleLock.h"
#include "runtime/Error.h"
#include "state/ProgramState.h"

#include <gtest/gtest.h>

namespace vimbrel {
namespace {

using test::CrLf;
using test::ReadBytes;
using test::TestPlatform;
using test::WriteBytes;

const std::string kDefaultMaster = CrLf({"[Options]", "Settings=vimbrel000.ini", ""});
const std::string kDefaultCollection = CrLf({"[Options]", "Description=<default collection>", ""});

std::vector<std::string> FilesIn(const std::filesystem::path& directory) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string CollectionWithFolders(int folders, int currentFolder = 1, int randomFolder = 0) {
    std::string bytes = CrLf({"[Options]", "CurrentFolder=" + std::to_string(currentFolder),
                              "RandomFolder=" + std::to_string(randomFolder),
                              "Folders=" + std::to_string(folders), ""});
    for (int n = 1; n <= folders; ++n) {
        bytes += CrLf({"[Folder" + std::to_string(n) + "]", "Set=/media/set" + std::to_string(n)});
    }
    return bytes;
}

TEST(Main, FreshStartInAnyModeCreatesExactlyTheTwoDefaultFiles) {
    const std::pair<const char*, Handover> modes[] = {
        {"", Handover::Configuration},
        {"/c", Handover::Configuration},
        {"/Configure", Handover::Configuration},
        {"/c:123", Handover::Configuration},
        {"/s", Handover::Configuration},
        {"/p 1234", Handover::Preview},
        {"/a 99", Handover::PasswordChange},
        {"-s", Handover::None},
        {"/x", Handover::None},
    };
    for (const auto& [commandLine, expected] : modes) {
        TestPlatform platform;
        ProgramState state;
        EXPECT_EQ(Main(state, platform.services, commandLine), expected) << commandLine;
        EXPECT_EQ(FilesIn(platform.settingsDirectory()),
                  (std::vector<std::string>{"vimbrel.ini", "vimbrel000.ini"}))
            << commandLine;
        EXPECT_EQ(ReadBytes(platform / "vimbrel.ini"), kDefaultMaster);
        EXPECT_EQ(ReadBytes(platform / "vimbrel000.ini"), kDefaultCollection);
        EXPECT_EQ(state.files.CollectionFile, "vimbrel000.ini");
        EXPECT_EQ(state.files.WindowsDirectory, platform.settingsDirectory().string());
        EXPECT_EQ(std::filesystem::canonical(std::filesystem::current_path()),
                  std::filesystem::canonical(platform.settingsDirectory()));
    }
}

TEST(Main, RunModeAndWindowHandleFromTheCommandLine) {
    const std::tuple<const char*, const char*, int32_t> cases[] = {
        {"/p 1234", "/P", 1234},
        {"/p:1234", "/P", 0},
        {"/P 12 34", "/P", 1234},
        {"/a 77.5", "/A", 78},
        {"/a 99999999999", "/A", 0},
        {"/S", "/S", 0},
        {"", "/C", 0},
        {"-s", "-S", 0},
    };
    for (const auto& [commandLine, mode, window] : cases) {
        TestPlatform platform;
        ProgramState state;
        Main(state, platform.services, commandLine);
        EXPECT_EQ(state.run.RunMode, mode) << commandLine;
        EXPECT_EQ(state.run.ParentWindow, window) << commandLine;
    }
}

TEST(Main, ShowWithoutFoldersSaysSoAndOpensTheConfiguration) {
    TestPlatform platform;
    ProgramState state;
    EXPECT_EQ(Main(state, platform.services, "/S"), Handover::Configuration);
    ASSERT_EQ(platform.messageBoxes.shown.size(), 1u);
    EXPECT_EQ(platform.messageBoxes.shown[0].text, "No Vimbrel folders have been defined.");
    EXPECT_EQ(platform.messageBoxes.shown[0].icon, platform::MessageIcon::Information);
    EXPECT_GE(platform.cursor.value(), 6); // the cursor is made visible first
}

TEST(Main, ShowWithFoldersOpensTheShowUnlessOneIsRunning) {
    TestPlatform platform;
    WriteBytes(platform / "vimbrel.ini", kDefaultMaster);
    WriteBytes(platform / "vimbrel000.ini", CollectionWithFolders(2));
    {
        ProgramState state;
        EXPECT_EQ(Main(state, platform.services, "/s"), Handover::Slideshow);
        EXPECT_TRUE(platform.messageBoxes.shown.empty());
    }
    platform::WindowTitleLock running;
    ASSERT_TRUE(running.Acquire(kSlideshowTitle));
    ProgramState second;
    EXPECT_EQ(Main(second, platform.services, "/S"), Handover::None);
}

TEST(Main, LoadsTheCollectionTheMasterFileNames) {
    TestPlatform platform;
    WriteBytes(platform / "vimbrel.ini", CrLf({"[Options]", "Settings=vimbrel007.ini"}));
    WriteBytes(platform / "vimbrel007.ini", CollectionWithFolders(3, 2));
    ProgramState state;
    Main(state, platform.services, "/C");
    EXPECT_EQ(state.files.CollectionFile, "vimbrel007.ini");
    ASSERT_EQ(state.model.FolderTable.size(), 4u);
    EXPECT_EQ(state.model.FolderTable[3].Folder, "/media/set3");
    EXPECT_EQ(state.folderOrder.FolderNumberArray, (std::vector<int16_t>{2, 3, 1, 0}));
    EXPECT_EQ(state.folderOrder.FolderIndex, 0);
    EXPECT_EQ(state.catalogue.SupportedPatterns.size(), 15u);
    EXPECT_EQ(state.catalogue.SupportedPatterns.front(), "*.ASF");
    EXPECT_EQ(state.catalogue.SupportedPatterns.back(), "*.WMA");
    EXPECT_EQ(state.screen.ScreenWidth, 800 * 15);
    EXPECT_EQ(state.display.ModeCount, 0);
    EXPECT_FALSE(std::filesystem::exists(platform / "vimbrel000.ini"));
}

TEST(Main, SettingsThatPointOutsideTheDirectoryAreTreatedAsMissing) {
    for (const char* settings : {"../outside.ini", "/etc/passwd", "sub/dir.ini", "..", ""}) {
        TestPlatform platform;
        WriteBytes(platform / "vimbrel.ini",
                   CrLf({"[Options]", std::string("Settings=") + settings, "Other=lost"}));
        ProgramState state;
        Main(state, platform.services, "/C");
        EXPECT_EQ(state.files.CollectionFile, "vimbrel000.ini") << settings;
        EXPECT_EQ(ReadBytes(platform / "vimbrel.ini"), kDefaultMaster) << settings;
        EXPECT_FALSE(
            std::filesystem::exists(platform.settingsDirectory().parent_path() / "outside.ini"));
    }
}

TEST(Main, MasterWithoutSettingsIsRewrittenAndMissingCollectionCreated) {
    TestPlatform platform;
    WriteBytes(platform / "vimbrel.ini", CrLf({"[Options]", "Other=1"}));
    ProgramState state;
    Main(state, platform.services, "/C");
    EXPECT_EQ(ReadBytes(platform / "vimbrel.ini"), kDefaultMaster);
    EXPECT_EQ(ReadBytes(platform / "vimbrel000.ini"), kDefaultCollection);
}

TEST(Main, RandomFirstFolderIsFoundInTheFolderOrder) {
    TestPlatform platform({0.5f});
    WriteBytes(platform / "vimbrel.ini", kDefaultMaster);
    WriteBytes(platform / "vimbrel000.ini", CollectionWithFolders(3, 1, 1));
    ProgramState state;
    Main(state, platform.services, "/S");
    EXPECT_EQ(state.model.settings.CurrentFolder, 2); // floor(3 * 0.5 + 1)
    // The order of three folders is always 2, 3, 1.
    EXPECT_EQ(state.folderOrder.FolderIndex, 0);
}

TEST(Main, DamagedFilesStillStartAndLoadWhatTheyCan) {
    TestPlatform platform;
    WriteBytes(platform / "vimbrel.ini", kDefaultMaster);
    WriteBytes(platform / "vimbrel000.ini",
               CrLf({"[Options]", "Folders=3", "[Folder1]", "Set=/a", "Interval=99999", "[Folder2]",
                     "Set=/b", "[Folder3]", "Set=/c"}));
    ProgramState state;
    EXPECT_EQ(Main(state, platform.services, "/S"), Handover::Slideshow);
    EXPECT_EQ(state.model.FolderTable[1].Folder, "/a");
    EXPECT_EQ(state.model.FolderTable[2].Folder, "/b");
    EXPECT_EQ(state.model.FolderTable[3].Folder, "/c");

    // A Folders count that overflows stops the load there: no folders.
    WriteBytes(platform / "vimbrel000.ini", CrLf({"[Options]", "Folders=70000"}));
    ProgramState overflow;
    EXPECT_EQ(Main(overflow, platform.services, "/C"), Handover::Configuration);
    EXPECT_EQ(overflow.model.settings.Folders, 0);
    EXPECT_EQ(overflow.model.FolderTable.size(), 1u);

    // A count below zero is no folders: the show says so and configures.
    WriteBytes(platform / "vimbrel000.ini",
               CrLf({"[Options]", "Folders=-3", "[Folder1]", "Set=/a"}));
    ProgramState negative;
    EXPECT_EQ(Main(negative, platform.services, "/S"), Handover::Configuration);
    EXPECT_EQ(negative.model.settings.Folders, 0);
    ASSERT_FALSE(platform.messageBoxes.shown.empty());
    EXPECT_EQ(platform.messageBoxes.shown.back().text, "No Vimbrel folders have been defined.");
}

TEST(Main, SettingsDirectoryThatCannotBeMadeReachesTheCaller) {
    TestPlatform platform;
    WriteBytes(platform / "file", "x");
    ::setenv("VIMBREL_HOME", (platform / "file" / "sub").c_str(), 1);
    ProgramState state;
    try {
        Main(state, platform.services, "/S");
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), ErrorNumber::PathNotFound);
        EXPECT_NE(error.description().find("Path not found"), std::string::npos);
    }
}

} // namespace
} // namespace vimbrel
