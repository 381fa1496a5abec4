// The show on real desktops under X11: a window manager with its panel or
// toolbar runs, and the show must cover them, hold keyboard and pointer,
// and still bring its password prompt, whose password the dialog of mode /A
// set, above itself. And when another program holds the keyboard, the show
// waits for it or does not start.

#include "VirtualDisplay.h"

namespace vimbrel {
namespace {

struct Desktop {
    const char* name;
    const char* command; // run by the shell
    QPoint panel;        // a point on the panel, dock or toolbar
};

class DesktopEndToEnd : public EndToEnd, public ::testing::WithParamInterface<Desktop> {};

TEST_P(DesktopEndToEnd, ShowCoversThePanelHoldsInputAndBringsThePromptAbove) {
    const auto& [name, command, panel] = GetParam();
    // The desktop's own files go to a home of the test's; it is up once its
    // panel is drawn over the root window's colour.
    QProcess desktop;
    desktop.start(
        "sh",
        {"-c", QString("export HOME=$XDG_RUNTIME_DIR; unset XDG_CONFIG_HOME; exec ") + command});
    QImage screen;
    ASSERT_TRUE(SOON(!(screen = Screenshot()).isNull() &&
                         !Near(screen.pixelColor(panel), screen.pixelColor(320, 240)),
                     20000))
        << "the desktop's panel did not appear";
    QThread::msleep(1500);
    KeepScreenshot(Screenshot(), QString(name) + "-desktop");

    // Over another program's window, the password is set in the "Change
    // Password" dialog of mode /A: new and confirm only, as there is none yet.
    HostWindow other(600, 440);
    QProcess change;
    change.setProcessChannelMode(QProcess::MergedChannels);
    ASSERT_TRUE(Start(change, {"/A", other.id()}));
    const QString dialog = Window("Change Password");
    EXPECT_TRUE(Run("xprop", {"-id", dialog, "WM_TRANSIENT_FOR"})
                    .contains(("window id # " + other.hex()).toLatin1()))
        << "no Change Password dialog owned by the host's window";
    for (const char* key : {"Tab", "Return"}) {
        Xdotool({"windowfocus", "--sync", dialog, "type", "--delay", "30", "sesame"});
        Xdotool({"key", key});
    }
    EXPECT_EQ(Ended(change, 10000), "0") << "the dialog did not close on OK";
    EXPECT_FALSE(change.readAll().contains("sesame"));

    // Mouse events never end this show, nor does a click reach the panel.
    WriteFolders(60, "MouseMoves=0");
    QProcess show;
    ASSERT_TRUE(Start(show, {"/S"}));
    ASSERT_TRUE(Shows(Qt::red, {320, 240}, 15000));
    EXPECT_TRUE(Shows(Qt::green, panel, 5000)) << "the panel stays above the show";
    KeepScreenshot(Screenshot(), QString(name) + "-show");
    EXPECT_FALSE(other.Grab(true) || other.Grab(false)) << "another program took the input";
    Xdotool({"mousemove", QString::number(panel.x()), QString::number(panel.y()), "click", "1"});
    QThread::msleep(1000);
    EXPECT_TRUE(Shows(Qt::green, panel)) << "a click opened the panel";
    ASSERT_EQ(Ended(show, 0), "running") << "a click ended the show";

    // A key asks for the password; the prompt comes above the show and
    // takes the typing without anyone giving it the focus. A wrong password
    // keeps the show, the right one ends it.
    for (const QString typed : {"sesamE", "sesame"}) {
        Xdotool({"key", "x"});
        QColor middle;
        ASSERT_TRUE(SOON(!Near(middle = Screenshot().pixelColor(320, 190), Qt::red) &&
                             middle.isValid() && !Near(middle, Qt::green),
                         10000))
            << "no password prompt above the show";
        KeepScreenshot(Screenshot(), QString(name) + "-prompt");
        Xdotool({"type", "--delay", "30", typed});
        Xdotool({"key", "Return"});
        EXPECT_EQ(Ended(show, typed == "sesame" ? 10000 : 2000),
                  typed == "sesame" ? "0" : "running");
    }
    EXPECT_TRUE(other.Grab(true)) << "the keyboard was not let go";
}

INSTANTIATE_TEST_SUITE_P(
    Desktops, DesktopEndToEnd,
    ::testing::Values(
        Desktop{"xfwm4panel", "dbus-run-session -- sh -c 'xfwm4 & exec xfce4-panel'", {40, 12}},
        // The root window stays as it is: where a wallpaper tool (feh) is
        // installed, fluxbox would otherwise paint a grey close to its toolbar's.
        Desktop{"fluxbox",
                "sh -c 'mkdir -p ~/.fluxbox && echo \"background: unset\" > ~/.fluxbox/overlay "
                "&& exec fluxbox'",
                {30, 470}}),
    [](const auto& desktop) { return std::string(desktop.param.name); });

using InputHeldElsewhere = EndToEnd;

// Another program holds the keyboard (an open menu does): the show waits for
// it as lockers do, and never shows a screen it could not hold. Once it
// runs, moving the mouse about over its background ends it.
TEST_F(InputHeldElsewhere, ShowWaitsForTheKeyboardOrGivesUpWithoutShowingAnything) {
    WriteFolders();
    test::WriteBytes(media / "first" / "0.jpg", "not a picture"); // shown first, then renamed
    HostWindow menu(100, 100);
    ASSERT_TRUE(menu.Grab(true));
    QProcess show;
    ASSERT_TRUE(Start(show, {"/S"}));
    EXPECT_FALSE(Shows(Qt::green, {320, 240}, 3000)) << "the show appeared without the keyboard";
    // It gives up with a message, which the user answers once the menu is
    // gone.
    ASSERT_FALSE(Window("Vimbrel").isEmpty());
    EXPECT_FALSE(Shows(Qt::green));
    menu.LetGo();
    Xdotool({"key", "Return"});
    EXPECT_EQ(Ended(show, 5000), "1");
    EXPECT_TRUE(show.readAllStandardError().contains("another program holds the keyboard"));
    EXPECT_TRUE(std::filesystem::exists(media / "first" / "0.jpg")) << "a file renamed for nothing";

    // Let go a moment after the show starts: it waits and then runs.
    std::filesystem::remove(media / "first" / "0.jpg");
    ASSERT_TRUE(menu.Grab(true));
    ASSERT_TRUE(Start(show, {"/S"}));
    QThread::msleep(1500);
    EXPECT_FALSE(Shows(Qt::red));
    menu.LetGo();
    EXPECT_TRUE(Shows(Qt::red, {320, 240}, 10000));
    EXPECT_FALSE(menu.Grab(true));
    Xdotool(QString("mousemove 100 400 sleep 0.2 mousemove 540 400 sleep 0.2 ")
                .repeated(10)
                .split(' ', Qt::SkipEmptyParts));
    EXPECT_EQ(Ended(show, 5000), "0") << "moving the mouse did not end the show";
}

} // namespace
} // namespace vimbrel
