#include "platform/ScreenHold.h"

#include "platform/XcbConnection.h"

#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace vimbrel::platform {

namespace {

// Marks the windows that cover a screen, and the one that is the show.
constexpr const char* kCoveringProperty = "vimbrel.covering";
constexpr const char* kShowProperty = "vimbrel.show";
// How many dialogs are open above the show.
constexpr const char* kDialogsProperty = "vimbrel.dialogs";

// How often the grabs are renewed and the show raised again: often enough
// that a panel or notification the desktop raises is gone before anyone
// could use it.
constexpr int kRenewalMilliseconds = 250;
// How long to wait between two tries while another program holds input.
constexpr int kRetryMilliseconds = 100;

xcb_window_t RootWindow(xcb_connection_t* connection) {
    return xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
}

// Both grabs report the program's own windows as usual (owner events), so
// that a dialog above the show gets its clicks and keys; anything else goes
// to the grab window.
bool GrabKeyboard(xcb_connection_t* connection, xcb_window_t window) {
    XcbReply<xcb_grab_keyboard_reply_t> reply(
        xcb_grab_keyboard_reply(connection,
                                xcb_grab_keyboard(connection, 1, window, XCB_CURRENT_TIME,
                                                  XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
                                nullptr),
        &std::free);
    return reply && reply->status == XCB_GRAB_STATUS_SUCCESS;
}

bool GrabPointer(xcb_connection_t* connection, xcb_window_t window) {
    constexpr uint16_t kEvents =
        XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE | XCB_EVENT_MASK_POINTER_MOTION;
    XcbReply<xcb_grab_pointer_reply_t> reply(
        xcb_grab_pointer_reply(connection,
                               xcb_grab_pointer(connection, 1, window, kEvents, XCB_GRAB_MODE_ASYNC,
                                                XCB_GRAB_MODE_ASYNC, XCB_NONE, XCB_NONE,
                                                XCB_CURRENT_TIME),
                               nullptr),
        &std::free);
    return reply && reply->status == XCB_GRAB_STATUS_SUCCESS;
}

void Ungrab(xcb_connection_t* connection) {
    xcb_ungrab_keyboard(connection, XCB_CURRENT_TIME);
    xcb_ungrab_pointer(connection, XCB_CURRENT_TIME);
    xcb_flush(connection);
}

// Draws a window again once the compositor has made it full-screen. The
// compositor shows the full-screen state only with the next frame, and a
// window whose size did not change would not draw one until its content
// changes (for a picture, the folder's interval later).
class RedrawWhenFullScreen final : public QObject {
public:
    explicit RedrawWhenFullScreen(QWidget& window) : QObject(&window), m_window(window) {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &m_window && event->type() == QEvent::WindowStateChange) {
            m_window.update();
        }
        return false;
    }

private:
    QWidget& m_window;
};

// The desktop's colours, every one of them set, so that a dialog inside the
// show's window takes none of the show's (its background is the folder's).
QPalette OwnPalette() {
    QPalette palette = QApplication::palette();
    for (int group = 0; group < QPalette::NColorGroups; ++group) {
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            const auto colourGroup = static_cast<QPalette::ColorGroup>(group);
            const auto colourRole = static_cast<QPalette::ColorRole>(role);
            palette.setBrush(colourGroup, colourRole, palette.brush(colourGroup, colourRole));
        }
    }
    return palette;
}

QWidget* ShowWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->property(kShowProperty).toBool()) {
            return widget;
        }
    }
    return nullptr;
}

} // namespace

Desktop CurrentDesktop() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        return Desktop::Other;
    }
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("xcb")) {
        return Desktop::X11;
    }
    if (platform.startsWith(QLatin1String("wayland"))) {
        return Desktop::Wayland;
    }
    return Desktop::Other;
}

void MakeCoveringWindow(QWidget& window) {
    Qt::WindowFlags flags = Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;
    if (CurrentDesktop() == Desktop::X11) {
        flags |= Qt::X11BypassWindowManagerHint;
    }
    window.setWindowFlags(flags);
    window.setProperty(kCoveringProperty, true);
}

void ShowCovering(QWidget& window) {
    if (CurrentDesktop() == Desktop::Wayland) {
        new RedrawWhenFullScreen(window);
        window.showFullScreen();
        return;
    }
    window.show();
    window.raise();
}

void SetShowWindow(QWidget* show) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        widget->setProperty(kShowProperty, QVariant());
    }
    if (show != nullptr) {
        show->setProperty(kShowProperty, true);
    }
}

AboveTheShow::AboveTheShow(QWidget& dialog) : m_dialog(&dialog), m_show(ShowWindow()) {
    if (m_show == nullptr) {
        return;
    }
    m_show->setProperty(kDialogsProperty, m_show->property(kDialogsProperty).toInt() + 1);
    if (CurrentDesktop() == Desktop::Wayland) {
        // The compositor keeps the keys with the full-screen show whatever
        // window opens above it, so the dialog becomes part of the show's
        // window, in its middle.
        m_embedded = true;
        dialog.setParent(m_show, Qt::Widget);
        dialog.setPalette(OwnPalette());
        dialog.setAutoFillBackground(true);
        dialog.adjustSize();
        dialog.move((m_show->width() - dialog.width()) / 2,
                    (m_show->height() - dialog.height()) / 2);
    } else {
        Qt::WindowFlags flags = dialog.windowFlags() | Qt::WindowStaysOnTopHint;
        if (CurrentDesktop() == Desktop::X11) {
            // A window the window manager handles is stacked below the
            // show, which it does not handle; so the dialog bypasses it too.
            flags |= Qt::X11BypassWindowManagerHint;
        }
        dialog.setWindowFlags(flags);
    }
    dialog.installEventFilter(this);
}

AboveTheShow::~AboveTheShow() {
    if (m_show == nullptr) {
        return;
    }
    m_show->setProperty(kDialogsProperty, m_show->property(kDialogsProperty).toInt() - 1);
    if (m_embedded && m_dialog != nullptr) {
        m_dialog->hide();
        m_dialog->setParent(nullptr);
    }
    // The keys go back to the show, which nobody else would give them to.
    if (m_show->isVisible()) {
        m_show->activateWindow();
        m_show->setFocus();
    }
}

bool AboveTheShow::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_dialog || event->type() != QEvent::Show) {
        return false;
    }
    m_dialog->raise();
    if (!m_embedded) {
        m_dialog->activateWindow();
        return false;
    }
    // Typing goes to the field of a prompt, Return to a message's button.
    QWidget* target = m_dialog->findChild<QLineEdit*>();
    if (target == nullptr) {
        target = m_dialog->findChild<QPushButton*>();
    }
    (target != nullptr ? target : m_dialog.data())->setFocus();
    return false;
}

bool DialogAboveTheShow(const QWidget& show) {
    return show.property(kDialogsProperty).toInt() > 0;
}

ScreenHold::ScreenHold() = default;

ScreenHold::~ScreenHold() {
    Release();
}

bool ScreenHold::Take(std::chrono::milliseconds patience) {
    xcb_connection_t* connection = XcbConnection();
    if (connection == nullptr) {
        m_held = true;
        return true;
    }
    // The root window is viewable before any window of the show is, so
    // nothing needs to be on screen to learn whether input can be had.
    const xcb_window_t root = RootWindow(connection);
    const auto deadline = std::chrono::steady_clock::now() + patience;
    bool keyboard = false;
    bool pointer = false;
    for (;;) {
        keyboard = keyboard || GrabKeyboard(connection, root);
        pointer = pointer || GrabPointer(connection, root);
        if ((keyboard && pointer) || std::chrono::steady_clock::now() >= deadline) {
            break;
        }
        QThread::msleep(kRetryMilliseconds);
    }
    if (!(keyboard && pointer)) {
        Ungrab(connection);
        return false;
    }
    m_held = true;
    return true;
}

void ScreenHold::HoldFor(QWidget& show) {
    m_show = &show;
    SetShowWindow(&show);
    show.activateWindow();
    // Only an X server lets others raise windows over the show and break
    // its grabs; a Wayland compositor keeps a full-screen window on top.
    if (XcbConnection() == nullptr) {
        return;
    }
    if (m_renewal == nullptr) {
        m_renewal = new QTimer(this);
        m_renewal->setInterval(kRenewalMilliseconds);
        connect(m_renewal, &QTimer::timeout, this, &ScreenHold::Renew);
    }
    m_renewal->start();
    Renew();
}

void ScreenHold::Release() {
    if (m_renewal != nullptr) {
        m_renewal->stop();
    }
    SetShowWindow(nullptr);
    m_show = nullptr;
    if (!m_held) {
        return;
    }
    m_held = false;
    if (xcb_connection_t* connection = XcbConnection()) {
        Ungrab(connection);
    }
}

void ScreenHold::Renew() {
    if (m_show == nullptr || !m_show->isVisible()) {
        return;
    }
    // The covers first, the show above them, and whatever dialog is open
    // above all.
    QWidget* dialog = QApplication::activeModalWidget();
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget != m_show && widget->isVisible() &&
            widget->property(kCoveringProperty).toBool()) {
            widget->raise();
        }
    }
    m_show->raise();
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && !widget->property(kCoveringProperty).toBool()) {
            widget->raise();
        }
    }
    QWidget* wantsKeys = dialog != nullptr ? dialog : m_show.data();
    if (QApplication::activeWindow() != wantsKeys) {
        wantsKeys->activateWindow();
    }
    // The show's own window takes whatever input is meant for no window of
    // the program's, so that a key typed while the focus was elsewhere still
    // reaches the show.
    xcb_connection_t* connection = XcbConnection();
    const auto window = static_cast<xcb_window_t>(m_show->winId());
    GrabKeyboard(connection, window);
    GrabPointer(connection, window);
}

} // namespace vimbrel::platform
