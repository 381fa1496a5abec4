#include "platform/ProfileFile.h"

#include "platform/FileSystem.h"
#include "runtime/Conversions.h"
#include "runtime/Error.h"

#include <ctime>
#include <sys/stat.h>

namespace vimbrel::platform {

namespace {

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsProfileBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsProfileBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string_view TrimEnd(std::string_view text) {
    while (!text.empty() && IsProfileBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

void ClassifyLine(std::string_view bytes, ProfileLine& line) {
    std::size_t first = line.begin;
    while (first < line.contentEnd && IsProfileBlank(bytes[first])) {
        ++first;
    }
    const std::string_view content = bytes.substr(first, line.contentEnd - first);
    if (content.empty() || content.front() == ';') {
        return;
    }
    if (content.front() == '[') {
        // A header without "]" still starts a section, named by the rest of
        // its line, as the system's reader takes it.
        const std::size_t close = content.find(']');
        line.kind = ProfileLine::Kind::Section;
        line.name = Trim(content.substr(1, close == std::string_view::npos ? close : close - 1));
        return;
    }
    const std::size_t equals = content.find('=');
    if (equals == std::string_view::npos) {
        return;
    }
    line.kind = ProfileLine::Kind::Key;
    line.nameBegin = first;
    line.name = Trim(content.substr(0, equals));
    line.value = Trim(content.substr(equals + 1));
}

// Index of the first header of the section, or lines.size().
std::size_t FindSection(const std::vector<ProfileLine>& lines, std::string_view section) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind == ProfileLine::Kind::Section &&
            EqualsIgnoringAsciiCase(lines[i].name, section)) {
            return i;
        }
    }
    return lines.size();
}

std::string OneLine(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c == '\r' || c == '\n') {
            c = '?';
        }
    }
    return result;
}

constexpr std::string_view kLineEnd = "\r\n";

} // namespace

std::vector<ProfileLine> ParseProfile(std::string_view bytes) {
    std::vector<ProfileLine> lines;
    std::size_t position = 0;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        position = 3;
    }
    while (position < bytes.size()) {
        ProfileLine line;
        line.begin = position;
        const std::size_t breakAt = bytes.find_first_of("\r\n", position);
        line.contentEnd = breakAt == std::string_view::npos ? bytes.size() : breakAt;
        line.end = line.contentEnd;
        if (line.end < bytes.size()) {
            line.end += (bytes[line.end] == '\r' && line.end + 1 < bytes.size() &&
                         bytes[line.end + 1] == '\n')
                            ? 2
                            : 1;
        }
        ClassifyLine(bytes, line);
        lines.push_back(line);
        position = line.end;
    }
    return lines;
}

std::optional<std::string_view> FindProfileValue(std::string_view bytes, std::string_view section,
                                                 std::string_view key) {
    section = Trim(section);
    key = Trim(key);
    const std::vector<ProfileLine> lines = ParseProfile(bytes);
    for (std::size_t i = FindSection(lines, section) + 1; i < lines.size(); ++i) {
        if (lines[i].kind == ProfileLine::Kind::Section) {
            break;
        }
        if (lines[i].kind == ProfileLine::Kind::Key &&
            EqualsIgnoringAsciiCase(lines[i].name, key)) {
            return lines[i].value;
        }
    }
    return std::nullopt;
}

std::string ProfileReaderResult(std::string_view value, int bufferSize) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    value = BeforeFirstNul(value);
    const std::size_t room = bufferSize > 0 ? static_cast<std::size_t>(bufferSize - 1) : 0;
    return std::string(value.substr(0, room));
}

int32_t ProfileNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsProfileBlank(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // A C-style "0x" reads hexadecimal digits, anything else decimal ones.
    uint32_t base = 10;
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    uint32_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        uint32_t digit = base;
        if (c >= '0' && c <= '9') {
            digit = static_cast<uint32_t>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            digit = static_cast<uint32_t>(c - 'a' + 10);
        } else if (c >= 'A' && c <= 'F') {
            digit = static_cast<uint32_t>(c - 'A' + 10);
        }
        if (digit >= base) {
            break;
        }
        value = value * base + digit;
    }
    if (negative) {
        value = 0u - value;
    }
    return static_cast<int32_t>(value);
}

std::string WithProfileKey(std::string_view bytes, std::string_view section, std::string_view key,
                           std::string_view value) {
    const std::string sectionName = OneLine(Trim(section));
    const std::string keyName = OneLine(Trim(key));
    const std::string keyLine = keyName + "=" + OneLine(value);
    const std::vector<ProfileLine> lines = ParseProfile(bytes);
    std::string result(bytes);

    const std::size_t header = FindSection(lines, sectionName);
    if (header == lines.size()) {
        if (!result.empty() && result.back() != '\n' && result.back() != '\r') {
            result += kLineEnd;
        }
        result += "[" + sectionName + "]";
        result += kLineEnd;
        result += keyLine;
        result += kLineEnd;
        return result;
    }

    std::size_t insertAfter = header;
    for (std::size_t i = header + 1; i < lines.size(); ++i) {
        const ProfileLine& line = lines[i];
        if (line.kind == ProfileLine::Kind::Section) {
            break;
        }
        if (line.kind != ProfileLine::Kind::Key) {
            continue;
        }
        if (EqualsIgnoringAsciiCase(line.name, keyName)) {
            // The key keeps its line, its indentation and its spelling.
            const std::string replacement = std::string(line.name) + "=" + OneLine(value);
            result.replace(line.nameBegin, line.contentEnd - line.nameBegin, replacement);
            return result;
        }
        insertAfter = i;
    }

    const ProfileLine& anchor = lines[insertAfter];
    if (anchor.end == anchor.contentEnd) {
        // The anchor is the file's last line and has no line end of its own.
        result.insert(anchor.end, std::string(kLineEnd) + keyLine + std::string(kLineEnd));
    } else {
        result.insert(anchor.end, keyLine + std::string(kLineEnd));
    }
    return result;
}

ProfileFiles::ProfileFiles(std::filesystem::path directory) : m_directory(std::move(directory)) {}

void ProfileFiles::SetDirectory(std::filesystem::path directory) {
    m_directory = std::move(directory);
    m_cache.reset();
}

std::filesystem::path ProfileFiles::PathOf(std::string_view fileName) const {
    std::filesystem::path name{std::string(fileName)};
    return name.is_absolute() ? name : m_directory / name;
}

const std::string* ProfileFiles::Contents(std::string_view fileName) {
    const std::filesystem::path path = PathOf(fileName);
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return nullptr;
    }
    const auto nanoseconds = [](const timespec& t) {
        return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
    };
    constexpr int64_t kTimeGranularityNs = 50'000'000;
    if (m_cache && m_cache->path == path && m_cache->device == info.st_dev &&
        m_cache->modifiedNs + kTimeGranularityNs < m_cache->readAtNs &&
        m_cache->changedNs + kTimeGranularityNs < m_cache->readAtNs &&
        m_cache->inode == info.st_ino && m_cache->size == static_cast<uint64_t>(info.st_size) &&
        m_cache->modifiedNs == nanoseconds(info.st_mtim) &&
        m_cache->changedNs == nanoseconds(info.st_ctim)) {
        return &m_cache->bytes;
    }
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    std::optional<std::string> bytes;
    try {
        bytes = ReadFileIfPresent(path);
    } catch (const Error&) {
        // A file that cannot be read gives the defaults, as a missing one.
    }
    if (!bytes) {
        m_cache.reset();
        return nullptr;
    }
    m_cache = CachedFile{path,
                         static_cast<uint64_t>(info.st_dev),
                         static_cast<uint64_t>(info.st_ino),
                         static_cast<uint64_t>(info.st_size),
                         nanoseconds(info.st_mtim),
                         nanoseconds(info.st_ctim),
                         nanoseconds(now),
                         std::move(*bytes)};
    return &m_cache->bytes;
}

std::string ProfileFiles::GetPrivateProfileString(std::string_view section, std::string_view key,
                                                  std::string_view defaultValue,
                                                  std::string_view fileName, int bufferSize) {
    if (const std::string* bytes = Contents(fileName)) {
        if (auto value = FindProfileValue(*bytes, section, key)) {
            return ProfileReaderResult(*value, bufferSize);
        }
    }
    const std::size_t room = bufferSize > 0 ? static_cast<std::size_t>(bufferSize - 1) : 0;
    return std::string(TrimEnd(BeforeFirstNul(defaultValue)).substr(0, room));
}

int32_t ProfileFiles::GetPrivateProfileInt(std::string_view section, std::string_view key,
                                           int32_t defaultValue, std::string_view fileName) {
    // The number is read from a short text buffer, as the system's reader
    // does; an empty value leaves nothing to convert and gives the default.
    const std::string text = GetPrivateProfileString(section, key, "", fileName, 30);
    if (text.empty()) {
        return defaultValue;
    }
    return ProfileNumber(text);
}

void ProfileFiles::WritePrivateProfileString(std::string_view section, std::string_view key,
                                             std::string_view value, std::string_view fileName) {
    const std::filesystem::path path = PathOf(fileName);
    const std::optional<std::string> bytes = ReadFileIfPresent(path);
    WriteFileReplacing(path, WithProfileKey(bytes.value_or(std::string()), section, key, value),
                       "WritePrivateProfileString");
    m_cache.reset();
}

} // namespace vimbrel::platform
