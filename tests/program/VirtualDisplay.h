#pragma once

// A private X server for the end-to-end tests; and, for the suites that run
// the program, a fixture that runs it there with settings of its own, with
// what the tests need to look at the screen, to wait for the program, and
// to play another program that lends it a window or takes the input.

#include "TempDirectory.h"

#include <QDeadlineTimer>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <cstring>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <xcb/xcb.h>

namespace vimbrel {

// Screen colours of a JPEG come back within a step or two of the original.
inline bool Near(const QColor& actual, const QColor& expected) {
    return actual.isValid() && std::max({std::abs(actual.red() - expected.red()),
                                         std::abs(actual.green() - expected.green()),
                                         std::abs(actual.blue() - expected.blue())}) <= 8;
}

// Whether the condition holds now or within the time given.
inline bool WaitFor(const std::function<bool()>& condition, int milliseconds) {
    for (QDeadlineTimer deadline(milliseconds); !condition(); QThread::msleep(100)) {
        if (deadline.hasExpired()) {
            return false;
        }
    }
    return true;
}
#define SOON(condition, milliseconds) ::vimbrel::WaitFor([&] { return condition; }, milliseconds)

// Keeps a screenshot for people to look at, in the folder that
// VIMBREL_SCREENSHOTS names; nothing when it is unset.
inline void KeepScreenshot(const QImage& image, const QString& name) {
    if (const QString folder = qEnvironmentVariable("VIMBREL_SCREENSHOTS"); !folder.isEmpty()) {
        image.save(folder + "/" + name + ".png");
    }
}

// An X server of 640 x 480 pixels for one test, on a display number it
// picks itself.
class VirtualDisplay {
public:
    VirtualDisplay() {
        m_server.start("Xvfb", {"-displayfd", "1", "-screen", "0", "640x480x24", "-nolisten", "tcp",
                                "-noreset"});
        if (m_server.waitForReadyRead(10000)) {
            m_display = ":" + QString::fromLatin1(m_server.readLine()).trimmed();
        }
    }
    ~VirtualDisplay() {
        m_server.terminate();
        m_server.waitForFinished(5000);
    }
    bool ready() const { return m_display.size() > 1; }
    const QString& name() const { return m_display; }

private:
    QProcess m_server;
    QString m_display;
};

#ifdef VIMBREL_PROGRAM_PATH
// The program, and every tool a test runs, see the test's display, the
// program's settings (home), runtime folder and media folder, and silent
// sound: the fixture sets them in the environment its children inherit.
// (Only the suites that run the program know where it was built.)
class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(display.ready()) << "Xvfb did not start";
        qputenv("DISPLAY", display.name().toLatin1());
        qputenv("QT_QPA_PLATFORM", "xcb");
        qputenv("VIMBREL_HOME", home.path().c_str());
        qputenv("XDG_RUNTIME_DIR", runtime.path().c_str());
        qputenv("VIMBREL_AUDIO_OUTPUT", "null");
    }

    // Starts the program with these arguments; true once it runs.
    static bool Start(QProcess& program, const QStringList& arguments) {
        program.start(VIMBREL_PROGRAM_PATH, arguments);
        return program.waitForStarted(10000);
    }
    // What a tool printed on standard output.
    static QByteArray Run(const QString& tool, const QStringList& arguments) {
        QProcess process;
        process.start(tool, arguments);
        process.waitForFinished(20000);
        return process.readAllStandardOutput();
    }
    static void Xdotool(const QStringList& arguments) { Run("xdotool", arguments); }
    static QImage Screenshot() {
        return QImage::fromData(Run("import", {"-window", "root", "png:-"}));
    }
    // The colour at a point of the screen; none when it cannot be seen.
    static QColor ColourAt(QPoint point) {
        const QImage screen = Screenshot();
        return screen.rect().contains(point) ? screen.pixelColor(point) : QColor();
    }
    static bool Shows(QColor colour, QPoint point = {320, 240}, int milliseconds = 0) {
        return SOON(Near(ColourAt(point), colour), milliseconds);
    }
    // The screen's size in pixels, as the server reports it.
    static QSize ScreenSize() {
        const QStringList size = QRegularExpression(R"(dimensions:\s+(\d+)x(\d+) )")
                                     .match(Run("xdpyinfo", {}))
                                     .capturedTexts();
        return size.size() == 3 ? QSize(size[1].toInt(), size[2].toInt()) : QSize();
    }
    // The id of a visible window whose whole title is this, once there is one.
    static QString Window(const QString& title, int milliseconds = 15000) {
        QByteArray ids;
        SOON(!(ids = Run("xdotool", {"search", "--onlyvisible", "--name", "^" + title + "$"}))
                  .isEmpty(),
             milliseconds);
        return QString(ids.split('\n')[0]);
    }

    // A picture of one colour, 200 x 150, as the show's folders hold them.
    static void WritePicture(const std::filesystem::path& path, QColor colour) {
        QImage picture(200, 150, QImage::Format_RGB32);
        picture.fill(colour);
        ASSERT_TRUE(picture.save(QString::fromStdString(path.string())));
    }
    // The active collection, vimbrel000.ini, with these lines.
    void WriteCollection(std::initializer_list<std::string_view> lines) {
        test::WriteBytes(home / "vimbrel.ini",
                         test::CrLf({"[Options]", "Settings=vimbrel000.ini"}));
        test::WriteBytes(home / "vimbrel000.ini", test::CrLf(lines));
    }
    // One folder, a red picture in it: shown in order, centred on green.
    void WriteFolder(const std::string& options = "MouseMoves=4") {
        WriteCollection({"[Options]", "RandomFolder=0", "Folders=1", options, "[Folder1]",
                         "Background=65280", "Center=1", "Interval=60",
                         "Set=" + media.path().string()});
        WritePicture(media / "b.jpg", Qt::red);
    }
    // Three folders: the media in the first ("first", a red picture here)
    // shown at the desktop's mode, a blue picture in the screen's second
    // mode, 400 x 300, and an empty folder in that mode. The key "s" moves
    // on to the next folder.
    void WriteFoldersInTwoModes(int interval) {
        Run("xrandr", {"--newmode", "400x300", "9.75", "400", "416", "456", "512", "300", "303",
                       "307", "317", "-hsync", "+vsync"});
        Run("xrandr", {"--addmode", "screen", "400x300"});
        // The lines both shown folders have.
        const std::string shown =
            "Background=65280\r\nCenter=1\r\nImageScale=0\r\nRandomOrder=0\r\nInterval=" +
            std::to_string(interval);
        WriteCollection({"[Options]", "RandomFolder=0", "CurrentFolder=1", "Folders=3",
                         "key_Special=1", "key_NewFolder=115", "[Folder1]", shown,
                         "Set=" + (media / "first").string(), "[Folder2]", shown, "Resolution=1",
                         "Set=" + (media / "blue").string(), "[Folder3]", "Resolution=1",
                         "Set=" + (media / "empty").string()});
        for (const char* folder : {"first", "blue", "empty"}) {
            std::filesystem::create_directory(media / folder);
        }
        WritePicture(media / "first" / "a.jpg", Qt::red);
        WritePicture(media / "blue" / "b.jpg", Qt::blue);
    }

    VirtualDisplay display;
    test::TempDirectory home, runtime, media;
};

// A window of another program, as a screen-saver host lends one for the
// preview, the password dialog or a locker's saver: a plain X window at
// (10, 10) on the test's own connection, which counts the clicks that reach
// it. (xdotool resizes and destroys it like any other window.) Its
// connection also tries to take the keyboard or the pointer, as another
// program's menu would.
class HostWindow {
public:
    HostWindow(uint16_t width, uint16_t height)
        : m_connection(xcb_connect(nullptr, nullptr)),
          m_screen(xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data),
          m_window(xcb_generate_id(m_connection)) {
        const uint32_t values[] = {m_screen->white_pixel, XCB_EVENT_MASK_BUTTON_PRESS};
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, m_screen->root, 10, 10,
                          width, height, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, m_screen->root_visual,
                          XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
        xcb_map_window(m_connection, m_window);
        Sync();
    }
    ~HostWindow() { xcb_disconnect(m_connection); }
    QString id() const { return QString::number(m_window); }

    // The window's children, as the X server knows them.
    std::vector<uint32_t> Children() {
        xcb_query_tree_reply_t* tree =
            xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, m_window), nullptr);
        const xcb_window_t* children = tree ? xcb_query_tree_children(tree) : nullptr;
        std::vector<uint32_t> list(children, children + (tree ? tree->children_len : 0));
        std::free(tree);
        return list;
    }
    // What a host does to close a window it holds: WM_DELETE_WINDOW.
    void SendCloseRequest(uint32_t window) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = Atom("WM_PROTOCOLS");
        event.data.data32[0] = Atom("WM_DELETE_WINDOW");
        xcb_send_event(m_connection, 0, window, 0, reinterpret_cast<const char*>(&event));
        Sync();
    }
    // Whether this connection could take the whole display's keyboard (or
    // the pointer); a grab taken is let go at once unless `hold`.
    bool Grab(bool keyboard, bool hold = false) {
        const auto root = m_screen->root;
        const auto async = XCB_GRAB_MODE_ASYNC;
        const bool grabbed =
            keyboard
                ? Granted(xcb_grab_keyboard_reply(
                      m_connection, xcb_grab_keyboard(m_connection, 0, root, 0, async, async),
                      nullptr))
                : Granted(xcb_grab_pointer_reply(
                      m_connection,
                      xcb_grab_pointer(m_connection, 0, root, 0, async, async, 0, 0, 0), nullptr));
        if (grabbed && !hold) {
            LetGo();
        }
        return grabbed;
    }
    void LetGo() {
        xcb_ungrab_keyboard(m_connection, XCB_CURRENT_TIME);
        xcb_ungrab_pointer(m_connection, XCB_CURRENT_TIME);
        Sync();
    }
    // The clicks that reached the window so far.
    int Clicks() {
        Sync();
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
            m_clicks += (event->response_type & 0x7F) == XCB_BUTTON_PRESS ? 1 : 0;
            std::free(event);
        }
        return m_clicks;
    }

private:
    template <class Reply> static bool Granted(Reply* reply) {
        const bool granted = reply != nullptr && reply->status == XCB_GRAB_STATUS_SUCCESS;
        std::free(reply);
        return granted;
    }
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

    xcb_connection_t* m_connection;
    xcb_screen_t* m_screen;
    xcb_window_t m_window;
    int m_clicks = 0;
};
#endif

} // namespace vimbrel
