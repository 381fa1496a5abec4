#include "platform/SubFolders.h"

#include "platform/DirectoryListing.h"

namespace vimbrel::platform {

std::vector<std::string> ListSubFolders(const std::filesystem::path& directory) {
    std::vector<std::string> names;
    ForEachSubFolder(directory, [&](std::string_view name) { names.emplace_back(name); });
    return names;
}

} // namespace vimbrel::platform
