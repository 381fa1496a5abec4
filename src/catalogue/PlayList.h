#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vimbrel {

struct CatalogueState;
struct SettingsModel;

namespace platform {
struct Services;
}

// True when the show takes a file of this name: its upper-cased name
// matches one of the patterns, it is not marked as unusable by a leading
// underscore ("_*.*"), and it neither ends with a dot nor has more than one.
// A test of the name alone; the file is not looked at.
bool IsSupportedFile(const std::vector<std::string>& patterns, std::string_view name);

// Fills the play list from the folder of the current folder's entry: the
// folder's path is read from the collection file, made the current
// directory (where it cannot be, the current directory stays and is the one
// scanned), and its supported files are listed grouped by pattern, shuffled,
// and sorted by name unless the folder's entry asks for random order. On
// return PlayListPosition is 0 and CurrentFile empty. False, with the list
// empty, for a folder without a supported file: what then happens is the
// caller's to say.
bool BuildPlayList(CatalogueState& catalogue, const SettingsModel& model,
                   platform::Services& services, std::string_view file);

// Moves to the next entry, from the last to the first, and makes it the
// current file. A position below 0 (the caller goes back by lowering it by 2
// first) wraps to the last entry.
void StepPlayList(CatalogueState& catalogue);

// Makes the first entry the current file; the position stays where it is.
void RewindPlayList(CatalogueState& catalogue);

// The full path of an entry: the play list holds bare names, and the shown
// folder is the current directory while the show runs.
std::string PathInShownFolder(std::string_view name);

} // namespace vimbrel
