#pragma once

// The collection files of the settings directory, apart from any widget:
// their names and numbers, which of them count as collections, the number
// a new collection gets and the renumbering after a deletion.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vimbrel {

namespace platform {
class ProfileFiles;
}

// vimbrel000.ini .. vimbrel999.ini.
inline constexpr int kMostCollections = 1000;

inline constexpr std::string_view kTooManyCollections =
    "This version of Vimbrel only supports 1000 Collections. You will have to delete one or "
    "more curent Collections in order to create any new ones.";
inline constexpr std::string_view kDefaultNotDeleted = "The default collection may not be deleted.";

// "vimbrel007.ini" for 7.
std::string CollectionFileName(int number);

// The number of a file named vimbrel<three digits>.ini, and nothing for
// any other name: a collection file the user named otherwise has no place
// in the numbering.
std::optional<int> CollectionNumber(std::string_view fileName);

// A collection as the list shows it.
struct ListedCollection {
    std::string file;
    std::string description;
};

// Whether a file counts as a collection: its [Options] RandomFolder reads
// other than 9 (9 when missing). The master file, a foreign INI file and a
// collection that was never saved whole carry no such value. A file that
// cannot be read is none either.
bool IsCollection(platform::ProfileFiles& profiles, std::string_view file);

// The "*.ini" files of the settings directory that count as collections,
// in the order the directory lists them, with their descriptions
// ("<unknown>" where there is none). A file that cannot be read is left out.
std::vector<ListedCollection> ListCollections(platform::ProfileFiles& profiles);

// The number "New..." gives: the one after the highest listed number. A
// file of that number that is no collection (one never saved) is used
// again; one that cannot be read is passed over, so that nothing but a
// never-saved collection is ever written over. When the numbers above are
// used up, the lowest free number below; nothing when all 1000 are taken.
// Number 000 is the default collection's and never given to a new one.
std::optional<int> NewCollectionNumber(platform::ProfileFiles& profiles,
                                       const std::vector<std::string>& listedFiles);

// The two lines a new collection file starts with.
std::vector<std::string> NewCollectionLines(int number);

// Closes the gap that deleting collection `deleted` left: every following
// collection file, up to the first number without one, moves one number
// down. Backups keep their names. `renamed` hears of each move as it
// happens; a move that fails (the lower name taken after all) raises the
// error and leaves the files from there on as they were.
void CloseNumberingGap(
    platform::ProfileFiles& profiles, int deleted,
    const std::function<void(const std::string& from, const std::string& to)>& renamed);

} // namespace vimbrel
