#pragma once

#include "playlists/PlayListEntry.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vimbrel {

// ASX play lists (.asx, .wax, .wvx): XML whose root element is <asx>, read
// with a reader of its own that never expands anything it does not know.
//
// - Element and attribute names count in any case (<ASX>, <Entry>, HREF).
// - Each <entry> gives at most one entry: of its <ref href="..."/>
//   alternatives, the first that names a local file. When several do, the
//   first of those that exists wins, and when none exists the first of them
//   (the player then reports it as failed and moves on). Entries come in
//   document order, wherever they stand (inside <repeat> or <event> too;
//   a <repeat> block is read once).
// - <entryref href="..."/> is an entry of its own, in its place: the caller
//   expands it when it names another play list.
// - href values may be quoted with " or ', or not at all; the predefined
//   entities (&amp; &lt; &gt; &quot; &apos;) and numeric character references
//   (&#38; &#x26;) are decoded, any other "&" stays as it is. Blanks around
//   the value do not count.
// - Comments, CDATA sections, processing instructions and the DOCTYPE with
//   its entity declarations are skipped unread: no entity is ever expanded.
// - Text encoded as UTF-16 (with a byte-order mark, or starting "<") is read
//   as UTF-8; otherwise the text is read as bytes.
// - A text cut short yields the entries whose markup is complete.
// - Each href becomes a path as PlayListEntryPath says, relative ones taken
//   in `folder`; network addresses name nothing.
//
// Text whose first element is not <asx> (no XML at all, an M3U list, an HTML
// page) raises vimbrel::Error 75 (Path/File access error) with the
// description "Not an ASX play list", before any entry is handed on.

// Hands the entries to `take` in order, until it returns false.
void ReadAsxEntries(std::string_view text, const std::filesystem::path& folder,
                    const PlayListSink& take);

// All the entries, at most kMaxPlayListEntries of them.
std::vector<std::string> ParseAsx(std::string_view text, const std::filesystem::path& folder);

} // namespace vimbrel
