#pragma once

#include <QObject>
#include <QPointer>
#include <chrono>

class QTimer;
class QWidget;

namespace vimbrel::platform {

// The kind of desktop the program runs on, as far as covering the screen is
// concerned.
enum class Desktop {
    X11,     // windows can bypass the window manager, input can be grabbed
    Wayland, // the compositor decides: full-screen windows, no grabs
    Other,   // no real screen (the offscreen platform of the tests)
};
Desktop CurrentDesktop();

// Sets up a window that covers a whole screen above everything the desktop
// draws. On X11 it is a window the window manager never sees, as screen
// lockers use: no panel, dock or notification is stacked above it, and it
// gets no frame, no task-bar button and no focus of its own.
void MakeCoveringWindow(QWidget& window);

// Shows such a window where it was placed, raised: on Wayland, where only
// the compositor places windows, full-screen on the output it was placed on.
void ShowCovering(QWidget& window);

// Marks the window as the show that holds the screen, so that dialogs opened
// meanwhile come above it (AboveTheShow); null clears the mark.
void SetShowWindow(QWidget* show);

// While it lives, the dialog comes above the show that holds the screen,
// takes the keys, and gives them back to the show afterwards. On Wayland,
// where the compositor gives the keys to the full-screen show alone, the
// dialog is drawn inside the show's window. Create it before the dialog is
// shown; it does nothing when no show holds the screen.
class AboveTheShow final : public QObject {
public:
    explicit AboveTheShow(QWidget& dialog);
    ~AboveTheShow() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_dialog;
    QPointer<QWidget> m_show;
    bool m_embedded = false;
};

// True while a dialog opened with AboveTheShow is open over the show: the
// show then leaves keys and pointer to it.
bool DialogAboveTheShow(const QWidget& show);

// The keyboard and the pointer of the whole display, for the life of a show:
// no other program can grab them, and no click or key reaches any window but
// the program's own. Keeps the show's windows above everything the desktop
// raises later. On Wayland and offscreen nothing can be grabbed, and taking
// always succeeds.
class ScreenHold final : public QObject {
public:
    ScreenHold();
    ~ScreenHold() override;
    ScreenHold(const ScreenHold&) = delete;
    ScreenHold& operator=(const ScreenHold&) = delete;

    // Takes keyboard and pointer before anything is shown. Another program
    // may hold them for a moment (an open menu), so this tries again until
    // the patience runs out, as screen lockers do; false then, with nothing
    // held.
    bool Take(std::chrono::milliseconds patience);
    // Once the show is on screen: keys and clicks go to the show's windows,
    // which are kept above everything, and the grabs are renewed should
    // anything have broken them.
    void HoldFor(QWidget& show);
    void Release();

private:
    void Renew();

    QPointer<QWidget> m_show;
    QTimer* m_renewal = nullptr;
    bool m_held = false;
};

} // namespace vimbrel::platform
