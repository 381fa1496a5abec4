#pragma once

#include <QImage>

namespace vimbrel {

// The program's icon, 32 x 32 pixels in sixteen colours, drawn by the
// program itself: a framed picture of a hill under a sun.
QImage DrawProgramIcon();

} // namespace vimbrel
