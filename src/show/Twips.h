#pragma once

#include "platform/Screen.h"

#include <QWidget>
#include <cmath>

namespace vimbrel {

// The show lays its window out in twips; widgets take pixels.
inline int ToPixelsX(double twips) {
    return static_cast<int>(std::lround(twips / platform::TwipsPerPixelX));
}
inline int ToPixelsY(double twips) {
    return static_cast<int>(std::lround(twips / platform::TwipsPerPixelY));
}

// A control's place in twips: left, top, width and height.
template <typename Control>
Control* Place(Control* control, double left, double top, double width, double height) {
    control->setGeometry(ToPixelsX(left), ToPixelsY(top), ToPixelsX(width), ToPixelsY(height));
    return control;
}

inline double WidthInTwips(const QWidget* widget) {
    return static_cast<double>(widget->width()) * platform::TwipsPerPixelX;
}

inline double HeightInTwips(const QWidget* widget) {
    return static_cast<double>(widget->height()) * platform::TwipsPerPixelY;
}

} // namespace vimbrel
