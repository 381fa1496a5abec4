#include "playlists/PlayListFile.h"

#include "platform/FileSystem.h"
#include "playlists/AsxPlayList.h"
#include "playlists/M3uPlayList.h"
#include "runtime/Conversions.h"
#include "runtime/Error.h"

#include <algorithm>
#include <filesystem>
#include <optional>

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

Error TooLarge(const std::string& path) {
    return Error(ErrorNumber::PathFileAccessError, kSource,
                 "Play list over " + std::to_string(kMaxPlayListBytes / (1024 * 1024)) +
                     " MB: " + path);
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
        const std::string real = platform::RealPath(path, kSource);
        if (std::find(m_open.begin(), m_open.end(), real) != m_open.end()) {
            throw Error(ErrorNumber::PathFileAccessError, kSource,
                        "Play list names itself: " + path);
        }
        if (m_listsLeft == 0) {
            throw Error(ErrorNumber::PathFileAccessError, kSource, "Too many play lists: " + path);
        }
        --m_listsLeft;
        std::optional<std::string> read = platform::ReadPlainFileUpTo(path, m_bytesLeft, kSource);
        if (!read) {
            throw TooLarge(path);
        }
        const std::string text = std::move(*read);
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
