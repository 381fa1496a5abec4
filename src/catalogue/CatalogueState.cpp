#include "catalogue/CatalogueState.h"

namespace vimbrel {

std::vector<std::string> DefaultSupportedPatterns() {
    return {"*.ASF", "*.AVI", "*.BMP", "*.GIF", "*.JPG", "*.MID", "*.MOV", "*.MP3",
            "*.MPG", "*.RMI", "*.WAV", "*.WMV", "*.M3U", "*.ASX", "*.WMA"};
}

} // namespace vimbrel
