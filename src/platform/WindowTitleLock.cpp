#include "platform/WindowTitleLock.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vimbrel::platform {

namespace {

std::filesystem::path LockDirectory() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime == '/') {
        return std::filesystem::path(runtime) / "vimbrel";
    }
    return "/tmp/vimbrel-" + std::to_string(::getuid());
}

// The lock folder is the user's own: a folder that someone else made in
// /tmp beforehand must not steer where the locks go.
bool EnsurePrivateDirectory(const std::filesystem::path& directory) {
    if (::mkdir(directory.c_str(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    struct stat info {};
    return ::lstat(directory.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::getuid();
}

int OpenLockFile(std::string_view title) {
    const std::filesystem::path path = WindowTitleLockPath(title);
    if (!EnsurePrivateDirectory(path.parent_path())) {
        return -1;
    }
    return ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
}

} // namespace

std::filesystem::path WindowTitleLockPath(std::string_view title) {
    // Letters and digits stand for themselves in lower case; every other
    // byte is written as %XX, so that two titles never share a file.
    std::string name;
    for (char c : title) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 'A' && byte <= 'Z') {
            name += static_cast<char>(byte - 'A' + 'a');
        } else if ((byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9')) {
            name += c;
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", byte);
            name += escaped;
        }
    }
    return LockDirectory() / (name + ".lock");
}

WindowTitleLock::~WindowTitleLock() {
    Release();
}

bool WindowTitleLock::Acquire(std::string_view title) {
    Release();
    const int fd = OpenLockFile(title);
    if (fd < 0) {
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

void WindowTitleLock::Release() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

bool IsWindowTitleHeld(std::string_view title) {
    const int fd = OpenLockFile(title);
    if (fd < 0) {
        return false;
    }
    // A lock of this process's own window conflicts too: flock locks belong
    // to open files, not to processes.
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

bool IsWindowAbsent(std::string_view title) {
    try {
        return !IsWindowTitleHeld(title);
    } catch (...) {
        return true;
    }
}

} // namespace vimbrel::platform
