#pragma once

#include "playlists/PlayListEntry.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vimbrel {

// Reading a play list file into the files it names, for the media player to
// play as an explicit list: the show reads every list itself, so that entry
// numbers, counts, next and previous work alike for every format, and so
// that nothing in a list makes the show reach the network.

// The play-list text one reading takes in at most, the named file and every
// list nested in it together.
inline constexpr std::size_t kMaxPlayListBytes = 16 * 1024 * 1024;
// How deep lists nest: the named list is level 0, a list it names level 1.
inline constexpr int kMaxPlayListDepth = 8;
// How many lists one reading opens at most, the named one included.
inline constexpr int kMaxPlayListsOpened = 1000;

// True when the name ends in a play-list extension, in any case: .m3u,
// .m3u8 (M3U) or .asx, .wax, .wvx (ASX).
bool IsPlayListName(std::string_view name);

// The files the play list at `path` names, in order, as paths (absolute
// when the current folder is known). `path` and the entries are bytes, as
// the file system has them; they need not be UTF-8.
//
// - The extension chooses the reader: .asx, .wax and .wvx are ASX
//   (playlists/AsxPlayList.h), anything else M3U (playlists/M3uPlayList.h).
// - An entry that is itself a play list (by its extension) is replaced by
//   the entries of that list, read the same way, relative ones taken in its
//   own folder. A list is never handed on as an entry: a nested list that
//   names one of the lists it is read from (itself included, compared by
//   their real paths), that nests deeper than kMaxPlayListDepth, that does
//   not exist or cannot be read, that is not a play list after all, or that
//   would take the text read past kMaxPlayListBytes or the lists opened past
//   kMaxPlayListsOpened, is left out. A list named twice by another is read
//   twice.
// - Entries naming files that do not exist are kept: the player reports
//   each as a failed entry and moves on, so a list with a missing file still
//   plays the rest in its numbering.
// - At most kMaxPlayListEntries entries; the rest are left out.
// - An empty result is not an error: the caller decides.
//
// Raises vimbrel::Error (source "PlayList") for the named file only: the
// file-system errors of FileError (53 when it does not exist, 70 when it may
// not be read, 75 for a folder or anything else that is not a plain file),
// and 75 (Path/File access error) for a file over kMaxPlayListBytes or an
// ASX list that is not one. The description ends with the path.
std::vector<std::string> ReadPlayListFile(const std::string& path);

} // namespace vimbrel
