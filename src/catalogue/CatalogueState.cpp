#include "catalogue/CatalogueState.h"

#include "catalogue/MediaKind.h"

namespace vimbrel {

namespace {

std::vector<std::string> PatternsOf(bool classic) {
    std::vector<std::string> patterns;
    for (const MediaType& type : MediaTypes()) {
        if (type.classic == classic) {
            patterns.push_back(std::string("*.") + type.extension);
        }
    }
    return patterns;
}

} // namespace

std::vector<std::string> DefaultSupportedPatterns() {
    return PatternsOf(true);
}

std::vector<std::string> MoreFormatsPatterns() {
    return PatternsOf(false);
}

std::vector<std::string> SupportedPatternsFor(bool moreFormats) {
    std::vector<std::string> patterns = DefaultSupportedPatterns();
    if (moreFormats) {
        const std::vector<std::string> more = MoreFormatsPatterns();
        patterns.insert(patterns.end(), more.begin(), more.end());
    }
    return patterns;
}

} // namespace vimbrel
