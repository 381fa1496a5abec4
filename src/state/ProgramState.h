#pragma once

#include "catalogue/CatalogueState.h"
#include "display/DisplayModes.h"
#include "display/ScreenState.h"
#include "preview/PreviewState.h"
#include "settings/SettingsModel.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vimbrel {

// The settings files in use: all live in the settings directory, and the
// names are bare file names within it.
struct FileNames {
    std::string WindowsDirectory; // the settings directory
    std::string MasterFile;
    std::string CollectionFile;
};

// The title of the show's window, by which a second show finds the first.
inline constexpr std::string_view kSlideshowTitle = "Screensaver: Vimbrel";

// What the command line asked for.
struct RunState {
    std::string RunMode;      // "/S", "/C", "/P", "/A", or whatever two characters came
    int32_t ParentWindow = 0; // the host window of /P and /A
    bool InLocker = false;    // a screen locker started the show inside its own window
};

// The order in which the next-folder key visits the folders.
struct FolderOrder {
    std::vector<int16_t> FolderNumberArray; // folder numbers at 0..Folders-1
    int16_t FolderIndex = 0;                // the position that holds CurrentFolder
};

// Everything the program keeps while it runs. main() makes one and hands it
// to start-up and the windows; a test makes a fresh one of its own.
struct ProgramState {
    FileNames files;
    RunState run;
    SettingsModel model;
    FolderOrder folderOrder;
    CatalogueState catalogue;
    ScreenState screen;
    DisplayModeState display;
    PreviewState preview;
    int16_t MouseMoveCount = 0;
};

} // namespace vimbrel
