#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vimbrel::platform {

// Profile (INI) files as the settings have always been kept: sections in
// brackets, key=value lines, names compared without regard to case, values
// trimmed of blanks, the first section and the first key of a name winning,
// and single keys rewritten in place so every other byte of the file stays.

// The blanks the reader trims around names and values: space, tab and
// vertical tab.
inline bool IsProfileBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v';
}

// One line of a profile file, as offsets into the file's bytes.
struct ProfileLine {
    enum class Kind { Other, Section, Key };
    Kind kind = Kind::Other;
    std::size_t begin = 0;      // first byte of the line
    std::size_t nameBegin = 0;  // first byte of the key name (key lines)
    std::size_t contentEnd = 0; // first byte of the line end (or of the file end)
    std::size_t end = 0;        // first byte after the line end
    std::string_view name;      // section or key name, trimmed
    std::string_view value;     // key value, trimmed, quotes still on
};

// Splits a file into lines at CR LF, LF or CR. A UTF-8 byte-order mark at
// the start is not part of the first line.
std::vector<ProfileLine> ParseProfile(std::string_view bytes);

// The raw value of a key, trimmed, or nothing when the section or key is
// missing. Section and key are trimmed before they are compared.
std::optional<std::string_view> FindProfileValue(std::string_view bytes, std::string_view section,
                                                 std::string_view key);

// What the profile reader hands back for a value: one matching pair of
// quotes removed, the text cut at a NUL, then at most bufferSize - 1 bytes.
std::string ProfileReaderResult(std::string_view value, int bufferSize);

// Reads a whole number the way the profile reader does: leading blanks, an
// optional sign, decimal digits up to the first other character, wrapping in
// 32 bits ("42A9" is 42, "4294967297" is 1, "B42" is 0).
int32_t ProfileNumber(std::string_view text);

// The file's bytes with section/key set to value: an existing key keeps its
// line and spelling, a new key goes after the last key line of its section,
// a new section goes at the end. Line breaks inside the value would split
// the line into forged keys, so they are written as '?'.
std::string WithProfileKey(std::string_view bytes, std::string_view section, std::string_view key,
                           std::string_view value);

// The profile functions over files in one directory (the settings
// directory): a bare file name is looked up there, whatever the process's
// current directory is.
class ProfileFiles {
public:
    explicit ProfileFiles(std::filesystem::path directory);

    const std::filesystem::path& directory() const { return m_directory; }
    void SetDirectory(std::filesystem::path directory);
    std::filesystem::path PathOf(std::string_view fileName) const;

    // The value, or the default (trailing blanks dropped) for a missing
    // file, section or key; at most bufferSize - 1 bytes.
    std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                        std::string_view defaultValue, std::string_view fileName,
                                        int bufferSize = 254);

    // The value as a 32-bit whole number, or the default for a missing file,
    // section or key. An empty value also gives the default (the reader
    // finds no text to convert).
    int32_t GetPrivateProfileInt(std::string_view section, std::string_view key,
                                 int32_t defaultValue, std::string_view fileName);

    // Writes one key in place, creating the file or section when missing.
    // Raises the program's error when the file cannot be written; the file
    // is then left as it was.
    void WritePrivateProfileString(std::string_view section, std::string_view key,
                                   std::string_view value, std::string_view fileName);

private:
    const std::string* Contents(std::string_view fileName);

    std::filesystem::path m_directory;
    // The last file read, kept while its size, time and identity on disk
    // stay the same: loading a collection reads the same file hundreds of
    // times, one key at a time. File times are coarse (a few milliseconds),
    // so a file that changed just before it was read is read again each
    // time: a second change within the same tick would not show in its time.
    struct CachedFile {
        std::filesystem::path path;
        uint64_t device = 0, inode = 0, size = 0;
        int64_t modifiedNs = 0, changedNs = 0;
        int64_t readAtNs = 0; // when the bytes were read
        std::string bytes;
    };
    std::optional<CachedFile> m_cache;
};

} // namespace vimbrel::platform
