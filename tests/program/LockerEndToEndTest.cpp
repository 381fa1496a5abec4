// The show as a screen locker's saver: started by xsecurelock as its saver
// modules are, or into a window named on the command line as xscreensaver
// starts its hacks. The locker owns the screen, the input and the password.

#include "HostWindow.h"
#include "TempDirectory.h"
#include "VirtualDisplay.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace vimbrel {
namespace {

using test::HostWindow;
using test::TempDirectory;

// The processes of this program that run with the argument, as a locker's
// grandchildren are known only by what they run.
std::vector<int> ProgramsRunningWith(const QString& argument, const std::filesystem::path& home) {
    std::vector<int> found;
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs)) {
        bool number = false;
        const int pid = entry.toInt(&number);
        QFile command("/proc/" + entry + "/cmdline");
        QFile environment("/proc/" + entry + "/environ");
        if (!number || !command.open(QIODevice::ReadOnly) ||
            !environment.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QList<QByteArray> arguments = command.readAll().split('\0');
        if (arguments.size() >= 2 && arguments[0] == VIMBREL_PROGRAM_PATH &&
            arguments[1] == argument.toLatin1() &&
            environment.readAll().contains("VIMBREL_HOME=" + QByteArray(home.c_str()) + '\0')) {
            found.push_back(pid);
        }
    }
    return found;
}

// Gone, or ended and waiting for its parent to notice.
bool HasEnded(int pid) {
    QFile status("/proc/" + QString::number(pid) + "/stat");
    if (!status.open(QIODevice::ReadOnly)) {
        return true;
    }
    const QByteArray line = status.readAll();
    const qsizetype afterName = line.lastIndexOf(')');
    return afterName > 0 && line.mid(afterName + 2, 1) == "Z";
}

class LockerEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(display.ready()) << "Xvfb did not start";
        ASSERT_TRUE(WritePicture(pictures / "b.jpg", Qt::red));
        // A password is set: inside a locker the show never asks for it.
        WriteCollection(home.path(), {"[Options]", "RandomFolder=0", "Folders=1", "[Folder1]",
                                      "Background=65280", "Center=1", "Interval=60",
                                      "Set=" + pictures.path().string()});
        test::WriteBytes(home / "registry.ini",
                         test::CrLf({"[HKEY_CURRENT_USER\\Control Panel\\Desktop]",
                                     "ScreenSaveUsePassword=dword:00000001"}));
    }
    QProcessEnvironment Environment() const {
        return ProgramEnvironment(display, home.path(), runtime.path());
    }

    VirtualDisplay display;
    TempDirectory home, runtime, pictures;
};

TEST_F(LockerEndToEnd, XsecurelockShowsTheFolderInItsWindowAndEndsItWithTheLock) {
    QProcess locker;
    QProcessEnvironment environment = Environment();
    environment.insert("XSECURELOCK_SAVER", VIMBREL_PROGRAM_PATH);
    locker.setProcessEnvironment(environment);
    locker.start("xsecurelock", {});
    ASSERT_TRUE(locker.waitForStarted(10000));
    ASSERT_TRUE(WaitFor([&] { return ScreenShows(display, Qt::red); }, 15000))
        << "the folder's picture did not appear in the locker's window";
    EXPECT_TRUE(ScreenShows(display, QColor(0, 255, 0), QPoint(5, 5)));
    KeepScreenshot(display.Screenshot(), "xsecurelock");

    const std::vector<int> savers = ProgramsRunningWith("-root", home.path());
    ASSERT_EQ(savers.size(), 1u) << "one saver per screen";
    locker.terminate();
    EXPECT_TRUE(WaitFor([&] { return std::all_of(savers.begin(), savers.end(), HasEnded); }, 1000))
        << "the show outlived the locker by more than a second";
    locker.waitForFinished(5000);
}

// As xscreensaver starts its hacks: into a window of its own, by id. Two run
// at once, one per window; each fills its window, follows its size, and
// ends when the window goes.
TEST_F(LockerEndToEnd, ShowsFillTheirWindowsFollowTheirSizeAndEndWhenTheyGo) {
    HostWindow first(display.name(), 300, 200);
    HostWindow second(display.name(), 200, 100);
    QProcess firstShow, secondShow;
    QProcessEnvironment environment = Environment();
    ASSERT_TRUE(StartProgram(firstShow, environment, {"-window-id", QString::number(first.id())}));
    environment.insert("XSCREENSAVER_WINDOW", QString("0x%1").arg(second.id(), 0, 16));
    ASSERT_TRUE(StartProgram(secondShow, environment, {"-root"}));

    // Both windows sit at (10, 10), the second above the first.
    ASSERT_TRUE(WaitFor([&] { return ScreenShows(display, Qt::red, QPoint(200, 150)); }, 15000))
        << "the show did not fill its window";
    EXPECT_TRUE(WaitFor([&] { return ScreenShows(display, Qt::red, QPoint(110, 60)); }, 5000));
    KeepScreenshot(display.Screenshot(), "saver-windows-two");
    EXPECT_TRUE(ScreenShows(display, QColor(0, 255, 0), QPoint(250, 195)));
    EXPECT_TRUE(ScreenShows(display, Qt::black, QPoint(400, 300))) << "drawn outside its window";

    first.Resize(600, 440);
    EXPECT_TRUE(WaitFor(
        [&] {
            return ScreenShows(display, QColor(0, 255, 0), {590, 440});
        },
        5000))
        << "the show did not follow its window's size";
    EXPECT_TRUE(WaitFor([&] { return ScreenShows(display, Qt::red, QPoint(310, 230)); }, 5000));
    KeepScreenshot(display.Screenshot(), "saver-windows");

    second.Destroy();
    EXPECT_TRUE(secondShow.waitForFinished(1000)) << "the show outlived its window";
    EXPECT_EQ(secondShow.exitCode(), 0);
    EXPECT_EQ(firstShow.state(), QProcess::Running);
    firstShow.terminate();
    EXPECT_TRUE(firstShow.waitForFinished(1000));
    EXPECT_EQ(firstShow.exitCode(), 0);
}

TEST_F(LockerEndToEnd, AWindowThatIsNoneStartsNothingAndSaysWhy) {
    // The show's first file, which a show would take out at once.
    test::WriteBytes(pictures / "a.jpg", "not a picture");
    struct Row {
        QStringList arguments;
        const char* said;
    };
    const Row rows[] = {
        {{"--window-id", "0x7ffff0"}, "does not exist"},
        {{"-window-id", "seven"}, "is not a window id"},
    };
    for (const Row& row : rows) {
        QProcess show;
        ASSERT_TRUE(StartProgram(show, Environment(), row.arguments));
        ASSERT_TRUE(show.waitForFinished(10000));
        EXPECT_EQ(show.exitCode(), 1) << row.said;
        EXPECT_TRUE(show.readAllStandardError().contains(row.said)) << row.said;
    }
    EXPECT_TRUE(std::filesystem::exists(pictures / "a.jpg")) << "a file was renamed for nothing";
}

} // namespace
} // namespace vimbrel
