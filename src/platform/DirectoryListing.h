#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vimbrel::platform {

enum class LetterCase {
    Exact,  // every byte stands for itself
    Ignored // ASCII letters match in either case; other bytes stand for themselves
};

// A file-name pattern as a directory listing takes it: "*" stands for any
// run of characters (none included), every other character for itself.
// Prepared once, so that matching the thousands of names of a big folder
// against it does no more than compare the fixed parts.
class NamePattern {
public:
    NamePattern(std::string pattern, LetterCase letterCase);

    bool Matches(std::string_view name) const;
    const std::string& text() const { return m_pattern; }

private:
    // The fixed parts, as offsets into m_pattern (views would dangle when a
    // pattern held in a vector moves): the head before the first "*", the
    // tail after the last one, and the runs between stars, which must occur
    // in this order between head and tail.
    struct Part {
        std::size_t offset = 0;
        std::size_t length = 0;
    };
    std::string_view PartOf(Part part) const {
        return {m_pattern.data() + part.offset, part.length};
    }

    std::string m_pattern;
    LetterCase m_case;
    bool m_hasStar = false;
    Part m_head;
    Part m_tail;
    std::vector<Part> m_middle;
};

// The same test for one name; a caller with many names keeps a NamePattern.
bool MatchesPattern(std::string_view name, std::string_view pattern, LetterCase letterCase);

// Calls visit with the name of every plain file of the folder, in the order
// the file system keeps them, reading the folder once. Left out: folders,
// dot-files (the hidden files), and whatever else is not a plain file
// (devices, pipes, sockets, links that lead nowhere); a symbolic link to a
// plain file counts as that file. A folder that cannot be opened or read
// raises the program's error.
void ForEachPlainFile(const std::filesystem::path& directory,
                      const std::function<void(std::string_view name)>& visit);

// The same for the folders inside the folder: a symbolic link to a folder
// counts as one; hidden folders (dot-folders) do not.
void ForEachSubFolder(const std::filesystem::path& directory,
                      const std::function<void(std::string_view name)>& visit);

// The plain files of the folder, in the file system's order.
std::vector<std::string> ListPlainFiles(const std::filesystem::path& directory);

// The plain files whose names match the pattern without regard to case.
std::vector<std::string> ListPlainFiles(const std::filesystem::path& directory,
                                        std::string_view pattern);

} // namespace vimbrel::platform
