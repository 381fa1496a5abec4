#pragma once

#include "playlists/PlayListEntry.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vimbrel {

// M3U play lists, plain and extended (.m3u, .m3u8): one entry a line. Lines
// end with CR LF, LF or CR; a UTF-8 byte-order mark at the start is skipped;
// blank lines and lines starting with "#" ("#EXTM3U", "#EXTINF:...", any
// other) are not entries. Each entry becomes a path as PlayListEntryPath
// says, relative ones taken in `folder`; entries that name no local file
// (network addresses among them) are left out. The text is read as bytes,
// whatever its encoding.

// Hands the entries to `take` in order, until it returns false.
void ReadM3uEntries(std::string_view text, const std::filesystem::path& folder,
                    const PlayListSink& take);

// All the entries, at most kMaxPlayListEntries of them.
std::vector<std::string> ParseM3u(std::string_view text, const std::filesystem::path& folder);

} // namespace vimbrel
