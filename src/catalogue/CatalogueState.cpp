#include "catalogue/CatalogueState.h"

namespace vimbrel {

std::vector<std::string> DefaultSupportedPatterns() {
    return {"*.ASF", "*.AVI", "*.BMP", "*.GIF", "*.JPG", "*.MID", "*.MOV", "*.MP3",
            "*.MPG", "*.RMI", "*.WAV", "*.WMV", "*.M3U", "*.ASX", "*.WMA"};
}

std::vector<std::string> MoreFormatsPatterns() {
    return {// pictures
            "*.PNG", "*.JPEG", "*.WEBP", "*.TIF", "*.TIFF", "*.HEIC", "*.HEIF", "*.AVIF",
            // videos
            "*.MP4", "*.M4V", "*.MKV", "*.WEBM", "*.MTS", "*.M2TS", "*.3GP", "*.OGV",
            // sounds
            "*.FLAC", "*.OGG", "*.OPUS", "*.M4A", "*.AAC",
            // play lists
            "*.M3U8"};
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
