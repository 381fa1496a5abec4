#include "playlists/PlayListEntry.h"

#include "platform/FileSystem.h"
#include "runtime/Conversions.h"

#include <algorithm>

namespace vimbrel {

namespace {

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           EqualsIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

// The scheme of an address "scheme://...", as RFC 3986 spells schemes, or
// "" when the entry is not written as one. A single letter is a drive
// ("C://x" is a Windows path), not a scheme.
std::string_view AddressScheme(std::string_view entry) {
    const std::size_t colon = entry.find("://");
    if (colon == std::string_view::npos || colon < 2 || !IsAsciiLetter(entry[0])) {
        return {};
    }
    for (std::size_t i = 1; i < colon; ++i) {
        const char c = entry[i];
        const bool digit = c >= '0' && c <= '9';
        if (!IsAsciiLetter(c) && !digit && c != '+' && c != '-' && c != '.') {
            return {};
        }
    }
    return entry.substr(0, colon);
}

// "C:\..." or "C:/...": a path on a Windows drive.
bool IsDrivePath(std::string_view name) {
    return name.size() >= 3 && IsAsciiLetter(name[0]) && name[1] == ':' &&
           (name[2] == '\\' || name[2] == '/');
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::string PercentDecoded(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int high = HexValue(text[i + 1]);
            const int low = HexValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                bytes += static_cast<char>(high * 16 + low);
                i += 2;
                continue;
            }
        }
        bytes += text[i];
    }
    return bytes;
}

// The path of a file address ("file:" already removed), or nothing when it
// names a file on another host or no file at all.
std::optional<std::string> FileAddressPath(std::string_view rest) {
    if (rest.substr(0, 2) == "//") {
        rest.remove_prefix(2);
        const std::size_t slash = rest.find('/');
        const std::string_view host = rest.substr(0, slash);
        if (slash == std::string_view::npos ||
            !(host.empty() || EqualsIgnoringAsciiCase(host, "localhost"))) {
            return std::nullopt;
        }
        rest.remove_prefix(slash);
    }
    std::string path = PercentDecoded(rest);
    // "file:///C:/Music/a.mp3", as Windows writes its file addresses.
    if (path.size() >= 3 && IsAsciiLetter(path[1]) && path[2] == ':' &&
        (path.size() == 3 || path[3] == '/' || path[3] == '\\')) {
        return std::nullopt;
    }
    return path;
}

std::string InFolder(const std::string& name, const std::filesystem::path& folder) {
    if (name.front() == '/' || folder.empty()) {
        return name;
    }
    return (folder / name).string();
}

} // namespace

std::string_view TrimPlayListBlanks(std::string_view entry) {
    constexpr std::string_view kBlanks = " \t\r\n\v\f";
    const std::size_t first = entry.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return entry.substr(first, entry.find_last_not_of(kBlanks) - first + 1);
}

std::optional<std::string> PlayListEntryPath(std::string_view entry,
                                             const std::filesystem::path& folder) {
    entry = TrimPlayListBlanks(entry);
    std::string name;
    const std::string_view scheme = AddressScheme(entry);
    if (!scheme.empty()) {
        if (!EqualsIgnoringAsciiCase(scheme, "file")) {
            return std::nullopt;
        }
        std::optional<std::string> path = FileAddressPath(entry.substr(scheme.size() + 1));
        if (!path) {
            return std::nullopt;
        }
        name = std::move(*path);
    } else if (StartsWithIgnoringCase(entry, "file:/")) {
        std::optional<std::string> path = FileAddressPath(entry.substr(5));
        if (!path) {
            return std::nullopt;
        }
        name = std::move(*path);
    } else {
        name = entry;
    }
    // A NUL ends a name for the system, so the player would open another
    // file than the one the entry names.
    if (name.empty() || name.find('\0') != std::string::npos) {
        return std::nullopt;
    }
    if (IsDrivePath(name) || name.substr(0, 2) == "\\\\") {
        return std::nullopt;
    }
    std::string path = InFolder(name, folder);
    if (name.find('\\') != std::string::npos && !platform::PathExists(path)) {
        std::replace(name.begin(), name.end(), '\\', '/');
        path = InFolder(name, folder);
    }
    return path;
}

} // namespace vimbrel
