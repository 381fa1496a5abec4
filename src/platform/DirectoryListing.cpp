#include "platform/DirectoryListing.h"

#include "runtime/Error.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace vimbrel::platform {

namespace {

char Folded(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameBytes(std::string_view a, std::string_view b, LetterCase letterCase) {
    if (a.size() != b.size()) {
        return false;
    }
    if (letterCase == LetterCase::Exact) {
        return a == b;
    }
    // From the end: names differ most often in their extension, so a name
    // that does not fit a "*.EXT" pattern is turned away at its last byte.
    for (std::size_t i = a.size(); i-- > 0;) {
        if (Folded(a[i]) != Folded(b[i])) {
            return false;
        }
    }
    return true;
}

// Where part first occurs in text, or npos.
std::size_t Find(std::string_view text, std::string_view part, LetterCase letterCase) {
    if (letterCase == LetterCase::Exact) {
        return text.find(part);
    }
    for (std::size_t at = 0; at + part.size() <= text.size(); ++at) {
        if (SameBytes(text.substr(at, part.size()), part, letterCase)) {
            return at;
        }
    }
    return std::string_view::npos;
}

class OpenDirectory {
public:
    explicit OpenDirectory(DIR* dir) : m_dir(dir) {}
    ~OpenDirectory() {
        if (m_dir != nullptr) {
            ::closedir(m_dir);
        }
    }
    OpenDirectory(const OpenDirectory&) = delete;
    OpenDirectory& operator=(const OpenDirectory&) = delete;
    DIR* get() const { return m_dir; }

private:
    DIR* m_dir;
};

} // namespace

NamePattern::NamePattern(std::string pattern, LetterCase letterCase)
    : m_pattern(std::move(pattern)), m_case(letterCase) {
    const std::size_t firstStar = m_pattern.find('*');
    if (firstStar == std::string::npos) {
        m_head = {0, m_pattern.size()};
        return;
    }
    m_hasStar = true;
    const std::size_t lastStar = m_pattern.rfind('*');
    m_head = {0, firstStar};
    m_tail = {lastStar + 1, m_pattern.size() - lastStar - 1};
    std::size_t begin = firstStar + 1;
    while (begin < lastStar) {
        const std::size_t star = m_pattern.find('*', begin);
        if (star > begin) {
            m_middle.push_back({begin, star - begin});
        }
        begin = star + 1;
    }
}

bool NamePattern::Matches(std::string_view name) const {
    const std::string_view head = PartOf(m_head);
    if (!m_hasStar) {
        return SameBytes(name, head, m_case);
    }
    const std::string_view tail = PartOf(m_tail);
    if (name.size() < head.size() + tail.size() ||
        !SameBytes(name.substr(name.size() - tail.size()), tail, m_case) ||
        !SameBytes(name.substr(0, head.size()), head, m_case)) {
        return false;
    }
    // Each run between stars, taken at its first occurrence, leaves the
    // most room for the runs after it, so the first occurrence is the one
    // to take.
    std::string_view rest = name.substr(head.size(), name.size() - head.size() - tail.size());
    for (const Part part : m_middle) {
        const std::string_view run = PartOf(part);
        const std::size_t at = Find(rest, run, m_case);
        if (at == std::string_view::npos) {
            return false;
        }
        rest.remove_prefix(at + run.size());
    }
    return true;
}

bool MatchesPattern(std::string_view name, std::string_view pattern, LetterCase letterCase) {
    return NamePattern(std::string(pattern), letterCase).Matches(name);
}

namespace {

enum class EntryKind { PlainFile, Folder };

// Reads the folder once and calls visit with the name of every entry of the
// kind, leaving out the hidden ones (dot-files and dot-folders, "." and ".."
// among them). A symbolic link counts as what it leads to.
void ForEachEntry(const std::filesystem::path& directory, EntryKind kind,
                  const std::function<void(std::string_view name)>& visit) {
    OpenDirectory dir(::opendir(directory.c_str()));
    if (dir.get() == nullptr) {
        throw FileError(errno, "Dir", directory.string());
    }
    const unsigned char listedType = kind == EntryKind::PlainFile ? DT_REG : DT_DIR;
    const mode_t wantedMode = kind == EntryKind::PlainFile ? S_IFREG : S_IFDIR;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir.get());
        if (entry == nullptr) {
            if (errno != 0) {
                throw FileError(errno, "Dir", directory.string());
            }
            return;
        }
        if (entry->d_name[0] == '.') {
            continue;
        }
        bool wanted = entry->d_type == listedType;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            // Only where the listing does not say it already: following a
            // link costs a look-up per name.
            struct stat info {};
            wanted = ::fstatat(::dirfd(dir.get()), entry->d_name, &info, 0) == 0 &&
                     (info.st_mode & S_IFMT) == wantedMode;
        }
        if (wanted) {
            visit(entry->d_name);
        }
    }
}

} // namespace

void ForEachPlainFile(const std::filesystem::path& directory,
                      const std::function<void(std::string_view name)>& visit) {
    ForEachEntry(directory, EntryKind::PlainFile, visit);
}

void ForEachSubFolder(const std::filesystem::path& directory,
                      const std::function<void(std::string_view name)>& visit) {
    ForEachEntry(directory, EntryKind::Folder, visit);
}

std::vector<std::string> ListPlainFiles(const std::filesystem::path& directory) {
    std::vector<std::string> names;
    ForEachPlainFile(directory, [&](std::string_view name) { names.emplace_back(name); });
    return names;
}

std::vector<std::string> ListPlainFiles(const std::filesystem::path& directory,
                                        std::string_view pattern) {
    const NamePattern wanted(std::string(pattern), LetterCase::Ignored);
    std::vector<std::string> names;
    ForEachPlainFile(directory, [&](std::string_view name) {
        if (wanted.Matches(name)) {
            names.emplace_back(name);
        }
    });
    return names;
}

} // namespace vimbrel::platform
