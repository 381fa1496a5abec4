#pragma once

#include <cstdint>

namespace vimbrel {

// The screen's size as the show lays itself out: in twips, 32 bits wide.
struct ScreenState {
    int32_t ScreenWidth = 0; // twips
    int32_t ScreenHeight = 0;
};

} // namespace vimbrel
