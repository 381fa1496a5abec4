// Started on idle as users set it up: xss-lock runs the show when the X
// server's screen saver comes on, and sees it end.

#include "TempDirectory.h"
#include "VirtualDisplay.h"

#include <gtest/gtest.h>

namespace vimbrel {
namespace {

using test::TempDirectory;

TEST(IdleStartEndToEnd, XssLockStartsTheShowWhenTheScreenSaverComesOnAndSeesItEnd) {
    VirtualDisplay display;
    ASSERT_TRUE(display.ready()) << "Xvfb did not start";
    TempDirectory home, runtime, pictures;
    ASSERT_TRUE(WritePicture(pictures / "a.jpg", Qt::red));
    WriteCollection(home.path(),
                    {"[Options]", "RandomFolder=0", "Folders=1", "[Folder1]", "Background=65280",
                     "Center=1", "Set=" + pictures.path().string()});

    // The show's process, started by xss-lock, leaves a mark when it ends.
    const std::filesystem::path ended = runtime / "show-ended";
    QProcess locker;
    const QProcessEnvironment environment =
        ProgramEnvironment(display, home.path(), runtime.path());
    locker.setProcessEnvironment(environment);
    locker.start("xss-lock",
                 {"--", "sh", "-c",
                  QString("'%1' /S; touch '%2'")
                      .arg(VIMBREL_PROGRAM_PATH, QString::fromStdString(ended.string()))});
    ASSERT_TRUE(locker.waitForStarted(10000));
    QThread::msleep(1000);
    ASSERT_EQ(locker.state(), QProcess::Running) << "xss-lock did not stay up";

    EXPECT_EQ(display.Run("xset", {"s", "activate"}), 0);
    ASSERT_TRUE(WaitFor([&] { return ScreenShows(display, Qt::red); }, 15000))
        << "the show did not appear when the screen saver came on";

    display.Run("xdotool", {"key", "x"});
    EXPECT_TRUE(WaitFor([&] { return std::filesystem::exists(ended); }, 10000))
        << "the show did not end, or xss-lock did not see it end";
    locker.terminate();
    locker.waitForFinished(5000);
}

} // namespace
} // namespace vimbrel
