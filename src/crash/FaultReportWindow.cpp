#include "crash/FaultReportWindow.h"

#include <algorithm>
#include <atomic>
#include <unistd.h>

namespace vimbrel::crash {

namespace {

// The handler is handed no state: whether to report on screen and the mode
// to set back are process-wide, written before any fault can want them.
std::atomic<bool> g_onScreen{false};
char g_program[4096] = {};
char g_desktopMode[64] = {};

void Copy(std::string_view text, char* target, std::size_t capacity) {
    const std::size_t length = std::min(text.size(), capacity - 1);
    std::copy_n(text.data(), length, target);
    target[length] = '\0';
}

} // namespace

void ReportFaultsOnScreen(std::string_view desktopMode) {
    g_onScreen = false;
    // The program's own file, read now: the report's process then has the
    // program's name, where /proc/self/exe would give it the name "exe".
    const ssize_t length = ::readlink("/proc/self/exe", g_program, sizeof g_program - 1);
    if (length <= 0) {
        return;
    }
    g_program[length] = '\0';
    Copy(desktopMode, g_desktopMode, sizeof g_desktopMode);
    g_onScreen = true;
}

void StartReportWindow(const char* report) noexcept {
    if (!g_onScreen.load()) {
        return;
    }
    // The switches are string literals, so their text ends in a NUL.
    char program[] = "vimbrel";
    char* arguments[] = {program,
                         const_cast<char*>(kFaultReportSwitch.data()),
                         const_cast<char*>(report),
                         nullptr,
                         nullptr,
                         nullptr};
    if (g_desktopMode[0] != '\0') {
        arguments[3] = const_cast<char*>(kDesktopModeSwitch.data());
        arguments[4] = g_desktopMode;
    }
    // vfork: the child borrows this process's memory only until it replaces
    // itself, so no lock the fault may have left taken is touched.
    const pid_t child = ::vfork();
    if (child == 0) {
        ::execve(g_program, arguments, environ);
        ::_exit(127);
    }
}

} // namespace vimbrel::crash
