#include "show/ShowInLocker.h"

#include "platform/HostWindows.h"
#include "platform/Screen.h"
#include "show/MainForm.h"
#include "state/ProgramState.h"

#include <QTimer>

namespace vimbrel {

namespace {

// How often the locker's window is looked at: a locker that ends takes its
// window with it, and the show must be gone well within a second.
constexpr int kWatchMilliseconds = 200;

} // namespace

bool TakeLockerWindowSize(ScreenState& screen, uint32_t window) {
    // A window that is gone has no area; one that exists is 1 x 1 at least.
    const platform::ClientRect area = platform::GetClientRect(window);
    if (area.right <= area.left || area.bottom <= area.top) {
        return false;
    }
    screen.ScreenWidth = (area.right - area.left) * platform::TwipsPerPixelX;
    screen.ScreenHeight = (area.bottom - area.top) * platform::TwipsPerPixelY;
    return true;
}

ShowInLocker::ShowInLocker(MainForm& form, ScreenState& screen, uint32_t window)
    : QObject(&form), m_form(form), m_screen(screen), m_window(window) {}

bool ShowInLocker::Embed() {
    if (!platform::IsWindow(m_window)) {
        return false;
    }
    m_form.move(0, 0);
    platform::SetParent(&m_form, m_window);
    m_form.show();
    m_watch = new QTimer(this);
    m_watch->setInterval(kWatchMilliseconds);
    connect(m_watch, &QTimer::timeout, this, &ShowInLocker::Follow);
    m_watch->start();
    return true;
}

void ShowInLocker::Follow() {
    ScreenState now;
    if (!TakeLockerWindowSize(now, m_window)) {
        m_watch->stop();
        m_form.EndFromOutside();
        return;
    }
    if (now.ScreenWidth != m_screen.ScreenWidth || now.ScreenHeight != m_screen.ScreenHeight) {
        m_screen = now;
        m_form.ScreenResized();
    }
}

} // namespace vimbrel
