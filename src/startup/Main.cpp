#include "startup/Main.h"

#include "catalogue/CatalogueState.h"
#include "controls/CursorHelpers.h"
#include "controls/ErrorPolicies.h"
#include "platform/FileSystem.h"
#include "platform/MessageBoxes.h"
#include "platform/ProfileFile.h"
#include "platform/Screen.h"
#include "platform/Services.h"
#include "platform/SettingsDirectory.h"
#include "platform/WindowTitleLock.h"
#include "runtime/Error.h"
#include "settings/CollectionStore.h"
#include "settings/SettingsFiles.h"
#include "startup/CommandLine.h"
#include "startup/FolderOrder.h"
#include "state/ProgramState.h"

#include <exception>

namespace vimbrel {

namespace {

// The master file's Settings value, or "<unknown>" when it is missing or
// names anything but a file in the settings directory itself.
std::string ReadSettingsValue(platform::ProfileFiles& profiles, const std::string& masterFile) {
    std::string value =
        profiles.GetPrivateProfileString("Options", "Settings", kUnknown, masterFile, 254);
    return IsBareFileName(value) ? value : std::string(kUnknown);
}

Handover Dispatch(ProgramState& state, platform::Services& services, std::string_view commandLine) {
    const std::string& mode = state.run.RunMode;
    if (mode == "/C") {
        return Handover::Configuration;
    }
    if (mode == "/P" || mode == "/A") {
        SkipOnError([&] { state.run.ParentWindow = ParentWindowOf(commandLine); });
        return mode == "/P" ? Handover::Preview : Handover::PasswordChange;
    }
    if (mode == "/S" && state.run.InLocker) {
        // One show runs per screen inside a locker, which owns the screen:
        // no lock against a second show, and no dialog to fall back to.
        if (state.model.settings.Folders == 0) {
            services.messageBoxes.Show("No Vimbrel folders have been defined.",
                                       platform::MessageIcon::Information,
                                       platform::MessageButtons::Ok);
            return Handover::None;
        }
        return Handover::ShowInLocker;
    }
    if (mode == "/S") {
        if (!platform::IsWindowAbsent(kSlideshowTitle)) {
            return Handover::None;
        }
        if (state.model.settings.Folders == 0) {
            RestoreCursor(services.cursor);
            services.messageBoxes.Show("No Vimbrel folders have been defined.",
                                       platform::MessageIcon::Information,
                                       platform::MessageButtons::Ok);
            return Handover::Configuration;
        }
        return Handover::Slideshow;
    }
    return Handover::None;
}

} // namespace

Handover Main(ProgramState& state, platform::Services& services, std::string_view commandLine) {
    // The fault handler is installed by the entry point itself, before the
    // GUI library starts, so that a fault there is reported too.

    state.files.WindowsDirectory = platform::GetSettingsDirectory().string();
    platform::ProfileFiles& profiles = services.profiles;
    profiles.SetDirectory(state.files.WindowsDirectory);

    SkipOnError([&] { platform::SetCurrentDirectory(state.files.WindowsDirectory); });

    state.files.MasterFile = std::string(kMasterFileName);
    const std::string& master = state.files.MasterFile;
    SkipOnError([&] {
        if (!platform::FileExists(profiles.PathOf(master))) {
            platform::WriteTextLines(profiles.PathOf(master), DefaultMasterFileLines(), "Main");
        }
    });

    std::string settings = std::string(kUnknown);
    SkipOnError([&] { settings = ReadSettingsValue(profiles, master); });
    SkipOnError([&] {
        if (settings == kUnknown) {
            platform::WriteTextLines(profiles.PathOf(master), DefaultMasterFileLines(), "Main");
            settings = ReadSettingsValue(profiles, master);
        }
    });
    SkipOnError([&] {
        if (settings != kUnknown && !platform::FileExists(profiles.PathOf(settings))) {
            platform::WriteTextLines(profiles.PathOf(settings), DefaultCollectionFileLines(),
                                     "Main");
        }
    });
    state.files.CollectionFile = std::string(kUnknown);
    SkipOnError([&] { state.files.CollectionFile = ReadSettingsValue(profiles, master); });

    state.run.RunMode = RunModeOf(commandLine);

    SkipOnError([&] {
        LoadCollectionSettings(state.model.settings, services, state.files.CollectionFile,
                               state.run.RunMode == "/S");
    });

    const int16_t folders = state.model.settings.Folders;
    state.model.FolderTable.clear();
    state.model.ResizeFolderTable(folders);
    for (int n = 1; n <= folders; ++n) {
        SkipOnError([&] {
            LoadFolderTable(state.model, services.profiles, state.files.CollectionFile,
                            CurrentResolution(state.display), static_cast<int16_t>(n));
        });
    }

    SkipOnError([&] {
        BuildFolderOrder(state.folderOrder, folders, state.model.settings.CurrentFolder,
                         services.random);
    });
    state.MouseMoveCount = 0;
    state.catalogue.SupportedPatterns = SupportedPatternsFor(state.model.settings.MoreFormats == 1);

    const platform::ScreenSize screen = platform::PrimaryScreenSize();
    state.screen.ScreenWidth = screen.widthTwips;
    state.screen.ScreenHeight = screen.heightTwips;
    SkipOnError([&] {
        EnumerateDisplayModes(state.display, services.displayModes, state.screen.ScreenWidth,
                              state.screen.ScreenHeight);
    });

    Handover handover = Handover::None;
    SkipOnError([&] { handover = Dispatch(state, services, commandLine); });
    return handover;
}

} // namespace vimbrel
