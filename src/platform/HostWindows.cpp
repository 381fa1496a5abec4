#include "platform/HostWindows.h"

#include "platform/XcbConnection.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <xcb/xcb.h>

namespace vimbrel::platform {

namespace {

uint32_t Atom(xcb_connection_t* connection, const char* name) {
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
    XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection, cookie, nullptr),
                                            &std::free);
    return reply ? reply->atom : 0;
}

// Qt's stand-in for a window of another program. A window of ours placed
// inside it becomes its child object and would be deleted with it, so the
// stand-ins are kept, one per id, for the life of the process (a process
// meets one host window).
QWindow* ForeignWindow(uint32_t window) {
    static std::map<uint32_t, QWindow*> windows;
    QWindow*& foreign = windows[window];
    if (foreign == nullptr) {
        foreign = QWindow::fromWinId(window);
    }
    return foreign;
}

} // namespace

bool IsWindow(uint32_t window) {
    xcb_connection_t* connection = XcbConnection();
    if (connection == nullptr || window == 0) {
        return false;
    }
    // A checked request: a window that is gone answers with an error, which
    // is ours to read instead of Qt's to print.
    xcb_generic_error_t* error = nullptr;
    XcbReply<xcb_get_window_attributes_reply_t> reply(
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, window),
                                        &error),
        &std::free);
    std::free(error);
    return reply != nullptr;
}

ClientRect GetClientRect(uint32_t window) {
    xcb_connection_t* connection = XcbConnection();
    if (connection == nullptr || window == 0) {
        return {};
    }
    xcb_generic_error_t* error = nullptr;
    XcbReply<xcb_get_geometry_reply_t> reply(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), &error),
        &std::free);
    std::free(error);
    if (!reply) {
        return {};
    }
    return {0, 0, reply->width, reply->height};
}

void SetParent(QWidget* widget, uint32_t window) {
    widget->winId();
    QWindow* own = widget->windowHandle();
    if (own == nullptr) {
        return;
    }
    if (window == 0) {
        widget->hide();
        own->setParent(nullptr);
        return;
    }
    if (!IsWindow(window)) {
        return;
    }
    own->setParent(ForeignWindow(window));
    own->setPosition(widget->pos());
}

void SetOwnerWindow(QWidget* dialog, uint32_t window) {
    if (!IsWindow(window)) {
        return;
    }
    dialog->winId();
    if (QWindow* own = dialog->windowHandle()) {
        own->setTransientParent(ForeignWindow(window));
    }
}

CloseRequestFilter::CloseRequestFilter(uint32_t window, std::function<void()> onCloseRequest)
    : m_window(window), m_onCloseRequest(std::move(onCloseRequest)) {
    if (xcb_connection_t* connection = XcbConnection()) {
        m_protocolsAtom = Atom(connection, "WM_PROTOCOLS");
        m_deleteAtom = Atom(connection, "WM_DELETE_WINDOW");
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
}

CloseRequestFilter::~CloseRequestFilter() {
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
}

bool CloseRequestFilter::nativeEventFilter(const QByteArray& eventType, void* message,
                                           qintptr* /*result*/) {
    if (eventType != "xcb_generic_event_t" || m_deleteAtom == 0) {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7F) != XCB_CLIENT_MESSAGE) {
        return false;
    }
    const auto* client = reinterpret_cast<const xcb_client_message_event_t*>(event);
    if (client->window != m_window || client->format != 32 || client->type != m_protocolsAtom ||
        client->data.data32[0] != m_deleteAtom) {
        return false;
    }
    m_onCloseRequest();
    return true;
}

} // namespace vimbrel::platform
