#include "platform/FileSystem.h"

#include "runtime/Error.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace vimbrel::platform {

namespace {

// Closes a descriptor on every path out of a function.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    FileDescriptor(FileDescriptor&& other) noexcept : m_fd(other.release()) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor& operator=(FileDescriptor&&) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// The file a path names in the end: symbolic links followed, so that
// replacing a linked settings file replaces its target, not the link.
std::filesystem::path ResolvedTarget(const std::filesystem::path& path) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) != nullptr) {
        return resolved;
    }
    return path;
}

mode_t ModeForNewFile() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
}

} // namespace

bool FileExists(const std::filesystem::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool PathExists(const std::filesystem::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

std::string RealPath(const std::filesystem::path& path, const std::string& source) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) {
        throw FileError(errno, source, path.string());
    }
    return resolved;
}

namespace {

// Opens a plain file for reading. Opening does not wait: a pipe is opened
// and refused, never read.
FileDescriptor OpenPlainFile(const std::filesystem::path& path, const std::string& source,
                             struct stat& info) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0) {
        throw FileError(errno, source, path.string());
    }
    if (::fstat(fd.get(), &info) != 0) {
        throw FileError(errno, source, path.string());
    }
    if (!S_ISREG(info.st_mode)) {
        throw FileError(EISDIR, source, path.string());
    }
    return fd;
}

} // namespace

void CheckPlainFileReadable(const std::filesystem::path& path, const std::string& source) {
    struct stat info {};
    OpenPlainFile(path, source, info);
}

std::optional<std::string> ReadPlainFileUpTo(const std::filesystem::path& path, std::size_t limit,
                                             const std::string& source) {
    struct stat info {};
    const FileDescriptor fd = OpenPlainFile(path, source, info);
    if (static_cast<unsigned long long>(info.st_size) > limit) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t size = 0;
    for (;;) {
        // A file that grew since fstat is read up to one byte past the
        // limit, which is enough to refuse it.
        if (size == bytes.size()) {
            bytes.resize(std::min(limit + 1, std::max<std::size_t>(bytes.size() * 2, 4096)));
            if (size == bytes.size()) {
                break;
            }
        }
        const ssize_t count = ::read(fd.get(), bytes.data() + size, bytes.size() - size);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw FileError(errno, source, path.string());
        }
        if (count == 0) {
            break;
        }
        size += static_cast<std::size_t>(count);
    }
    if (size > limit) {
        return std::nullopt;
    }
    bytes.resize(size);
    return bytes;
}

int OpenForReading(const std::filesystem::path& path) {
    // Reading a plain file never waits anyway; a pipe answers "nothing yet"
    // instead of holding the reader.
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
}

void CloseDescriptor(int descriptor) {
    ::close(descriptor);
}

FileStamp StampOf(const std::filesystem::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return {};
    }
    return {static_cast<unsigned long long>(info.st_ino), static_cast<long long>(info.st_size),
            info.st_mtim};
}

void RemoveFileIfPresent(const std::filesystem::path& path, const std::string& source) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
        throw FileError(errno, source, path.string());
    }
}

std::filesystem::path CurrentDirectory() {
    std::error_code error;
    std::filesystem::path path = std::filesystem::current_path(error);
    return error ? std::filesystem::path() : path;
}

void SetCurrentDirectory(const std::filesystem::path& path) {
    if (::chdir(path.c_str()) != 0) {
        const int error = errno;
        throw FileError(error == ENOENT ? ENOTDIR : error, "ChDir", path.string());
    }
}

std::optional<std::string> ReadFileIfPresent(const std::filesystem::path& path) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ENOENT) {
            return std::nullopt;
        }
        throw FileError(errno, "Open", path.string());
    }
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t count = ::read(fd.get(), buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            // A folder of the file's name fails here with EISDIR.
            throw FileError(errno, "Open", path.string());
        }
        if (count == 0) {
            break;
        }
        bytes.append(buffer, static_cast<std::size_t>(count));
    }
    return bytes;
}

std::string ReadWholeFile(const std::filesystem::path& path) {
    std::optional<std::string> bytes = ReadFileIfPresent(path);
    if (!bytes) {
        throw FileError(ENOENT, "Open", path.string());
    }
    return std::move(*bytes);
}

void WriteFileReplacing(const std::filesystem::path& path, std::string_view bytes,
                        const std::string& source, FileAccess access) {
    const bool shared = access == FileAccess::Usual;
    const std::filesystem::path target = ResolvedTarget(path);
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        throw FileError(EISDIR, source, path.string());
    }
    if (shared && exists && ::access(target.c_str(), W_OK) != 0) {
        throw FileError(errno, source, path.string());
    }

    std::string temporary =
        (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
    FileDescriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (fd.get() < 0) {
        throw FileError(errno, source, path.string());
    }
    // The temporary file starts out readable by its owner alone.
    const mode_t mode = !shared ? 0600 : exists ? (existing.st_mode & 07777) : ModeForNewFile();
    const bool written =
        ::fchmod(fd.get(), mode) == 0 && WriteAll(fd.get(), bytes) && ::fsync(fd.get()) == 0;
    const int writeError = errno;
    if (!written || ::close(fd.release()) != 0) {
        const int error = written ? errno : writeError;
        ::unlink(temporary.c_str());
        throw FileError(error, source, path.string());
    }
    // Replacing the settings file by its new content is the point here;
    // renameat moves the finished file over the old one in one step.
    if (::renameat(AT_FDCWD, temporary.c_str(), AT_FDCWD, target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        throw FileError(error, source, path.string());
    }
}

std::string JoinTextLines(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

void WriteTextLines(const std::filesystem::path& path, const std::vector<std::string>& lines,
                    const std::string& source) {
    WriteFileReplacing(path, JoinTextLines(lines), source);
}

std::vector<std::string> SplitTextLines(std::string_view bytes) {
    std::vector<std::string> lines;
    std::size_t position = 0;
    while (position < bytes.size()) {
        const std::size_t breakAt = bytes.find_first_of("\r\n", position);
        if (breakAt == std::string_view::npos) {
            lines.emplace_back(bytes.substr(position));
            break;
        }
        lines.emplace_back(bytes.substr(position, breakAt - position));
        position = breakAt + 1;
        if (bytes[breakAt] == '\r' && position < bytes.size() && bytes[position] == '\n') {
            ++position;
        }
    }
    return lines;
}

void CreateDirectories(const std::filesystem::path& path, const std::string& source) {
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (error) {
        throw FileError(error.value(), source, path.string());
    }
    if (!std::filesystem::is_directory(path, error)) {
        throw FileError(ENOTDIR, source, path.string());
    }
}

} // namespace vimbrel::platform
