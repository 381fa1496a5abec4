// The show on real desktops under X11: a window manager with its panel or
// toolbar runs, and the show must cover them, hold keyboard and pointer,
// and still bring its password prompt above itself.

#include "HostWindow.h"
#include "TempDirectory.h"
#include "VirtualDisplay.h"
#include "controls/Passwords.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace vimbrel {
namespace {

using test::HostWindow;
using test::TempDirectory;

struct Desktop {
    const char* name;
    QStringList command;
    QPoint panel; // a point on the panel, dock or toolbar
};

void PrintTo(const Desktop& desktop, std::ostream* out) {
    *out << desktop.name;
}

const QColor kFolderColour(0, 255, 0);

class DesktopEndToEnd : public ::testing::TestWithParam<Desktop> {
protected:
    void SetUp() override {
        ASSERT_TRUE(display.ready()) << "Xvfb did not start";
        // The desktop's own files go to a home of the test's.
        QProcessEnvironment environment = ProgramEnvironment(display, home.path(), runtime.path());
        environment.insert("HOME", QString::fromStdString(desktopHome.path().string()));
        environment.insert("XDG_CONFIG_HOME",
                           QString::fromStdString((desktopHome / ".config").string()));
        desktop.setProcessEnvironment(environment);
        desktop.start(GetParam().command.first(), GetParam().command.mid(1));
        ASSERT_TRUE(desktop.waitForStarted(10000));
        // Up once its panel is drawn over the root window's colour.
        ASSERT_TRUE(WaitFor(
            [&] {
                const QImage screen = display.Screenshot();
                return !screen.isNull() && !Near(screen.pixelColor(GetParam().panel),
                                                 screen.pixelColor(QPoint(320, 240)));
            },
            20000))
            << "the desktop's panel did not appear";
        QThread::msleep(1500);
        KeepScreenshot(display.Screenshot(), QString("%1-desktop").arg(GetParam().name));
    }
    void TearDown() override {
        desktop.terminate();
        desktop.waitForFinished(5000);
    }

    VirtualDisplay display;
    TempDirectory home, runtime, pictures, desktopHome;
    QProcess desktop;
};

TEST_P(DesktopEndToEnd, ShowCoversThePanelHoldsInputAndBringsThePromptAbove) {
    const Desktop& desk = GetParam();
    // Another program's window, watching for clicks that should never come.
    HostWindow other(display.name(), 600, 440);
    other.WatchClicks();

    ASSERT_TRUE(WritePicture(pictures / "a.jpg", Qt::red));
    // Mouse events never end this show: clicks go nowhere else either.
    WriteCollection(home.path(), {"[Options]", "RandomFolder=0", "MouseMoves=0", "Folders=1",
                                  "[Folder1]", "Background=65280", "Center=1", "Interval=60",
                                  "Set=" + pictures.path().string()});
    StoreScreenSavePassword(home.path(), "sesame");
    test::WriteBytes(home / "registry.ini",
                     test::CrLf({"[HKEY_CURRENT_USER\\Control Panel\\Desktop]",
                                 "ScreenSaveUsePassword=dword:00000001"}));

    QProcess show;
    ASSERT_TRUE(
        StartProgram(show, ProgramEnvironment(display, home.path(), runtime.path()), {"/S"}));
    ASSERT_TRUE(WaitFor([&] { return ScreenShows(display, Qt::red); }, 15000));
    EXPECT_TRUE(WaitFor([&] { return ScreenShows(display, kFolderColour, desk.panel); }, 5000))
        << "the panel stays above the show";
    KeepScreenshot(display.Screenshot(), QString("%1-show").arg(desk.name));

    EXPECT_FALSE(other.CanGrabKeyboard()) << "another program could take the keyboard";
    EXPECT_FALSE(other.CanGrabPointer()) << "another program could take the pointer";

    // Clicks on the panel and on the other window reach neither.
    for (const QPoint point : {desk.panel, QPoint(320, 100)}) {
        display.Run("xdotool", {"mousemove", QString::number(point.x()), QString::number(point.y()),
                                "click", "1"});
    }
    QThread::msleep(1000);
    EXPECT_EQ(other.ClicksReceived(), 0);
    EXPECT_TRUE(ScreenShows(display, kFolderColour, desk.panel)) << "a click opened the panel";
    ASSERT_EQ(show.state(), QProcess::Running);

    // A key asks for the password; the prompt comes above the show and
    // takes the typing without anyone giving it the focus.
    display.Run("xdotool", {"key", "x"});
    ASSERT_TRUE(WaitFor(
        [&] {
            const QImage screen = display.Screenshot();
            const QColor middle = screen.pixelColor(QPoint(320, 190));
            return !Near(middle, Qt::red) && !Near(middle, kFolderColour);
        },
        10000))
        << "no password prompt above the show";
    KeepScreenshot(display.Screenshot(), QString("%1-prompt").arg(desk.name));
    display.Run("xdotool", {"type", "--delay", "30", "sesame"});
    display.Run("xdotool", {"key", "Return"});
    ASSERT_TRUE(show.waitForFinished(10000)) << "the password typed did not end the show";
    EXPECT_EQ(show.exitCode(), 0);
    EXPECT_TRUE(other.CanGrabKeyboard()) << "the keyboard was not let go";
}

INSTANTIATE_TEST_SUITE_P(Desktops, DesktopEndToEnd,
                         ::testing::Values(Desktop{"xfwm4-panel",
                                                   {"dbus-run-session", "--", "sh", "-c",
                                                    "xfwm4 & exec xfce4-panel"},
                                                   QPoint(40, 12)},
                                           Desktop{"fluxbox", {"fluxbox"}, QPoint(30, 470)}),
                         [](const ::testing::TestParamInfo<Desktop>& info) {
                             return QString(info.param.name).remove('-').toStdString();
                         });

} // namespace
} // namespace vimbrel

namespace vimbrel {
namespace {

// Another program holds the keyboard (an open menu does): the show waits for
// it as lockers do, and never shows a screen it could not hold.
TEST(InputHeldElsewhere, ShowWaitsForTheKeyboardAndGivesUpWithoutShowingAnything) {
    VirtualDisplay display;
    ASSERT_TRUE(display.ready()) << "Xvfb did not start";
    TempDirectory home, runtime, pictures;
    test::WriteBytes(pictures / "a.jpg", "not a picture");
    WriteCollection(home.path(),
                    {"[Options]", "RandomFolder=0", "Folders=1", "[Folder1]", "Background=65280",
                     "Center=1", "Set=" + pictures.path().string()});
    test::HostWindow menu(display.name(), 100, 100);
    ASSERT_TRUE(menu.HoldKeyboard());

    QProcess show;
    ASSERT_TRUE(
        StartProgram(show, ProgramEnvironment(display, home.path(), runtime.path()), {"/S"}));
    EXPECT_FALSE(WaitFor([&] { return ScreenShows(display, kFolderColour); }, 3000))
        << "the show appeared without the keyboard";
    // It gives up with a message, which the user answers once the menu is
    // gone.
    ASSERT_TRUE(WaitFor(
        [&] {
            return display.Run("xdotool", {"search", "--onlyvisible", "--name", "^Vimbrel$"}) == 0;
        },
        10000));
    EXPECT_FALSE(ScreenShows(display, kFolderColour));
    menu.LetGoOfKeyboard();
    display.Run("xdotool", {"key", "Return"});
    ASSERT_TRUE(show.waitForFinished(5000));
    EXPECT_EQ(show.exitCode(), 1);
    EXPECT_TRUE(show.readAllStandardError().contains("another program holds the keyboard"));
    EXPECT_TRUE(std::filesystem::exists(pictures / "a.jpg")) << "a file was renamed for nothing";

    // Let go a moment after the show starts: it waits and then runs.
    ASSERT_TRUE(menu.HoldKeyboard());
    ASSERT_TRUE(WritePicture(pictures / "b.jpg", Qt::red));
    std::filesystem::remove(pictures / "a.jpg");
    ASSERT_TRUE(
        StartProgram(show, ProgramEnvironment(display, home.path(), runtime.path()), {"/S"}));
    QThread::msleep(1500);
    EXPECT_FALSE(ScreenShows(display, Qt::red));
    menu.LetGoOfKeyboard();
    EXPECT_TRUE(WaitFor([&] { return ScreenShows(display, Qt::red); }, 10000));
    EXPECT_FALSE(menu.CanGrabKeyboard());
    show.terminate();
    EXPECT_TRUE(show.waitForFinished(5000));
}

} // namespace
} // namespace vimbrel
