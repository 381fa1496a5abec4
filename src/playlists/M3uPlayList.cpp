#include "playlists/M3uPlayList.h"

namespace vimbrel {

void ReadM3uEntries(std::string_view text, const std::filesystem::path& folder,
                    const PlayListSink& take) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    while (!text.empty()) {
        const std::size_t end = text.find_first_of("\r\n");
        const std::string_view line = TrimPlayListBlanks(text.substr(0, end));
        if (end == std::string_view::npos) {
            text = {};
        } else {
            const bool crLf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
            text.remove_prefix(end + (crLf ? 2 : 1));
        }
        if (line.empty() || line.front() == '#') {
            continue;
        }
        if (std::optional<std::string> path = PlayListEntryPath(line, folder)) {
            if (!take(std::move(*path))) {
                return;
            }
        }
    }
}

std::vector<std::string> ParseM3u(std::string_view text, const std::filesystem::path& folder) {
    std::vector<std::string> entries;
    ReadM3uEntries(text, folder, [&entries](std::string entry) {
        entries.push_back(std::move(entry));
        return entries.size() < kMaxPlayListEntries;
    });
    return entries;
}

} // namespace vimbrel
