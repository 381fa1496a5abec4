#pragma once

// A private X server for the end-to-end tests; and, for the suites that run
// the program, a fixture that runs it there with settings of its own, looks
// at the screen, and plays another program that lends it a window or takes
// the input.

#include "TempDirectory.h"

#include <QDeadlineTimer>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
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
    bool held = false;
    for (QDeadlineTimer deadline(milliseconds); !(held = condition()) && !deadline.hasExpired();) {
        QThread::msleep(100);
    }
    return held;
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
struct VirtualDisplay {
    VirtualDisplay() {
        server.start("Xvfb", {"-displayfd", "1", "-screen", "0", "640x480x24", "-nolisten", "tcp",
                              "-noreset"});
        display = server.waitForReadyRead(10000) ? ":" + QString(server.readLine()).trimmed() : "";
    }
    ~VirtualDisplay() { server.terminate(), server.waitForFinished(5000); }
    bool ready() const { return !display.isEmpty(); }
    const QString& name() const { return display; }
    QProcess server;
    QString display;
};

#ifdef VIMBREL_PROGRAM_PATH
// The program, and every tool a test runs, see the test's display, the
// program's settings (home), runtime folder and media folder, and silent
// sound: the fixture sets them in the environment its children inherit.
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

    static bool Start(QProcess& program, const QStringList& arguments) {
        program.start(VIMBREL_PROGRAM_PATH, arguments);
        return program.waitForStarted(10000);
    }
    // How the program ended within the time given: its exit code, "crash"
    // or "running".
    static std::string Ended(QProcess& program, int milliseconds) {
        program.waitForFinished(milliseconds);
        return program.state() != QProcess::NotRunning       ? "running"
               : program.exitStatus() == QProcess::CrashExit ? "crash"
                                                             : std::to_string(program.exitCode());
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
    static bool Shows(QColor colour, QPoint point = {320, 240}, int milliseconds = 0) {
        return SOON(Near(Screenshot().pixelColor(point), colour), milliseconds);
    }
    // The id of a visible window whose whole title is this, once there is one.
    static QString Window(const QString& title) {
        return Run("xdotool", {"search", "--sync", "--onlyvisible", "--name", "^" + title + "$"})
            .split('\n')[0];
    }

    // The active collection: three folders of 200 x 150 pictures shown in
    // order, centred on green. The first ("first", a red picture) at the
    // desktop's mode, a blue picture in the screen's second mode, 400 x 300,
    // and an empty folder in that mode. The key "s" moves on to the next
    // folder.
    void WriteFolders(int interval = 60, const std::string& option = "MouseMoves=4") {
        Run("xrandr", {"--newmode", "400x300", "9.75", "400", "416", "456", "512", "300", "303",
                       "307", "317", "-hsync", "+vsync"});
        Run("xrandr", {"--addmode", "screen", "400x300"});
        const std::string shown =
            "Background=65280\r\nCenter=1\r\nRandomOrder=0\r\nInterval=" + std::to_string(interval);
        test::WriteBytes(
            home / "vimbrel000.ini",
            test::CrLf({"[Options]", "RandomFolder=0", "Folders=3", "key_Special=1", option,
                        "[Folder1]", shown, "Set=" + (media / "first").string(), "[Folder2]", shown,
                        "Resolution=1", "Set=" + (media / "blue").string(), "[Folder3]",
                        "Resolution=1", "Set=" + (media / "empty").string()}));
        for (const auto& [folder, colour] : {std::pair<const char*, QColor>{"first", Qt::red},
                                             {"blue", Qt::blue},
                                             {"empty", QColor()}}) {
            std::filesystem::create_directory(media / folder);
            QImage picture(200, 150, QImage::Format_RGB32);
            picture.fill(colour);
            EXPECT_TRUE(!colour.isValid() || picture.save((media / folder / "a.jpg").c_str()));
        }
    }

    VirtualDisplay display;
    test::TempDirectory home, runtime, media;
};

// A window of another program, as a screen-saver host lends one to the
// preview, the password dialog or a locker's saver: a plain X window at
// (10, 10) on the test's own connection, which can also take the keyboard
// or the pointer as another program's menu would.
class HostWindow {
public:
    HostWindow(uint16_t width, uint16_t height)
        : m_xcb(xcb_connect(nullptr, nullptr)),
          m_screen(xcb_setup_roots_iterator(xcb_get_setup(m_xcb)).data),
          m_window(xcb_generate_id(m_xcb)) {
        xcb_create_window(m_xcb, XCB_COPY_FROM_PARENT, m_window, m_screen->root, 10, 10, width,
                          height, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, m_screen->root_visual,
                          XCB_CW_BACK_PIXEL, &m_screen->white_pixel);
        xcb_map_window(m_xcb, m_window);
        Sync();
    }
    ~HostWindow() { xcb_disconnect(m_xcb); }
    QString id() const { return QString::number(m_window); }
    QString hex() const { return QString::number(m_window, 16).prepend("0x"); }

    std::vector<uint32_t> Children() {
        const auto tree =
            Own(xcb_query_tree_reply(m_xcb, xcb_query_tree(m_xcb, m_window), nullptr));
        const xcb_window_t* children = tree ? xcb_query_tree_children(tree.get()) : nullptr;
        return {children, children + (tree ? tree->children_len : 0)};
    }
    // What a host does to close a window it holds: WM_DELETE_WINDOW.
    void SendCloseRequest(uint32_t window) {
        const auto protocols = Own(
            xcb_intern_atom_reply(m_xcb, xcb_intern_atom(m_xcb, 0, 12, "WM_PROTOCOLS"), nullptr));
        const auto close = Own(xcb_intern_atom_reply(
            m_xcb, xcb_intern_atom(m_xcb, 0, 16, "WM_DELETE_WINDOW"), nullptr));
        xcb_client_message_event_t event{XCB_CLIENT_MESSAGE, 32, 0, window, protocols->atom, {}};
        event.data.data32[0] = close->atom;
        xcb_send_event(m_xcb, 0, window, 0, reinterpret_cast<const char*>(&event));
        Sync();
    }
    // Whether this connection could take the keyboard (or the pointer), and
    // hold it until it lets go.
    bool Grab(bool keyboard) {
        const xcb_window_t root = m_screen->root; // both grabs asynchronous (1)
        return (keyboard
                    ? Own(xcb_grab_keyboard_reply(m_xcb, xcb_grab_keyboard(m_xcb, 0, root, 0, 1, 1),
                                                  nullptr))
                          ->status
                    : Own(xcb_grab_pointer_reply(
                              m_xcb, xcb_grab_pointer(m_xcb, 0, root, 0, 1, 1, 0, 0, 0), nullptr))
                          ->status) == XCB_GRAB_STATUS_SUCCESS;
    }
    void LetGo() { xcb_ungrab_keyboard(m_xcb, XCB_CURRENT_TIME), Sync(); }

private:
    template <class Reply> static std::unique_ptr<Reply, void (*)(void*)> Own(Reply* reply) {
        return {reply, &std::free};
    }
    // A round trip, so that every request so far has reached the server.
    void Sync() { Own(xcb_get_input_focus_reply(m_xcb, xcb_get_input_focus(m_xcb), nullptr)); }

    xcb_connection_t* m_xcb;
    xcb_screen_t* m_screen;
    xcb_window_t m_window;
};
#endif

} // namespace vimbrel
