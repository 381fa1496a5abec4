// The show as a screen locker's saver: started by xsecurelock as its saver
// modules are, or into a window named on the command line as xscreensaver
// starts its hacks. The locker owns the screen, the input and the password.

#include "VirtualDisplay.h"

namespace vimbrel {
namespace {

using LockerEndToEnd = EndToEnd;

// Under xsecurelock, one saver shows the folder in the locker's window and
// ends with the lock. Then, as xscreensaver starts its hacks, two shows run
// at once, each in a window of its own named by id: each fills its window,
// follows its size, and ends when the window goes. A window that is none
// starts nothing.
TEST_F(LockerEndToEnd, ShowsFillTheLockersWindowsFollowThemAndEndWithThem) {
    WriteFolder();
    // The saver under a name of this test's own, so that its processes, a
    // locker's grandchildren, are known by what they run.
    const std::filesystem::path saver = runtime / "saver";
    std::filesystem::create_symlink(VIMBREL_PROGRAM_PATH, saver);
    qputenv("XSECURELOCK_SAVER", saver.c_str());
    const auto savers = [&] {
        return Run("pgrep", {"-f", QString::fromStdString(saver.string()) + " -root"}).count('\n');
    };
    QProcess locker;
    locker.start("xsecurelock", {});
    ASSERT_TRUE(locker.waitForStarted(10000));
    ASSERT_TRUE(Shows(Qt::red, {320, 240}, 15000))
        << "the folder's picture did not appear in the locker's window";
    EXPECT_TRUE(Shows(QColor(0, 255, 0), {5, 5}));
    KeepScreenshot(Screenshot(), "xsecurelock");
    EXPECT_EQ(savers(), 1) << "one saver per screen";
    locker.terminate();
    EXPECT_TRUE(SOON(savers() == 0, 1000)) << "the show outlived the locker by more than a second";
    locker.waitForFinished(5000);

    HostWindow first(300, 200), second(200, 100);
    QProcess firstShow, secondShow;
    ASSERT_TRUE(Start(firstShow, {"-window-id", first.id()}));
    qputenv("XSCREENSAVER_WINDOW", QString("0x%1").arg(second.id().toUInt(), 0, 16).toLatin1());
    ASSERT_TRUE(Start(secondShow, {"-root"}));
    qunsetenv("XSCREENSAVER_WINDOW");
    // Both windows sit at (10, 10), the second above the first.
    ASSERT_TRUE(Shows(Qt::red, {200, 150}, 15000)) << "the show did not fill its window";
    EXPECT_TRUE(Shows(Qt::red, {110, 60}, 5000));
    KeepScreenshot(Screenshot(), "saver-windows-two");
    EXPECT_TRUE(Shows(QColor(0, 255, 0), {250, 195}));
    EXPECT_TRUE(Shows(Qt::black, {400, 300})) << "drawn outside its window";
    Xdotool({"windowsize", first.id(), "600", "440"});
    EXPECT_TRUE(Shows(QColor(0, 255, 0), {590, 440}, 5000))
        << "the show did not follow its window's size";
    EXPECT_TRUE(Shows(Qt::red, {310, 230}, 5000));
    KeepScreenshot(Screenshot(), "saver-windows");
    Xdotool({"windowclose", second.id()});
    EXPECT_TRUE(secondShow.waitForFinished(1000)) << "the show outlived its window";
    EXPECT_EQ(secondShow.exitCode(), 0);
    EXPECT_FALSE(firstShow.waitForFinished(0));
    firstShow.terminate();
    EXPECT_TRUE(firstShow.waitForFinished(1000));
    EXPECT_EQ(firstShow.exitCode(), 0);

    // The show's first file, which a show would take out at once.
    test::WriteBytes(media / "a.jpg", "not a picture");
    for (const auto& [arguments, said] :
         {std::pair<QStringList, const char*>{{"--window-id", "0x7ffff0"}, "does not exist"},
          {{"-window-id", "seven"}, "is not a window id"}}) {
        QProcess show;
        ASSERT_TRUE(Start(show, arguments));
        ASSERT_TRUE(show.waitForFinished(10000));
        EXPECT_EQ(show.exitCode(), 1) << said;
        EXPECT_TRUE(show.readAllStandardError().contains(said)) << said;
    }
    EXPECT_TRUE(std::filesystem::exists(media / "a.jpg")) << "a file was renamed for nothing";
}

} // namespace
} // namespace vimbrel
