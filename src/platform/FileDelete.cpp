#include "platform/FileDelete.h"

#include "runtime/Error.h"

#include <cerrno>
#include <unistd.h>

namespace vimbrel::platform {

void DeleteFile(const std::filesystem::path& path) {
    // unlink, not remove(): a folder of that name is no file to delete.
    if (::unlink(path.c_str()) != 0) {
        throw FileError(errno, "Kill", path.string());
    }
}

} // namespace vimbrel::platform
