// The configuration dialog of the real program under a virtual X server:
// how it looks over a collection of three folders (the screenshot is kept
// in the build folder), and OK saving the collection.

#include "TempDirectory.h"
#include "VirtualDisplay.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace vimbrel {
namespace {

using test::CrLf;
using test::TempDirectory;

// The dialog's place on the screen, as the X server has it.
QRect WindowGeometry(const VirtualDisplay& display, const QString& title) {
    QProcess xdotool;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DISPLAY", display.name());
    xdotool.setProcessEnvironment(environment);
    xdotool.start("xdotool", {"search", "--name", title, "getwindowgeometry"});
    xdotool.waitForFinished(10000);
    const QString output = QString::fromUtf8(xdotool.readAllStandardOutput());
    const QRegularExpressionMatch position =
        QRegularExpression(R"(Position: (\d+),(\d+))").match(output);
    const QRegularExpressionMatch size =
        QRegularExpression(R"(Geometry: (\d+)x(\d+))").match(output);
    if (!position.hasMatch() || !size.hasMatch()) {
        return {};
    }
    return {position.captured(1).toInt(), position.captured(2).toInt(), size.captured(1).toInt(),
            size.captured(2).toInt()};
}

TEST(ConfigurationEndToEnd, DialogOverThreeFoldersAndOkSaves) {
    VirtualDisplay display;
    ASSERT_TRUE(display.ready()) << "Xvfb did not start";
    TempDirectory home, runtime, media;
    for (const char* name : {"Beach", "alps", "Castles of the Loire"}) {
        std::filesystem::create_directory(media / name);
    }
    test::WriteBytes(home / "vimbrel.ini", CrLf({"[Options]", "Settings=vimbrel001.ini"}));
    const std::string collection =
        CrLf({"[Options]", "Description=Holidays", "CurrentFolder=3", "key_Special=1",
              "MouseMoves=10", "Folders=3", "[Folder1]", "Set=" + (media / "Beach").string(),
              "[Folder2]", "Set=" + (media / "alps").string(), "[Folder3]",
              "Set=" + (media / "Castles of the Loire").string(), "Interval=75", "Center=1",
              "Background=16711680"});
    test::WriteBytes(home / "vimbrel001.ini", collection);

    QProcess program;
    ASSERT_TRUE(
        StartProgram(program, ProgramEnvironment(display, home.path(), runtime.path()), {"/C"}));

    const QString title = "Vimbrel 4.0 Configuration";
    QRect window;
    ASSERT_TRUE(WaitFor(
        [&] {
            window = WindowGeometry(display, title);
            return window.isValid();
        },
        15000))
        << "the dialog did not appear";
    EXPECT_EQ(window.size(), QSize(497, 345));
    // Near the screen's middle (Qt leaves room above for a title bar that a
    // window manager would add), and whole.
    EXPECT_NEAR(window.center().x(), 320, 20);
    EXPECT_NEAR(window.center().y(), 240, 50);
    EXPECT_TRUE(QRect(0, 0, 640, 480).contains(window));

    // Drawn once the window has settled.
    QImage screen;
    ASSERT_TRUE(WaitFor(
        [&] {
            screen = display.Screenshot();
            // The swatch beside Background shows Castles' blue.
            const QColor swatch = screen.pixelColor(window.topLeft() + QPoint(8 + 314, 8 + 145));
            return swatch.blue() > 200 && swatch.red() < 50;
        },
        15000))
        << "the selected folder's colour is not in the swatch";
    const QString saved =
        QFileInfo(QString(VIMBREL_PROGRAM_PATH)).absoluteDir().filePath("configuration-dialog.png");
    screen.copy(window).save(saved);

    // OK saves the collection and ends the program.
    display.Run("xdotool", {"mousemove", QString::number(window.x() + 400 + 44),
                            QString::number(window.y() + 280 + 12), "click", "1"});
    ASSERT_TRUE(program.waitForFinished(10000)) << "OK did not end the program";
    EXPECT_EQ(program.exitCode(), 0);
    const std::string written = test::ReadBytes(home / "vimbrel001.ini");
    EXPECT_NE(written.find("LastFileName=\r\n"), std::string::npos);
    EXPECT_NE(written.find("CurrentFolder=3\r\n"), std::string::npos);
    EXPECT_NE(written.find("MouseMoves=10\r\n"), std::string::npos);
    EXPECT_EQ(test::ReadBytes(home / "vimbrel001.bak"), collection);
}

} // namespace
} // namespace vimbrel
