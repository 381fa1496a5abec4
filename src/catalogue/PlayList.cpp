#include "catalogue/PlayList.h"

#include "catalogue/CatalogueState.h"
#include "catalogue/QuickSort.h"
#include "platform/DirectoryListing.h"
#include "platform/FileSystem.h"
#include "platform/MessageBoxes.h"
#include "platform/ProcessControl.h"
#include "platform/ProfileFile.h"
#include "platform/RandomSource.h"
#include "platform/Services.h"
#include "runtime/Error.h"
#include "settings/SettingsFiles.h"
#include "settings/SettingsModel.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <optional>

namespace vimbrel {

namespace {

constexpr int kTextBuffer = 254;

// Names the slideshow has marked as unusable by a leading underscore
// ("_*.*"), names ending with a dot ("*.") and names with two dots or more
// ("*.*.*"). The last keeps out names such as "holiday.2001.jpg" whatever
// their extension.
bool IsExcludedName(std::string_view name) {
    const auto dots = std::count(name.begin(), name.end(), '.');
    return (name.starts_with('_') && dots >= 1) || name.ends_with('.') || dots >= 2;
}

bool HasLowerCaseLetter(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

char FoldedByte(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// The supported patterns, prepared once for all the names of a folder.
class SupportedFiles {
public:
    explicit SupportedFiles(const std::vector<std::string>& patterns) {
        m_patterns.reserve(patterns.size());
        for (const std::string& pattern : patterns) {
            m_patterns.emplace_back(pattern, platform::LetterCase::Ignored);
            // The name is upper-cased and then compared exactly: a pattern
            // with a lower-case letter can never match it, and any other
            // pattern matches exactly where it matches without regard to case.
            m_matchesUpperCased.push_back(!HasLowerCaseLetter(pattern));
        }
        // A pattern that ends in a fixed character can only match names
        // ending in it, in either case: a big folder's names are each tried
        // against the one or two patterns that can match them, and the names
        // of other types against none.
        m_byLastByte.fill(0);
        m_indexed = patterns.size() <= 64;
        for (std::size_t k = 0; k < patterns.size() && m_indexed; ++k) {
            const std::string& pattern = patterns[k];
            for (int byte = 0; byte < 256; ++byte) {
                const char last = static_cast<char>(byte);
                if (!pattern.empty() &&
                    (pattern.back() == '*' || FoldedByte(pattern.back()) == FoldedByte(last))) {
                    m_byLastByte[static_cast<std::size_t>(byte)] |= uint64_t{1} << k;
                }
            }
        }
    }

    // The pattern by whose listing the show takes the name: the first that
    // matches it without regard to case, as a listing by that pattern would
    // return it, provided the show takes the name at all. None otherwise.
    std::optional<std::size_t> GroupOf(std::string_view name) const {
        std::optional<std::size_t> group;
        bool supported = false;
        const auto tryPattern = [&](std::size_t k) {
            if (m_patterns[k].Matches(name)) {
                group = group.value_or(k);
                supported = m_matchesUpperCased[k];
            }
            return supported;
        };
        if (m_indexed && !name.empty()) {
            for (uint64_t candidates = m_byLastByte[static_cast<unsigned char>(name.back())];
                 candidates != 0; candidates &= candidates - 1) {
                if (tryPattern(static_cast<std::size_t>(std::countr_zero(candidates)))) {
                    break;
                }
            }
        } else {
            for (std::size_t k = 0; k < m_patterns.size() && !tryPattern(k); ++k) {
            }
        }
        if (!supported || IsExcludedName(name)) {
            return std::nullopt;
        }
        return group;
    }

private:
    std::vector<platform::NamePattern> m_patterns;
    std::vector<bool> m_matchesUpperCased;
    bool m_indexed = false;
    std::array<uint64_t, 256> m_byLastByte{}; // bit k: pattern k can match
};

// The supported files of the current directory, grouped by the first
// pattern that lists them, in the patterns' order; within a group in the
// order the file system keeps them. One pass over the folder: a name that
// matches a pattern matches no other one, since the patterns are distinct
// extensions, so this is the list a listing per pattern would give, and the
// folder cannot change between the listings.
std::vector<std::string> SupportedFilesOfCurrentDirectory(const CatalogueState& catalogue) {
    const SupportedFiles supported(catalogue.SupportedPatterns);
    std::vector<std::string> names;
    std::vector<std::size_t> groupOf;
    platform::ForEachPlainFile(".", [&](std::string_view name) {
        if (const std::optional<std::size_t> group = supported.GroupOf(name)) {
            names.emplace_back(name);
            groupOf.push_back(*group);
        }
    });

    // Grouped in place, keeping the listing's order within each group.
    std::vector<int32_t> firstOfGroup(catalogue.SupportedPatterns.size() + 1, 0);
    for (const std::size_t group : groupOf) {
        ++firstOfGroup[group + 1];
    }
    for (std::size_t g = 1; g < firstOfGroup.size(); ++g) {
        firstOfGroup[g] += firstOfGroup[g - 1];
    }
    std::vector<int32_t> order(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        order[static_cast<std::size_t>(firstOfGroup[groupOf[i]]++)] = static_cast<int32_t>(i);
    }
    Rearrange(names, 0, order);
    return names;
}

int16_t RandomOrderOfCurrentFolder(const SettingsModel& model) {
    const int16_t folder = model.settings.CurrentFolder;
    if (folder < 0 || static_cast<std::size_t>(folder) >= model.FolderTable.size()) {
        throw MakeError(ErrorNumber::SubscriptOutOfRange, "BuildPlayList");
    }
    return model.FolderTable[static_cast<std::size_t>(folder)].RandomOrder;
}

} // namespace

bool IsSupportedFile(const std::vector<std::string>& patterns, std::string_view name) {
    return SupportedFiles(patterns).GroupOf(name).has_value();
}

bool BuildPlayList(CatalogueState& catalogue, const SettingsModel& model,
                   platform::Services& services, std::string_view file) {
    // Emptied first, so that a scan that fails leaves a list that agrees
    // with its count.
    catalogue.PlayListCount = 0;
    catalogue.PlayListPosition = 0;
    catalogue.PlayList.clear();
    catalogue.CurrentFile.clear();

    // The path comes from the file, not from the folder table: the entry in
    // memory may be older than the file.
    const std::string section = "Folder" + std::to_string(model.settings.CurrentFolder);
    const std::string folder =
        services.profiles.GetPrivateProfileString(section, "Set", kUnknown, file, kTextBuffer);
    try {
        platform::SetCurrentDirectory(folder);
    } catch (const Error&) {
        // A folder that has gone or cannot be entered leaves the current
        // directory as it was, and that one is scanned.
    }

    std::vector<std::string> list = SupportedFilesOfCurrentDirectory(catalogue);
    if (list.empty()) {
        return false;
    }
    // Counts are 32-bit: a folder of more than 32767 files is shown whole.
    const int32_t count = ToInt32(static_cast<int64_t>(list.size()));

    // The exchanges are made on positions, which are small and close
    // together, and the names then move once to where they belong.
    services.random.Randomize();
    std::vector<int32_t> shuffled(list.size());
    std::iota(shuffled.begin(), shuffled.end(), 0);
    for (int32_t i = 0; i < count; ++i) {
        // Exact in double precision: the largest draw below 1 still gives an
        // index below count. The clamp only guards against a source that
        // breaks its range.
        const double r = services.random.Rnd();
        const auto j = std::clamp(static_cast<int32_t>(std::floor(count * r)), 0, count - 1);
        std::swap(shuffled[static_cast<std::size_t>(i)], shuffled[static_cast<std::size_t>(j)]);
    }
    Rearrange(list, 0, shuffled);
    // The sort takes the first entry of a range as its pivot, which on a
    // listing already in name order (as some file systems keep a folder)
    // would take time in the square of the count; after the shuffle it
    // does not. The order it gives has no ties, so the shuffle does not
    // change the sorted list.
    if (RandomOrderOfCurrentFolder(model) == 0) {
        QuickSort(list, 0, count - 1);
    }

    catalogue.PlayList = std::move(list);
    catalogue.PlayListCount = count;
    return true;
}

void StepPlayList(CatalogueState& catalogue) {
    // An empty list (a build that failed) has no entry to move to.
    if (catalogue.PlayListCount <= 0 || catalogue.PlayList.empty()) {
        catalogue.PlayListPosition = 0;
        catalogue.CurrentFile.clear();
        return;
    }
    ++catalogue.PlayListPosition;
    if (catalogue.PlayListPosition < 0) {
        catalogue.PlayListPosition = catalogue.PlayListCount - 1;
    } else if (catalogue.PlayListPosition > catalogue.PlayListCount - 1) {
        catalogue.PlayListPosition = 0;
    }
    const auto position = static_cast<std::size_t>(catalogue.PlayListPosition);
    catalogue.CurrentFile =
        position < catalogue.PlayList.size() ? catalogue.PlayList[position] : "";
}

void RewindPlayList(CatalogueState& catalogue) {
    catalogue.CurrentFile = catalogue.PlayList.empty() ? "" : catalogue.PlayList.front();
}

std::string PathInShownFolder(std::string_view name) {
    return (platform::CurrentDirectory() / std::string(name)).string();
}

} // namespace vimbrel
