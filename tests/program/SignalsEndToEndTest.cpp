// Ending from outside: the signals idle tools and terminals send, and a
// fault of the processor, which the user must see and recover from.

#include "TempDirectory.h"
#include "VirtualDisplay.h"

#include <QProcess>
#include <csignal>
#include <gtest/gtest.h>

namespace vimbrel {
namespace {

using test::TempDirectory;

class SignalsEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(display.ready()) << "Xvfb did not start";
        ASSERT_TRUE(AddSmallerMode(display));
        ASSERT_TRUE(WriteTwoFoldersInTwoModes(home.path(), first.path(), second.path()));
    }
    // Starts a show and switches it to the second folder, in its own mode.
    void StartShowInTheFoldersMode() {
        ASSERT_TRUE(
            StartProgram(show, ProgramEnvironment(display, home.path(), runtime.path()), {"/S"}));
        ASSERT_TRUE(WaitFor([&] { return ScreenShows(display, Qt::red); }, 15000));
        display.Run("xdotool", {"key", "s"});
        ASSERT_TRUE(WaitFor([&] { return ScreenSize(display) == QSize(400, 300); }, 5000))
            << "the folder's mode was not set";
    }

    VirtualDisplay display;
    TempDirectory home, runtime, first, second;
    QProcess show;
};

TEST_F(SignalsEndToEnd, TerminationEndsTheShowAndGivesTheDesktopItsModeBack) {
    StartShowInTheFoldersMode();
    const std::string collection = test::ReadBytes(home / "vimbrel000.ini");
    ::kill(static_cast<pid_t>(show.processId()), SIGTERM);
    ASSERT_TRUE(show.waitForFinished(1000)) << "the show took more than a second to end";
    EXPECT_EQ(show.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(show.exitCode(), 0);
    EXPECT_EQ(ScreenSize(display), QSize(640, 480)) << "the desktop's mode did not come back";
    EXPECT_EQ(test::ReadBytes(home / "vimbrel000.ini"), collection);
}

TEST_F(SignalsEndToEnd, InterruptAndHangUpEndTheDialogAsCancelDoes) {
    const std::string collection = test::ReadBytes(home / "vimbrel000.ini");
    for (const int signal : {SIGINT, SIGHUP}) {
        QProcess dialog;
        ASSERT_TRUE(
            StartProgram(dialog, ProgramEnvironment(display, home.path(), runtime.path()), {"/C"}));
        ASSERT_TRUE(WaitFor(
            [&] {
                return display.Run("xdotool", {"search", "--onlyvisible", "--name", "."}) == 0;
            },
            15000));
        QThread::msleep(500);
        ::kill(static_cast<pid_t>(dialog.processId()), signal);
        ASSERT_TRUE(dialog.waitForFinished(1000)) << "signal " << signal;
        EXPECT_EQ(dialog.exitCode(), 0) << "signal " << signal;
    }
    EXPECT_EQ(test::ReadBytes(home / "vimbrel000.ini"), collection) << "the dialog saved";
}

// A crash is reported where the user sees it, and the desktop gets its mode
// back, though the crashed process can do neither.
TEST_F(SignalsEndToEnd, FaultIsReportedInAWindowAndTheDesktopGetsItsModeBack) {
    StartShowInTheFoldersMode();
    ::kill(static_cast<pid_t>(show.processId()), SIGSEGV);
    ASSERT_TRUE(show.waitForFinished(5000));
    EXPECT_EQ(show.exitStatus(), QProcess::CrashExit);
    EXPECT_TRUE(
        show.readAllStandardError().contains("Error 10000 in MyExceptionFilter: Access Violation"));

    ASSERT_TRUE(WaitFor(
        [&] {
            return display.Run("xdotool", {"search", "--onlyvisible", "--name", "^Vimbrel$"}) == 0;
        },
        15000))
        << "no report window";
    EXPECT_TRUE(WaitFor([&] { return ScreenSize(display) == QSize(640, 480); }, 5000))
        << "the desktop's mode did not come back";
    // The report stands alone in the middle of the bare screen.
    QThread::msleep(500);
    const QImage screen = display.Screenshot();
    KeepScreenshot(screen, "fault-report");
    EXPECT_FALSE(Near(screen.pixelColor(320, 240), Qt::black));
    EXPECT_TRUE(Near(screen.pixelColor(5, 5), Qt::black));
    display.Run("xdotool", {"key", "Return"});
}

} // namespace
} // namespace vimbrel
