// The show on a Wayland desktop: sway on two headless outputs, with its bar.
// The show is full-screen on the first output, the second is covered, and
// keys reach the show and its password prompt. sway refuses to run as root,
// so the test runs the desktop and the program as a user of its own, made
// on first use.

#include "VirtualDisplay.h"
#include "controls/Passwords.h"

#include <QDir>
#include <unistd.h>

namespace vimbrel {
namespace {

class WaylandEndToEnd : public EndToEnd {
protected:
    void TearDown() override { QProcess::execute("pkill", {"-KILL", "-u", kUser}); }

    QString Path(const QString& name) const { return runtime.path().c_str() + ("/" + name); }
    // A command line that runs the command as the desktop's user, in the
    // desktop's environment and no other.
    QStringList AsUser(const QStringList& command) const {
        const QString wayland = QDir(Path("")).entryList({"wayland-?"}, QDir::System).value(0);
        return QString("-u %1 -- env -i PATH=/usr/bin:/bin HOME=%2 XDG_RUNTIME_DIR=%2 "
                       "WAYLAND_DISPLAY=%3 SWAYSOCK=%2sway.sock")
                   .arg(kUser, Path(""), wayland)
                   .split(' ') +
               command;
    }
    // One output's picture. sway's headless outputs draw only when told
    // something changed; asking for the outputs' power makes them draw.
    QImage Output(const QString& name) const {
        QProcess::execute("runuser", AsUser({"swaymsg", "output * dpms on"}));
        QProcess::execute("runuser", AsUser({"grim", "-o", name, Path("output.png")}));
        return QImage(Path("output.png"));
    }

    static constexpr const char* kUser = "vimbrel-wayland";
};

TEST_F(WaylandEndToEnd, ShowIsFullScreenOverTheBarCoversTheOtherOutputAndTakesThePassword) {
    if (::getuid() != 0) {
        GTEST_SKIP() << "runs sway as a user of its own, which only root can";
    }
    QProcess::execute("useradd", {"--no-create-home", "--shell", "/bin/false", kUser});
    // Everything the desktop's user reads or writes: the settings with a
    // password, the pictures, a copy of the program, the runtime folder.
    WriteFolders();
    StoreScreenSavePassword(home.path(), "sesame");
    test::WriteBytes(home / "registry.ini",
                     test::CrLf({"[HKEY_CURRENT_USER\\Control Panel\\Desktop]",
                                 "ScreenSaveUsePassword=dword:00000001"}));
    std::filesystem::copy_file(VIMBREL_PROGRAM_PATH, runtime / "vimbrel");
    test::WriteBytes(runtime / "sway.conf", "output HEADLESS-1 resolution 640x480 position 0 0\n"
                                            "output HEADLESS-2 resolution 640x480 position 640 0\n"
                                            "bar {\n    position top\n}\n");
    QProcess::execute("chown", {"-R", kUser, Path(""), media.path().c_str(), home.path().c_str()});
    QProcess sway, show;
    sway.start("runuser", AsUser({"WLR_BACKENDS=headless", "WLR_HEADLESS_OUTPUTS=2",
                                  "WLR_LIBINPUT_NO_DEVICES=1", "WLR_RENDERER=pixman", "sway", "-c",
                                  Path("sway.conf")}));
    ASSERT_TRUE(SOON(QFile::exists(Path("sway.sock")), 15000)) << "sway did not start";
    show.start("runuser",
               AsUser({"QT_QPA_PLATFORM=wayland", "VIMBREL_AUDIO_OUTPUT=null",
                       "VIMBREL_HOME=" + QString(home.path().c_str()), Path("vimbrel"), "/S"}));
    QImage first;
    ASSERT_TRUE(SOON(Near((first = Output("HEADLESS-1")).pixelColor(320, 240), Qt::red), 15000))
        << "the show did not appear on the first output";
    const QImage second = Output("HEADLESS-2");
    EXPECT_TRUE(Near(first.pixelColor(5, 5), Qt::green) &&
                Near(first.pixelColor(635, 475), Qt::green))
        << "sway's bar is above the show";
    EXPECT_TRUE(Near(second.pixelColor(320, 240), Qt::green)) << "the second output is not covered";
    KeepScreenshot(first, "sway-output-1");
    KeepScreenshot(second, "sway-output-2");

    // A key typed on the desktop's keyboard asks for the password, in the
    // middle of the show, and the typing reaches the prompt. (The virtual
    // keyboard needs a moment to reach the window before it types.)
    QProcess::execute("runuser", AsUser({"wtype", "-s", "500", "x"}));
    QColor middle;
    ASSERT_TRUE(SOON(!Near(middle = Output("HEADLESS-1").pixelColor(320, 200), Qt::red) &&
                         middle.isValid() && !Near(middle, Qt::green),
                     10000))
        << "no password prompt";
    KeepScreenshot(Output("HEADLESS-1"), "sway-prompt");
    EXPECT_EQ(Ended(show, 0), "running");
    QProcess::execute("runuser", AsUser({"wtype", "-s", "500", "sesame", "-k", "Return"}));
    EXPECT_EQ(Ended(show, 10000), "0") << "the password typed did not end the show";
}

} // namespace
} // namespace vimbrel
