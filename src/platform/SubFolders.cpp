#include "platform/SubFolders.h"

#include "runtime/Error.h"

#include <cerrno>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>

namespace vimbrel::platform {

std::vector<std::string> ListSubFolders(const std::filesystem::path& directory) {
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(directory.c_str()), ::closedir);
    if (dir == nullptr) {
        throw FileError(errno, "Dir", directory.string());
    }
    std::vector<std::string> names;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir.get());
        if (entry == nullptr) {
            if (errno != 0) {
                throw FileError(errno, "Dir", directory.string());
            }
            return names;
        }
        // "." and ".." are no sub-folders, and dot-folders are hidden ones.
        if (entry->d_name[0] == '.') {
            continue;
        }
        bool folder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat info {};
            folder = ::fstatat(::dirfd(dir.get()), entry->d_name, &info, 0) == 0 &&
                     S_ISDIR(info.st_mode);
        }
        if (folder) {
            names.emplace_back(entry->d_name);
        }
    }
}

} // namespace vimbrel::platform
