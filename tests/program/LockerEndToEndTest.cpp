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
    WriteFolders();
    // The saver under a name of this test's own, so that its processes, a
    // locker's grandchildren, are known by what they run.
    const std::filesystem::path saver = runtime / "saver";
    std::filesystem::create_symlink(VIMBREL_PROGRAM_PATH, saver);
    qputenv("XSECURELOCK_SAVER", saver.c_str());
    const auto savers = [&] { return Run("pgrep", {"-f", saver.c_str() + QString(" -root")}); };
    QProcess locker;
    locker.start("xsecurelock", {});
    ASSERT_TRUE(Shows(Qt::red, {320, 240}, 15000)) << "no picture in the locker's window";
    EXPECT_TRUE(Shows(Qt::green, {5, 5}));
    KeepScreenshot(Screenshot(), "xsecurelock");
    EXPECT_EQ(savers().count('\n'), 1) << "one saver per screen";
    locker.terminate();
    EXPECT_TRUE(SOON(savers().isEmpty(), 1000)) << "the show outlived the locker by a second";

    HostWindow first(300, 200), second(200, 100);
    QProcess firstShow, secondShow;
    ASSERT_TRUE(Start(firstShow, {"-window-id", first.id()}));
    qputenv("XSCREENSAVER_WINDOW", second.hex().toLatin1());
    ASSERT_TRUE(Start(secondShow, {"-root"}));
    qunsetenv("XSCREENSAVER_WINDOW");
    // Both windows sit at (10, 10), the second above the first.
    ASSERT_TRUE(Shows(Qt::red, {200, 150}, 15000)) << "the show did not fill its window";
    EXPECT_TRUE(Shows(Qt::red, {110, 60}, 5000));
    EXPECT_TRUE(Shows(Qt::green, {250, 195}));
    EXPECT_TRUE(Shows(Qt::black, {400, 300})) << "drawn outside its window";
    Xdotool({"windowsize", first.id(), "600", "440"});
    EXPECT_TRUE(Shows(Qt::green, {590, 440}, 5000) && Shows(Qt::red, {310, 230}, 5000))
        << "the show did not follow its window's size";
    KeepScreenshot(Screenshot(), "saver-windows");
    Xdotool({"windowclose", second.id()});
    EXPECT_EQ(Ended(secondShow, 1000), "0") << "the show outlived its window";
    EXPECT_EQ(Ended(firstShow, 0), "running");
    firstShow.terminate();
    EXPECT_EQ(Ended(firstShow, 1000), "0");

    test::WriteBytes(media / "first" / "0.jpg", "not a picture"); // shown first, then renamed
    for (const auto& [arguments, said] :
         {std::pair<QStringList, const char*>{{"--window-id", "0x7ffff0"}, "does not exist"},
          {{"-window-id", "seven"}, "is not a window id"}}) {
        QProcess show;
        ASSERT_TRUE(Start(show, arguments));
        EXPECT_EQ(Ended(show, 10000), "1") << said;
        EXPECT_TRUE(show.readAllStandardError().contains(said)) << said;
    }
    EXPECT_TRUE(std::filesystem::exists(media / "first" / "0.jpg")) << "a file renamed for nothing";
}

} // namespace
} // namespace vimbrel
