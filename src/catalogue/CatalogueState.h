#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vimbrel {

// Which files of a folder the show takes, and the play list of the folder
// being shown with the cursor through it.
struct CatalogueState {
    // Name patterns matched without regard to case, in the order the play
    // list groups them.
    std::vector<std::string> SupportedPatterns;
    // Bare names of the shown folder's files; the folder is the current
    // directory while the show runs. Counts are 32-bit, so a folder of more
    // than 32767 files is shown whole.
    std::vector<std::string> PlayList;
    int32_t PlayListCount = 0;
    int32_t PlayListPosition = 0;
    std::string CurrentFile;
};

// The patterns ("*.JPG") of the fifteen classic types, in the order the
// play list groups them, and of today's, which a collection adds with its
// MoreFormats option (both from MediaTypes()).
std::vector<std::string> DefaultSupportedPatterns();
std::vector<std::string> MoreFormatsPatterns();

// The classic patterns, followed by today's when asked for.
std::vector<std::string> SupportedPatternsFor(bool moreFormats);

} // namespace vimbrel
