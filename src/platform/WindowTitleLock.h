#pragma once

#include <filesystem>
#include <string_view>

namespace vimbrel::platform {

// A window that must be the only one of its title among the user's
// programs holds a lock named after the title while it is open; another
// process asks whether the lock is held. Titles compare without regard to
// case. The lock lives in the user's runtime directory ($XDG_RUNTIME_DIR,
// else a private folder under /tmp) and is released by the system when its
// process ends, so a crashed show never blocks the next one.
class WindowTitleLock {
public:
    WindowTitleLock() = default;
    ~WindowTitleLock();
    WindowTitleLock(const WindowTitleLock&) = delete;
    WindowTitleLock& operator=(const WindowTitleLock&) = delete;

    // Takes the lock for the title; false when another holder has it or the
    // lock cannot be made.
    bool Acquire(std::string_view title);
    void Release();
    bool held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

// True while some open window, in any of the user's processes (this one
// included), holds the title's lock.
bool IsWindowTitleHeld(std::string_view title);

// True when no window of the user's programs has this title open.
// A failed look-up counts as no window.
bool IsWindowAbsent(std::string_view title);

// The lock file that stands for a title.
std::filesystem::path WindowTitleLockPath(std::string_view title);

} // namespace vimbrel::platform
