#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vimbrel {

// What the M3U and ASX readers share: turning one entry, as a play list
// writes it, into the name of a local file.

// The most entries one reading of play lists yields, so that memory stays
// bounded whatever the files hold; entries past it are left out.
inline constexpr std::size_t kMaxPlayListEntries = 100'000;

// Receives the entries of a play list one by one, in order; returns false to
// stop the reading there.
using PlayListSink = std::function<bool(std::string entry)>;

// The local file an entry names, or nothing when it names none the show may
// open. Entries are bytes: whatever is not one of the forms below passes
// through unchanged (a "&", inner blanks, bytes that are not UTF-8).
//
// - Blanks (spaces, tabs, line ends) around the entry do not count; an empty
//   entry, or one holding a NUL byte, names nothing.
// - An address "scheme://..." names nothing unless its scheme is file: the
//   show never reaches out to the network by itself (http, https, rtsp, mms,
//   ftp, smb and every other scheme are left out).
// - "file:///path", "file://localhost/path" and "file:/path" are the path,
//   percent-decoded ("%20" is a blank, "%FF" the byte 0xFF; a "%" not
//   followed by two hexadecimal digits stays as it is). "?" and "#" belong to
//   the name: hand-written lists put them there unencoded. A file address
//   on another host ("file://server/share/...") is a network share and names
//   nothing.
// - An absolute path stays as it is; a relative one is taken in `folder`,
//   the play list's own folder (an empty folder leaves it relative).
// - Lists written on Windows separate folders with "\". An entry holding a
//   "\" is taken as written when a file or folder of that name exists, and
//   otherwise with every "\" read as "/" ("music\a.mp3" is "music/a.mp3").
//   A drive-letter path ("C:\...", "C:/...", "file:///C:/...") cannot be
//   resolved here and names nothing, as does a network path ("\\server\...").
//   Only these entries are looked up on disk; no other entry is.
std::optional<std::string> PlayListEntryPath(std::string_view entry,
                                             const std::filesystem::path& folder);

// The entry without the blanks (spaces, tabs, line ends, vertical tabs,
// form feeds) around it.
std::string_view TrimPlayListBlanks(std::string_view entry);

} // namespace vimbrel
