#pragma once

#include <string_view>

namespace vimbrel::crash {

// The switch that starts the program as the on-screen report of a fault:
//   vimbrel --fault-report <report> [--desktop-mode "<width> <height> <id>"]
inline constexpr std::string_view kFaultReportSwitch = "--fault-report";
inline constexpr std::string_view kDesktopModeSwitch = "--desktop-mode";

// From now on a fault is also reported on screen. A process that has faulted
// can no longer draw, so the fault handler starts a fresh process of the
// program that shows the report in a message box; it also sets the display
// back to the desktop's mode, given as "<width> <height> <id>" (empty when
// the display is left as it is). Called again, it replaces the mode.
void ReportFaultsOnScreen(std::string_view desktopMode);

// From the fault handler: starts the report's process, if reports are to be
// shown. Async-signal-safe; returns at once without waiting for it.
void StartReportWindow(const char* report) noexcept;

} // namespace vimbrel::crash
