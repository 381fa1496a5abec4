#pragma once

// A window of another program, as a screen-saver host lends one for the
// preview or the password dialog: a plain X window on the test's own
// connection, which the test can close or destroy at will.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>
#include <xcb/xcb.h>

namespace vimbrel::test {

class HostWindow {
public:
    HostWindow(const QString& display, uint16_t width, uint16_t height) {
        const QByteArray name = display.toLatin1();
        m_connection = xcb_connect(name.constData(), nullptr);
        if (xcb_connection_has_error(m_connection) != 0) {
            return;
        }
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        m_window = xcb_generate_id(m_connection);
        const uint32_t background = screen->white_pixel;
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, screen->root, 10, 10, width,
                          height, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                          XCB_CW_BACK_PIXEL, &background);
        xcb_map_window(m_connection, m_window);
        Sync();
    }
    ~HostWindow() { xcb_disconnect(m_connection); }
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    uint32_t id() const { return m_window; }

    // The window's children, as the X server knows them.
    std::vector<uint32_t> Children() {
        std::vector<uint32_t> children;
        xcb_query_tree_reply_t* reply =
            xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, m_window), nullptr);
        if (reply != nullptr) {
            const xcb_window_t* list = xcb_query_tree_children(reply);
            children.assign(list, list + xcb_query_tree_children_length(reply));
            std::free(reply);
        }
        return children;
    }

    // What a host does to close a window it holds: WM_DELETE_WINDOW.
    void SendCloseRequest(uint32_t window) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = Atom("WM_PROTOCOLS");
        event.data.data32[0] = Atom("WM_DELETE_WINDOW");
        event.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(m_connection, 0, window, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&event));
        Sync();
    }

    void Resize(uint32_t width, uint32_t height) {
        const uint32_t size[] = {width, height};
        xcb_configure_window(m_connection, m_window,
                             XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, size);
        Sync();
    }

    void Destroy() {
        xcb_destroy_window(m_connection, m_window);
        Sync();
    }

    // Whether this program could take the whole display's keyboard, or its
    // pointer, as another program's menu or locker would; a grab taken is
    // let go at once.
    bool CanGrabKeyboard() {
        xcb_grab_keyboard_reply_t* reply =
            xcb_grab_keyboard_reply(m_connection,
                                    xcb_grab_keyboard(m_connection, 0, Root(), XCB_CURRENT_TIME,
                                                      XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
                                    nullptr);
        const bool grabbed = reply != nullptr && reply->status == XCB_GRAB_STATUS_SUCCESS;
        std::free(reply);
        if (grabbed && !m_holdingKeyboard) {
            xcb_ungrab_keyboard(m_connection, XCB_CURRENT_TIME);
            Sync();
        }
        return grabbed;
    }
    bool CanGrabPointer() {
        xcb_grab_pointer_reply_t* reply = xcb_grab_pointer_reply(
            m_connection,
            xcb_grab_pointer(m_connection, 0, Root(), XCB_EVENT_MASK_BUTTON_PRESS,
                             XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC, XCB_NONE, XCB_NONE,
                             XCB_CURRENT_TIME),
            nullptr);
        const bool grabbed = reply != nullptr && reply->status == XCB_GRAB_STATUS_SUCCESS;
        std::free(reply);
        if (grabbed) {
            xcb_ungrab_pointer(m_connection, XCB_CURRENT_TIME);
            Sync();
        }
        return grabbed;
    }
    // Holds the keyboard, as an open menu does, until LetGoOfKeyboard.
    bool HoldKeyboard() {
        m_holdingKeyboard = true;
        return CanGrabKeyboard();
    }
    void LetGoOfKeyboard() {
        m_holdingKeyboard = false;
        xcb_ungrab_keyboard(m_connection, XCB_CURRENT_TIME);
        Sync();
    }

    // Counts the clicks that reach this window from now on.
    void WatchClicks() {
        const uint32_t events = XCB_EVENT_MASK_BUTTON_PRESS;
        xcb_change_window_attributes(m_connection, m_window, XCB_CW_EVENT_MASK, &events);
        Sync();
    }
    int ClicksReceived() {
        Sync();
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
            if ((event->response_type & 0x7F) == XCB_BUTTON_PRESS) {
                ++m_clicks;
            }
            std::free(event);
        }
        return m_clicks;
    }

private:
    xcb_window_t Root() { return xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root; }
    // A round trip, so that every request so far has reached the server.
    void Sync() {
        std::free(
            xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    }
    uint32_t Atom(const char* name) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            m_connection,
            xcb_intern_atom(m_connection, 0, static_cast<uint16_t>(std::strlen(name)), name),
            nullptr);
        const uint32_t atom = reply != nullptr ? reply->atom : 0;
        std::free(reply);
        return atom;
    }

    xcb_connection_t* m_connection = nullptr;
    uint32_t m_window = 0;
    int m_clicks = 0;
    bool m_holdingKeyboard = false;
};

} // namespace vimbrel::test
