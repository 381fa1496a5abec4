#pragma once

// A private X server for the end-to-end tests, with what they need to look
// at it and to wait for the program.

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>

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

} // namespace vimbrel
