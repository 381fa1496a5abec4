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

using test::TempDirectory;

TEST(ShowEndToEnd, PictureOnBackgroundCorruptFileMarkedKeyEndsTheShow) {
    VirtualDisplay display;
    ASSERT_TRUE(display.ready()) << "Xvfb did not start";
    TempDirectory home, runtime, pictures;
    ASSERT_TRUE(WritePicture(pictures / "a.jpg", Qt::red));
    test::WriteBytes(pictures / "b.jpg", "\xFF\xD8\xFF\xE0 cut short");
    WriteCollection(home.path(), {"[Options]", "RandomFolder=0", "Folders=1", "", "[Folder1]",
                                  "Background=65280", "Center=1", "Interval=1", "ImageScale=0",
                                  "RandomOrder=0", "Set=" + pictures.path().string()});

    QProcess show;
    ASSERT_TRUE(
        StartProgram(show, ProgramEnvironment(display, home.path(), runtime.path()), {"/S"}));

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
    ASSERT_TRUE(WritePicture(pictures / "a.jpg", Qt::blue));
    WriteCollection(home.path(), {"[Options]", "RandomFolder=0", "Folders=1", "[Folder1]",
                                  "Center=1", "Set=" + pictures.path().string()});
    const QProcessEnvironment environment =
        ProgramEnvironment(display, home.path(), runtime.path());

    QProcess first;
    ASSERT_TRUE(StartProgram(first, environment, {"/S"}));
    ASSERT_TRUE(WaitFor([&] { return ScreenShows(display, Qt::blue); }, 15000));

    QProcess second;
    StartProgram(second, environment, {"/S"});
    EXPECT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);

    display.Run("xdotool", {"key", "Escape"});
    EXPECT_TRUE(first.waitForFinished(10000));
}

} // namespace
} // namespace vimbrel
