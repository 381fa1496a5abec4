#pragma once

#include <string>
#include <vector>

namespace vimbrel {

// Which files of a folder the show takes, as name patterns matched without
// regard to case, in the order the play list groups them.
struct CatalogueState {
    std::vector<std::string> SupportedPatterns;
};

// The patterns in their order: videos, pictures and sounds interleaved as
// the list was always kept, then the play lists, then one late sound type.
std::vector<std::string> DefaultSupportedPatterns();

} // namespace vimbrel
