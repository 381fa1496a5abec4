// The show on a Wayland desktop: sway on two headless outputs, with its bar.
// The show is full-screen on the first output, the second is covered, and
// keys reach the show and its password prompt. sway refuses to run as root, so under root the test
// runs the desktop and the program as a user of its own.

#include "TempDirectory.h"
#include "VirtualDisplay.h"
#include "controls/Passwords.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

namespace vimbrel {
namespace {

using test::TempDirectory;

constexpr const char* kTestUser = "vimbrel-wayland";

// The user the desktop runs as: this one, or under root a user of the
// test's own, made on first use.
std::optional<passwd> DesktopUser() {
    if (::getuid() != 0) {
        return *::getpwuid(::getuid());
    }
    if (::getpwnam(kTestUser) == nullptr &&
        QProcess::execute("useradd", {"--create-home", "--shell", "/bin/false", kTestUser}) != 0) {
        return std::nullopt;
    }
    const passwd* user = ::getpwnam(kTestUser);
    return user != nullptr ? std::optional<passwd>(*user) : std::nullopt;
}

class WaylandEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        const std::optional<passwd> user = DesktopUser();
        ASSERT_TRUE(user) << "no user to run the desktop as";
        m_user = user->pw_name;
        m_home = user->pw_dir;
        // Everything the desktop's user reads or writes: settings, pictures,
        // a copy of the program, the runtime folder.
        for (const char* folder : {"pictures", "settings", "runtime"}) {
            std::filesystem::create_directories(work / folder);
        }
        ASSERT_TRUE(WritePicture(work / "pictures" / "a.jpg", Qt::red));
        WriteCollection(work / "settings", {"[Options]", "RandomFolder=0", "Folders=1", "[Folder1]",
                                            "Background=65280", "Center=1", "Interval=60",
                                            "Set=" + (work / "pictures").string()});
        StoreScreenSavePassword(work / "settings", "sesame");
        test::WriteBytes(work / "settings" / "registry.ini",
                         test::CrLf({"[HKEY_CURRENT_USER\\Control Panel\\Desktop]",
                                     "ScreenSaveUsePassword=dword:00000001"}));
        std::filesystem::copy_file(VIMBREL_PROGRAM_PATH, work / "vimbrel");
        test::WriteBytes(work / "sway.conf", "output HEADLESS-1 resolution 640x480 position 0 0\n"
                                             "output HEADLESS-2 resolution 640x480 position 640 0\n"
                                             "bar {\n    position top\n}\n");
        QProcess::execute("chown", {"-R", m_user, QString::fromStdString(work.path().string())});

        m_desktop.start("runuser", AsUser({"sway", "-c", Path("sway.conf")},
                                          {"WLR_BACKENDS=headless", "WLR_HEADLESS_OUTPUTS=2",
                                           "WLR_LIBINPUT_NO_DEVICES=1", "WLR_RENDERER=pixman"}));
        ASSERT_TRUE(m_desktop.waitForStarted(10000));
        ASSERT_TRUE(WaitFor([&] { return !Socket().isEmpty(); }, 15000)) << "sway did not start";
    }
    void TearDown() override {
        m_desktop.terminate();
        m_desktop.waitForFinished(5000);
        if (::getuid() == 0) {
            QProcess::execute("pkill", {"-KILL", "-u", m_user});
        }
    }

    QString Path(const char* name) const { return QString::fromStdString((work / name).string()); }
    QString Socket() const {
        const QStringList sockets = QDir(Path("runtime"))
                                        .entryList({"wayland-*"}, QDir::System)
                                        .filter(QRegularExpression("\\d$"));
        return sockets.isEmpty() ? QString() : sockets.first();
    }
    // A command line that runs the command as the desktop's user, in the
    // desktop's environment and no other.
    QStringList AsUser(const QStringList& command, const QStringList& environment = {}) const {
        QStringList line = {"-u",
                            m_user,
                            "--",
                            "env",
                            "-i",
                            "HOME=" + m_home,
                            "XDG_RUNTIME_DIR=" + Path("runtime"),
                            "PATH=/usr/bin:/bin"};
        if (!Socket().isEmpty()) {
            line << "WAYLAND_DISPLAY=" + Socket()
                 << "SWAYSOCK=" + Path("runtime") + "/" +
                        QDir(Path("runtime")).entryList({"sway-ipc.*"}, QDir::System).value(0);
        }
        return line + environment + command;
    }
    int RunAsUser(const QStringList& command) const {
        return QProcess::execute("runuser", AsUser(command));
    }
    // One output's picture. sway's headless outputs draw only when told
    // something changed; asking for the outputs' power makes them draw.
    QImage Output(const QString& name) const {
        RunAsUser({"swaymsg", "output * dpms on"});
        const QString file = Path("output.png");
        QFile::remove(file);
        RunAsUser({"grim", "-o", name, file});
        return QImage(file);
    }

    TempDirectory work;
    QString m_user, m_home;
    QProcess m_desktop;
};

TEST_F(WaylandEndToEnd, ShowIsFullScreenOverTheBarCoversTheOtherOutputAndTakesThePassword) {
    QProcess show;
    show.start("runuser", AsUser({Path("vimbrel"), "/S"},
                                 {"QT_QPA_PLATFORM=wayland", "VIMBREL_AUDIO_OUTPUT=null",
                                  "VIMBREL_HOME=" + Path("settings")}));
    ASSERT_TRUE(show.waitForStarted(10000));
    QImage first;
    ASSERT_TRUE(WaitFor(
        [&] {
            first = Output("HEADLESS-1");
            return !first.isNull() && Near(first.pixelColor(320, 240), Qt::red);
        },
        15000))
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
    RunAsUser({"wtype", "-s", "500", "x"});
    ASSERT_TRUE(WaitFor(
        [&] {
            const QColor middle = Output("HEADLESS-1").pixelColor(320, 200);
            return !Near(middle, Qt::red) && !Near(middle, QColor(0, 255, 0));
        },
        10000))
        << "no password prompt";
    KeepScreenshot(Output("HEADLESS-1"), "sway-prompt");
    EXPECT_EQ(show.state(), QProcess::Running);
    RunAsUser({"wtype", "-s", "500", "sesame", "-k", "Return"});
    EXPECT_TRUE(show.waitForFinished(10000)) << "the password typed did not end the show";
    EXPECT_EQ(show.exitCode(), 0);
}

} // namespace
} // namespace vimbrel
