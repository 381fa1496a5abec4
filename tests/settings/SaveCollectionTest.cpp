// Saving a collection: the exact file, its backup, and what a failure leaves.

#include "PlatformDoubles.h"
#include "runtime/Error.h"
#include "settings/CollectionStore.h"

#include <gtest/gtest.h>

namespace vimbrel {
namespace {

using test::CrLf;
using test::ReadBytes;
using test::TestPlatform;
using test::WriteBytes;

class SaveCollection : public ::testing::Test {
protected:
    SaveCollection() {
        state.files.WindowsDirectory = platform.settingsDirectory().string();
        state.files.CollectionFile = "vimbrel000.ini";
        CollectionSettings& s = state.model.settings;
        s = {0, 102, 115, 110, 122, 112, 114, 1, 1, 4, 1, 1, 640, 0, 0, 0, "Holidays"};
        state.model.ResizeFolderTable(1);
        FolderEntry& folder = state.model.FolderTable[1];
        folder.Background = 255;
        folder.Captions = 1;
        folder.Interval = 5;
        folder.ImageScale = 2;
        folder.RandomOrder = 0;
        folder.Folder = "/home/ann/Pictures";
        folder.Resolution = 3;
    }

    static std::string OneFolderFile() {
        return CrLf({"[Options]",
                     "key_Beep=0",
                     "key_Captions=102",
                     "key_NewFolder=115",
                     "key_Next=110",
                     "key_Pause=122",
                     "key_Previous=112",
                     "key_Rename=114",
                     "key_Special=1",
                     "CurrentFolder=1",
                     "Description=Holidays",
                     "LastFileName=",
                     "MouseMoves=4",
                     "RandomFolder=1",
                     "Folders=1",
                     "",
                     "[Renaming]",
                     "MinWidth=0",
                     "MinHeight=0",
                     "MaxWidth=0",
                     "MaxHeight=0",
                     "",
                     "[Folder1]",
                     "Captions=1",
                     "Background=255",
                     "Center=0",
                     "Interval=5",
                     "ImageScale=2",
                     "RandomOrder=0",
                     "Set=/home/ann/Pictures",
                     "VideoScale=0",
                     "Resolution=3",
                     ""});
    }

    TestPlatform platform;
    ProgramState state;
};

TEST_F(SaveCollection, OneFolderIsThirtyThreeLinesAndBackupHoldsThePrevious) {
    const std::string previous = CrLf({"[Options]", "Description=<default collection>", ""});
    WriteBytes(platform / "vimbrel000.ini", previous);
    SaveCollectionSettings(state, platform.services);
    const std::string written = ReadBytes(platform / "vimbrel000.ini");
    EXPECT_EQ(written, OneFolderFile());
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 33);
    EXPECT_EQ(ReadBytes(platform / "vimbrel000.bak"), previous);
    EXPECT_EQ(std::filesystem::canonical(std::filesystem::current_path()),
              std::filesystem::canonical(platform.settingsDirectory()));

    // A second save backs up the first one's bytes.
    state.model.settings.Description = "Renamed";
    SaveCollectionSettings(state, platform.services);
    EXPECT_EQ(ReadBytes(platform / "vimbrel000.bak"), OneFolderFile());
}

TEST_F(SaveCollection, WhatItWritesLoadsBackTheSame) {
    state.model.FolderTable[1].Folder = " leading and trailing ";
    state.model.settings.Description = "\"quoted\"";
    state.model.settings.Folders = 2;
    state.model.ResizeFolderTable(2);
    state.model.FolderTable[2].Folder = "/media/x;#=y";
    state.model.FolderTable[2].Background = 0xFFFFFF;
    SaveCollectionSettings(state, platform.services);

    ProgramState loaded;
    loaded.files = state.files;
    LoadCollectionSettings(loaded, platform.services, "vimbrel000.ini");
    loaded.model.ResizeFolderTable(loaded.model.settings.Folders);
    LoadFolderTable(loaded, platform.services, 1);
    LoadFolderTable(loaded, platform.services, 2);
    EXPECT_EQ(loaded.model.settings.Description, "\"quoted\"");
    EXPECT_EQ(loaded.model.settings.MinWidth, 0); // limits are not kept by a save
    EXPECT_EQ(loaded.model.FolderTable[1].Folder, " leading and trailing ");
    EXPECT_EQ(loaded.model.FolderTable[1].Interval, 5);
    EXPECT_EQ(loaded.model.FolderTable[2].Folder, "/media/x;#=y");
    EXPECT_EQ(loaded.model.FolderTable[2].Background, 0xFFFFFF);
}

TEST_F(SaveCollection, NameWithoutIniGetsASeparateBackupAndSurvives) {
    state.files.CollectionFile = "mycollection";
    const std::string previous = CrLf({"[Options]", "Description=Mine"});
    WriteBytes(platform / "mycollection", previous);
    SaveCollectionSettings(state, platform.services);
    EXPECT_EQ(ReadBytes(platform / "mycollection.bak"), previous);
    EXPECT_EQ(ReadBytes(platform / "mycollection"), OneFolderFile());
}

TEST_F(SaveCollection, VanishedFileIsWrittenWithoutBackup) {
    SaveCollectionSettings(state, platform.services);
    EXPECT_EQ(ReadBytes(platform / "vimbrel000.ini"), OneFolderFile());
    EXPECT_FALSE(std::filesystem::exists(platform / "vimbrel000.bak"));
}

TEST_F(SaveCollection, BackupNormalisesLineEndsAndEndsTheLastLine) {
    WriteBytes(platform / "vimbrel000.ini", "[Options]\nDescription=lf");
    SaveCollectionSettings(state, platform.services);
    EXPECT_EQ(ReadBytes(platform / "vimbrel000.bak"), CrLf({"[Options]", "Description=lf"}));
}

struct SaveArgs {
    ProgramState* state;
    platform::Services* services;
};

int SaveAndReport(void* argument) {
    auto* args = static_cast<SaveArgs*>(argument);
    try {
        SaveCollectionSettings(*args->state, *args->services);
    } catch (const Error& error) {
        return error.number() == ErrorNumber::PermissionDenied &&
                       error.description().find("Permission denied") == 0
                   ? 70
                   : 1;
    }
    return 0;
}

TEST_F(SaveCollection, UnwritableDirectoryIsReportedAndTouchesNothing) {
    VIMBREL_SKIP_WITHOUT_PERMISSION_CHECKS();
    const std::string collection = CrLf({"[Options]", "Description=Keep me"});
    const std::string backup = CrLf({"[Options]", "Description=Old backup"});
    WriteBytes(platform / "vimbrel000.ini", collection);
    WriteBytes(platform / "vimbrel000.bak", backup);
    ::chmod(platform.settingsDirectory().c_str(), 0555);
    SaveArgs args{&state, &platform.services};
    EXPECT_EQ(test::RunWithoutPermissionOverride(SaveAndReport, &args), 70);
    ::chmod(platform.settingsDirectory().c_str(), 0755);
    EXPECT_EQ(ReadBytes(platform / "vimbrel000.ini"), collection);
    EXPECT_EQ(ReadBytes(platform / "vimbrel000.bak"), backup);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(platform.settingsDirectory()),
                            std::filesystem::directory_iterator()),
              2);
}

} // namespace
} // namespace vimbrel
