#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace vimbrel::platform {

// The names of the folders inside a folder, in the order the file system
// keeps them, reading the folder once. A symbolic link to a folder counts
// as a folder; hidden folders (dot-folders) and plain files do not. A
// folder that cannot be opened or read raises the program's error.
std::vector<std::string> ListSubFolders(const std::filesystem::path& directory);

} // namespace vimbrel::platform
