// The real program under a virtual X server, steered with typed keys as a
// viewer steers it: next, previous, pause, rename, next folder, and a key
// that ends the show.

#include "TempDirectory.h"
#include "VirtualDisplay.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace vimbrel {
namespace {

using test::TempDirectory;

TEST(KeysEndToEnd, ViewerSteersTheShowWithTheSpecialKeys) {
    VirtualDisplay display;
    ASSERT_TRUE(display.ready()) << "Xvfb did not start";
    TempDirectory home, runtime, first, second;
    ASSERT_TRUE(WritePicture(first / "a.jpg", Qt::red));
    ASSERT_TRUE(WritePicture(first / "b.jpg", Qt::blue));
    ASSERT_TRUE(WritePicture(first / "c.jpg", Qt::yellow));
    ASSERT_TRUE(WritePicture(second / "d.jpg", Qt::white));
    // One folder at a time: CurrentFolder 1 and no random folder, so the
    // show starts in the first folder; "s" moves to the second.
    WriteCollection(home.path(),
                    {"[Options]",         "RandomFolder=0",      "CurrentFolder=1",
                     "Folders=2",         "key_Special=1",       "key_Captions=102",
                     "key_NewFolder=115", "key_Pause=122",       "key_Rename=114",
                     "key_Next=110",      "key_Previous=112",    "",
                     "[Folder1]",         "Background=65280",    "Center=1",
                     "Interval=2",        "RandomOrder=0",       "Set=" + first.path().string(),
                     "[Folder2]",         "Background=16711680", "Center=1",
                     "Interval=30",       "RandomOrder=0",       "Set=" + second.path().string()});

    QProcess show;
    ASSERT_TRUE(
        StartProgram(show, ProgramEnvironment(display, home.path(), runtime.path()), {"/S"}));

    const auto centreIs = [&](QColor colour) {
        return [&display, colour] { return ScreenShows(display, colour); };
    };
    const auto type = [&](const char* key) { display.Run("xdotool", {"key", key}); };

    ASSERT_TRUE(WaitFor(centreIs(Qt::red), 15000)) << "the first picture did not appear";
    type("n");
    EXPECT_TRUE(WaitFor(centreIs(Qt::blue), 5000)) << "n did not show the next picture";
    type("p");
    EXPECT_TRUE(WaitFor(centreIs(Qt::red), 5000)) << "p did not show the previous picture";

    // Paused, the picture stays well past its four seconds.
    type("z");
    QThread::msleep(6000);
    EXPECT_TRUE(centreIs(Qt::red)()) << "the paused picture did not stay";
    // Resuming moves on at once.
    type("z");
    EXPECT_TRUE(WaitFor(centreIs(Qt::blue), 5000));

    type("r");
    EXPECT_TRUE(WaitFor([&] { return std::filesystem::exists(first / "_b.jpg"); }, 5000));
    EXPECT_FALSE(std::filesystem::exists(first / "b.jpg"));
    EXPECT_TRUE(WaitFor(centreIs(Qt::yellow), 5000)) << "r did not move on";

    type("s");
    ASSERT_TRUE(WaitFor(centreIs(Qt::white), 5000)) << "s did not switch folders";
    const QImage screen = display.Screenshot();
    EXPECT_TRUE(Near(screen.pixelColor(5, 5), QColor(0, 0, 255))) << "not the folder's colour";

    type("q");
    ASSERT_TRUE(show.waitForFinished(10000)) << "another letter did not end the show";
    EXPECT_EQ(show.exitCode(), 0);
    EXPECT_TRUE(std::filesystem::exists(first / "a.jpg"));
    EXPECT_TRUE(std::filesystem::exists(first / "c.jpg"));
    EXPECT_TRUE(std::filesystem::exists(second / "d.jpg"));
}

TEST(KeysEndToEnd, NextFolderSwitchesToItsDisplayModeAndTheDesktopsComesBack) {
    VirtualDisplay display;
    ASSERT_TRUE(display.ready()) << "Xvfb did not start";
    ASSERT_TRUE(AddSmallerMode(display));

    TempDirectory home, runtime, first, second;
    ASSERT_TRUE(WriteTwoFoldersInTwoModes(home.path(), first.path(), second.path()));

    QProcess show;
    ASSERT_TRUE(
        StartProgram(show, ProgramEnvironment(display, home.path(), runtime.path()), {"/S"}));
    const auto centreIs = [&](QPoint centre, QColor colour) {
        return [&display, centre, colour] { return ScreenShows(display, colour, centre); };
    };
    ASSERT_TRUE(WaitFor(centreIs({320, 240}, Qt::red), 15000));

    display.Run("xdotool", {"key", "s"});
    EXPECT_TRUE(WaitFor([&] { return ScreenSize(display) == QSize(400, 300); }, 5000))
        << "the folder's mode was not set";
    // The show covers the smaller screen, the picture centred on it.
    EXPECT_TRUE(WaitFor(centreIs({200, 150}, Qt::blue), 5000));
    EXPECT_TRUE(WaitFor(centreIs({5, 5}, QColor(0, 255, 0)), 5000));

    display.Run("xdotool", {"key", "q"});
    ASSERT_TRUE(show.waitForFinished(10000));
    EXPECT_EQ(show.exitCode(), 0);
    EXPECT_EQ(ScreenSize(display), QSize(640, 480)) << "the desktop's mode did not come back";
}

// A message while the show holds the keyboard: typed keys answer it.
TEST(KeysEndToEnd, MessageDuringTheShowTakesTheKeys) {
    VirtualDisplay display;
    ASSERT_TRUE(display.ready()) << "Xvfb did not start";
    TempDirectory home, runtime, first, empty;
    ASSERT_TRUE(WritePicture(first / "a.jpg", Qt::red));
    WriteCollection(home.path(),
                    {"[Options]", "RandomFolder=0", "CurrentFolder=1", "Folders=2", "key_Special=1",
                     "key_NewFolder=115", "", "[Folder1]", "Center=1",
                     "Set=" + first.path().string(), "[Folder2]", "Set=" + empty.path().string()});
    QProcess show;
    ASSERT_TRUE(
        StartProgram(show, ProgramEnvironment(display, home.path(), runtime.path()), {"/S"}));
    ASSERT_TRUE(WaitFor([&] { return ScreenShows(display, Qt::red); }, 15000));

    display.Run("xdotool", {"key", "s"});
    // The message about the empty folder is up; Return answers it, and the
    // show then ends as a viewer ends it.
    QThread::msleep(1500);
    EXPECT_EQ(show.state(), QProcess::Running) << "the show did not wait for the message";
    display.Run("xdotool", {"key", "Return"});
    ASSERT_TRUE(show.waitForFinished(10000)) << "Return did not reach the message";
    EXPECT_EQ(show.exitCode(), 0);
    EXPECT_NE(show.readAllStandardError().indexOf("Could not find any supported files"), -1);
}

} // namespace
} // namespace vimbrel
