// The screen-saver password from end to end on a virtual X server: set in
// the "Change Password" dialog of mode /A, typed as a user types, and then
// asked for when a show ends.

#include "HostWindow.h"
#include "TempDirectory.h"
#include "VirtualDisplay.h"

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace vimbrel {
namespace {

using test::CrLf;
using test::HostWindow;
using test::TempDirectory;

class PasswordEndToEnd : public ::testing::Test {
protected:
    QProcessEnvironment Environment() const {
        return ProgramEnvironment(display, home.path(), runtime.path());
    }
    QString Xdotool(const QStringList& arguments) const {
        QProcess process;
        process.setProcessEnvironment(Environment());
        process.start("xdotool", arguments);
        process.waitForFinished(10000);
        return QString::fromLatin1(process.readAllStandardOutput()).trimmed();
    }
    // The id of the window with exactly this title, once it is on screen.
    QString WaitForWindow(const QString& title) const {
        QString id;
        WaitFor(
            [&] {
                id = Xdotool({"search", "--onlyvisible", "--name", "^" + title + "$"})
                         .section('\n', 0, 0);
                return !id.isEmpty();
            },
            15000);
        return id;
    }
    // Types into the window as a user would: focus on it, the text, Return.
    void TypeInto(const QString& window, const QStringList& texts) const {
        Xdotool({"windowfocus", "--sync", window});
        for (int i = 0; i < texts.size(); ++i) {
            if (i > 0) {
                Xdotool({"key", "Tab"});
            }
            Xdotool({"type", "--delay", "30", texts[i]});
        }
        Xdotool({"key", "Return"});
    }

    VirtualDisplay display;
    TempDirectory home, runtime, pictures;
};

TEST_F(PasswordEndToEnd, PasswordSetInTheDialogGuardsTheEndOfTheShow) {
    ASSERT_TRUE(display.ready()) << "Xvfb did not start";
    HostWindow host(display.name(), 300, 200);

    QProcess change;
    ASSERT_TRUE(StartProgram(change, Environment(), {"/A", QString::number(host.id())}));
    const QString dialog = WaitForWindow("Change Password");
    ASSERT_FALSE(dialog.isEmpty()) << "no Change Password dialog";
    // Owned by the host's window.
    QProcess xprop;
    xprop.setProcessEnvironment(Environment());
    xprop.start("xprop", {"-id", dialog, "WM_TRANSIENT_FOR"});
    xprop.waitForFinished(10000);
    EXPECT_TRUE(xprop.readAllStandardOutput().contains(
        QString("window id # 0x%1").arg(host.id(), 0, 16).toLatin1()));

    // No password yet: new and confirm only.
    TypeInto(dialog, {"open sesame", "open sesame"});
    ASSERT_TRUE(change.waitForFinished(10000)) << "the dialog did not close on OK";
    EXPECT_EQ(change.exitCode(), 0);
    EXPECT_FALSE(change.readAll().contains("sesame"));
    struct stat info {};
    ASSERT_EQ(::stat((home / "password").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(test::ReadBytes(home / "password").find("sesame"), std::string::npos);
    EXPECT_NE(test::ReadBytes(home / "registry.ini").find("ScreenSaveUsePassword=dword:00000001"),
              std::string::npos);

    ASSERT_TRUE(WritePicture(pictures / "a.jpg", Qt::blue));
    test::WriteBytes(home / "vimbrel000.ini",
                     CrLf({"[Options]", "RandomFolder=0", "Folders=1", "[Folder1]", "Center=1",
                           "Set=" + pictures.path().string()}));
    QProcess show;
    ASSERT_TRUE(StartProgram(show, Environment(), {"/S"}));
    ASSERT_TRUE(WaitFor([&] { return ScreenShows(display, Qt::blue); }, 15000));

    // A wrong password keeps the show running.
    Xdotool({"key", "x"});
    QString prompt = WaitForWindow("Vimbrel");
    ASSERT_FALSE(prompt.isEmpty()) << "the show ended without asking for the password";
    EXPECT_EQ(show.state(), QProcess::Running);
    TypeInto(prompt, {"open sesamE"});
    EXPECT_FALSE(show.waitForFinished(2000)) << "a wrong password ended the show";

    // The right one ends it.
    Xdotool({"key", "x"});
    prompt = WaitForWindow("Vimbrel");
    ASSERT_FALSE(prompt.isEmpty());
    TypeInto(prompt, {"open sesame"});
    ASSERT_TRUE(show.waitForFinished(10000)) << "the right password did not end the show";
    EXPECT_EQ(show.exitCode(), 0);
}

} // namespace
} // namespace vimbrel
