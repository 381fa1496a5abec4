#include "playlists/PlayListFile.h"

#include "playlists/AsxPlayList.h"
#include "playlists/M3uPlayList.h"
#include "runtime/Conversions.h"
#include "runtime/Error.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace vimbrel {

namespace {

const char kSource[] = "PlayList";

// The name's extension without the dot, "" when its last component has none.
std::string_view Extension(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || name.find('/', dot) != std::string_view::npos) {
        return {};
    }
    return name.substr(dot + 1);
}

bool IsAsxName(std::string_view name) {
    const std::string_view extension = Extension(name);
    return EqualsIgnoringAsciiCase(extension, "asx") || EqualsIgnoringAsciiCase(extension, "wax") ||
           EqualsIgnoringAsciiCase(extension, "wvx");
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

Error TooLarge(const std::string& path) {
    return Error(ErrorNumber::PathFileAccessError, kSource,
                 "Play list over " + std::to_string(kMaxPlayListBytes / (1024 * 1024)) +
                     " MB: " + path);
}

// The bytes of a plain file of at most `limit` bytes. Opening does not wait:
// a pipe or device of a list's name is refused, never read.
std::string ReadPlainFile(const std::string& path, std::size_t limit) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0) {
        throw FileError(errno, kSource, path);
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) {
        throw FileError(errno, kSource, path);
    }
    if (!S_ISREG(info.st_mode)) {
        throw FileError(EISDIR, kSource, path);
    }
    if (static_cast<unsigned long long>(info.st_size) > limit) {
        throw TooLarge(path);
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
            throw FileError(errno, kSource, path);
        }
        if (count == 0) {
            break;
        }
        size += static_cast<std::size_t>(count);
    }
    if (size > limit) {
        throw TooLarge(path);
    }
    bytes.resize(size);
    return bytes;
}

std::string RealPath(const std::string& path) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) {
        throw FileError(errno, kSource, path);
    }
    return resolved;
}

// One reading of a list and the lists nested in it, with what it may still
// spend.
class PlayListReader {
public:
    std::vector<std::string> Read(const std::string& path) {
        ReadList(path, 0);
        return std::move(m_entries);
    }

private:
    // Reads one list into m_entries; raises for a list that cannot be read.
    void ReadList(const std::string& path, int depth) {
        const std::string real = RealPath(path);
        if (std::find(m_open.begin(), m_open.end(), real) != m_open.end()) {
            throw Error(ErrorNumber::PathFileAccessError, kSource,
                        "Play list names itself: " + path);
        }
        if (m_listsLeft == 0) {
            throw Error(ErrorNumber::PathFileAccessError, kSource, "Too many play lists: " + path);
        }
        --m_listsLeft;
        const std::string text = ReadPlainFile(path, m_bytesLeft);
        m_bytesLeft -= text.size();

        m_open.push_back(real);
        struct Close {
            std::vector<std::string>& open;
            ~Close() { open.pop_back(); }
        } close{m_open};

        const PlayListSink take = [this, depth](std::string entry) {
            if (!IsPlayListName(entry)) {
                m_entries.push_back(std::move(entry));
            } else if (depth < kMaxPlayListDepth) {
                try {
                    ReadList(entry, depth + 1);
                } catch (const Error&) {
                    // A list that cannot be read is left out; handing it to
                    // the player would let the player read it by itself.
                }
            }
            return m_entries.size() < kMaxPlayListEntries;
        };
        const std::filesystem::path folder = std::filesystem::path(path).parent_path();
        if (!IsAsxName(path)) {
            ReadM3uEntries(text, folder, take);
            return;
        }
        try {
            ReadAsxEntries(text, folder, take);
        } catch (const Error& error) {
            throw Error(error.number(), kSource, error.description() + ": " + path);
        }
    }

    std::vector<std::string> m_entries;
    // The real paths of the lists being read, outermost first.
    std::vector<std::string> m_open;
    std::size_t m_bytesLeft = kMaxPlayListBytes;
    int m_listsLeft = kMaxPlayListsOpened;
};

} // namespace

bool IsPlayListName(std::string_view name) {
    const std::string_view extension = Extension(name);
    return EqualsIgnoringAsciiCase(extension, "m3u") ||
           EqualsIgnoringAsciiCase(extension, "m3u8") || IsAsxName(name);
}

std::vector<std::string> ReadPlayListFile(const std::string& path) {
    // Absolute now, so that the entries are too and stay valid when the
    // show changes the current folder.
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return PlayListReader().Read(error || path.empty() ? path : absolute.string());
}

} // namespace vimbrel
