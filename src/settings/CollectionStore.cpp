#include "settings/CollectionStore.h"

#include "platform/FileSystem.h"
#include "platform/ProfileFile.h"
#include "platform/RandomSource.h"
#include "platform/Services.h"
#include "runtime/Conversions.h"
#include "runtime/Error.h"
#include "settings/SettingsFiles.h"
#include "settings/SettingsModel.h"

#include <algorithm>
#include <cmath>

namespace vimbrel {

namespace {

constexpr int kTextBuffer = 254;

} // namespace

void LoadCollectionSettings(CollectionSettings& s, platform::Services& services,
                            std::string_view file, bool showStarting) {
    platform::ProfileFiles& profiles = services.profiles;
    const auto read = [&](std::string_view key, int32_t defaultValue) {
        return ToInt16(profiles.GetPrivateProfileInt("Options", key, defaultValue, file));
    };
    s.key_Beep = read("key_Beep", 0);
    s.key_Captions = read("key_Captions", 102);
    s.key_NewFolder = read("key_NewFolder", 115);
    s.key_Next = read("key_Next", 110);
    s.key_Pause = read("key_Pause", 122);
    s.key_Previous = read("key_Previous", 112);
    s.key_Rename = read("key_Rename", 114);
    s.key_Special = read("key_Special", 0);
    s.CurrentFolder = read("CurrentFolder", 1);
    s.MouseMoves = read("MouseMoves", 4);
    s.RandomFolder = read("RandomFolder", 1);
    // A count below 0 is no folders at all.
    s.Folders = std::max<int16_t>(read("Folders", 0), 0);
    s.MoreFormats = read("MoreFormats", 0);
    // The size limits are read from [Options]: the [Renaming] section that
    // a save writes them to is never read.
    s.MinWidth = read("MinWidth", 0);
    s.MinHeight = read("MinHeight", 0);
    s.MaxWidth = read("MaxWidth", 0);
    s.MaxHeight = read("MaxHeight", 0);
    s.Description = profiles.GetPrivateProfileString("Options", "Description", kDefaultDescription,
                                                     file, kTextBuffer);

    if (showStarting && s.RandomFolder == 1) {
        services.random.Randomize();
        // The arithmetic on the single-precision draw is exact, so the
        // largest draw still gives a folder number within 1..Folders.
        const double r = services.random.Rnd();
        s.CurrentFolder = CInt(std::floor(s.Folders * r + 1.0));
    }
}

void LoadFolderTable(SettingsModel& model, platform::ProfileFiles& profiles, std::string_view file,
                     int32_t currentResolution, int16_t n) {
    const std::string section = "Folder" + std::to_string(n);
    FolderEntry& entry = model.FolderTable.at(static_cast<std::size_t>(n));
    const auto read = [&](std::string_view key, int32_t defaultValue) {
        return ToInt16(profiles.GetPrivateProfileInt(section, key, defaultValue, file));
    };
    entry.Folder = profiles.GetPrivateProfileString(section, "Set", kUnknown, file, kTextBuffer);
    entry.Background = profiles.GetPrivateProfileInt(section, "background", 0, file);
    entry.Captions = read("Captions", 0);
    entry.Center = read("Center", 0);
    entry.Interval = read("Interval", 3);
    entry.ImageScale = read("ImageScale", 2);
    entry.RandomOrder = read("RandomOrder", 1);
    entry.VideoScale = read("VideoScale", 0);
    entry.Resolution = read("Resolution", currentResolution);
}

void SaveCollectionSettings(const SettingsModel& model, platform::ProfileFiles& profiles,
                            const std::string& settingsDirectory, const std::string& file) {
    try {
        platform::SetCurrentDirectory(settingsDirectory);
    } catch (const Error&) {
        // Only the current directory is affected; the files are addressed
        // by their full paths below.
    }
    const std::filesystem::path path = profiles.PathOf(file);

    // A collection file that has gone since it was loaded has nothing to
    // back up; the save then writes it anew.
    if (std::optional<std::string> previous = platform::ReadFileIfPresent(path)) {
        platform::WriteTextLines(profiles.PathOf(BackupFileName(file)),
                                 platform::SplitTextLines(*previous), "SaveCollectionSettings");
    }
    platform::WriteTextLines(path, CollectionFileLines(model), "SaveCollectionSettings");
}

} // namespace vimbrel
