#pragma once

// A private X server for the end-to-end tests, with what they need to look
// at it and to wait for the program.

#include "TempDirectory.h"

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QThread>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <string_view>

namespace vimbrel {

// A private X server for one test, on a display number it picks itself.
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

    QImage Screenshot() const {
        QProcess import;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DISPLAY", m_display);
        import.setProcessEnvironment(environment);
        import.start("import", {"-window", "root", "png:-"});
        import.waitForFinished(20000);
        return QImage::fromData(import.readAllStandardOutput(), "PNG");
    }

    int Run(const QString& program, const QStringList& arguments) const {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DISPLAY", m_display);
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
        process.waitForFinished(20000);
        return process.exitCode();
    }

private:
    QProcess m_server;
    QString m_display;
};

// Screen colours of a JPEG come back within a step or two of the original.
inline bool Near(const QColor& actual, const QColor& expected) {
    return std::abs(actual.red() - expected.red()) <= 8 &&
           std::abs(actual.green() - expected.green()) <= 8 &&
           std::abs(actual.blue() - expected.blue()) <= 8;
}

inline bool WaitFor(const std::function<bool()>& condition, int milliseconds) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) {
            return true;
        }
        QThread::msleep(100);
    }
    return condition();
}

// The environment the program runs in under the display: the X platform,
// its own settings and runtime folders, and silent sound.
inline QProcessEnvironment ProgramEnvironment(const VirtualDisplay& display,
                                              const std::filesystem::path& home,
                                              const std::filesystem::path& runtime) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DISPLAY", display.name());
    environment.insert("QT_QPA_PLATFORM", "xcb");
    environment.insert("VIMBREL_HOME", QString::fromStdString(home.string()));
    environment.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime.string()));
    environment.insert("VIMBREL_AUDIO_OUTPUT", "null");
    return environment;
}

#ifdef VIMBREL_PROGRAM_PATH
// Starts the program with its switch in that environment; true once it runs.
// (Only the suites that run the program know where it was built.)
inline bool StartProgram(QProcess& program, const QProcessEnvironment& environment,
                         const QStringList& arguments) {
    program.setProcessEnvironment(environment);
    program.start(VIMBREL_PROGRAM_PATH, arguments);
    return program.waitForStarted(10000);
}
#endif

// A picture of one colour, as the show's folders hold them.
inline bool WritePicture(const std::filesystem::path& path, QColor colour,
                         QSize size = QSize(200, 150)) {
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(colour);
    return picture.save(QString::fromStdString(path.string()));
}

// A settings folder whose active collection, vimbrel000.ini, has these lines.
inline void WriteCollection(const std::filesystem::path& home,
                            std::initializer_list<std::string_view> lines) {
    test::WriteBytes(home / "vimbrel.ini", test::CrLf({"[Options]", "Settings=vimbrel000.ini"}));
    test::WriteBytes(home / "vimbrel000.ini", test::CrLf(lines));
}

// The X screen's size in pixels, as the server reports it.
inline QSize ScreenSize(const VirtualDisplay& display) {
    QProcess info;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DISPLAY", display.name());
    info.setProcessEnvironment(environment);
    info.start("xdpyinfo", {});
    info.waitForFinished(10000);
    const QString text = QString::fromLocal8Bit(info.readAllStandardOutput());
    const QRegularExpressionMatch match =
        QRegularExpression(R"(dimensions:\s+(\d+)x(\d+) pixels)").match(text);
    return match.hasMatch() ? QSize(match.captured(1).toInt(), match.captured(2).toInt()) : QSize();
}

// A second mode for the virtual screen, 400 x 300, smaller than its own
// 640 x 480.
inline bool AddSmallerMode(const VirtualDisplay& display) {
    return display.Run("xrandr", {"--newmode", "400x300", "9.75", "400", "416", "456", "512", "300",
                                  "303", "307", "317", "-hsync", "+vsync"}) == 0 &&
           display.Run("xrandr", {"--addmode", "screen", "400x300"}) == 0 &&
           ScreenSize(display) == QSize(640, 480);
}

// Keeps a screenshot for people to look at, in the folder that
// VIMBREL_SCREENSHOTS names; nothing when it is unset.
inline void KeepScreenshot(const QImage& image, const QString& name) {
    const QString folder = qEnvironmentVariable("VIMBREL_SCREENSHOTS");
    if (!folder.isEmpty()) {
        image.save(folder + "/" + name + ".png");
    }
}

// Two folders: a red picture in the first, shown at the desktop's mode, and a
// blue one in the second, whose folder asks for the screen's second mode
// (AddSmallerMode). The key "s" switches from the first to the second.
inline bool WriteTwoFoldersInTwoModes(const std::filesystem::path& home,
                                      const std::filesystem::path& first,
                                      const std::filesystem::path& second) {
    WriteCollection(home, {"[Options]", "RandomFolder=0", "CurrentFolder=1", "Folders=2",
                           "key_Special=1", "key_NewFolder=115", "", "[Folder1]",
                           "Background=65280", "Center=1", "Interval=30", "Resolution=0",
                           "Set=" + first.string(), "[Folder2]", "Background=65280", "Center=1",
                           "Interval=30", "Resolution=1", "Set=" + second.string()});
    return WritePicture(first / "a.jpg", Qt::red) && WritePicture(second / "b.jpg", Qt::blue);
}

// Whether the middle of the screen (or the point given) shows the colour.
inline bool ScreenShows(const VirtualDisplay& display, QColor colour,
                        QPoint point = QPoint(320, 240)) {
    const QImage screen = display.Screenshot();
    return screen.rect().contains(point) && Near(screen.pixelColor(point), colour);
}

} // namespace vimbrel
