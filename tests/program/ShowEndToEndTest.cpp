// The real program under a virtual X server, as a user sees it: the show
// appears over the folder's background, a corrupt picture is taken out of
// the show, and a key ends it.

#include "TempDirectory.h"
#include "VirtualDisplay.h"

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>
#include <chrono>
#include <gtest/gtest.h>

namespace vimbrel {
namespace {

using test::CrLf;
using test::TempDirectory;

TEST(ShowEndToEnd, PictureOnBackgroundCorruptFileMarkedKeyEndsTheShow) {
    VirtualDisplay display;
    ASSERT_TRUE(display.ready()) << "Xvfb did not start";
    TempDirectory home, runtime, pictures;
    QImage red(200, 150, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(QString::fromStdString((pictures / "a.jpg").string())));
    test::WriteBytes(pictures / "b.jpg", "\xFF\xD8\xFF\xE0 cut short");
    test::WriteBytes(home / "vimbrel.ini", CrLf({"[Options]", "Settings=vimbrel000.ini"}));
    test::WriteBytes(home / "vimbrel000.ini",
                     CrLf({"[Options]", "RandomFolder=0", "Folders=1", "", "[Folder1]",
                           "Background=65280", "Center=1", "Interval=1", "ImageScale=0",
                           "RandomOrder=0", "Set=" + pictures.path().string()}));

    QProcess show;
    const QProcessEnvironment environment =
        ProgramEnvironment(display, home.path(), runtime.path());
    show.setProcessEnvironment(environment);
    show.start(VIMBREL_PROGRAM_PATH, {"/S"});
    ASSERT_TRUE(show.waitForStarted(10000));

    // The red picture, centred on the green background.
    QImage screen;
    ASSERT_TRUE(WaitFor(
        [&] {
            screen = display.Screenshot();
            return !screen.isNull() && Near(screen.pixelColor(320, 240), Qt::red);
        },
        15000))
        << "the picture did not appear";
    const QColor corner = screen.pixelColor(5, 5);
    EXPECT_LT(corner.red(), 20);
    EXPECT_GT(corner.green(), 235);

    // The corrupt picture's turn comes three seconds later.
    ASSERT_TRUE(WaitFor(
        [&] {
            return test::ReadBytes(home / "vimbrel000.ini").find("LastFileName=b.jpg\r\n") !=
                   std::string::npos;
        },
        15000));
    EXPECT_TRUE(std::filesystem::exists(pictures / "_b.jpg"));
    EXPECT_FALSE(std::filesystem::exists(pictures / "b.jpg"));

    display.Run("xdotool", {"key", "x"});
    ASSERT_TRUE(show.waitForFinished(10000)) << "a key did not end the show";
    EXPECT_EQ(show.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(show.exitCode(), 0);
}

TEST(ShowEndToEnd, SecondShowEndsAtOnceWithoutAWindow) {
    VirtualDisplay display;
    ASSERT_TRUE(display.ready());
    TempDirectory home, runtime, pictures;
    QImage blue(100, 100, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    blue.save(QString::fromStdString((pictures / "a.jpg").string()));
    test::WriteBytes(home / "vimbrel.ini", CrLf({"[Options]", "Settings=vimbrel000.ini"}));
    test::WriteBytes(home / "vimbrel000.ini",
                     CrLf({"[Options]", "RandomFolder=0", "Folders=1", "[Folder1]", "Center=1",
                           "Set=" + pictures.path().string()}));
    const QProcessEnvironment environment =
        ProgramEnvironment(display, home.path(), runtime.path());

    QProcess first;
    first.setProcessEnvironment(environment);
    first.start(VIMBREL_PROGRAM_PATH, {"/S"});
    ASSERT_TRUE(first.waitForStarted(10000));
    ASSERT_TRUE(
        WaitFor([&] { return Near(display.Screenshot().pixelColor(320, 240), Qt::blue); }, 15000));

    QProcess second;
    second.setProcessEnvironment(environment);
    second.start(VIMBREL_PROGRAM_PATH, {"/S"});
    EXPECT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);

    display.Run("xdotool", {"key", "Escape"});
    EXPECT_TRUE(first.waitForFinished(10000));
}

} // namespace
} // namespace vimbrel
