#pragma once

#include "platform/ClientRect.h"

#include <cstdint>

namespace vimbrel {

// The preview of mode /P, program-wide like the rest of the state.
struct PreviewState {
    int16_t PreviewActive = 0;          // -1 while the panel is in the host's window
    platform::ClientRect PreviewRect{}; // the host window's client area, pixels
};

// Where the preview's pieces go, in twips. Kept apart from the window so
// that the arithmetic is tested without one.
struct TwipsSize {
    double width = 0;
    double height = 0;
};

// The panel fills the host's client area.
TwipsSize PanelSize(const platform::ClientRect& rect);

struct TwipsPoint {
    double left = 0;
    double top = 0;
};

// The icon's next place: r1 picks the top and r2 the left, each a uniform
// number in [0, 1), within what the panel leaves free around the icon. A
// panel smaller than the icon gives a negative place, as it always has.
TwipsPoint IconPlace(TwipsSize panel, TwipsSize icon, float r1, float r2);

} // namespace vimbrel
