#include "config/CollectionFiles.h"

#include "platform/DirectoryListing.h"
#include "platform/FileRename.h"
#include "platform/FileSystem.h"
#include "platform/ProfileFile.h"
#include "settings/SettingsFiles.h"

#include <algorithm>
#include <cstdio>
#include <exception>

namespace vimbrel {

namespace {

constexpr std::string_view kPrefix = "vimbrel";
constexpr std::string_view kSuffix = ".ini";
// The value a collection never saved whole reads as.
constexpr int kNoCollection = 9;
constexpr int kTextBuffer = 254;

// What the file of a number holds, as far as "New..." is concerned.
enum class Slot {
    Free,       // no file of that name
    NeverSaved, // a file that is no collection: it may be written over
    Taken       // a collection, or a file that cannot be read
};

Slot SlotOf(platform::ProfileFiles& profiles, int number) {
    const std::string file = CollectionFileName(number);
    std::optional<std::string> bytes;
    try {
        bytes = platform::ReadFileIfPresent(profiles.PathOf(file));
    } catch (const std::exception&) {
        // A file that cannot be read, or a folder of that name.
        return Slot::Taken;
    }
    if (!bytes) {
        return Slot::Free;
    }
    return IsCollection(profiles, file) ? Slot::Taken : Slot::NeverSaved;
}

} // namespace

std::string CollectionFileName(int number) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%03d", number);
    return std::string(kPrefix) + digits + std::string(kSuffix);
}

std::optional<int> CollectionNumber(std::string_view fileName) {
    if (fileName.size() != kPrefix.size() + 3 + kSuffix.size() || !fileName.starts_with(kPrefix) ||
        !fileName.ends_with(kSuffix)) {
        return std::nullopt;
    }
    const std::string_view digits = fileName.substr(kPrefix.size(), 3);
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    return (digits[0] - '0') * 100 + (digits[1] - '0') * 10 + (digits[2] - '0');
}

bool IsCollection(platform::ProfileFiles& profiles, std::string_view file) {
    try {
        return profiles.GetPrivateProfileInt("Options", "RandomFolder", kNoCollection, file) !=
               kNoCollection;
    } catch (const std::exception&) {
        return false;
    }
}

std::vector<ListedCollection> ListCollections(platform::ProfileFiles& profiles) {
    std::vector<ListedCollection> listed;
    // In file-name order, vimbrel000.ini first: a directory lists its files
    // in no order of its own, and a different one after every renumbering.
    std::vector<std::string> files = platform::ListPlainFiles(profiles.directory(), "*.ini");
    std::sort(files.begin(), files.end());
    for (const std::string& file : files) {
        if (!IsCollection(profiles, file)) {
            continue;
        }
        try {
            listed.push_back({file, profiles.GetPrivateProfileString("Options", "Description",
                                                                     kUnknown, file, kTextBuffer)});
        } catch (const std::exception&) {
            // Gone or locked between the two reads: not listed this time.
        }
    }
    return listed;
}

std::optional<int> NewCollectionNumber(platform::ProfileFiles& profiles,
                                       const std::vector<std::string>& listedFiles) {
    int highest = -1;
    for (const std::string& file : listedFiles) {
        highest = std::max(highest, CollectionNumber(file).value_or(-1));
    }
    // Number 000 is the default collection's, whatever its file holds.
    for (int k = std::max(highest + 1, 1); k < kMostCollections; ++k) {
        if (SlotOf(profiles, k) != Slot::Taken) {
            return k;
        }
    }
    // A vimbrel999.ini put there by hand, or gaps left by hand: the free
    // numbers below still make room.
    for (int k = 1; k <= highest && k < kMostCollections; ++k) {
        if (SlotOf(profiles, k) != Slot::Taken) {
            return k;
        }
    }
    return std::nullopt;
}

std::vector<std::string> NewCollectionLines(int number) {
    return {"[Options]", "Description=New Collection (" + std::to_string(number) + ")"};
}

void CloseNumberingGap(
    platform::ProfileFiles& profiles, int deleted,
    const std::function<void(const std::string& from, const std::string& to)>& renamed) {
    for (int k = deleted + 1; k < kMostCollections; ++k) {
        const std::string from = CollectionFileName(k);
        if (!platform::FileExists(profiles.PathOf(from))) {
            return;
        }
        const std::string to = CollectionFileName(k - 1);
        // Never over another file: a collection there stays whole.
        platform::RenameNoReplace(profiles.PathOf(from), profiles.PathOf(to));
        renamed(from, to);
    }
}

} // namespace vimbrel
