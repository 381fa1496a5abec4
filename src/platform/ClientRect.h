#pragma once

#include <cstdint>

namespace vimbrel::platform {

// The client area of a window in pixels, as left, top, right, bottom.
struct ClientRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

} // namespace vimbrel::platform
