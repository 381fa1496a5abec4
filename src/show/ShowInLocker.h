#pragma once

#include <QObject>
#include <cstdint>

class QTimer;

namespace vimbrel {

class MainForm;
struct ScreenState;

// The show inside a screen locker's window: it fills the window, follows its
// size, and ends as soon as the window is gone (the locker ended or died).
class ShowInLocker final : public QObject {
public:
    ShowInLocker(MainForm& form, ScreenState& screen, uint32_t window);

    // Puts the show into the locker's window and shows it; false when the
    // window is gone.
    bool Embed();

private:
    void Follow();

    MainForm& m_form;
    ScreenState& m_screen;
    uint32_t m_window;
    QTimer* m_watch = nullptr;
};

// The size of the locker's window in twips, in the screen state; false when
// the id names no window.
bool TakeLockerWindowSize(ScreenState& screen, uint32_t window);

} // namespace vimbrel
