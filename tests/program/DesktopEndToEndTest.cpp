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
    QStringList command;
    QPoint panel; // a point on the panel, dock or toolbar
};

const QColor kFolderColour(0, 255, 0);

class DesktopEndToEnd : public EndToEnd, public ::testing::WithParamInterface<Desktop> {};

TEST_P(DesktopEndToEnd, ShowCoversThePanelHoldsInputAndBringsThePromptAbove) {
    const Desktop& desk = GetParam();
    // The desktop's own files go to a home of the test's; it is up once its
    // panel is drawn over the root window's colour.
    QProcess desktop;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", QString::fromStdString(runtime.path().string()));
    environment.remove("XDG_CONFIG_HOME");
    desktop.setProcessEnvironment(environment);
    desktop.start(desk.command.first(), desk.command.mid(1));
    QImage screen;
    ASSERT_TRUE(SOON(!(screen = Screenshot()).isNull() &&
                         !Near(screen.pixelColor(desk.panel), screen.pixelColor(320, 240)),
                     20000))
        << "the desktop's panel did not appear";
    QThread::msleep(1500);
    KeepScreenshot(Screenshot(), QString("%1-desktop").arg(desk.name));

    // Another program's window, counting clicks that should never come. Over
    // it, the password is set in the "Change Password" dialog of mode /A.
    HostWindow other(600, 440);
    QProcess change;
    change.setProcessChannelMode(QProcess::MergedChannels);
    ASSERT_TRUE(Start(change, {"/A", other.id()}));
    const QString dialog = Window("Change Password");
    ASSERT_FALSE(dialog.isEmpty()) << "no Change Password dialog";
    EXPECT_TRUE(
        Run("xprop", {"-id", dialog, "WM_TRANSIENT_FOR"})
            .contains(QString("window id # 0x%1").arg(other.id().toUInt(), 0, 16).toLatin1()))
        << "not owned by the host's window";
    // No password yet: new and confirm only.
    for (const char* key : {"Tab", "Return"}) {
        Xdotool({"windowfocus", "--sync", dialog, "type", "--delay", "30", "sesame"});
        Xdotool({"key", key});
    }
    ASSERT_TRUE(change.waitForFinished(10000)) << "the dialog did not close on OK";
    EXPECT_EQ(change.exitCode(), 0);
    EXPECT_FALSE(change.readAll().contains("sesame"));

    // Mouse events never end this show: clicks go nowhere else either.
    WriteFolder("MouseMoves=0");
    QProcess show;
    ASSERT_TRUE(Start(show, {"/S"}));
    ASSERT_TRUE(Shows(Qt::red, {320, 240}, 15000));
    EXPECT_TRUE(Shows(kFolderColour, desk.panel, 5000)) << "the panel stays above the show";
    KeepScreenshot(Screenshot(), QString("%1-show").arg(desk.name));
    EXPECT_FALSE(other.Grab(true)) << "another program could take the keyboard";
    EXPECT_FALSE(other.Grab(false)) << "another program could take the pointer";
    // Clicks on the panel and on the other window reach neither.
    for (const QPoint point : {desk.panel, QPoint(320, 100)}) {
        Xdotool(
            {"mousemove", QString::number(point.x()), QString::number(point.y()), "click", "1"});
    }
    QThread::msleep(1000);
    EXPECT_EQ(other.Clicks(), 0);
    EXPECT_TRUE(Shows(kFolderColour, desk.panel)) << "a click opened the panel";
    ASSERT_FALSE(show.waitForFinished(0)) << "a click ended the show";

    // A key asks for the password; the prompt comes above the show and
    // takes the typing without anyone giving it the focus. A wrong password
    // keeps the show, the right one ends it.
    for (const QString typed : {"sesamE", "sesame"}) {
        Xdotool({"key", "x"});
        QColor middle;
        ASSERT_TRUE(SOON(!Near(middle = ColourAt({320, 190}), Qt::red) && middle.isValid() &&
                             !Near(middle, kFolderColour),
                         10000))
            << "no password prompt above the show";
        KeepScreenshot(Screenshot(), QString("%1-prompt").arg(desk.name));
        Xdotool({"type", "--delay", "30", typed});
        Xdotool({"key", "Return"});
        EXPECT_EQ(show.waitForFinished(typed == "sesame" ? 10000 : 2000), typed == "sesame");
    }
    EXPECT_EQ(show.exitCode(), 0);
    EXPECT_TRUE(other.Grab(true)) << "the keyboard was not let go";
    desktop.terminate();
    desktop.waitForFinished(5000);
}

INSTANTIATE_TEST_SUITE_P(Desktops, DesktopEndToEnd,
                         ::testing::Values(Desktop{"xfwm4-panel",
                                                   {"dbus-run-session", "--", "sh", "-c",
                                                    "xfwm4 & exec xfce4-panel"},
                                                   QPoint(40, 12)},
                                           Desktop{"fluxbox", {"fluxbox"}, QPoint(30, 470)}),
                         [](const ::testing::TestParamInfo<Desktop>& desktop) {
                             return QString(desktop.param.name).remove('-').toStdString();
                         });

using InputHeldElsewhere = EndToEnd;

// Another program holds the keyboard (an open menu does): the show waits for
// it as lockers do, and never shows a screen it could not hold. Once it
// runs, moving the mouse about over its background ends it.
TEST_F(InputHeldElsewhere, ShowWaitsForTheKeyboardOrGivesUpWithoutShowingAnything) {
    WriteFolder();
    test::WriteBytes(media / "a.jpg", "not a picture");
    HostWindow menu(100, 100);
    ASSERT_TRUE(menu.Grab(true, true));
    QProcess show;
    ASSERT_TRUE(Start(show, {"/S"}));
    EXPECT_FALSE(Shows(kFolderColour, {320, 240}, 3000))
        << "the show appeared without the keyboard";
    // It gives up with a message, which the user answers once the menu is
    // gone.
    ASSERT_FALSE(Window("Vimbrel", 10000).isEmpty());
    EXPECT_FALSE(Shows(kFolderColour));
    menu.LetGo();
    Xdotool({"key", "Return"});
    ASSERT_TRUE(show.waitForFinished(5000));
    EXPECT_EQ(show.exitCode(), 1);
    EXPECT_TRUE(show.readAllStandardError().contains("another program holds the keyboard"));
    EXPECT_TRUE(std::filesystem::exists(media / "a.jpg")) << "a file was renamed for nothing";

    // Let go a moment after the show starts: it waits and then runs.
    std::filesystem::remove(media / "a.jpg");
    ASSERT_TRUE(menu.Grab(true, true));
    ASSERT_TRUE(Start(show, {"/S"}));
    QThread::msleep(1500);
    EXPECT_FALSE(Shows(Qt::red));
    menu.LetGo();
    EXPECT_TRUE(Shows(Qt::red, {320, 240}, 10000));
    EXPECT_FALSE(menu.Grab(true));
    int moves = 0;
    EXPECT_TRUE(WaitFor(
        [&] {
            Xdotool({"mousemove", QString::number(100 + 440 * (++moves % 2)), "400"});
            return show.waitForFinished(200);
        },
        10000))
        << "moving the mouse did not end the show";
    EXPECT_EQ(show.exitCode(), 0);
}

} // namespace
} // namespace vimbrel
