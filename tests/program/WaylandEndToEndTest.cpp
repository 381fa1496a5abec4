// The show on a Wayland desktop: sway on two headless outputs, with its bar.
// The show is full-screen on the first output, the second is covered, and
// keys reach the show and its password prompt. sway refuses to run as root,
// so under root the test runs the desktop and the program as a user of its
// own, made on first use.

#include "VirtualDisplay.h"
#include "controls/Passwords.h"

#include <QDir>
#include <pwd.h>
#include <unistd.h>

namespace vimbrel {
namespace {

class WaylandEndToEnd : public EndToEnd {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(EndToEnd::SetUp());
        if (::getuid() == 0 && ::getpwnam(kUser) == nullptr) {
            QProcess::execute("useradd", {"--create-home", "--shell", "/bin/false", kUser});
        }
        const passwd* user = ::getuid() == 0 ? ::getpwnam(kUser) : ::getpwuid(::getuid());
        ASSERT_NE(user, nullptr) << "no user to run the desktop as";
        m_user = user->pw_name;
        m_home = user->pw_dir;
        // Everything the desktop's user reads or writes: the settings with a
        // password, the pictures, a copy of the program, the runtime folder.
        WriteFolder();
        StoreScreenSavePassword(home.path(), "sesame");
        test::WriteBytes(home / "registry.ini",
                         test::CrLf({"[HKEY_CURRENT_USER\\Control Panel\\Desktop]",
                                     "ScreenSaveUsePassword=dword:00000001"}));
        std::filesystem::copy_file(VIMBREL_PROGRAM_PATH, runtime / "vimbrel");
        test::WriteBytes(runtime / "sway.conf",
                         "output HEADLESS-1 resolution 640x480 position 0 0\n"
                         "output HEADLESS-2 resolution 640x480 position 640 0\n"
                         "bar {\n    position top\n}\n");
        QProcess::execute("chown",
                          {"-R", m_user, Path(""), media.path().c_str(), home.path().c_str()});
        m_desktop.start("runuser", AsUser({"sway", "-c", Path("sway.conf")},
                                          {"WLR_BACKENDS=headless", "WLR_HEADLESS_OUTPUTS=2",
                                           "WLR_LIBINPUT_NO_DEVICES=1", "WLR_RENDERER=pixman"}));
        ASSERT_TRUE(SOON(!Socket("wayland-?").isEmpty(), 15000)) << "sway did not start";
    }
    void TearDown() override {
        m_desktop.terminate();
        m_desktop.waitForFinished(5000);
        if (::getuid() == 0) {
            QProcess::execute("pkill", {"-KILL", "-u", m_user});
        }
    }

    QString Path(const std::filesystem::path& name) const {
        return QString::fromStdString((runtime.path() / name).string());
    }
    QString Socket(const QString& pattern) const {
        return QDir(Path("")).entryList({pattern}, QDir::System).value(0);
    }
    // A command line that runs the command as the desktop's user, in the
    // desktop's environment and no other.
    QStringList AsUser(const QStringList& command, const QStringList& environment = {}) const {
        QStringList line{"-u",
                         m_user,
                         "--",
                         "env",
                         "-i",
                         "HOME=" + m_home,
                         "PATH=/usr/bin:/bin",
                         "XDG_RUNTIME_DIR=" + Path("")};
        if (!Socket("wayland-?").isEmpty()) {
            line << "WAYLAND_DISPLAY=" + Socket("wayland-?")
                 << "SWAYSOCK=" + Path("") + Socket("sway-ipc.*");
        }
        return line + environment + command;
    }
    // One output's picture. sway's headless outputs draw only when told
    // something changed; asking for the outputs' power makes them draw.
    QImage Output(const QString& name) const {
        QProcess::execute("runuser", AsUser({"swaymsg", "output * dpms on"}));
        QProcess::execute("runuser", AsUser({"grim", "-o", name, Path("output.png")}));
        return QImage(Path("output.png"));
    }

    static constexpr const char* kUser = "vimbrel-wayland";
    QString m_user, m_home;
    QProcess m_desktop;
};

TEST_F(WaylandEndToEnd, ShowIsFullScreenOverTheBarCoversTheOtherOutputAndTakesThePassword) {
    QProcess show;
    show.start("runuser", AsUser({Path("vimbrel"), "/S"},
                                 {"QT_QPA_PLATFORM=wayland", "VIMBREL_AUDIO_OUTPUT=null",
                                  "VIMBREL_HOME=" + QString::fromStdString(home.path().string())}));
    QImage first;
    ASSERT_TRUE(SOON(Near((first = Output("HEADLESS-1")).pixelColor(320, 240), Qt::red), 15000))
        << "the show did not appear on the first output";
    EXPECT_TRUE(Near(first.pixelColor(5, 5), QColor(0, 255, 0))) << "sway's bar is above the show";
    EXPECT_TRUE(Near(first.pixelColor(635, 475), QColor(0, 255, 0)));
    const QImage second = Output("HEADLESS-2");
    EXPECT_TRUE(Near(second.pixelColor(320, 240), QColor(0, 255, 0)))
        << "the second output is not covered";
    KeepScreenshot(first, "sway-output-1");
    KeepScreenshot(second, "sway-output-2");

    // A key typed on the desktop's keyboard asks for the password, in the
    // middle of the show, and the typing reaches the prompt. (The virtual
    // keyboard needs a moment to reach the window before it types.)
    QProcess::execute("runuser", AsUser({"wtype", "-s", "500", "x"}));
    QColor middle;
    ASSERT_TRUE(SOON(!Near(middle = Output("HEADLESS-1").pixelColor(320, 200), Qt::red) &&
                         middle.isValid() && !Near(middle, QColor(0, 255, 0)),
                     10000))
        << "no password prompt";
    KeepScreenshot(Output("HEADLESS-1"), "sway-prompt");
    EXPECT_FALSE(show.waitForFinished(0));
    QProcess::execute("runuser", AsUser({"wtype", "-s", "500", "sesame", "-k", "Return"}));
    EXPECT_TRUE(show.waitForFinished(10000)) << "the password typed did not end the show";
    EXPECT_EQ(show.exitCode(), 0);
}

} // namespace
} // namespace vimbrel
