#pragma once

namespace vimbrel {

// The process a fault starts (vimbrel --fault-report <report>
// [--desktop-mode "<width> <height> <id>"]): sets the desktop's display mode
// back when one is given, then shows the report in a message box until the
// user closes it.
int ShowFaultReport(int argc, char** argv);

} // namespace vimbrel
