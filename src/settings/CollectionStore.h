#pragma once

#include <cstdint>
#include <string_view>

namespace vimbrel {

struct CollectionSettings;
struct SettingsModel;
namespace platform {
struct Services;
class ProfileFiles;
} // namespace platform

// Reads [Options] of the collection file into the collection settings. Each
// whole number is 16-bit: one that does not fit raises the overflow error at
// its key, and the keys after it keep their previous values. For a show
// that starts (mode /S) with RandomFolder = 1 the folder is drawn at random.
void LoadCollectionSettings(CollectionSettings& settings, platform::Services& services,
                            std::string_view file, bool showStarting);

// Reads [Folder<n>] of the collection file into FolderTable entry n, which
// must exist. The same overflow rule holds (except for the 32-bit colour).
// A missing Resolution is the display mode in use, currentResolution.
void LoadFolderTable(SettingsModel& model, platform::ProfileFiles& profiles, std::string_view file,
                     int32_t currentResolution, int16_t n);

// Copies the collection file to its backup, then writes the collection file
// whole from the model. The new content replaces the file in one step, so
// a failure never leaves it half written; any failure reaches the caller.
// Makes the settings directory the current directory.
void SaveCollectionSettings(const SettingsModel& model, platform::ProfileFiles& profiles,
                            const std::string& settingsDirectory, const std::string& file);

} // namespace vimbrel
