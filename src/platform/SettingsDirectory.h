#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace vimbrel::platform {

// Where every settings file lives: $VIMBREL_HOME when set, else
// $XDG_CONFIG_HOME/vimbrel, else ~/.config/vimbrel. Relative values of the
// XDG variable are ignored, as the base-directory rules ask.
std::filesystem::path SettingsDirectoryPath();

// The settings directory, created when missing. A directory that cannot be
// created raises the program's error.
std::filesystem::path GetSettingsDirectory();

} // namespace vimbrel::platform
